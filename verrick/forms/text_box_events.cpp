#include "verrick/forms/text_box_events.h"

#include <commctrl.h>

#include <utility>

#include "support/keyboard.h"
#include "support/runtime_error.h"
#include "support/window_subclass.h"
#include "toolkit/application.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

namespace verrick::forms {

// What the window procedure reaches: it outlives a Disconnect made from
// inside one of the handlers, until that handler has returned.
struct TextBoxEvents::Link {
    TextBoxEvents* owner;
    HWND window;
    int running = 0;
    bool orphaned = false;
};

TextBoxEvents::~TextBoxEvents()
{
    Disconnect();
}

void TextBoxEvents::Connect(IDispatch* textBox)
{
    if (!textBox) {
        Disconnect();
        return;
    }
    support::ComPtr<IDispatch> object(textBox);
    // A client's hWnd is a Long in both widths: USER handles are 32-bit significant
    // on 64-bit Windows too, and LongToHandle sign-extends as the system does.
    auto window = static_cast<HWND>(LongToHandle(vb::ToLong(*late::Get(object.get(), L"hWnd"))));
    if (!::IsWindow(window) || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
        support::Raise(support::err::InvalidProcedureCall);
    const support::WindowSubclassFunctions& api = support::WindowSubclass();
    if (!api) support::RaiseWin32(ERROR_PROC_NOT_FOUND, L"SetWindowSubclass");
    auto link = new Link{this, window};
    // The new hook first, so that a failure leaves the old one in place.
    if (!api.set(window, SubclassProc, reinterpret_cast<UINT_PTR>(link), reinterpret_cast<DWORD_PTR>(link))) {
        delete link;
        support::RaiseWin32(ERROR_NOT_ENOUGH_MEMORY, L"SetWindowSubclass");
    }
    Disconnect();
    link_ = link;
    object_ = std::move(object);
}

void TextBoxEvents::Disconnect() noexcept
{
    if (Link* link = std::exchange(link_, nullptr)) {
        if (link->window)
            support::WindowSubclass().remove(link->window, SubclassProc, reinterpret_cast<UINT_PTR>(link));
        link->owner = nullptr;
        if (link->running == 0)
            delete link;
        else
            link->orphaned = true;
    }
    // Released last: the release may run client code.
    support::ComPtr<IDispatch> released = std::move(object_);
}

LRESULT CALLBACK TextBoxEvents::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR data) noexcept
{
    const support::WindowSubclassFunctions& api = support::WindowSubclass();
    auto link = reinterpret_cast<Link*>(data);
    // Runs one handler; the link survives a Disconnect made inside it.
    auto raise = [&](auto&& handler) {
        if (!link->owner) return;
        ++link->running;
        // A failing handler lets the message through as if it had not been there,
        // and leaves no error info behind (the guard's policy for a guest).
        toolkit::GuardCallback([&] { handler(*link->owner); }, [] {});
        --link->running;
    };
    auto finish = [&](LRESULT result) {
        if (link->orphaned && link->running == 0) delete link;
        return result;
    };

    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        SHORT keyCode = static_cast<SHORT>(wParam & 0xFFFF);
        SHORT shift = support::ShiftState();
        raise([&](TextBoxEvents& owner) {
            // A copy: the handler may end its owner, and with it the original.
            if (auto handler = owner.OnKeyDown) handler(keyCode, shift);
        });
        if (keyCode == 0) return finish(0);
        return finish(api.def(window, message, wParam, lParam));
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = api.def(window, message, wParam, lParam);
        raise([&](TextBoxEvents& owner) {
            if (auto handler = message == WM_SETFOCUS ? owner.OnGotFocus : owner.OnLostFocus) handler();
        });
        return finish(result);
    }
    case WM_NCDESTROY:
        // The window is going: nothing is left to unhook later.
        api.remove(window, SubclassProc, id);
        link->window = nullptr;
        return api.def(window, message, wParam, lParam);
    default: return api.def(window, message, wParam, lParam);
    }
}

bool IsControlOfType(IDispatch* control, std::wstring_view typeName)
{
    return control && vb::SameText(late::TypeNameOf(control), typeName, true);
}

} // namespace verrick::forms
