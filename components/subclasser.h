#pragma once
// A per-window message hook. Every message of the hooked window goes first to
// a callback, which may look at it, change it, or answer it in place of the
// window. Other hooks installed on the same window before or after keep working.

#include <windows.h>

namespace components {

class Subclasser;

class ISubclasserCallback {
public:
    // Runs on the window's thread for each message of the hooked window, before
    // the window's own procedure. A changed uMsg, wParam or lParam is what the
    // window then receives. Setting noDef to true answers the message with
    // retVal and the window's procedure never sees it.
    // Calls nest: a message the callback causes to the same window (SetWindowPos,
    // SendMessage...) comes back through here before the outer call returns.
    // An exception thrown here is unhandled (toolkit::GuardCallback): in a program it
    // ends the process through Application::Fatal; in a guest module the
    // window handles the original message as if it were not hooked.
    virtual void ISubclasserCallback_WindowProc(Subclasser& subclasserObject, HWND hWnd, UINT& uMsg,
                                                WPARAM& wParam, LPARAM& lParam, LRESULT& retVal,
                                                bool& noDef) = 0;

protected:
    ~ISubclasserCallback() = default;
};

// Hooks at most one window at a time. The object stays where it was created
// (the window refers to it), so it can be neither copied nor moved.
class Subclasser {
public:
    Subclasser() noexcept = default;
    ~Subclasser();
    Subclasser(const Subclasser&) = delete;
    Subclasser& operator=(const Subclasser&) = delete;

    // Not owned; nullptr lets every message through untouched.
    void SetCallback(ISubclasserCallback* callback) noexcept { callback_ = callback; }
    ISubclasserCallback* Callback() const noexcept { return callback_; }

    // A window of the calling thread starts hooking it, after unhooking any
    // window hooked before; 0 unhooks. A window that is destroyed while hooked
    // unhooks itself, and HWnd() then returns 0.
    // Raises run-time error 5 for a handle that is not a window of this thread.
    void SetHWnd(HWND window);
    HWND HWnd() const noexcept { return window_; }

private:
    static LRESULT CALLBACK HookProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR refData) noexcept;
    void Unhook() noexcept;
    UINT_PTR Id() const noexcept { return reinterpret_cast<UINT_PTR>(this); }

    ISubclasserCallback* callback_ = nullptr;
    HWND window_ = nullptr;
};

} // namespace components
