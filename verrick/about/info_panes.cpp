// The About box's System Info and Process Times tabs, and the system
// information tool.
#include <windows.h>

#include <shellapi.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "support/as.h"
#include "support/es.h"
#include "support/runtime_error.h"
#include "verrick/about/info_panes.h"

namespace verrick::about {
namespace {

constexpr wchar_t kError[] = L"*Error*";
// A library's title is its project's name, which is the type library's.
constexpr wchar_t kLibraryTitle[] = L"Velmora";
constexpr wchar_t kSystemInfoMissing[] = L"Информация о системе почему-то не доступна.";

// Zero-padded to the given number of digits.
std::wstring Digits(std::int64_t value, std::size_t width)
{
    std::wstring text = std::to_wstring(value);
    return std::wstring(width > text.size() ? width - text.size() : 0, L'0') + text;
}

FILETIME Now()
{
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    FILETIME time{};
    ::SystemTimeToFileTime(&now, &time);
    return time;
}

} // namespace

SystemInfoTexts ReadSystemInfo()
{
    SystemInfoTexts texts;
    texts.OsName = support::asGetHostOSFullName(true, true);
    support::MemoryStatus memory;
    support::asGlobalMemoryStatus(memory);
    texts.FreePhysical = support::asFormatByteSizeEx(memory.AvailPhys) + L" (" +
                         std::to_wstring(100 - memory.MemoryLoad) + L"%)";
    texts.PageFileUsage = support::asFormatByteSizeEx(memory.TotalPageFile - memory.AvailPageFile);
    texts.ReservedVirtual = support::asFormatByteSizeEx(memory.TotalVirtual - memory.AvailVirtual);
    return texts;
}

std::optional<std::array<std::wstring, 5>> ReadProcessTimes()
{
    if (!support::esIsHostWinNT()) return std::nullopt;
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user)) return std::nullopt;
    return std::array<std::wstring, 5>{FormatFileTimeLocal(creation), FormatElapsedTime(exit, creation),
                                       FormatFileTimeDuration(kernel), FormatFileTimeDuration(user),
                                       FormatCpuTotal(kernel, user)};
}

std::wstring FormatDuration(double units)
{
    // Whole milliseconds, halves to the even neighbour (the default rounding
    // mode); past 2^53 ms a double holds no exact millisecond count.
    const double rounded = std::nearbyint(units / 10000.0);
    if (!std::isfinite(rounded) || std::fabs(rounded) > 9007199254740992.0) return kError;
    std::int64_t ms = static_cast<std::int64_t>(rounded);
    std::wstring sign;
    if (ms < 0) {
        sign = L"-"; // a clock set back while the process ran
        ms = -ms;
    }
    const std::int64_t hours = ms / 3600000;
    ms -= hours * 3600000;
    const std::int64_t minutes = ms / 60000;
    ms -= minutes * 60000;
    const std::int64_t seconds = ms / 1000;
    ms -= seconds * 1000;
    // Three digits of milliseconds: 45 ms is ".045", never ".45", which reads as 450 ms.
    return sign + std::to_wstring(hours) + L":" + Digits(minutes, 2) + L":" + Digits(seconds, 2) + L"." +
           Digits(ms, 3);
}

std::wstring FormatFileTimeLocal(const FILETIME& time)
{
    if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) return L"N/A";
    try {
        SYSTEMTIME st{};
        if (!::FileTimeToSystemTime(&time, &st)) return kError;
        support::esSystemTimeToLocalSystemTime(st, st);
        return support::esFormatDate(st, 0, 0) + L" " + support::esFormatTime(st, 0, 0);
    } catch (const std::exception&) {
        return kError;
    }
}

std::wstring FormatFileTimeDuration(const FILETIME& time)
{
    return FormatDuration(support::asLargeIntegerToDouble(time));
}

std::wstring FormatElapsedTime(const FILETIME& exit, const FILETIME& creation)
{
    const FILETIME end = exit.dwLowDateTime == 0 && exit.dwHighDateTime == 0 ? Now() : exit;
    return FormatDuration(support::asLargeIntegerToDouble(end) - support::asLargeIntegerToDouble(creation));
}

std::wstring FormatCpuTotal(const FILETIME& kernel, const FILETIME& user)
{
    return FormatDuration(support::asLargeIntegerToDouble(kernel) + support::asLargeIntegerToDouble(user));
}

void ShowSystemInfo(HWND owner)
{
    bool found = false;
    std::wstring path = support::esReadStringFromRegistry(
        HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", L"", &found, true);
    if (!found) {
        const std::wstring folder = support::esReadStringFromRegistry(
            HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", L"", &found, true);
        path = found ? support::esBuildFileName(folder, L"MSINFO32.EXE") : std::wstring();
    }
    if (!path.empty()) {
        wchar_t directory[MAX_PATH] = {};
        const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, directory);
        const auto result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr,
                            length > 0 && length < MAX_PATH ? directory : nullptr, SW_SHOWDEFAULT));
        if (result > 32) return;
    }
    ::MessageBoxW(owner, kSystemInfoMissing, kLibraryTitle, MB_ICONEXCLAMATION);
}

} // namespace verrick::about
