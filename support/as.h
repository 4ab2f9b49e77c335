#pragma once
// Text, format and icon support functions (the as* family).
// Each either returns its result or, on failure, throws support::RuntimeError
// at once: a failing call is a run-time error in its caller.

#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "support/handles.h"

namespace support {

// Text -------------------------------------------------------------------

// Without blanks (spaces, tabs, CR, LF, NUL) at either end.
std::wstring asTrimEx(std::wstring_view text);

// Without the chosen characters at the chosen ends (left, right). The kinds:
// spaces U+0020; tabs U+0009; lineBreaks CR and LF; nuls U+0000;
// noBreakSpaces U+00A0 and U+202F; verticalTabs U+000B; formFeeds U+000C;
// zeroWidths U+200B, U+2060 and U+FEFF.
std::wstring asTrimEx2(std::wstring_view text, bool left, bool right, bool spaces, bool tabs, bool lineBreaks,
                       bool nuls, bool noBreakSpaces, bool verticalTabs, bool formFeeds, bool zeroWidths);

// Without its first / last count characters; a count past the length leaves
// nothing, a negative count is error 5.
std::wstring asCutLeft(std::wstring_view text, long count);
std::wstring asCutRight(std::wstring_view text, long count);

// Without the line breaks (CR, LF) at either end; inner ones stay.
std::wstring asTrimCRLF(std::wstring_view text);

// Buffers ------------------------------------------------------------------

// The text of an ANSI (code page CP_ACP) / UTF-16 buffer up to its first NUL
// (or its end).
std::wstring asGetStringFromPointerA(std::string_view buffer);
std::wstring asGetStringFromPointerW(std::wstring_view buffer);

// The items of an ANSI buffer up to the double NUL (or the buffer's end),
// single NULs between them and none after the last: A:\ NUL C:\ NUL NUL gives
// A:\ NUL C:\. A buffer that is empty or starts with NUL gives "".
std::wstring asGetStringFrom2NullBufferA(std::string_view buffer);

// Numbers --------------------------------------------------------------------

// Size texts: a number, a space and the unit B, KB, MB, GB, TB or PB
// (1024-based). Bytes are a whole number ("0 B", "1023 B"); a unit goes up as
// soon as the rounded number would reach 1024 (1023.99 KB is "1.00 MB"), so
// numbers stay below 1024 except past 1023 PB. Rounding is half away from
// zero; the decimal separator is the user's (LOCALE_SDECIMAL); no digit
// grouping. A negative, infinite or NaN count is error 5.

// Three significant digits: "1.00 KB", "97.6 GB", "232 GB" (100 to 1023 of a
// unit are whole numbers).
std::wstring asFormatByteSize(double bytes);
// Two decimals from KB up: "1.00 KB", "97.63 GB", "232.40 GB".
std::wstring asFormatByteSizeEx(double bytes);

// Display texts of numbers. A whole number: the value rounded half away from
// zero, no digit grouping. With a fraction: at most six decimals, trailing
// zeros dropped, the user's decimal separator ("1.5", "2", "0.000123").
std::wstring asFormatLong(long value);
std::wstring asFormatInt64(double value);
std::wstring asFormatDouble(double value);
// A 32-bit value read as unsigned: -1 gives 4294967295.
double asLongToUnsignedLong(long value);
// Error numbers and texts --------------------------------------------------

// An error number as shown in messages: decimal, followed by its hexadecimal
// form in parentheses where that is how such codes are known (negative numbers,
// HRESULTs, and anything above 65535): "5", "-2147024891 (0x80070005)".
std::wstring asGetErrorNumber(long number);
// The system's text of a Win32 error code, in the user's language, without its
// line breaks at the end; "" when the system has none. Inserts (%1) stay as they are.
std::wstring asGetAPIErrorDescription(long code);
// The multimedia library's text of a WinMM (MMSYSERR_, WAVERR_, MCIERR_) code; "" when it has none.
std::wstring asGetWinMMErrorDescription(long code);
// The text of a code in a module's message table (and nowhere else); "" when
// the module has no table or no such entry. Inserts stay as they are.
std::wstring asGetModuleErrorDescription(HMODULE module, long code);

// Icons ----------------------------------------------------------------------

// Resource names are a name ("A_MAIN") or "#" and a number ("#100"); an empty
// name is error 5.

// Gives a window the big (SM_CXICON) and small (SM_CXSMICON) icons of an icon
// group of the running program (shared resource icons: nothing to free). Not a
// window, or no such icon group: the Win32 error as a run-time error.
void asSetWindowResIconAll(HWND window, std::wstring_view resourceName);

// The small (SM_CXSMICON, 16x16) icon of an icon group in a module (0: the
// running program); a copy of its own, so it outlives the module. An empty
// owner when the module has no such icon.
UniqueIcon asLoadResIconSmallEx(std::wstring_view resourceName, HMODULE module);
// The large (SM_CXICON, 32x32) icon of an icon group, the same way.
UniqueIcon asLoadResIconEx(std::wstring_view resourceName, HMODULE module);

// A copy of a window's large / small icon (the one it was given, else its
// class's), which outlives the window; an empty owner when it has none. Not a
// window: the Win32 error as a run-time error.
UniqueIcon asGetWindowIcon(HWND window);
UniqueIcon asGetWindowIconSmall(HWND window);

// Gives a window both icons; (nullptr, nullptr) takes them away. The window
// borrows them: the caller keeps them alive while the window shows them.
void asSetWindowIconAll(HWND window, HICON bigIcon, HICON smallIcon);

// Versions -----------------------------------------------------------------------

// "major.mm.rrrr": the minor number two digits and the revision four digits
// wide at least ("1.04.0052"); negative numbers keep their sign.
std::wstring asFormatVersion(long major, long minor, long revision);

// Output -----------------------------------------------------------------------

// One line to the debugger's output (OutputDebugStringW), ended with a line break.
void asOutputDebugString(std::wstring_view text);
// The same line, as the development environment's immediate window prints it.
void asDebugPrint(std::wstring_view text);

// Paints a window's background on its paint device context: the whole client
// area in the desktop's colour (COLOR_DESKTOP), so the window shows the
// desktop's own tone without a bitmap to keep. Not a window: error.
void asPaintDesktop2(HWND window, HDC dc);

// System: the operating system, memory, privileges and modules -------------

// The operating system's name from the version Windows reports, "Windows 10"
// or "Windows Server 2008 R2"; withBuild adds " (build N)"; withServicePack
// adds the service pack, when there is one, on a second line (CR LF).
std::wstring asGetHostOSFullName(bool withBuild, bool withServicePack);

// The memory figures of GlobalMemoryStatusEx (GlobalMemoryStatus where that is
// missing): the memory load in percent, then byte counts.
struct MemoryStatus {
    long MemoryLoad = 0;
    double TotalPhys = 0;
    double AvailPhys = 0;
    double TotalPageFile = 0;
    double AvailPageFile = 0;
    double TotalVirtual = 0;
    double AvailVirtual = 0;
};
void asGlobalMemoryStatus(MemoryStatus& status);

// A 64-bit count (two 32-bit halves, unsigned) as a double.
double asLargeIntegerToDouble(const FILETIME& value) noexcept;

// Enables (or disables) the debug privilege in the process's token. True when
// the token now says so; never throws (a user without the privilege gets False).
// previous (if given) receives what changed, for putting it back.
bool asEnableDebugPrivilege(bool enable, TOKEN_PRIVILEGES* previous = nullptr) noexcept;

// The debug privilege enabled while the scope lives; the token is then as it
// was before (a privilege that was on stays on).
class DebugPrivilegeScope {
public:
    DebugPrivilegeScope() noexcept;
    ~DebugPrivilegeScope();
    DebugPrivilegeScope(const DebugPrivilegeScope&) = delete;
    DebugPrivilegeScope& operator=(const DebugPrivilegeScope&) = delete;

private:
    TOKEN_PRIVILEGES previous_{};
};

// ToolHelp, bound by name (Windows NT 4.0 has none): a snapshot, empty when
// none could be taken; modules one after another, False when no record was
// delivered. Where only the ANSI functions exist, names are converted from the
// ANSI code page.
UniqueFileHandle asCreateToolhelp32Snapshot(DWORD flags, DWORD processId) noexcept;
bool asModule32First(HANDLE snapshot, MODULEENTRY32W& entry) noexcept;
bool asModule32Next(HANDLE snapshot, MODULEENTRY32W& entry) noexcept;

// The address the module loaded at loadAddress in that process asked for in
// its image headers. Headers that cannot be read or are not an image: error 5.
std::uintptr_t asGetModulePreferredBaseAddr(DWORD processId, std::uintptr_t loadAddress);

} // namespace support
