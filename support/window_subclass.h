#pragma once
// comctl32's window subclassing functions, bound by ordinal at first use:
// versions before 6 export them by ordinal only, with the same ordinals in
// every version, so a named import would keep a program from loading there.

#include <windows.h>

#include <commctrl.h>

namespace support {

struct WindowSubclassFunctions {
    decltype(&::SetWindowSubclass) set = nullptr;
    decltype(&::GetWindowSubclass) get = nullptr;
    decltype(&::RemoveWindowSubclass) remove = nullptr;
    decltype(&::DefSubclassProc) def = nullptr;

    explicit operator bool() const noexcept { return set && get && remove && def; }
};

// All four, or none where comctl32 lacks them. The module stays loaded for
// good: subclassed windows call into it until they are gone.
const WindowSubclassFunctions& WindowSubclass() noexcept;

} // namespace support
