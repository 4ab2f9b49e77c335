#include "support/es.h"

#include <algorithm>
#include <cwchar>

#include <shellapi.h>
#include <string>

#include "support/handles.h"
#include "support/runtime_error.h"

namespace support {
namespace {

// Host -------------------------------------------------------------------------

DWORD PlatformId()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version)) RaiseLastWin32(L"GetVersionExW");
    return version.dwPlatformId;
}

std::wstring ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2); // cut short: try a longer buffer
    }
}

bool SetStringValue(HKEY key, const wchar_t* name, const std::wstring& text)
{
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Program ----------------------------------------------------------------------

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM found)
{
    wchar_t className[64];
    if (::GetClassNameW(window, className, 64) > 0 && ::_wcsicmp(className, kProgramWindowClass) == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Windows ----------------------------------------------------------------------

using SetLayeredWindowAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Bound by name: user32 has it from Windows 2000 on.
SetLayeredWindowAttributesProc SetLayeredWindowAttributesFunction()
{
    static const auto function =
        reinterpret_cast<SetLayeredWindowAttributesProc>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
    return function;
}

void SetExtendedStyle(HWND window, LONG style)
{
    ::SetLastError(ERROR_SUCCESS);
    if (!::SetWindowLongW(window, GWL_EXSTYLE, style) && ::GetLastError() != ERROR_SUCCESS)
        RaiseLastWin32(L"SetWindowLongW");
}

// Bound by name: user32 has the monitor functions from Windows 98 and 2000 on.
RECT WorkAreaOf(HWND window)
{
    using MonitorFromWindowProc = HMONITOR(WINAPI*)(HWND, DWORD);
    using GetMonitorInfoProc = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    static const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    static const auto monitorFromWindow = reinterpret_cast<MonitorFromWindowProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "MonitorFromWindow")));
    static const auto getMonitorInfo = reinterpret_cast<GetMonitorInfoProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetMonitorInfoW")));
    if (monitorFromWindow && getMonitorInfo) {
        MONITORINFO info{sizeof info};
        HMONITOR monitor = monitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor && getMonitorInfo(monitor, &info)) return info.rcWork;
    }
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Screen -----------------------------------------------------------------------

long ScreenTwipsPerPixel(int axis)
{
    WindowDC screen(nullptr);
    if (!screen) RaiseLastWin32(L"GetDC");
    const int dotsPerInch = ::GetDeviceCaps(screen.get(), axis);
    if (dotsPerInch <= 0) Raise(err::DivisionByZero, {}, L"GetDeviceCaps");
    return 1440 / dotsPerInch;
}

// Disks ------------------------------------------------------------------------

struct DiskSpace {
    double total = 0;
    double free = 0;
};

DiskSpace MeasureDisk(std::wstring_view path)
{
    if (path.empty()) return {};
    const std::wstring folder(path);
    ULARGE_INTEGER availableBytes{}, totalBytes{};
    BOOL measured;
    {
        CriticalErrorsFailed noErrorBox;
        measured = ::GetDiskFreeSpaceExW(folder.c_str(), &availableBytes, &totalBytes, nullptr);
    }
    if (!measured) return {};
    // Both figures as the caller sees the volume: under a disk quota the total is
    // the quota, and only what it leaves is free. The volume's own free space
    // can exceed that total.
    const double total = static_cast<double>(totalBytes.QuadPart);
    return {total, std::min(static_cast<double>(availableBytes.QuadPart), total)};
}

} // namespace

namespace {

// Drives are measured on several threads at once: each sets its own mode where it can.
using SetThreadErrorModeFunction = BOOL(WINAPI*)(DWORD, DWORD*);

SetThreadErrorModeFunction ThreadErrorMode()
{
    static const auto function = reinterpret_cast<SetThreadErrorModeFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetThreadErrorMode")));
    return function;
}

} // namespace

CriticalErrorsFailed::CriticalErrorsFailed() noexcept
{
    if (auto setMode = ThreadErrorMode()) {
        setMode(SEM_FAILCRITICALERRORS, &previous_);
        setMode(previous_ | SEM_FAILCRITICALERRORS, nullptr);
        return;
    }
    previous_ = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ::SetErrorMode(previous_ | SEM_FAILCRITICALERRORS);
}

CriticalErrorsFailed::~CriticalErrorsFailed()
{
    if (auto setMode = ThreadErrorMode())
        setMode(previous_, nullptr);
    else
        ::SetErrorMode(previous_);
}

// Host -------------------------------------------------------------------------

bool esIsHostWinNT()
{
    return PlatformId() == VER_PLATFORM_WIN32_NT;
}

bool esIsHostWin9x()
{
    return PlatformId() == VER_PLATFORM_WIN32_WINDOWS;
}

bool esIsInIDE()
{
    return false;
}

bool esRegisterAppPath()
{
    try {
        const std::wstring path = ProgramPath();
        const size_t slash = path.find_last_of(L"\\/");
        if (slash == std::wstring::npos || slash + 1 == path.size()) return false;
        std::wstring folder = path.substr(0, slash);
        if (folder.size() == 2 && folder[1] == L':') folder += L'\\'; // a program at a drive's root

        const std::wstring keyName =
            L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + path.substr(slash + 1);
        UniqueRegKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
            return false;
        return SetStringValue(key.get(), nullptr, path) && SetStringValue(key.get(), L"Path", folder);
    } catch (...) {
        return false;
    }
}

// Program ----------------------------------------------------------------------

HWND esGetThunderMainHandle()
{
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindProgramWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

namespace {

// The first program window of the thread with a caption gives its title.
BOOL CALLBACK FindTitledProgramWindow(HWND window, LPARAM found)
{
    wchar_t className[64] = {};
    if (!::GetClassNameW(window, className, 64) || wcscmp(className, kProgramWindowClass) != 0) return TRUE;
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return TRUE;
    auto& text = *reinterpret_cast<std::wstring*>(found);
    text.resize(static_cast<size_t>(length) + 1);
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text.empty();
}

} // namespace

std::wstring esGetThunderMainTitle()
{
    // A library's own forms make a program window with an empty caption: the client's is the one with a
    // title.
    std::wstring title;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindTitledProgramWindow, reinterpret_cast<LPARAM>(&title));
    if (!title.empty()) return title;
    std::wstring path = ProgramPath();
    path.erase(0, path.find_last_of(L"\\/") + 1);
    if (const size_t dot = path.find_last_of(L'.'); dot != std::wstring::npos) path.erase(dot);
    return path;
}

bool esOpenReadMeFile(HWND owner)
{
    try {
        const std::wstring path = ProgramPath();
        const size_t slash = path.find_last_of(L"\\/");
        if (slash == std::wstring::npos) return false;
        const std::wstring readMe = path.substr(0, slash + 1) + L"ReadMe.txt";
        const DWORD attributes = ::GetFileAttributesW(readMe.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        const std::wstring folder = path.substr(0, slash);
        auto result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteW(owner, L"open", readMe.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
        // Text files have no program of their own on this system: every system has Notepad.
        if (result == SE_ERR_NOASSOC) {
            const std::wstring argument = L"\"" + readMe + L"\"";
            result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
                owner, L"open", L"notepad.exe", argument.c_str(), folder.c_str(), SW_SHOWNORMAL));
        }
        return result > 32;
    } catch (...) {
        return false;
    }
}

// Windows ----------------------------------------------------------------------

bool esFixUserControlsContainerWindow()
{
    return true;
}

bool esCenterFormEx(HWND window, HWND relativeTo)
{
    RECT place{};
    if (!::IsWindow(window) || !::GetWindowRect(window, &place))
        RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, L"esCenterFormEx");
    const HWND anchor = relativeTo && ::IsWindow(relativeTo) ? relativeTo : window;
    const RECT area = WorkAreaOf(anchor);
    RECT over = area;
    if (anchor != window) ::GetWindowRect(anchor, &over);
    const LONG width = place.right - place.left, height = place.bottom - place.top;
    LONG x = over.left + (over.right - over.left - width) / 2;
    LONG y = over.top + (over.bottom - over.top - height) / 2;
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    return ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

void esSetWindowTransparecny(HWND window, long percent, bool enable)
{
    if (!::IsWindow(window)) RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, L"esSetWindowTransparecny");
    const auto setLayeredWindowAttributes = SetLayeredWindowAttributesFunction();
    if (!setLayeredWindowAttributes) return;

    const LONG style = ::GetWindowLongW(window, GWL_EXSTYLE);
    if (!enable) {
        if (style & WS_EX_LAYERED) {
            SetExtendedStyle(window, style & ~WS_EX_LAYERED);
            ::RedrawWindow(window, nullptr, nullptr,
                           RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        return;
    }
    const long opacity = std::clamp(percent, 1L, 100L);
    const BYTE alpha = static_cast<BYTE>((opacity * 255 + 50) / 100);
    if (!(style & WS_EX_LAYERED)) SetExtendedStyle(window, style | WS_EX_LAYERED);
    if (!setLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA))
        RaiseLastWin32(L"SetLayeredWindowAttributes");
}

void esTextBox_SelectAll(HWND textBox)
{
    if (!::IsWindow(textBox)) RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, L"esTextBox_SelectAll");
    ::SendMessageW(textBox, EM_SETSEL, 0, -1);
}

// Screen -----------------------------------------------------------------------

long esScreenTwipsPerPixelX()
{
    return ScreenTwipsPerPixel(LOGPIXELSX);
}

long esScreenTwipsPerPixelY()
{
    return ScreenTwipsPerPixel(LOGPIXELSY);
}

long esScreenWidthPx()
{
    return ::GetSystemMetrics(SM_CXSCREEN);
}

long esScreenHeightPx()
{
    return ::GetSystemMetrics(SM_CYSCREEN);
}

// Disks ------------------------------------------------------------------------

double esGetDiskSpaceTotal(std::wstring_view path)
{
    return MeasureDisk(path).total;
}

double esGetDiskSpaceFree(std::wstring_view path)
{
    return MeasureDisk(path).free;
}

} // namespace support
