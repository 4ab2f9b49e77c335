#pragma once
// The timed message box: the system message box's styles and results, with
// the system's button captions and message font, a dialog that grows with its
// text, and a countdown on the default button that answers for it.

#include <windows.h>

#include <optional>
#include <string>

namespace verrick::errors {

class frmError500;

// Shows the box modally and returns the result code of the button that closed
// it (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No; 0 for button
// sets other than 0 to 5). An absent title is the program's; an index of -1
// (or one past the buttons) is the button set's own default or cancel button;
// a time-out below 1 second counts as 1.
long ShowTimedBox(const std::wstring& text, long style, const std::optional<std::wstring>& title,
                  long defaultButtonIndex, long cancelButtonIndex, long timeoutValue);

// The steps of ShowTimedBox that place things, for a dialog already loaded.
void RemoveIconSpace(frmError500& dialog);
void LayoutDialog(frmError500& dialog);

// The system calls behind the button captions and the sound, replaceable by
// tests: the system's strings cannot be seen under every system, nor a beep heard.
struct TimedBoxSystem {
    int(WINAPI* loadString)(HINSTANCE module, UINT id, LPWSTR buffer, int size) = ::LoadStringW;
    BOOL(WINAPI* messageBeep)(UINT type) = ::MessageBeep;
};
TimedBoxSystem& TimedBoxSystemCalls() noexcept;

} // namespace verrick::errors
