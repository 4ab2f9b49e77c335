// The main window refreshed many times in a row while a drive comes and goes
// every 50 refreshes: what the process holds at the end (GDI and USER objects,
// kernel handles, threads, private bytes) against what it held after the
// first 100 refreshes, and whether the refresh after each change showed it.
//   refresh_soak [refreshes]   10000 by default, rounded up to a multiple of
//                              100 so that the run ends as it was measured:
//                              without the drive
// Exits 1 on a count beyond its allowance or a change the rows missed, 2 when
// the drive cannot be made, 77 outside a Wine prefix.

#include <windows.h>
#include <dbt.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "handle_counts.h"
#include "mount_manager.h"
#include "toolkit/application.h"
#include "vorlan/frmMain.h"
#include "windows_path.h"

namespace vorlan {

struct frmMainTestAccess {
    frmMain& form;
    void Options(std::vector<std::wstring> paths)
    {
        form.ShowSummary = true;
        form.PercentMode = 3;
        form.ShowAdditionalPaths = true;
        form.AdditionalPaths = std::move(paths);
    }
};

} // namespace vorlan

namespace {

constexpr wchar_t kLetter = L'S';
constexpr int kChangeEvery = 50;
constexpr int kSettled = 100;
// How long a refresh waits for the drives' answers (Vorlan's frmMain.cpp): a
// refresh that took as long may lack a drive that answers later, and a later
// refresh shows it.
constexpr double kAnswerDeadline = 400;

// What the process holds. Where Wine answers 0 for a count, it is taken
// another way: GDI objects and kernel handles are probed in their tables,
// USER objects are the process's windows and icons (with cursors), the USER
// objects a refresh makes, and private bytes are the commit charge that
// Wine reports in the older field of the same meaning.
struct Holdings {
    long long gdi = 0, user = 0, handles = 0, threads = 0, privateBytes = 0;
};

int CountIcons()
{
    int count = 0;
    for (UINT_PTR handle = 1; handle <= 0xFFFF; ++handle) {
        ICONINFO info{};
        if (!::GetIconInfo(reinterpret_cast<HICON>(handle), &info)) continue;
        ++count;
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
    }
    return count;
}

int CountThreads()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    ::CloseHandle(snapshot);
    return count;
}

// The quick counts first: the table probes take seconds, in which idle
// worker threads may end and take their memory with them.
Holdings Measure()
{
    Holdings now;
    HANDLE self = ::GetCurrentProcess();
    now.threads = CountThreads();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        now.privateBytes =
            static_cast<long long>(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
    DWORD handles = 0;
    now.handles = ::GetProcessHandleCount(self, &handles) && handles ? handles : CountKernelHandles();
    now.gdi = ::GetGuiResources(self, GR_GDIOBJECTS);
    if (now.gdi == 0) now.gdi = CountGdiObjects();
    now.user = ::GetGuiResources(self, GR_USEROBJECTS);
    if (now.user == 0) now.user = CountWindows() + CountIcons();
    return now;
}

// The soak's drive, over a folder of the prefix, taken away again at the end.
// It is made through Wine's mount manager (mount_manager.h): the drive list
// that every refresh reads (GetLogicalDriveStrings) shows it from then on, as
// it shows a drive that Wine's own settings add. The manager announces the
// volume on the services' desktop only, so the soak hands the window the
// notice the system sends applications (WM_DEVICECHANGE), which starts
// Vorlan's own refresh a moment later.
class SoakDrive {
public:
    // A drive left at the letter by a run that ended early goes first.
    explicit SoakDrive(std::string folder) : folder_(std::move(folder)) { Define(false); }
    SoakDrive(const SoakDrive&) = delete;
    SoakDrive& operator=(const SoakDrive&) = delete;
    ~SoakDrive() { Define(false); }

    // Adds the drive where it is missing, removes it where it is there, and
    // tells the window; false when the mount manager refused.
    bool Toggle(HWND window)
    {
        if (!Define(!present_)) return false;
        present_ = !present_;
        Announce(window, present_ ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE);
        return true;
    }
    bool Present() const { return present_; }

private:
    bool Define(bool present)
    {
        return present ? vorlan_test::DefineUnixDrive(kLetter, DRIVE_FIXED, folder_)
                       : vorlan_test::DefineUnixDrive(kLetter, DRIVE_NO_ROOT_DIR, {});
    }
    static void Announce(HWND window, WPARAM event)
    {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << (kLetter - L'A');
        ::SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
    }

    std::string folder_;
    bool present_ = false;
};

// True when a shown row of the window is the soak's drive.
bool RowsShowDrive(vorlan::frmMain& form)
{
    const std::wstring name = std::wstring(L" Диск ") + kLetter + L":";
    for (auto& [index, label] : form.lblDiskInfo)
        if (label->Visible() && label->Caption().compare(0, name.size(), name) == 0) return true;
    return false;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        toolkit::Application::Dispatch(message);
}

// One line of the table; false when the end is beyond the first figure by
// more than the allowance (a share of it, and never less than a few).
bool Compare(const char* what, long long settled, long long end, double share, long long least)
{
    const long long allowed = std::max(least, static_cast<long long>(settled * share));
    const bool held = end <= settled + allowed;
    std::printf("%-16s %12lld %12lld %7.3f %+10lld %s\n", what, settled, end,
                settled ? double(end) / double(settled) : 0.0, allowed, held ? "" : "LEAK");
    return held;
}

} // namespace

int main(int argc, char** argv)
{
    int refreshes = argc > 1 ? std::atoi(argv[1]) : 10000;
    refreshes = std::max(2 * kSettled, (refreshes + kSettled - 1) / kSettled * kSettled);
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix) {
        std::printf(
            "refresh_soak: skipped: the drive is made through Wine's mount manager (no WINEPREFIX)\n");
        return 77;
    }
    const std::string folder = std::string(prefix) + "/drives/s";
    ::CreateDirectoryW(test_paths::WindowsPath(folder.c_str()).c_str(), nullptr);
    SoakDrive drive(folder);

    // A title of its own: the soak never reads or writes Vorlan's stored options.
    vorlan::AppDescriptor app = vorlan::AppDescriptor::ForThisProgram();
    app.Title = L"Tollever - Vorlan Soak";
    vorlan::frmMain form(app);
    form.Show();
    // Every kind of row, and the most drawing a bar does.
    vorlan::frmMainTestAccess{form}.Options({L"C:\\windows"});

    // Once before the figures count: what the probes themselves keep (their
    // caches in the system) is then there at both figures.
    Measure();
    Holdings settled;
    int changes = 0, late = 0, missed = 0;
    // Refreshes since the last change whose rows did not show it yet.
    int waiting = 0;
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    for (int refresh = 1; refresh <= refreshes; ++refresh) {
        if (refresh % kChangeEvery == 0) {
            if (waiting) {
                ++missed;
                std::printf("refresh %d: drive %lc: %s %d refreshes ago, and the rows never showed it\n",
                            refresh, kLetter, drive.Present() ? "arrived" : "left", waiting);
            }
            ++changes;
            if (!drive.Toggle(form.hWnd())) {
                std::printf("refresh_soak: the mount manager refused drive %lc: at refresh %d (error %lu)\n",
                            kLetter, refresh, ::GetLastError());
                return 2;
            }
            waiting = 0;
        }
        LARGE_INTEGER before, after;
        ::QueryPerformanceCounter(&before);
        form.RefreshBars();
        ::QueryPerformanceCounter(&after);
        PumpMessages();
        if (refresh % kChangeEvery == 0 || waiting) {
            if (RowsShowDrive(form) == drive.Present()) {
                waiting = 0;
            } else if (refresh % kChangeEvery == 0 && Seconds(before, after) * 1000 < kAnswerDeadline) {
                ++missed;
                std::printf("refresh %d: drive %lc: %s, but the refresh after it (%.0f ms) %s it\n", refresh,
                            kLetter, drive.Present() ? "arrived" : "left", Seconds(before, after) * 1000,
                            drive.Present() ? "lacks" : "shows");
            } else {
                // The drive did not answer within the deadline: a later refresh must take its answer.
                late += waiting == 0;
                ++waiting;
            }
        }
        if (refresh == kSettled) settled = Measure();
    }
    if (waiting) {
        ++missed;
        std::printf("drive %lc: the run ended before the rows showed its last change\n", kLetter);
    }
    ::QueryPerformanceCounter(&end);
    const Holdings last = Measure();

    const double seconds = Seconds(start, end);
    std::printf(
        "%d refreshes in %.1f s (%.2f ms each); drive %lc: came or went %d times, %d late, %d missed\n",
        refreshes, seconds, seconds * 1000 / refreshes, kLetter, changes, late, missed);
    std::printf("%-16s %12s %12s %7s %10s\n", "", "after 100", "end", "ratio", "allowed");
    // Allowances: what comes and goes whatever the refreshes leave behind,
    // no more. A refresh asks four questions here (C:, E:, S: and the path);
    // one may come before the worker that answered the last one is idle
    // again, and so start another (idle workers end only after a while).
    // Memory: the heap's own growth.
    bool held = Compare("GDI objects", settled.gdi, last.gdi, 0, 2);
    held &= Compare("USER objects", settled.user, last.user, 0, 2);
    held &= Compare("handles", settled.handles, last.handles, 0, 8);
    held &= Compare("threads", settled.threads, last.threads, 0, 4);
    held &= Compare("private bytes", settled.privateBytes, last.privateBytes, 0.10, 2 << 20);
    // Ends without unloading: nothing is saved.
    return held && missed == 0 ? 0 : 1;
}
