#include "components/subclasser.h"

#include "toolkit/application.h"

#include "support/runtime_error.h"
#include "support/window_subclass.h"

#include <commctrl.h>

#include <utility>

namespace components {

Subclasser::~Subclasser()
{
    Unhook();
}

void Subclasser::SetHWnd(HWND window)
{
    if (window == window_) return;
    if (!window) {
        Unhook();
        return;
    }
    if (!::IsWindow(window) || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
        support::Raise(support::err::InvalidProcedureCall, {}, L"Subclasser");
    const support::WindowSubclassFunctions& api = support::WindowSubclass();
    if (!api) support::RaiseWin32(ERROR_PROC_NOT_FOUND, L"SetWindowSubclass");
    // The new hook first, so that a failure leaves the old one in place.
    if (!api.set(window, HookProc, Id(), reinterpret_cast<DWORD_PTR>(this)))
        support::RaiseWin32(ERROR_NOT_ENOUGH_MEMORY, L"SetWindowSubclass");
    Unhook();
    window_ = window;
}

void Subclasser::Unhook() noexcept
{
    if (HWND window = std::exchange(window_, nullptr))
        support::WindowSubclass().remove(window, HookProc, Id());
}

LRESULT CALLBACK Subclasser::HookProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR refData) noexcept
{
    const support::WindowSubclassFunctions& api = support::WindowSubclass();
    auto& self = *reinterpret_cast<Subclasser*>(refData);

    UINT message = uMsg;
    WPARAM w = wParam;
    LPARAM l = lParam;
    LRESULT result = 0;
    bool noDef = false;
    if (ISubclasserCallback* callback = self.callback_) {
        toolkit::GuardCallback(
            [&] { callback->ISubclasserCallback_WindowProc(self, hWnd, message, w, l, result, noDef); },
            [&] {
                message = uMsg;
                w = wParam;
                l = lParam;
                noDef = false;
            });
    }

    // The callback may have unhooked, rehooked or even destroyed the object:
    // only a hook still registered under this id proves that self is alive.
    DWORD_PTR stillOurs = 0;
    if (uMsg == WM_NCDESTROY && api.get(hWnd, HookProc, id, &stillOurs) && stillOurs == refData)
        self.Unhook();

    if (noDef) return result;
    return api.def(hWnd, message, w, l);
}

} // namespace components
