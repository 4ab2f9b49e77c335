// Runs the About box's update check once, as its button does, and writes what
// the box would show to a UTF-16 file: update_check.sh drives it against a
// local server.
//   update_check_client NAME MAJOR MINOR REVISION OUTPUT [TIMEOUT_MS]
// NAME is the internal name whose version file is fetched; "took" is how long
// the check ran, in milliseconds; "memory" the most memory the process had in
// use by then (its peak working set), in megabytes.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>

#include "verrick/about/update_check.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 6 && argc != 7) {
        std::fwprintf(stderr, L"usage: update_check_client NAME MAJOR MINOR REVISION OUTPUT [TIMEOUT_MS]\n");
        return 2;
    }
    const verrick::about::Version local{_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4])};
    const std::wstring url = verrick::about::VersionFileUrl(argv[1]);
    const DWORD timeout =
        argc == 7 ? static_cast<DWORD>(_wtoi(argv[6])) : verrick::about::kUpdateCheckTimeoutMs;
    const DWORD start = ::GetTickCount();
    const verrick::about::UpdateOutcome outcome =
        verrick::about::CheckForUpdate(url, local, verrick::about::DispatchWaitingMessages, timeout);
    const DWORD took = ::GetTickCount() - start;
    PROCESS_MEMORY_COUNTERS memory{sizeof memory};
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory)) return 4;
    const std::wstring text =
        L"\xFEFF"
        L"internal=" +
        verrick::about::GetInternalName() + L"\r\nurl=" + url + L"\r\nsucceeded=" +
        (outcome.Succeeded ? L"1" : L"0") + L"\r\ninfo=" + outcome.Info + L"\r\nsite=" +
        std::to_wstring(outcome.Site.Major) + L"." + std::to_wstring(outcome.Site.Minor) + L"." +
        std::to_wstring(outcome.Site.Revision) + L"\r\nresult=" + outcome.Result + L"\r\ntook=" +
        std::to_wstring(took) + L"\r\nmemory=" + std::to_wstring(memory.PeakWorkingSetSize >> 20) + L"\r\n";
    FILE* file = _wfopen(argv[5], L"wb");
    if (!file) return 3;
    std::fwrite(text.data(), sizeof(wchar_t), text.size(), file);
    std::fclose(file);
    return 0;
}
