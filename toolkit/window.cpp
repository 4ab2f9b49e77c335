#include "toolkit/window.h"

#include "toolkit/application.h"

#include <string>
#include <utility>
#include <vector>

#include "support/runtime_error.h"

namespace toolkit {
namespace {

// The system procedure behind each toolkit superclass, by class name.
std::vector<std::pair<std::wstring, WNDPROC>>& Superclasses()
{
    static std::vector<std::pair<std::wstring, WNDPROC>> classes;
    return classes;
}

// Every class this module registered, for UnregisterToolkitClasses.
std::vector<std::wstring>& RegisteredClasses()
{
    static std::vector<std::wstring> classes;
    return classes;
}

// Class registration and the lists above, which a client's threads may reach at once.
class RegistrationLock {
public:
    RegistrationLock() noexcept { ::EnterCriticalSection(&Section()); }
    ~RegistrationLock() { ::LeaveCriticalSection(&Section()); }
    RegistrationLock(const RegistrationLock&) = delete;
    RegistrationLock& operator=(const RegistrationLock&) = delete;

private:
    static CRITICAL_SECTION& Section() noexcept
    {
        static struct Owned {
            CRITICAL_SECTION section;
            Owned() noexcept { ::InitializeCriticalSection(&section); }
            ~Owned() { ::DeleteCriticalSection(&section); }
        } owned;
        return owned.section;
    }
};

WNDPROC BaseProcOf(HWND window)
{
    wchar_t className[64];
    if (!::GetClassNameW(window, className, 64)) return nullptr;
    RegistrationLock lock;
    for (const auto& [name, proc] : Superclasses())
        if (name == className) return proc;
    return nullptr;
}

} // namespace

WindowObject::~WindowObject()
{
    DestroyNative();
}

WindowObject* WindowObject::FromHandle(HWND window) noexcept
{
    if (!window) return nullptr;
    // Another copy of the toolkit in the process (a program's beside a library's) has classes of the same
    // names: only a class of this module is ours.
    if (::GetClassLongPtrW(window, GCLP_HMODULE) != reinterpret_cast<ULONG_PTR>(Application::Instance()))
        return nullptr;
    wchar_t className[64];
    if (!::GetClassNameW(window, className, 64) || wcsncmp(className, L"Toolkit", 7) != 0) return nullptr;
    return reinterpret_cast<WindowObject*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND WindowObject::CreateNative(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* text,
                                int x, int y, int width, int height, HWND parent)
{
    HWND window = ::CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent, nullptr,
                                    Application::Instance(), this);
    if (!window) support::RaiseLastWin32(L"CreateWindowExW");
    return window;
}

void WindowObject::DestroyNative() noexcept
{
    if (hwnd_) ::DestroyWindow(hwnd_);
}

HWND WindowObject::ReleaseNative() noexcept
{
    HWND window = std::exchange(hwnd_, nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return window;
}

void WindowObject::AdoptNative(HWND window, WNDPROC baseProc) noexcept
{
    DestroyNative();
    hwnd_ = window;
    baseProc_ = baseProc;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT WindowObject::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (baseProc_) return ::CallWindowProcW(baseProc_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowObject::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<WindowObject*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<WindowObject*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        self->baseProc_ = BaseProcOf(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = GuardCallback([&] { return self->HandleMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

const wchar_t* RegisterToolkitClass(const wchar_t* name, UINT style, HBRUSH background, HCURSOR cursor)
{
    RegistrationLock lock;
    WNDCLASSEXW windowClass{sizeof windowClass};
    if (::GetClassInfoExW(Application::Instance(), name, &windowClass)) return name;
    windowClass.style = style;
    windowClass.lpfnWndProc = WindowObject::WindowProc;
    windowClass.hInstance = Application::Instance();
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    if (!::RegisterClassExW(&windowClass)) support::RaiseLastWin32(L"RegisterClassExW");
    RegisteredClasses().emplace_back(name);
    return name;
}

const wchar_t* RegisterToolkitSuperclass(const wchar_t* name, const wchar_t* systemClass)
{
    RegistrationLock lock;
    WNDCLASSEXW windowClass{sizeof windowClass};
    if (::GetClassInfoExW(Application::Instance(), name, &windowClass)) return name;
    if (!::GetClassInfoExW(nullptr, systemClass, &windowClass)) support::RaiseLastWin32(L"GetClassInfoExW");
    Superclasses().emplace_back(name, windowClass.lpfnWndProc);
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowObject::WindowProc;
    windowClass.hInstance = Application::Instance();
    windowClass.lpszClassName = name;
    // A global class of the system would be shared with every module; ours is local.
    windowClass.style &= ~CS_GLOBALCLASS;
    if (!::RegisterClassExW(&windowClass)) support::RaiseLastWin32(L"RegisterClassExW");
    RegisteredClasses().emplace_back(name);
    return name;
}

void UnregisterToolkitClasses() noexcept
{
    RegistrationLock lock;
    for (const std::wstring& name : RegisteredClasses())
        ::UnregisterClassW(name.c_str(), Application::Instance());
    RegisteredClasses().clear();
    Superclasses().clear();
}

} // namespace toolkit
