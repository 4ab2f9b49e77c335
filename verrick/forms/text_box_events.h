#pragma once
// The events of a client's text box, taken from its window: whatever object
// the client passes (reached late-bound, by its hWnd), the window is
// subclassed on this thread and KeyDown, GotFocus and LostFocus reach the
// callbacks. A KeyDown handler cancels the key by setting its code to 0.

#include <windows.h>
#include <oaidl.h>

#include <functional>

#include "support/com.h"

namespace verrick::forms {

class TextBoxEvents {
public:
    TextBoxEvents() noexcept = default;
    ~TextBoxEvents();
    TextBoxEvents(const TextBoxEvents&) = delete;
    TextBoxEvents& operator=(const TextBoxEvents&) = delete;

    // Key code and shift state (1 Shift, 2 Ctrl, 4 Alt), both writable.
    std::function<void(SHORT& keyCode, SHORT& shift)> OnKeyDown;
    std::function<void()> OnGotFocus;
    std::function<void()> OnLostFocus;

    // Holds the text box and receives its events; a previous one is let go.
    // Nothing only lets go. Raises 5 when its hWnd is no window of this thread.
    void Connect(IDispatch* textBox);
    void Disconnect() noexcept;
    IDispatch* Object() const noexcept { return object_.get(); }

private:
    struct Link;
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data) noexcept;

    support::ComPtr<IDispatch> object_;
    Link* link_ = nullptr;
};

// TypeName of a control, as tlvMain tells controls apart.
bool IsControlOfType(IDispatch* control, std::wstring_view typeName);

} // namespace verrick::forms
