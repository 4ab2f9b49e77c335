// The main window's options as stored per user: read at load, checked,
// applied, and written back at unload, against the test prefix's registry.

#include <doctest.h>

#include "fake_drives.h"
#include "main_window.h"

#include "support/runtime_error.h"

using namespace vorlan_test;

namespace {

RECT WorkArea()
{
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT WindowRect(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

bool IsLayered(HWND window)
{
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}
bool IsTopmost(HWND window)
{
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Drives whose listing fails: the first build never completes.
struct FailingDrives : FakeDrives {
    std::string LogicalDriveStrings() override { support::Raise(support::err::InvalidProcedureCall); }
};

// The window's place and styles at the first message it gets while visible.
struct FirstSeenVisible {
    const vorlan::frmMain* form = nullptr;
    bool seen = false;
    RECT place{};
    LONG exStyle = 0;
};
FirstSeenVisible firstSeen;

LRESULT CALLBACK WatchFirstVisible(int code, WPARAM wParam, LPARAM lParam)
{
    auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && firstSeen.form && call->hwnd == firstSeen.form->hWnd() && !firstSeen.seen &&
        ::IsWindowVisible(call->hwnd)) {
        firstSeen.seen = true;
        ::GetWindowRect(call->hwnd, &firstSeen.place);
        firstSeen.exStyle = ::GetWindowLongW(call->hwnd, GWL_EXSTYLE);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_CASE("Settings::TheWindowFirstShowsPlacedAsStored")
{
    ClearSettings();
    const RECT stored{90, 70, 300, 120};
    Store(L"Window placement", REG_BINARY, &stored, sizeof stored);
    StoreNumber(L"Topmost", static_cast<DWORD>(-1));
    StoreNumber(L"Transparent", static_cast<DWORD>(-1));
    FakeDrives drives;
    drives.Add('C', DRIVE_FIXED, 1e10, 4e9);
    vorlan::frmMain form(TestApp(), drives);
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, WatchFirstVisible, nullptr, ::GetCurrentThreadId());
    REQUIRE(hook);
    firstSeen = {&form};
    form.Load();

    // Loading builds the rows and applies the stored options to a window nobody sees yet.
    CHECK_FALSE(::IsWindowVisible(form.hWnd()));
    CHECK(IsTopmost(form.hWnd()));
    CHECK(IsLayered(form.hWnd()));

    form.Show();
    PumpMessages();
    ::UnhookWindowsHookEx(hook);
    firstSeen.form = nullptr;
    CHECK(::IsWindowVisible(form.hWnd()));
    REQUIRE(firstSeen.seen);
    CHECK(firstSeen.place.left == stored.left);
    CHECK(firstSeen.place.top == stored.top);
    CHECK((firstSeen.exStyle & WS_EX_TOPMOST));
    CHECK((firstSeen.exStyle & WS_EX_LAYERED));
    form.Unload();
}

TEST_CASE("Settings::NothingStored")
{
    MainWindow main;
    vorlan::frmMain& form = main.form;
    auto access = main.access();

    RECT area = WorkArea(), place = WindowRect(form.hWnd());
    CHECK(std::abs((place.left - area.left) - (area.right - place.right)) <= 1);
    CHECK(std::abs((place.top - area.top) - (area.bottom - place.bottom)) <= 1);
    CHECK_FALSE(form.tmrRefresh.Enabled());
    CHECK(form.tmrRefresh.Interval() == 2500);
    CHECK(form.SET_TransparencyPercent == 75);
    CHECK_FALSE(form.SET_Transparent);
    CHECK_FALSE(IsLayered(form.hWnd()));
    CHECK_FALSE(form.SET_Topmost);
    CHECK_FALSE(IsTopmost(form.hWnd()));
    CHECK_FALSE(access.ShowFreeSpace());
    CHECK_FALSE(access.ShowSummary());
    CHECK_FALSE(access.ShowNetworkDrives());
    CHECK_FALSE(access.ShowAdditionalPaths());
    CHECK(access.AdditionalPaths().empty());
    CHECK(access.PercentMode() == 0);
}

TEST_CASE("Settings::NumbersOutOfRangeReadAsDefaults")
{
    struct Case {
        DWORD showPercent;
        long expectedMode;
        DWORD opacity;
        long expectedOpacity;
    };
    for (Case c : {Case{7, 0, 0, 75}, Case{3, 3, 101, 75}, Case{static_cast<DWORD>(-1), 0, 100, 100},
                   Case{2, 2, 40, 40}}) {
        CAPTURE(c.showPercent);
        CAPTURE(c.opacity);
        ClearSettings();
        StoreNumber(L"Show Percent", c.showPercent);
        StoreNumber(L"Transparency Percent", c.opacity);
        StoreNumber(L"Transparent", static_cast<DWORD>(-1));
        MainWindow main(vorlan::SystemDriveQueries(), Options::AsStored);
        CHECK(main.access().PercentMode() == c.expectedMode);
        CHECK(main.form.SET_TransparencyPercent == c.expectedOpacity);
        BYTE alpha = 0;
        REQUIRE(::GetLayeredWindowAttributes(main.form.hWnd(), nullptr, &alpha, nullptr));
        CHECK(alpha == (c.expectedOpacity * 255 + 50) / 100);
    }
}

TEST_CASE("Settings::AnIntervalTheTimerRefusesKeepsTheDefault")
{
    ClearSettings();
    StoreNumber(L"Autorefresh Interval", 70000);
    StoreNumber(L"Autorefresh", static_cast<DWORD>(-1));
    {
        MainWindow main(vorlan::SystemDriveQueries(), Options::AsStored);
        CHECK(main.form.tmrRefresh.Interval() == 2500);
        CHECK(main.form.tmrRefresh.Enabled());
        CHECK(main.form.Caption() == L"Vorlan :: Tab / 0aANPRST :: занято / всего");
    }
    REQUIRE(Stored(L"Autorefresh Interval"));
    CHECK(Stored(L"Autorefresh Interval")->Number() == 2500);
    CHECK(Stored(L"Autorefresh")->Number() == 0xFFFFFFFF);
}

TEST_CASE("Settings::DamagedValuesReadAsDefaults")
{
    ClearSettings();
    StoreText(L"Show Percent", L"abc");
    StoreText(L"Transparency Percent", L"50");
    const BYTE bytes[] = {1, 2, 3};
    Store(L"Topmost", REG_BINARY, bytes, sizeof bytes);
    StoreNumber(L"Additional Paths", 12);
    StoreText(L"Window placement", L"10,10,300,100");
    const WORD shortNumber = 1;
    Store(L"Show Summary", REG_DWORD, &shortNumber, sizeof shortNumber);
    {
        MainWindow main(vorlan::SystemDriveQueries(), Options::AsStored);
        CHECK(main.access().BarsBuilt());
        CHECK(main.access().PercentMode() == 0);
        CHECK(main.form.SET_TransparencyPercent == 75);
        CHECK_FALSE(main.form.SET_Topmost);
        CHECK_FALSE(main.access().ShowSummary());
        CHECK(main.access().AdditionalPaths().empty());
        RECT area = WorkArea(), place = WindowRect(main.form.hWnd());
        CHECK(std::abs((place.left - area.left) - (area.right - place.right)) <= 1);
    }
    // The next close writes every value back in its own type.
    CHECK(Stored(L"Show Percent")->type == REG_DWORD);
    CHECK(Stored(L"Topmost")->type == REG_DWORD);
    CHECK(Stored(L"Show Summary")->Number() == 0);
    CHECK(Stored(L"Additional Paths")->type == REG_SZ);
    CHECK(Stored(L"Window placement")->type == REG_BINARY);
}

TEST_CASE("Settings::PathsLoseTheirBlankLines")
{
    ClearSettings();
    StoreText(L"Additional Paths", L"C:\\windows\r\n\r\n   \r\nx\r\nC:\\Temp\r\n");
    StoreNumber(L"Show Additional Paths", static_cast<DWORD>(-1));
    {
        MainWindow main(vorlan::SystemDriveQueries(), Options::AsStored);
        CHECK(main.access().AdditionalPaths() == std::vector<std::wstring>{L"C:\\windows", L"C:\\Temp"});
        CHECK(main.Rows() == 4); // C:, E: and the two folders
    }
    CHECK(Stored(L"Additional Paths")->Text() == L"C:\\windows\r\nC:\\Temp");
}

TEST_CASE("Settings::WrittenAtUnloadAndReadAtTheNextLoad")
{
    RECT placed{};
    {
        MainWindow first;
        auto access = first.access();
        access.ShowFreeSpace() = access.ShowSummary() = access.ShowNetworkDrives() = true;
        access.PercentMode() = 2;
        access.AdditionalPaths() = {L"C:\\windows"};
        first.form.SET_Topmost = true;
        first.form.SET_Transparent = true;
        first.form.tmrRefresh.Interval(1000);
        ::SetWindowPos(first.form.hWnd(), nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        placed = WindowRect(first.form.hWnd());
    }
    MainWindow second(vorlan::SystemDriveQueries(), Options::AsStored);
    auto access = second.access();
    CHECK(access.ShowFreeSpace());
    CHECK(access.ShowSummary());
    CHECK(access.ShowNetworkDrives());
    CHECK_FALSE(access.ShowAdditionalPaths());
    CHECK(access.PercentMode() == 2);
    CHECK(access.AdditionalPaths() == std::vector<std::wstring>{L"C:\\windows"});
    CHECK(second.form.SET_Topmost);
    CHECK(IsTopmost(second.form.hWnd()));
    CHECK(IsLayered(second.form.hWnd()));
    CHECK(second.form.tmrRefresh.Interval() == 1000);
    RECT place = WindowRect(second.form.hWnd());
    CHECK(place.left == placed.left);
    CHECK(place.top == placed.top);
    // The height fits this run's rows (the summary and Z: came in), not the stored rectangle.
    CHECK(second.Rows() == 4);
    CHECK(second.form.ScaleHeight() == 435 + 3 * 360);
}

TEST_CASE("Settings::NothingWrittenWhenTheFirstBuildFails")
{
    ClearSettings();
    StoreNumber(L"Show Summary", static_cast<DWORD>(-1));
    FailingDrives drives;
    {
        vorlan::frmMain form(TestApp(), drives);
        CHECK_THROWS_AS(form.Show(), support::RuntimeError);
        REQUIRE(form.IsLoaded());
        form.Unload();
        PumpMessages();
    }
    CHECK(Stored(L"Show Summary")->Number() == 0xFFFFFFFF);
    CHECK_FALSE(Stored(L"Window placement"));
    CHECK_FALSE(Stored(L"Show Free Space"));
}
