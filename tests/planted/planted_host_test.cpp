// Run by planted_libraries.sh from a folder where stand-ins named as system
// libraries lie beside this program and Vorlan.exe: everything that loads
// those names works as before, and only the system's own files are used.

#include <doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "components/subclasser.h"
#include "main_window.h"
#include "support/handles.h"
#include "support/test_helpers.h"
#include "verrick/about/info_panes.h"
#include "wait_scale.h"

namespace {

std::wstring ProgramFolder()
{
    const std::wstring program = support_test::ProgramPath();
    return program.substr(0, program.rfind(L'\\'));
}

// What an icon draws at the small-icon size, over white and then over black,
// so that its mask counts too; empty for no icon.
std::vector<DWORD> Pixels(HICON icon)
{
    if (!icon) return {};
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
    void* bits = nullptr;
    support::UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    REQUIRE(bits);
    support::BitmapDC dc(nullptr, bitmap.get());
    std::vector<DWORD> pixels;
    for (int background : {WHITE_BRUSH, BLACK_BRUSH}) {
        const RECT all{0, 0, size, size};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(background)));
        ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        ::GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        pixels.insert(pixels.end(), first, first + size * size);
    }
    return pixels;
}

// A small icon of a file of the Windows folder at the small-icon size, read
// from the file mapped as plain data (a program of either width can read
// either width's files so).
std::vector<DWORD> SystemIconPixels(const wchar_t* file, const wchar_t* name)
{
    wchar_t windows[MAX_PATH] = {};
    REQUIRE(::GetWindowsDirectoryW(windows, MAX_PATH) > 0);
    support::UniqueModule module(
        ::LoadLibraryExW((std::wstring(windows) + L"\\" + file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE(module);
    support::UniqueIcon icon(
        static_cast<HICON>(::LoadImageW(module.get(), name, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON), 0)));
    return Pixels(icon.get());
}

struct CountingCallback : components::ISubclasserCallback {
    int probes = 0;
    void ISubclasserCallback_WindowProc(components::Subclasser&, HWND, UINT& uMsg, WPARAM&, LPARAM&, LRESULT&,
                                        bool&) override
    {
        if (uMsg == WM_APP) ++probes;
    }
};

struct WindowSearch {
    DWORD processId;
    const wchar_t* captionStart;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t caption[128] = {};
    ::GetWindowTextW(window, caption, 128);
    if (owner == search.processId && ::IsWindowVisible(window) &&
        std::wstring(caption).rfind(search.captionStart, 0) == 0)
        search.found = window;
    return search.found == nullptr;
}

// The visible window of a process whose caption starts with the text.
HWND WindowOf(DWORD processId, const wchar_t* captionStart)
{
    WindowSearch search{processId, captionStart};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

namespace vorlan_test {

TEST_CASE("PlantedLibraries::ARecorderBesideTheProgramRuns")
{
    // The stand-ins do record: one under a name no system library has is found and run.
    support::UniqueModule recorder(::LoadLibraryW(L"recorder.dll"));
    CHECK(recorder);
    CHECK(::DeleteFileW((ProgramFolder() + L"\\recorder.dll.ran").c_str()));
}

TEST_CASE("PlantedLibraries::TheModuleListWorks")
{
    const verrick::about::CPSAPIInfo modules;
    REQUIRE(modules.ModulesCount() > 1);
    CHECK(modules.ModuleItem(0).FileName == support_test::ProgramPath());
}

TEST_CASE("PlantedLibraries::SubclassingWorks")
{
    support_test::TestWindow window;
    CountingCallback callback;
    {
        components::Subclasser subclasser;
        subclasser.SetCallback(&callback);
        subclasser.SetHWnd(window.get());
        ::SendMessageW(window.get(), WM_APP, 0, 0);
    }
    CHECK(callback.probes == 1);
}

TEST_CASE("PlantedLibraries::VorlanRowIconsAreTheSystemsOwn")
{
    const std::vector<DWORD> folder = SystemIconPixels(L"system32\\shell32.dll", L"#4");
    CHECK_FALSE(folder.empty());
    MainWindow window;
    CHECK(Pixels(window.access().FolderIcon()) == folder);
    // Wine's Explorer.EXE has no such icon; Windows' has.
    CHECK(Pixels(window.access().MyComputerIcon()) == SystemIconPixels(L"explorer.exe", L"#100"));
}

TEST_CASE("PlantedLibraries::VorlanStartsAndCloses")
{
    const std::wstring program = ProgramFolder() + L"\\Vorlan.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    REQUIRE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &started));
    support::UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    HWND main = nullptr;
    const DWORD start = ::GetTickCount();
    while (!(main = WindowOf(started.dwProcessId, L"Vorlan")) &&
           ::GetTickCount() - start < test_wait::Deadline(30000))
        ::Sleep(100);
    CHECK(main);
    if (main)
        ::PostMessageW(main, WM_CLOSE, 0, 0);
    else
        ::TerminateProcess(process.get(), 1);
    REQUIRE(::WaitForSingleObject(process.get(), test_wait::Deadline(30000)) == WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.get(), &exitCode);
    CHECK(exitCode == 0);
}

} // namespace vorlan_test
