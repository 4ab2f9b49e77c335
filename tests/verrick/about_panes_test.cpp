#include <doctest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/as.h"
#include "support/es.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "support/test_helpers.h"
#include "verrick/about/info_panes.h"
#include "verrick/about/update_check.h"

using namespace verrick::about;
using support_test::ErrorNumberOf;
using support_test::ProgramPath;

namespace {

FILETIME Units(unsigned long long units)
{
    return {static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
}

std::wstring FileNameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return ::lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// A snapshot with the entries a test gives it.
class FixedSnapshot final : public ModuleSnapshot {
public:
    explicit FixedSnapshot(std::vector<CModuleEntry> entries) { Entries = std::move(entries); }
};

CModuleEntry Entry(std::wstring name, std::uintptr_t base, std::uintptr_t size, std::uintptr_t preferred)
{
    CModuleEntry entry;
    entry.Name = name;
    entry.FileName = L"C:\\Modules\\" + name;
    entry.BaseAddress = base;
    entry.BaseSize = size;
    entry.PrefferedAddress = preferred;
    return entry;
}

const std::size_t kHexWidth = support::esHexAddress(0).size();

// The preferred address this program's image headers give.
std::uintptr_t ProgramImageBase()
{
    const auto* bytes = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes + dos->e_lfanew)->OptionalHeader.ImageBase;
}

void CheckMainExecutableFirst(const ModuleSnapshot& snapshot)
{
    REQUIRE(snapshot.ModulesCount() > 2);
    const CModuleEntry& first = snapshot.ModuleItem(0);
    CHECK(SameText(first.FileName, ProgramPath()));
    CHECK(SameText(first.Name, FileNameOf(ProgramPath())));
    CHECK(first.BaseAddress == reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(nullptr)));
    CHECK(first.PrefferedAddress == ProgramImageBase());
    CHECK(first.BaseSize > 0);
    CHECK(ErrorNumberOf([&] { snapshot.ModuleItem(-1); }) == support::err::SubscriptOutOfRange);
    CHECK(ErrorNumberOf([&] { snapshot.ModuleItem(snapshot.ModulesCount()); }) ==
          support::err::SubscriptOutOfRange);
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Reads and closes the first message box of a thread, from another thread.
struct MessageBoxWatch {
    DWORD thread = 0;
    std::atomic<bool> done{false};
    std::wstring text, title;
    bool exclamation = false;
};

DWORD WINAPI WatchForMessageBox(void* context)
{
    auto& watch = *static_cast<MessageBoxWatch*>(context);
    for (int attempt = 0; attempt < 200 && !watch.done; ++attempt) {
        ::Sleep(50);
        HWND box = nullptr;
        ::EnumThreadWindows(watch.thread, FindMessageBox, reinterpret_cast<LPARAM>(&box));
        if (!box) continue;
        wchar_t buffer[256] = {};
        ::GetDlgItemTextW(box, 0xFFFF, buffer, 256);
        watch.text = buffer;
        ::GetWindowTextW(box, buffer, 256);
        watch.title = buffer;
        const HICON expected = ::LoadIconW(nullptr, IDI_EXCLAMATION);
        for (int id : {0x14, 0x440}) // the icon's control: Windows' and Wine's
            if (HWND icon = ::GetDlgItem(box, id))
                watch.exclamation =
                    watch.exclamation ||
                    reinterpret_cast<HICON>(::SendMessageW(icon, STM_GETICON, 0, 0)) == expected;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        break;
    }
    return 0;
}

LUID DebugPrivilege()
{
    LUID luid{};
    REQUIRE(::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &luid));
    return luid;
}

void SetDebugPrivilege(bool on)
{
    support::UniqueKernelHandle token;
    REQUIRE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()));
    TOKEN_PRIVILEGES privileges{1, {{DebugPrivilege(), on ? static_cast<DWORD>(SE_PRIVILEGE_ENABLED) : 0}}};
    REQUIRE(::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr));
}

// Whether the process's token lists the debug privilege as enabled.
bool DebugPrivilegeOn()
{
    support::UniqueKernelHandle token;
    REQUIRE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()));
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> bytes(size);
    REQUIRE(::GetTokenInformation(token.get(), TokenPrivileges, bytes.data(), size, &size));
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(bytes.data());
    const LUID debug = DebugPrivilege();
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == debug.LowPart && entry.Luid.HighPart == debug.HighPart)
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}

} // namespace

// Durations -----------------------------------------------------------------------

TEST_CASE("ProcessTimes::FormatDuration")
{
    CHECK(FormatDuration(0) == L"0:00:00.000");
    CHECK(FormatDuration(599999999) == L"0:01:00.000");
    CHECK(FormatDuration(37230450000.0) == L"1:02:03.045");
    CHECK(FormatDuration(36e12) == L"1000:00:00.000");
    // Always three digits of milliseconds; halves go to the even millisecond.
    CHECK(FormatDuration(50000) == L"0:00:00.005");
    CHECK(FormatDuration(900000) == L"0:00:00.090");
    CHECK(FormatDuration(9990000) == L"0:00:00.999");
    CHECK(FormatDuration(5000) == L"0:00:00.000");
    CHECK(FormatDuration(15000) == L"0:00:00.002");
    CHECK(FormatDuration(25000) == L"0:00:00.002");
    CHECK(FormatDuration(-10000000) == L"-0:00:01.000");
    CHECK(FormatDuration(std::nan("")) == L"*Error*");
    CHECK(FormatDuration(HUGE_VAL) == L"*Error*");
}

TEST_CASE("ProcessTimes::FileTimes")
{
    CHECK(FormatFileTimeLocal(FILETIME{0, 0}) == L"N/A");
    FILETIME now{}, localNow{};
    ::GetSystemTimeAsFileTime(&now);
    // The runner sets a zone away from UTC (TZ), so that local time shows.
    TIME_ZONE_INFORMATION zone{};
    REQUIRE(::GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID);
    REQUIRE(zone.Bias != 0);
    SYSTEMTIME local{};
    REQUIRE(::FileTimeToLocalFileTime(&now, &localNow));
    REQUIRE(::FileTimeToSystemTime(&localNow, &local));
    wchar_t date[64] = {}, clock[64] = {};
    REQUIRE(::GetDateFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, date, 64) > 0);
    REQUIRE(::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, clock, 64) > 0);
    CHECK(FormatFileTimeLocal(now) == std::wstring(date) + L" " + clock);

    CHECK(FormatFileTimeDuration(Units(37230450000ull)) == L"1:02:03.045");
    CHECK(FormatCpuTotal(Units(30000000000ull), Units(7230450000ull)) == L"1:02:03.045");
    CHECK(FormatElapsedTime(Units(37230450000ull + 5), Units(5)) == L"1:02:03.045");
    // A running process (exit time 0): up to now, read in whole milliseconds,
    // so the start lies half a second beyond the hour.
    FILETIME oneHourAgo = Units(
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime) - 36005000000ull);
    CHECK(FormatElapsedTime(FILETIME{0, 0}, oneHourAgo).rfind(L"1:00:0", 0) == 0);
}

TEST_CASE("ProcessTimes::ReadForThisProcess")
{
    const auto times = ReadProcessTimes();
    REQUIRE(times.has_value());
    CHECK((*times)[0] != L"N/A");
    CHECK((*times)[0] != L"*Error*");
    for (const std::wstring& time : *times)
        CHECK(time.find(L':') != std::wstring::npos);
}

// System information ------------------------------------------------------------

TEST_CASE("SystemInfo::Texts")
{
    const SystemInfoTexts texts = ReadSystemInfo();
    CHECK(texts.OsName.rfind(L"Windows ", 0) == 0);
    // The free memory ends in its share in parentheses: " (NN%)".
    const std::size_t open = texts.FreePhysical.rfind(L" (");
    REQUIRE(open != std::wstring::npos);
    CHECK(texts.FreePhysical.back() == L')');
    CHECK(texts.FreePhysical[texts.FreePhysical.size() - 2] == L'%');
    const int percent = std::stoi(texts.FreePhysical.substr(open + 2));
    MEMORYSTATUSEX memory{sizeof memory};
    REQUIRE(::GlobalMemoryStatusEx(&memory));
    CHECK(std::abs(percent - (100 - static_cast<int>(memory.dwMemoryLoad))) <= 5);
    CHECK(texts.FreePhysical.substr(0, open).find(L"B") != std::wstring::npos);
    CHECK_FALSE(texts.PageFileUsage.empty());
    CHECK_FALSE(texts.ReservedVirtual.empty());
}

// Module lines ---------------------------------------------------------------------

TEST_CASE("Modules::LineColumns")
{
    const CModuleEntry moved = Entry(L"lib.dll", 0x10000000, 4096, 0x20000000);
    const std::wstring hexBase = support::esHexAddress(0x10000000);
    CHECK(moved.toString(10) == L"lib.dll     " + hexBase + L"  (" + support::esHexAddress(0x20000000) +
                                    L")  4096           C:\\Modules\\lib.dll");

    // Loaded where it asked to be: blanks as wide as the parenthesised address.
    const CModuleEntry inPlace = Entry(L"lib.dll", 0x10000000, 4096, 0x10000000);
    const std::wstring line = inPlace.toString(7);
    CHECK(line == L"lib.dll  " + hexBase + L"  " + std::wstring(kHexWidth + 4, L' ') +
                      L"4096           C:\\Modules\\lib.dll");
    CHECK(kHexWidth + 4 == (sizeof(void*) == 4 ? 14u : 22u));
    CHECK(line.size() == moved.toString(7).size());

    // NameSize 0, or shorter than the name: the name as it is.
    CHECK(inPlace.toString(0).rfind(L"lib.dll  0x", 0) == 0);
    CHECK(inPlace.toString(3).rfind(L"lib.dll  0x", 0) == 0);
    // A size wider than its 13 columns is not cut (no 32-bit size is that wide).
    if constexpr (sizeof(std::uintptr_t) == 8) {
        const CModuleEntry huge = Entry(L"a", 0, static_cast<std::uintptr_t>(12345678901234ull), 0);
        CHECK(huge.toString(1).find(L"12345678901234  C:\\") != std::wstring::npos);
    }
}

TEST_CASE("Modules::ListingPadsToTheLongestName")
{
    ModuleListing listing = ListModules(std::make_unique<FixedSnapshot>(std::vector<CModuleEntry>{
        Entry(L"a.exe", 0x400000, 8192, 0x400000), Entry(L"longer_name.dll", 0x10000000, 65536, 0x11000000),
        Entry(L"mid.dll", 0x20000000, 1, 0x20000000)}));
    REQUIRE(listing.Lines.size() == 3);
    REQUIRE(listing.Source);
    for (long i = 0; i < 3; ++i) {
        CHECK(listing.Lines[static_cast<std::size_t>(i)] == listing.Source->ModuleItem(i).toString(15));
        CHECK(listing.Lines[static_cast<std::size_t>(i)].find(L"  0x") == 15);
    }
    CHECK(listing.LongestLine ==
          std::max({listing.Lines[0].size(), listing.Lines[1].size(), listing.Lines[2].size()}));
    CHECK(listing.LongestLine == listing.Lines[1].size());

    const ModuleListing empty = ListModules(std::make_unique<FixedSnapshot>(std::vector<CModuleEntry>{}));
    CHECK(empty.Lines.empty());
    CHECK(empty.LongestLine == 0);
}

// Module sources ---------------------------------------------------------------------

TEST_CASE("Modules::BothSourcesStartWithTheProgram")
{
    const CPSAPIInfo psapi;
    CheckMainExecutableFirst(psapi);
    const CToolHelpInfo toolHelp;
    CheckMainExecutableFirst(toolHelp);
    // PSAPI.DLL itself is loaded only while the first list is taken.
    CHECK(toolHelp.ModulesCount() >= psapi.ModulesCount() - 1);
    // Every module the process has loaded is listed, the support library's ones too.
    bool kernel32Listed = false;
    for (long i = 0; i < psapi.ModulesCount(); ++i)
        kernel32Listed = kernel32Listed || SameText(psapi.ModuleItem(i).Name, L"kernel32.dll");
    CHECK(kernel32Listed);
}

TEST_CASE("Modules::ListingLeavesTheDebugPrivilegeAsItWas")
{
    for (const bool on : {false, true}) {
        CAPTURE(on);
        SetDebugPrivilege(on);
        REQUIRE(DebugPrivilegeOn() == on);
        {
            const CPSAPIInfo psapi;
        }
        CHECK(DebugPrivilegeOn() == on);
        {
            const CToolHelpInfo toolHelp;
        }
        CHECK(DebugPrivilegeOn() == on);
    }
    SetDebugPrivilege(false);
}

TEST_CASE("Modules::ListingPrefersPsapi")
{
    const ModuleListing listing = ReadModuleListing();
    REQUIRE_FALSE(listing.Lines.empty());
    CHECK(dynamic_cast<const CPSAPIInfo*>(listing.Source.get()) != nullptr);
    CHECK(listing.Lines[0].rfind(FileNameOf(ProgramPath()), 0) == 0);
    CHECK(listing.Lines.size() == static_cast<std::size_t>(listing.Source->ModulesCount()));
    // The properties sheet of an index without an entry: nothing happens.
    ShowModuleProperties(nullptr, *listing.Source, -1);
    ShowModuleProperties(nullptr, *listing.Source, listing.Source->ModulesCount());
}

// Runs in a child process only; see RunChild.
TEST_CASE("Modules::SeenByAChildProcess" * doctest::skip())
{
    wchar_t mode[16] = {};
    REQUIRE(::GetEnvironmentVariableW(L"ABOUT_TESTS_CHILD", mode, 16));
    const std::wstring expected = mode;
    bool asExpected = false;
    if (expected == L"9x") {
        // Windows 9x: ToolHelp straight away, and no process times.
        const ModuleListing listing = ReadModuleListing();
        asExpected = dynamic_cast<const CToolHelpInfo*>(listing.Source.get()) != nullptr &&
                     listing.Lines.size() > 2 && listing.Lines[0].rfind(FileNameOf(ProgramPath()), 0) == 0 &&
                     !ReadProcessTimes().has_value();
    } else if (expected == L"nopsapi") {
        // No PSAPI.DLL: creating its source fails with the runtime's error, ToolHelp serves.
        const long error = ErrorNumberOf([] { CPSAPIInfo psapi; });
        const ModuleListing listing = ReadModuleListing();
        asExpected = error == support::err::FileNotFound &&
                     dynamic_cast<const CToolHelpInfo*>(listing.Source.get()) != nullptr &&
                     listing.Lines.size() > 2 && ReadProcessTimes().has_value();
    }
    ::ExitProcess(asExpected ? 42 : 43);
}

namespace {

// Runs a copy of this program as Wine presents the given Windows version, or
// with one library disabled; the copy runs only Modules::SeenByAChildProcess.
DWORD RunChild(const wchar_t* mode, const wchar_t* version, const wchar_t* disabledLibrary)
{
    ::SetEnvironmentVariableW(L"ABOUT_TESTS_CHILD", mode);
    const DWORD exitCode = support_test::RunTestCaseInCopy(
        L"about_panes_" + std::wstring(mode) + L"_" + std::to_wstring(::GetCurrentProcessId()) + L".exe",
        L"Modules::SeenByAChildProcess", version, disabledLibrary);
    ::SetEnvironmentVariableW(L"ABOUT_TESTS_CHILD", nullptr);
    return exitCode;
}

} // namespace

TEST_CASE("Modules::Windows9xUsesToolHelp")
{
    CHECK(RunChild(L"9x", L"win98", nullptr) == 42);
}

TEST_CASE("Modules::WithoutPsapiToolHelpServes")
{
    CHECK(RunChild(L"nopsapi", nullptr, L"psapi") == 42);
}

// The system information tool ----------------------------------------------------------

TEST_CASE("SystemInfo::MissingToolIsSaidInAMessageBox")
{
    // The test prefix has no system information tool registered.
    bool found = true;
    support::esReadStringFromRegistry(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                      L"PATH", L"", &found);
    REQUIRE_FALSE(found);
    support::esReadStringFromRegistry(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location",
                                      L"MSINFO", L"", &found);
    REQUIRE_FALSE(found);

    MessageBoxWatch watch;
    watch.thread = ::GetCurrentThreadId();
    support::UniqueKernelHandle watcher(::CreateThread(nullptr, 0, WatchForMessageBox, &watch, 0, nullptr));
    REQUIRE(watcher);
    ShowSystemInfo(nullptr);
    watch.done = true;
    ::WaitForSingleObject(watcher.get(), INFINITE);
    const std::wstring& text = watch.text;
    const std::wstring& title = watch.title;
    const bool exclamation = watch.exclamation;
    CHECK(text == L"Информация о системе почему-то не доступна.");
    CHECK(title == L"Velmora");
    CHECK(exclamation);
}

// Internal name ---------------------------------------------------------------------

TEST_CASE("UpdateCheck::InternalNameByTheTranslationTable")
{
    // This program's version block is Russian / 1251 (about_panes_test.rc).
    CHECK(GetInternalName() == L"AboutPanesTest");
    CHECK(VersionFileUrl(L"MYTOOL") ==
          L"http://www.velmora-tools.example/programs/win32/versions/Version.MYTOOL.DAT");
}
