#pragma once
// The modifier keys held now, as key events report them: Shift 1, Ctrl 2, Alt 4.

#include <windows.h>

namespace support {

inline short ShiftState() noexcept
{
    short shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

} // namespace support
