// Vorlan.exe as a person meets it: started as its own process, its window
// looked at on the screen, driven by its keys, closed, started again.

#include <doctest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <bit>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "components/settings_store.h"
#include "vorlan/app_descriptor.h"

#include "bar_hue.h"
#include "input.h"
#include "prefix_drive.h"
#include "screenshot.h"
#include "support/handles.h"
#include "verrick_server.h"
#include "wait_scale.h"

using namespace vorlan_test;

namespace {

// The variable holds a Unix path; the test prefix's Z: is the Unix root.
std::wstring ProgramPath()
{
    return WindowsPathFrom("VORLAN_EXE");
}

// The real program's stored options: the key its title gives.
std::wstring ProgramSettingsKey()
{
    return components::SettingsStore::KeyPath(L"", {L"Tollever - Vorlan", L"Vorlan"});
}

void ClearProgramSettings()
{
    ::RegDeleteKeyW(HKEY_CURRENT_USER, ProgramSettingsKey().c_str());
}

bool ProgramSettingStored(const wchar_t* name)
{
    support::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, ProgramSettingsKey().c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return false;
    return ::RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<HWND> Bars(HWND main)
{
    std::vector<HWND> bars;
    for (HWND child = ::GetWindow(main, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, 64);
        RECT r{};
        ::GetWindowRect(child, &r);
        // The bars are the picture boxes of 233 x 21 pixels; icon boxes are 17 x 17.
        if (std::wstring(className) == L"ToolkitPicture" && ::IsWindowVisible(child) &&
            r.right - r.left == 233)
            bars.push_back(child);
    }
    return bars;
}

// The screen under a window, as a 32-bit top-down image; also saved as a test artefact.
struct Screenshot {
    Screenshot(HWND window, const wchar_t* artefact)
    {
        ::GetWindowRect(window, &area);
        width = area.right - area.left;
        height = area.bottom - area.top;
        support::WindowDC screen(nullptr);
        support::UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        support::UniqueBitmap bitmap(
            ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        {
            support::SelectedObject selected(dc.get(), bitmap.get());
            ::BitBlt(dc.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
        }
        pixels.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width * height);
        test_artefacts::SaveScreenshot(window, artefact);
    }

    COLORREF At(int screenX, int screenY) const
    {
        DWORD p = pixels[(screenY - area.top) * width + (screenX - area.left)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    RECT area{};
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
};

void Wait(DWORD milliseconds)
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::Sleep(20);
    }
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

template <typename Condition> bool WaitFor(Condition&& condition, DWORD milliseconds = 10000)
{
    const DWORD start = ::GetTickCount(), deadline = test_wait::Deadline(milliseconds);
    while (!condition() && ::GetTickCount() - start < deadline)
        Wait(50);
    return condition();
}

struct WindowSearch {
    DWORD processId;
    std::function<bool(HWND)> wanted;
    HWND window = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if ((search->processId == 0 || owner == search->processId) && ::IsWindowVisible(window) &&
        search->wanted(window)) {
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

// The first visible top-level window of the process (of any, for 0) that is wanted.
HWND FindWindowOf(DWORD processId, std::function<bool(HWND)> wanted)
{
    WindowSearch search{processId, std::move(wanted)};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.window;
}

HWND FindWindowOfClass(DWORD processId, const wchar_t* className)
{
    return FindWindowOf(processId, [className](HWND window) {
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        return std::wstring(name) == className;
    });
}

// One run of Vorlan.exe with its main window shown; ended by force if a test leaves it running.
struct Run {
    Run()
    {
        std::wstring path = ProgramPath();
        STARTUPINFOW startup{sizeof startup};
        std::wstring commandLine = L"\"" + path + L"\"";
        REQUIRE(::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info));
        process.reset(info.hProcess);
        thread.reset(info.hThread);
        // A deadline in time, not in tries: the idle wait returns at once
        // while the program is still starting on a loaded machine.
        WaitFor(
            [&] {
                ::WaitForInputIdle(process.get(), 100);
                main = FindWindowOfClass(info.dwProcessId, L"ToolkitForm");
                return main != nullptr;
            },
            20000);
        if (!main) ::TerminateProcess(process.get(), 1);
        REQUIRE(main);
        ::SetForegroundWindow(main);
        Wait(300);
    }
    ~Run()
    {
        if (::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(process.get(), 99);
    }

    // A key as the window's thread receives it from the keyboard, no modifier held.
    void Key(WORD key) { ::PostMessageW(main, WM_KEYDOWN, key, 1); }

    // The exit code once the process has ended, STILL_ACTIVE while it runs on.
    DWORD EndsWith(DWORD milliseconds = 10000)
    {
        ::WaitForSingleObject(process.get(), milliseconds);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process.get(), &code);
        return code;
    }

    PROCESS_INFORMATION info{};
    support::UniqueKernelHandle process, thread;
    HWND main = nullptr;
};

// The texts of a dialog's children, one after the other.
std::wstring DialogText(HWND dialog)
{
    std::wstring text;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        text += TextOf(child) + L"\n";
    return text;
}

bool IsTopmost(HWND window)
{
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Verrick unregistered for as long as the object lives, then registered again.
struct VerrickUnregistered {
    VerrickUnregistered() { REQUIRE(CallVerrick("DllUnregisterServer") == S_OK); }
    ~VerrickUnregistered() { CHECK(CallVerrick("DllRegisterServer") == S_OK); }
};

VerrickRegistered verrickRegistered;

} // namespace

TEST_CASE("Vorlan::StartsShowsItsDrivesAndCloses")
{
    ClearProgramSettings();
    Run vorlan;
    const HWND main = vorlan.main;
    CHECK(TextOf(main) == L"Vorlan :: F5 / Tab / 0aANPRST :: занято / всего");

    // C: and E: qualify in the test prefix: two rows, 435 + 360 twips high.
    // A drive whose answer missed its refresh (a loaded machine) comes on a later one.
    REQUIRE(WaitFor([&] { return Bars(main).size() == 2; }));
    std::vector<HWND> bars = Bars(main);
    RECT client{};
    ::GetClientRect(main, &client);
    CHECK(client.right == 581);
    CHECK(client.bottom == (435 + 360) / 15);

    // Each bar's colour says how full its drive is: red past 90 %, yellow past 80 %.
    Screenshot shot(main, L"vorlan-e2e.bmp");
    const wchar_t* roots[] = {L"C:\\", L"E:\\"};
    for (size_t i = 0; i < bars.size(); ++i) {
        ULARGE_INTEGER available, total, free;
        REQUIRE(::GetDiskFreeSpaceExW(roots[i], &available, &total, &free));
        const double used = double(total.QuadPart - free.QuadPart) / (double(total.QuadPart) / 100);
        RECT r{};
        ::GetClientRect(bars[i], &r);
        POINT filled{1, r.bottom / 2}, empty{r.right - 2, r.bottom / 2};
        ::ClientToScreen(bars[i], &filled);
        ::ClientToScreen(bars[i], &empty);
        CAPTURE(used);
        CHECK(HueOf(shot.At(filled.x, filled.y)) == (used > 90   ? Hue::Red
                                                     : used > 80 ? Hue::Yellow
                                                                 : Hue::Green));
        if (used < 98) CHECK(shot.At(empty.x, empty.y) == RGB(255, 255, 255));
    }

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    REQUIRE(::WaitForSingleObject(vorlan.process.get(), 10000) == WAIT_OBJECT_0);
    CHECK(vorlan.EndsWith() == 0);
}

TEST_CASE("Vorlan::OptionsAndPlacementSurviveARestart")
{
    ClearProgramSettings();
    std::wstring caption;
    RECT place{};
    size_t bars = 0;
    {
        Run first;
        ::SetWindowPos(first.main, nullptr, 140, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        for (WORD key :
             {WORD('S'), WORD('N'), WORD('A'), WORD(VK_TAB), WORD('P'), WORD('0'), WORD('T'), WORD('R')})
            first.Key(key);
        caption = L"Vorlan :: Tab / 0aANPRST :: свободно / всего";
        REQUIRE(WaitFor([&] { return TextOf(first.main) == caption; }));
        CHECK(IsTopmost(first.main));
        // C:, E:, the network drive Z: and the summary.
        CHECK(WaitFor([&] { return Bars(first.main).size() == 4; }));
        bars = Bars(first.main).size();
        ::GetWindowRect(first.main, &place);
        CHECK(place.left == 140);
        first.Key(VK_ESCAPE);
        CHECK(first.EndsWith() == 0);
    }
    CHECK(ProgramSettingStored(L"Window placement"));

    Run second;
    CHECK(TextOf(second.main) == caption);
    CHECK(WaitFor([&] { return Bars(second.main).size() == bars; }));
    RECT again{};
    ::GetWindowRect(second.main, &again);
    CHECK(again.left == place.left);
    CHECK(again.top == place.top);
    CHECK(again.bottom - again.top == place.bottom - place.top);
    CHECK(IsTopmost(second.main));
    BYTE alpha = 0;
    CHECK((::GetWindowLongW(second.main, GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
    REQUIRE(::GetLayeredWindowAttributes(second.main, nullptr, &alpha, nullptr));
    CHECK(alpha == 191);

    // Back to the first start's options, for whatever runs next.
    for (WORD key : {WORD('S'), WORD('N'), WORD('A'), WORD(VK_TAB), WORD('0'), WORD('T'), WORD('R')})
        second.Key(key);
    second.Key(VK_ESCAPE);
    CHECK(second.EndsWith() == 0);
    ClearProgramSettings();
}

TEST_CASE("Vorlan::F1OpensTheReadMeBesideTheProgram")
{
    ClearProgramSettings();
    Run vorlan;
    vorlan.Key(VK_F1);
    HWND readMe = nullptr;
    CHECK(WaitFor([&] {
        readMe = FindWindowOf(0, [](HWND w) { return TextOf(w).find(L"ReadMe") != std::wstring::npos; });
        return readMe != nullptr;
    }));
    if (readMe) {
        DWORD editor = 0;
        ::GetWindowThreadProcessId(readMe, &editor);
        CHECK(editor != vorlan.info.dwProcessId);
        ::PostMessageW(readMe, WM_CLOSE, 0, 0);
    }
    vorlan.Key(VK_ESCAPE);
    CHECK(vorlan.EndsWith() == 0);
}

namespace {

BOOL CALLBACK CollectText(HWND window, LPARAM texts)
{
    if (::IsWindowVisible(window)) *reinterpret_cast<std::wstring*>(texts) += TextOf(window) + L"\n";
    return TRUE;
}

} // namespace

TEST_CASE("Vorlan::ShiftF1ShowsTheAboutBoxOfVorlan")
{
    ClearProgramSettings();
    Run vorlan;
    ::SetForegroundWindow(vorlan.main);
    Wait(200);
    test_input::SendKeys({VK_SHIFT, VK_F1}); // Shift held while F1 goes down and up
    HWND about = nullptr;
    REQUIRE(WaitFor([&] {
        about = FindWindowOf(vorlan.info.dwProcessId, [](HWND w) { return TextOf(w) == L"О программе"; });
        return about != nullptr;
    }));
    Wait(500);
    std::wstring texts;
    ::EnumChildWindows(about, CollectText, reinterpret_cast<LPARAM>(&texts));
    CAPTURE(texts);
    CHECK(texts.find(L"Tollever - Vorlan\n") != std::wstring::npos);
    CHECK(texts.find(L"1.04.0052\n") != std::wstring::npos);
    // The main window takes no input while the box is open.
    CHECK_FALSE(::IsWindowEnabled(vorlan.main));
    Screenshot shot(about, L"vorlan-about.bmp");

    ::SetForegroundWindow(about);
    test_input::SendKeys({VK_ESCAPE});
    CHECK(WaitFor([&] { return !::IsWindow(about) || !::IsWindowVisible(about); }));
    CHECK(WaitFor([&] { return ::IsWindowEnabled(vorlan.main) != FALSE; }));
    // Vorlan goes on: its keys work again.
    vorlan.Key(VK_ESCAPE);
    CHECK(vorlan.EndsWith() == 0);
    ClearProgramSettings();
}

TEST_CASE("Vorlan::WithoutVerrickEndsWithTheErrorInAMessageBox")
{
    ClearProgramSettings();
    VerrickUnregistered unregistered;
    Run vorlan;
    // Verrick is first needed when the options are written, at the close.
    vorlan.Key(VK_ESCAPE);
    HWND box = nullptr;
    REQUIRE(
        WaitFor([&] { return (box = FindWindowOfClass(vorlan.info.dwProcessId, L"#32770")) != nullptr; }));
    std::wstring text = DialogText(box);
    CAPTURE(text);
    CHECK(text.find(L"429") != std::wstring::npos);
    CHECK(text.find(L"ActiveX component can't create object") != std::wstring::npos);
    CHECK(TextOf(box) == L"Tollever - Vorlan");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    CHECK(vorlan.EndsWith() == 1);
    // The failure came before anything was written.
    CHECK_FALSE(ProgramSettingStored(L"Window placement"));
}

namespace {

// The volume of tests/vorlan/hung_drive.sh: its statfs (what measuring a drive
// asks) answers as a control file says, every other call at once.
class HungVolume {
public:
    HungVolume() : control_(WindowsPathOf("VORLAN_HUNG_CONTROL")) {}
    ~HungVolume() { Answer(); }
    // No answer until told otherwise, or one after so many seconds.
    void Hang() { Write("hang"); }
    void Delay(DWORD seconds) { Write(std::to_string(seconds)); }
    void Answer() { ::DeleteFileW(control_.c_str()); }

private:
    void Write(const std::string& text)
    {
        support::UniqueFileHandle file(
            ::CreateFileW(control_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        REQUIRE(file);
        DWORD written = 0;
        ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    std::wstring control_;
};

// Vorlan's threads that ask volumes, by the name they carry (Wine starts
// threads of its own in a process as it needs them, so all threads would not do).
int VolumeWorkersOf(DWORD processId)
{
    using GetThreadDescription = HRESULT(WINAPI*)(HANDLE thread, PWSTR * description);
    static const auto getDescription = reinterpret_cast<GetThreadDescription>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    REQUIRE_MESSAGE(static_cast<bool>(getDescription), "GetThreadDescription is missing");
    support::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{sizeof entry};
    int workers = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
         more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        support::UniqueKernelHandle thread(
            ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
        PWSTR description = nullptr;
        if (!thread || FAILED(getDescription(thread.get(), &description)) || !description) continue;
        workers += std::wstring_view(description) == L"Vorlan volume worker" ? 1 : 0;
        ::LocalFree(description);
    }
    return workers;
}

// The drives Vorlan asks about: all but A: and B:.
int DrivesAsked()
{
    return std::popcount(::GetLogicalDrives() & ~DWORD{3});
}

std::vector<COLORREF> BarPixels(HWND bar)
{
    Screenshot shot(bar, L"vorlan-hung-bar.bmp");
    std::vector<COLORREF> middle;
    for (int x = shot.area.left; x < shot.area.right; ++x)
        middle.push_back(shot.At(x, (shot.area.top + shot.area.bottom) / 2));
    return middle;
}

DWORD StoredNumber(const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    ::RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKey().c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size);
    return value;
}

// Vorlan beside a drive H: whose volume stops answering (delay 0: from
// before the start on) or, once Vorlan runs, answers once after so many
// seconds: its other rows, keys, painting and closing go on meanwhile.
void WithHungDrive(UINT type, DWORD delay)
{
    const char* mount = std::getenv("VORLAN_HUNG_MOUNT");
    REQUIRE(mount);
    PrefixDrive drive(L'H', mount, type);
    // Wine's server looks at a volume itself when it first opens a file there,
    // and would hang with it: a handle kept open spares it that look.
    support::UniqueFileHandle root(::CreateFileW(L"H:\\", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    REQUIRE(root);
    HungVolume volume;
    ClearProgramSettings();
    // Wine's services have looked at the volume when it was added; it can stop answering now.
    if (!delay) volume.Hang();
    Run vorlan;
    // C:, E: and, while it answers, the fixed H:.
    size_t rows = delay ? 3 : 2;
    CHECK(Bars(vorlan.main).size() == rows);
    if (type == DRIVE_REMOTE) {
        vorlan.Key('N');
        ++rows; // the network drive Z:
        CHECK(WaitFor([&] { return Bars(vorlan.main).size() == rows; }, 1000));
    }
    const DWORD asked = ::GetTickCount();
    if (delay) {
        volume.Delay(delay);
        vorlan.Key(VK_F5);
        --rows;
        CHECK(WaitFor([&] { return Bars(vorlan.main).size() == rows; }, 1000));
    }

    // Refreshes while H: is still asked ask it no second time: however often
    // Vorlan refreshes, its asking threads never outnumber the drives it asks
    // (one asking of H: per refresh would, after as many refreshes as drives).
    // Wine counts no other process's handles: GetProcessHandleCount answers 0.
    CHECK(VolumeWorkersOf(vorlan.info.dwProcessId) >= 1);
    for (int i = 0; i <= DrivesAsked(); ++i)
        vorlan.Key(VK_F5);
    CHECK_FALSE(WaitFor([&] { return VolumeWorkersOf(vorlan.info.dwProcessId) > DrivesAsked(); }, 4000));

    const std::vector<COLORREF> used = BarPixels(Bars(vorlan.main)[0]);
    vorlan.Key(VK_TAB);
    CHECK(WaitFor(
        [&] {
            return TextOf(vorlan.main).ends_with(L"свободно / всего") &&
                   BarPixels(Bars(vorlan.main)[0]) != used;
        },
        1000));
    ::RedrawWindow(vorlan.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    CHECK(WaitFor([&] { return !::GetUpdateRect(vorlan.main, nullptr, FALSE); }, 1000));

    // Once the volume has answered, the next refresh shows its row.
    if (delay)
        Wait(delay * 1000 + 500 - std::min<DWORD>(::GetTickCount() - asked, delay * 1000));
    else
        volume.Answer();
    Wait(300);
    vorlan.Key(VK_F5);
    CHECK(WaitFor([&] { return Bars(vorlan.main).size() == rows + 1; }, 1000));

    // Closing while H: is asked again and hangs: the options are saved, the process ends.
    volume.Hang();
    vorlan.Key(VK_F5);
    Wait(200);
    vorlan.Key(VK_ESCAPE);
    CHECK(vorlan.EndsWith(test_wait::Deadline(1000)) == 0);
    CHECK(StoredNumber(L"Show Free Space") == 0xFFFFFFFF);
    ClearProgramSettings();
}

} // namespace

// Run by tests/vorlan/hung_drive.sh, which mounts the volume (--no-skip).
TEST_CASE("VorlanHungDrive::Network" * doctest::skip())
{
    WithHungDrive(DRIVE_REMOTE, 0);
}

TEST_CASE("VorlanHungDrive::Fixed" * doctest::skip())
{
    WithHungDrive(DRIVE_FIXED, 0);
}

TEST_CASE("VorlanHungDrive::AnswersAfterTwoSeconds" * doctest::skip())
{
    WithHungDrive(DRIVE_FIXED, 2 * test_wait::Factor());
}
