#pragma once
// Text, format and icon support functions (the as* family).
// Each either returns its result or, on failure, throws support::RuntimeError
// at once: a failing call is a run-time error in its caller.

#include <windows.h>

#include <string>
#include <string_view>

#include "support/handles.h"

namespace support {

// Text -------------------------------------------------------------------

// Without blanks (spaces, tabs, CR, LF, NUL) at either end.
std::wstring asTrimEx(std::wstring_view text);

// Without the chosen characters at the chosen ends.
std::wstring asTrimEx2(std::wstring_view text, bool left, bool right, bool spaces, bool tabs, bool lineBreaks,
                       bool nuls, bool noBreakSpaces, bool verticalTabs, bool formFeeds, bool zeroWidths);

// Without its first / last count characters; a count past the length leaves
// nothing, a negative count is error 5.
std::wstring asCutLeft(std::wstring_view text, long count);
std::wstring asCutRight(std::wstring_view text, long count);

// Buffers ------------------------------------------------------------------

// The text of an ANSI / UTF-16 buffer up to its first NUL (or its end).
std::wstring asGetStringFromPointerA(std::string_view buffer);
std::wstring asGetStringFromPointerW(std::wstring_view buffer);

// The items of an ANSI buffer up to the double NUL, single NULs between them.
std::wstring asGetStringFrom2NullBufferA(std::string_view buffer);

// Numbers --------------------------------------------------------------------

// A byte count as a short size text with three significant digits ("97.6 GB").
std::wstring asFormatByteSize(double bytes);
// The same with two decimals whatever the magnitude ("97.63 GB").
std::wstring asFormatByteSizeEx(double bytes);

// Icons ----------------------------------------------------------------------

// Gives a window the big and small icons of an icon group of the running
// program (shared resource icons: nothing to free).
void asSetWindowResIconAll(HWND window, std::wstring_view resourceName);

// The small (16x16) icon of an icon group in a module; it outlives the module.
// An empty owner when the module has no such icon.
UniqueIcon asLoadResIconSmallEx(std::wstring_view resourceName, HMODULE module);

}  // namespace support
