#pragma once
// System, window and registry support functions (the es* family).
// Same convention as as.h: a result, or support::RuntimeError thrown at once.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace support {

// Host -----------------------------------------------------------------------
// By the platform of GetVersionExW: NT family / Windows 95, 98, Me.
bool esIsHostWinNT();
bool esIsHostWin9x();
// By the version of GetVersionExW: Windows 95 (4.0 on the 9x platform),
// Windows NT 4.0, Windows NT 3.51.
bool esIsHostWin95();
bool esIsHostWinNT40();
bool esIsHostWinNT351();
// Always False: this program never runs inside a development environment.
bool esIsInIDE();
// Records the running program's path under the user's App Paths key
// (HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\<exe name>:
// default value the full path, "Path" its folder). True when both values were
// written; never throws.
bool esRegisterAppPath();

// Program ----------------------------------------------------------------------

// The window class of the hidden owner window that stands for a program in the
// task switcher; the form toolkit creates one window of it per program.
inline constexpr wchar_t kProgramWindowClass[] = L"ToolkitProgramWindow";
// That window of the calling thread (a top-level window, not a message-only
// one), or 0 when there is none.
HWND esGetThunderMainHandle();
// The calling program's title: the caption of such a window of the thread that
// has one, else the executable's name without its extension.
std::wstring esGetThunderMainTitle();
// Opens the program's read-me, "ReadMe.txt" in the executable's folder, with
// the shell's "open" verb, or in Notepad where no program opens text files
// (owner: the window for any message the shell shows, or 0). False when there
// is no such file or it could not be opened; never throws.
bool esOpenReadMeFile(HWND owner);

// Windows ----------------------------------------------------------------------

// Kept for callers that run it in each form's load; there is nothing to fix here.
bool esFixUserControlsContainerWindow();
// Centres the window on the work area of the monitor it is on (relativeTo 0),
// or over another window, kept on that work area. A window larger than the
// work area keeps its top left corner on it. Not a window: error.
bool esCenterFormEx(HWND window, HWND relativeTo);
// Opacity in percent (clamped to 1 to 100; 100 opaque): the window becomes
// layered with alpha percent * 255 / 100, rounded; at 100 it stays layered
// with alpha 255. enable False makes it a plain, not layered window again.
// Where layered windows do not exist, nothing happens. Not a window: error.
void esSetWindowTransparecny(HWND window, long percent, bool enable);
// Selects the whole text of an edit control. Not a window: error.
void esTextBox_SelectAll(HWND textBox);

// Closes the form that owns a window (the top-level window it lies in) as its
// close box does. Not a window: the Win32 error as a run-time error.
void esUnloadForm(HWND window);

// A 32-bit value from two 16-bit halves (MAKELONG).
long esMakeLong(long low, long high) noexcept;

// Left not greater than right, top not greater than bottom (swapped where not).
void esNormalizeRect(RECT& rect) noexcept;

// Screen -----------------------------------------------------------------------
// 1440 / the screen's dots per inch, truncated: 15 at 96 dpi, 12 at 120.
long esScreenTwipsPerPixelX();
long esScreenTwipsPerPixelY();
// The primary screen's size in pixels.
long esScreenWidthPx();
long esScreenHeightPx();

// Disks ------------------------------------------------------------------------

// Bytes of the volume holding the path (any existing folder on it: "C:\\",
// "C:\\Windows"); 0 when there is nothing to measure (no medium, not ready, no
// such path, empty path). Never shows a system error box. Both are what the
// caller sees: under a disk quota the total is the quota and free is what it
// leaves, never more than the total.
double esGetDiskSpaceTotal(std::wstring_view path);
double esGetDiskSpaceFree(std::wstring_view path);

// No "insert a disk" box for the calling thread while it lives; the thread's
// previous mode is restored after. Where the system keeps one mode for the
// whole process (before Windows 7), that mode is set and restored instead.
class CriticalErrorsFailed {
public:
    CriticalErrorsFailed() noexcept;
    CriticalErrorsFailed(const CriticalErrorsFailed&) = delete;
    CriticalErrorsFailed& operator=(const CriticalErrorsFailed&) = delete;
    ~CriticalErrorsFailed();

private:
    DWORD previous_ = 0;
};

// Users ------------------------------------------------------------------------

// The account the caller runs as, "DOMAIN\name" (the domain of a local account
// is its machine), which tells users of different domains and machines apart;
// the bare user name when the account cannot be looked up, empty when not even
// that can be had.
std::wstring esGetFullUserName();

// Modules ----------------------------------------------------------------------

// The full path of a module's file; module 0 is the running program's
// executable. Error when the system cannot give it.
std::wstring esGetModuleFileName(HMODULE module);

// Registry ---------------------------------------------------------------------
// String values below a root key (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE...).
// None of them throws: a failure is the default text or False.

// The text of a string value up to its first NUL, or defaultText when the key
// or value is missing or holds no string; found (if given) tells which. With
// expand, a value stored as REG_EXPAND_SZ comes with its environment
// variables replaced by their values (a path to start, for example).
std::wstring esReadStringFromRegistry(HKEY root, std::wstring_view key, std::wstring_view value,
                                      std::wstring_view defaultText, bool* found = nullptr,
                                      bool expand = false);
// Writes a string value (REG_SZ), creating the key. True on success.
bool esWriteStringToRegistry(HKEY root, std::wstring_view key, std::wstring_view value,
                             std::wstring_view text);
// Removes a value. True when it was there and is gone.
bool esDeleteValueFromRegistry(HKEY root, std::wstring_view key, std::wstring_view value);

// Formats, times and paths --------------------------------------------------

// A 16-bit number as four upper-case hexadecimal digits: 0x409 gives "0409".
std::wstring esHex2(std::uint16_t value);
// A 32-bit number as "0x" and eight upper-case hexadecimal digits: "0x00400000".
std::wstring esHexEx4(std::uint32_t value);
// An address as "0x" and two upper-case hexadecimal digits per byte of a
// pointer: esHexEx4 in a 32-bit process, sixteen digits in a 64-bit one.
std::wstring esHexAddress(std::uintptr_t value);

// The date / the time of day in the user's short format (GetDateFormatW /
// GetTimeFormatW with the given flags; locale 0: the user's). Error when the
// record is not a valid time.
std::wstring esFormatDate(const SYSTEMTIME& time, DWORD flags = 0, LCID locale = 0);
std::wstring esFormatTime(const SYSTEMTIME& time, DWORD flags = 0, LCID locale = 0);
// A UTC time as the local time of the current time zone; in and out may be
// one record. Error when the time cannot be converted.
void esSystemTimeToLocalSystemTime(const SYSTEMTIME& in, SYSTEMTIME& out);

// The folder and the file name joined by exactly one backslash; an empty
// folder gives the name alone.
std::wstring esBuildFileName(std::wstring_view folder, std::wstring_view name);
// The long form of a path (GetLongPathNameW, bound by name); the path as given
// where it has none (a missing file, or a system without the function).
std::wstring esGetLongFileName(std::wstring_view path);

} // namespace support
