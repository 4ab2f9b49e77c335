#include <doctest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "support/es.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "test_helpers.h"

using namespace support;
using namespace support_test;

namespace {

std::wstring ReadString(HKEY key, const wchar_t* name)
{
    wchar_t text[MAX_PATH * 2] = {};
    DWORD type = 0, size = sizeof text - sizeof(wchar_t);
    const LONG status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    if (status != ERROR_SUCCESS || type != REG_SZ) return L"<missing>";
    return text;
}

bool RunningOnWine()
{
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

constexpr wchar_t kExpectedHost[] = L"SUPPORT_TESTS_EXPECTED_HOST";
constexpr int kHostAsExpected = 42;

// Runs a copy of this program that Wine presents the given Windows version;
// the copy runs only Es::HostSeenByAChildProcess.
DWORD RunAsHost(const wchar_t* version, const wchar_t* expected)
{
    ::SetEnvironmentVariableW(kExpectedHost, expected);
    const DWORD exitCode = support_test::RunTestCaseInCopy(
        L"support_host_" + std::wstring(version) + L"_" + std::to_wstring(::GetCurrentProcessId()) + L".exe",
        L"Es::HostSeenByAChildProcess", version);
    ::SetEnvironmentVariableW(kExpectedHost, nullptr);
    return exitCode;
}

} // namespace

// Host -------------------------------------------------------------------------

TEST_CASE("Es::HostIsOneFamily")
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    REQUIRE(::GetVersionExW(&version));
    CHECK(esIsHostWinNT() == (version.dwPlatformId == VER_PLATFORM_WIN32_NT));
    CHECK(esIsHostWin9x() == (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS));
    CHECK(esIsHostWinNT() != esIsHostWin9x());
    CHECK_FALSE(esIsInIDE());
}

// Runs in a copy only; see RunAsHost.
TEST_CASE("Es::HostSeenByAChildProcess" * doctest::skip())
{
    wchar_t expected[8] = {};
    REQUIRE(::GetEnvironmentVariableW(kExpectedHost, expected, 8));
    const bool is9x = std::wstring(expected) == L"9x";
    const bool asExpected = esIsHostWin9x() == is9x && esIsHostWinNT() == !is9x;
    ::ExitProcess(asExpected ? kHostAsExpected : kHostAsExpected + 1);
}

TEST_CASE("Es::HostFollowsTheWindowsVersionWineReports")
{
    if (!RunningOnWine()) return;
    CHECK(RunAsHost(L"win98", L"9x") == kHostAsExpected);
    CHECK(RunAsHost(L"nt40", L"nt") == kHostAsExpected);
}

TEST_CASE("Es::RegisterAppPathWritesThePathAndItsFolder")
{
    const std::wstring path = ProgramPath();
    const size_t slash = path.rfind(L'\\');
    REQUIRE(slash != std::wstring::npos);
    const std::wstring keyName =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + path.substr(slash + 1);

    CHECK(esRegisterAppPath());
    CHECK(esRegisterAppPath()); // again: the same values, still a success

    UniqueRegKey key;
    REQUIRE(::RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_QUERY_VALUE, key.put()) ==
            ERROR_SUCCESS);
    CHECK(ReadString(key.get(), nullptr) == path);
    CHECK(ReadString(key.get(), L"Path") == path.substr(0, slash));
    key.reset();
    CHECK(::RegDeleteKeyW(HKEY_CURRENT_USER, keyName.c_str()) == ERROR_SUCCESS);
}

TEST_CASE("Es::ReadStringFromRegistryExpandsAnExpandableValueWhenAsked")
{
    const wchar_t* key = L"Software\\VorlanTests\\Expand";
    UniqueRegKey written;
    REQUIRE(::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, written.put(),
                              nullptr) == ERROR_SUCCESS);
    const std::wstring stored = L"%ES_TEST_TOOLS%\\tool.exe";
    for (const DWORD type : {REG_EXPAND_SZ, REG_SZ})
        REQUIRE(::RegSetValueExW(written.get(), type == REG_SZ ? L"Plain" : L"Expandable", 0, type,
                                 reinterpret_cast<const BYTE*>(stored.c_str()),
                                 static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
    ::SetEnvironmentVariableW(L"ES_TEST_TOOLS", L"C:\\Program Files\\Tools");
    bool found = false;
    CHECK(esReadStringFromRegistry(HKEY_CURRENT_USER, key, L"Expandable", L"", &found, true) ==
          L"C:\\Program Files\\Tools\\tool.exe");
    CHECK(found);
    // Not asked, or a plain string: the text as stored.
    CHECK(esReadStringFromRegistry(HKEY_CURRENT_USER, key, L"Expandable", L"") == stored);
    CHECK(esReadStringFromRegistry(HKEY_CURRENT_USER, key, L"Plain", L"", nullptr, true) == stored);
    ::SetEnvironmentVariableW(L"ES_TEST_TOOLS", nullptr);
    written.reset();
    CHECK(::RegDeleteKeyW(HKEY_CURRENT_USER, key) == ERROR_SUCCESS);
}

// Program ----------------------------------------------------------------------

namespace {

struct OtherThread {
    HANDLE created = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = nullptr;
    HWND found = nullptr;
};

DWORD WINAPI OtherThreadMain(void* parameter)
{
    auto& state = *static_cast<OtherThread*>(parameter);
    try {
        TestWindow window(kProgramWindowClass);
        state.window = window.get();
        state.found = esGetThunderMainHandle();
        ::SetEvent(state.created);
        ::WaitForSingleObject(state.release, 30000);
    } catch (...) {
        ::SetEvent(state.created);
    }
    return 0;
}

} // namespace

TEST_CASE("Es::ThunderMainHandleIsTheProgramWindowOfTheThread")
{
    CHECK(esGetThunderMainHandle() == nullptr);
    {
        TestWindow other;
        CHECK(esGetThunderMainHandle() == nullptr);

        TestWindow program(kProgramWindowClass);
        CHECK(!::IsWindowVisible(program.get()));
        CHECK(esGetThunderMainHandle() == program.get());
    }
    CHECK(esGetThunderMainHandle() == nullptr);
}

TEST_CASE("Es::ThunderMainHandleIgnoresOtherThreads")
{
    OtherThread state;
    UniqueKernelHandle created(state.created), release(state.release);
    UniqueKernelHandle thread(::CreateThread(nullptr, 0, OtherThreadMain, &state, 0, nullptr));
    REQUIRE(thread);
    REQUIRE(::WaitForSingleObject(state.created, 30000) == WAIT_OBJECT_0);
    CHECK(state.window != nullptr);
    CHECK(state.found == state.window);
    CHECK(esGetThunderMainHandle() == nullptr);
    ::SetEvent(state.release);
    CHECK(::WaitForSingleObject(thread.get(), 30000) == WAIT_OBJECT_0);
}

TEST_CASE("Es::ThunderMainTitleIsTheProgramWindowsCaptionOrTheProgramsName")
{
    const std::wstring path = ProgramPath();
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    name.erase(name.find_last_of(L'.'));
    CHECK(esGetThunderMainTitle() == name);
    TestWindow untitled(kProgramWindowClass);
    ::SetWindowTextW(untitled.get(), L"");
    // A library's own program window has no title: it does not count.
    CHECK(esGetThunderMainTitle() == name);
    TestWindow program(kProgramWindowClass);
    ::SetWindowTextW(program.get(), L"Tollever - Vorlan");
    CHECK(esGetThunderMainTitle() == L"Tollever - Vorlan");
}

// Windows ----------------------------------------------------------------------

TEST_CASE("Es::FixUserControlsContainerWindowDoesNothing")
{
    CHECK(esFixUserControlsContainerWindow());
}

namespace {

bool IsLayered(HWND window)
{
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

// The alpha of a layered window, or -1 when it has none.
int LayeredAlpha(HWND window)
{
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!::GetLayeredWindowAttributes(window, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) return -1;
    return alpha;
}

} // namespace

TEST_CASE("Es::SetWindowTransparecnySetsTheAlpha")
{
    TestWindow window;
    ::ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    CHECK_FALSE(IsLayered(window.get()));

    esSetWindowTransparecny(window.get(), 75, true);
    CHECK(IsLayered(window.get()));
    CHECK(LayeredAlpha(window.get()) == 191);

    esSetWindowTransparecny(window.get(), 50, true);
    CHECK(LayeredAlpha(window.get()) == 128);
    esSetWindowTransparecny(window.get(), 1, true);
    CHECK(LayeredAlpha(window.get()) == 3);
    esSetWindowTransparecny(window.get(), 99, true);
    CHECK(LayeredAlpha(window.get()) == 252);

    // Opaque: still layered, alpha 255.
    esSetWindowTransparecny(window.get(), 100, true);
    CHECK(IsLayered(window.get()));
    CHECK(LayeredAlpha(window.get()) == 255);
}

TEST_CASE("Es::SetWindowTransparecnyClampsThePercent")
{
    TestWindow window;
    esSetWindowTransparecny(window.get(), 0, true);
    CHECK(LayeredAlpha(window.get()) == 3);
    esSetWindowTransparecny(window.get(), -40, true);
    CHECK(LayeredAlpha(window.get()) == 3);
    esSetWindowTransparecny(window.get(), 250, true);
    CHECK(LayeredAlpha(window.get()) == 255);
}

TEST_CASE("Es::SetWindowTransparecnyDisabledIsAPlainWindow")
{
    TestWindow window;
    esSetWindowTransparecny(window.get(), 40, false);
    CHECK_FALSE(IsLayered(window.get()));
    esSetWindowTransparecny(window.get(), 40, true);
    CHECK(LayeredAlpha(window.get()) == 102);
    esSetWindowTransparecny(window.get(), 40, false);
    CHECK_FALSE(IsLayered(window.get()));
    CHECK(::IsWindow(window.get()));
}

TEST_CASE("Es::SetWindowTransparecnyOfNoWindowIsAnError")
{
    const long invalidWindow = Win32ErrorNumber(ERROR_INVALID_WINDOW_HANDLE);
    CHECK(ErrorNumberOf([] { esSetWindowTransparecny(nullptr, 50, true); }) == invalidWindow);
    TestWindow window;
    const HWND gone = window.get();
    window.destroy();
    CHECK(ErrorNumberOf([&] { esSetWindowTransparecny(gone, 50, true); }) == invalidWindow);
    CHECK(ErrorNumberOf([&] { esSetWindowTransparecny(gone, 100, false); }) == invalidWindow);
}

// Screen -----------------------------------------------------------------------

TEST_CASE("Es::ScreenTwipsPerPixel")
{
    WindowDC screen(nullptr);
    REQUIRE(screen);
    const int dpiX = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    CHECK(esScreenTwipsPerPixelX() == 1440 / dpiX);
    CHECK(esScreenTwipsPerPixelY() == 1440 / dpiY);
    if (dpiX == 96 && dpiY == 96) {
        CHECK(esScreenTwipsPerPixelX() == 15);
        CHECK(esScreenTwipsPerPixelY() == 15);
    } else {
        MESSAGE("screen at ", dpiX, " x ", dpiY, " dpi");
    }
}

// Disks ------------------------------------------------------------------------

namespace {

// A volume's total and the space its caller may use, as the system measures
// them now; zeros where it measures nothing.
struct SystemDisk {
    double total = 0, available = 0;
};
SystemDisk MeasuredBySystem(const std::wstring& path)
{
    ULARGE_INTEGER available{}, total{};
    if (!::GetDiskFreeSpaceExW(path.c_str(), &available, &total, nullptr)) return {};
    return {static_cast<double>(total.QuadPart), static_cast<double>(available.QuadPart)};
}

// The free space of a volume against the system's figures taken before and
// after it: other programs write the disk meanwhile, so some slack.
void CheckFreeSpace(const SystemDisk& before, double free, const SystemDisk& after)
{
    constexpr double kSlack = 64.0 * 1024 * 1024;
    CAPTURE(free);
    CAPTURE(before.available);
    CAPTURE(after.available);
    CHECK(free >= std::min(before.available, after.available) - kSlack);
    CHECK(free <= std::max(before.available, after.available) + kSlack);
    CHECK(free <= after.total);
}

} // namespace

TEST_CASE("Es::DiskSpaceOfTheSystemDrive")
{
    const SystemDisk before = MeasuredBySystem(L"C:\\");
    const double total = esGetDiskSpaceTotal(L"C:\\");
    const double free = esGetDiskSpaceFree(L"C:\\");
    const SystemDisk after = MeasuredBySystem(L"C:\\");
    REQUIRE(after.total > 0);
    CHECK(total == after.total);
    CheckFreeSpace(before, free, after);

    // Any folder of the volume measures the volume.
    CHECK(esGetDiskSpaceTotal(L"C:\\Windows") == total);
    CHECK(esGetDiskSpaceTotal(L"C:\\Windows\\system32\\") == total);
    CHECK(esGetDiskSpaceFree(L"C:\\Windows") <= total);
}

TEST_CASE("Es::DiskSpaceOfNothingIsZero")
{
    CHECK(esGetDiskSpaceTotal(L"C:\\No Such Folder\\Below") == 0);
    CHECK(esGetDiskSpaceFree(L"C:\\No Such Folder\\Below") == 0);
    CHECK(esGetDiskSpaceTotal(L"") == 0);
    CHECK(esGetDiskSpaceFree(L"") == 0);

    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter >= L'F'; --letter) {
        if (drives & (1u << (letter - L'A'))) continue;
        const std::wstring root = std::wstring(1, letter) + L":\\";
        CAPTURE(letter);
        CHECK(esGetDiskSpaceTotal(root) == 0);
        CHECK(esGetDiskSpaceFree(root) == 0);
        break;
    }
}

TEST_CASE("Es::DiskSpaceOfEveryDrive")
{
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (!(drives & (1u << (letter - L'A')))) continue;
        const std::wstring root = std::wstring(1, letter) + L":\\";
        const UINT type = ::GetDriveTypeW(root.c_str());
        CAPTURE(letter);
        CAPTURE(type);
        const SystemDisk before = MeasuredBySystem(root);
        const double total = esGetDiskSpaceTotal(root);
        const double free = esGetDiskSpaceFree(root);
        const SystemDisk after = MeasuredBySystem(root);
        CHECK(total == after.total);
        CheckFreeSpace(before, free, after);
        if (type == DRIVE_FIXED) CHECK(total > 0);
    }
}

TEST_CASE("Es::DiskSpaceRestoresTheErrorMode")
{
    const UINT before = ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    esGetDiskSpaceTotal(L"C:\\");
    esGetDiskSpaceFree(L"C:\\No Such Folder");
    const UINT during = ::SetErrorMode(before);
    CHECK(during == SEM_NOGPFAULTERRORBOX);
}
