#pragma once
// The toolkit's window objects: one C++ object per native window, found again
// from the handle in every message.

#include <windows.h>

namespace toolkit {

class WindowObject {
public:
    WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    HWND hWnd() const noexcept { return hwnd_; }

    // The object behind a toolkit window; nullptr for any other window.
    static WindowObject* FromHandle(HWND window) noexcept;

protected:
    virtual ~WindowObject();

    // Creates the native window of a registered toolkit class with this object
    // attached to it.
    HWND CreateNative(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* text, int x, int y,
                      int width, int height, HWND parent);
    void DestroyNative() noexcept;
    // Hands the native window over without destroying it: from then on it
    // answers as a plain window until another object adopts it.
    HWND ReleaseNative() noexcept;
    // Takes over a window that ReleaseNative gave up, made from the same class,
    // with the class's base procedure as BaseProc read it before the release
    // (asking the window for its class name costs the window system a request).
    void AdoptNative(HWND window, WNDPROC baseProc) noexcept;
    WNDPROC BaseProc() const noexcept { return baseProc_; }

    // Runs inside the guarded window procedure; DefWindowProc for anything not handled.
    // For a class that extends a system control, its procedure; otherwise DefWindowProc.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend const wchar_t* RegisterToolkitClass(const wchar_t*, UINT, HBRUSH, HCURSOR);
    friend const wchar_t* RegisterToolkitSuperclass(const wchar_t*, const wchar_t*);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    WNDPROC baseProc_ = nullptr;
};

// Registers a window class served by WindowObject::WindowProc (once per process).
const wchar_t* RegisterToolkitClass(const wchar_t* name, UINT style, HBRUSH background, HCURSOR cursor);
// Registers a toolkit class that extends a system control class (BUTTON, EDIT,
// COMBOBOX): what the object does not handle goes to the system class.
const wchar_t* RegisterToolkitSuperclass(const wchar_t* name, const wchar_t* systemClass);
// Unregisters every class registered above, once no window of them is left. A
// library calls it when it is unloaded: the system keeps a library's classes,
// with procedures that would point into freed code.
void UnregisterToolkitClasses() noexcept;

} // namespace toolkit
