// The main window's keys, pressed through the system's keyboard input while
// the window is active.

#include <doctest.h>

#include "fake_drives.h"
#include "main_window.h"

using namespace vorlan_test;

namespace {

constexpr double GB = 1024.0 * 1024 * 1024;

struct ActiveWindow : MainWindow {
    explicit ActiveWindow(vorlan::DriveQueries& drives) : MainWindow(drives)
    {
        ::SetForegroundWindow(form.hWnd());
        ::SetFocus(form.hWnd());
        PumpMessages();
    }
};

FakeDrives SomeDrives()
{
    FakeDrives drives;
    drives.Add('C', DRIVE_FIXED, 100 * GB, 40 * GB);
    drives.Add('Z', DRIVE_REMOTE, 100 * GB, 10 * GB);
    drives.paths[L"C:\\Data"] = {100 * GB, 40 * GB};
    return drives;
}

bool IsTopmost(HWND window)
{
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

BYTE Alpha(HWND window)
{
    BYTE alpha = 0;
    if (!(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
    ::GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
    return alpha;
}

} // namespace

TEST_CASE("Keys::OptionKeysToggleAndRefresh")
{
    FakeDrives drives = SomeDrives();
    ActiveWindow main(drives);
    auto access = main.access();
    main.access().AdditionalPaths() = {L"C:\\Data"};
    REQUIRE(main.Rows() == 1);

    Press('S');
    CHECK(access.ShowSummary());
    CHECK(main.Rows() == 2);
    Press('N');
    CHECK(access.ShowNetworkDrives());
    CHECK(main.Rows() == 3);
    Press('A');
    CHECK(access.ShowAdditionalPaths());
    CHECK(main.Rows() == 4);
    Press(VK_TAB);
    CHECK(access.ShowFreeSpace());
    CHECK(main.form.Caption() == L"Vorlan :: F5 / Tab / 0aANPRST :: свободно / всего");

    // A drive that appears shows after F5.
    drives.Add('E', DRIVE_FIXED, 100 * GB, 40 * GB);
    Press(VK_F5);
    CHECK(main.Rows() == 5);

    SUBCASE("P walks through the four percent modes")
    {
        for (long mode : {1, 2, 3, 0}) {
            Press('P');
            CHECK(access.PercentMode() == mode);
        }
    }
    SUBCASE("the same keys again turn the options off")
    {
        for (WORD key : {WORD('S'), WORD('N'), WORD('A'), WORD(VK_TAB)})
            Press(key);
        CHECK_FALSE(access.ShowSummary());
        CHECK_FALSE(access.ShowNetworkDrives());
        CHECK_FALSE(access.ShowAdditionalPaths());
        CHECK_FALSE(access.ShowFreeSpace());
        CHECK(main.Rows() == 2);
    }
}

TEST_CASE("Keys::OtherModifiersAndKeysDoNothing")
{
    FakeDrives drives = SomeDrives();
    ActiveWindow main(drives);
    auto access = main.access();
    HWND window = main.form.hWnd();

    Press(VK_TAB, {VK_SHIFT});
    Press('R', {VK_CONTROL});
    Press('T', {VK_MENU});
    Press(VK_NUMPAD0);
    Press('S', {VK_SHIFT});
    Press('P', {VK_CONTROL, VK_SHIFT});

    CHECK_FALSE(access.ShowFreeSpace());
    CHECK_FALSE(access.ShowSummary());
    CHECK_FALSE(access.ShowAdditionalPaths());
    CHECK(access.PercentMode() == 0);
    CHECK_FALSE(main.form.tmrRefresh.Enabled());
    CHECK_FALSE(main.form.SET_Topmost);
    CHECK_FALSE(IsTopmost(window));
    CHECK_FALSE(main.form.SET_Transparent);
    CHECK(Alpha(window) == 255);
    CHECK(main.form.Caption() == L"Vorlan :: F5 / Tab / 0aANPRST :: занято / всего");
    CHECK(main.form.IsLoaded());

    // Nothing is left held down for the next key.
    Press('S');
    CHECK(access.ShowSummary());
}

TEST_CASE("Keys::RStartsAndStopsTheTimer")
{
    FakeDrives drives = SomeDrives();
    ActiveWindow main(drives);
    main.form.tmrRefresh.Interval(50);

    Press('R');
    CHECK(main.form.tmrRefresh.Enabled());
    CHECK(main.form.Caption() == L"Vorlan :: Tab / 0aANPRST :: занято / всего");
    drives.Add('E', DRIVE_FIXED, 100 * GB, 40 * GB);
    CHECK(PumpUntil([&] { return main.Rows() == 2; }));

    Press('R');
    CHECK_FALSE(main.form.tmrRefresh.Enabled());
    CHECK(main.form.Caption() == L"Vorlan :: F5 / Tab / 0aANPRST :: занято / всего");
    drives.drives.erase('E');
    PumpFor(300);
    CHECK(main.Rows() == 2);
}

TEST_CASE("Keys::ZeroSwitchesTransparency")
{
    FakeDrives drives = SomeDrives();
    ActiveWindow main(drives);
    HWND window = main.form.hWnd();
    REQUIRE(main.form.SET_TransparencyPercent == 75);

    Press('0');
    CHECK(main.form.SET_Transparent);
    CHECK(Alpha(window) == 191);
    Press('0');
    CHECK_FALSE(main.form.SET_Transparent);
    CHECK(Alpha(window) == 255);
}

TEST_CASE("Keys::TKeepsTheWindowOnTop")
{
    FakeDrives drives = SomeDrives();
    ActiveWindow main(drives);
    HWND window = main.form.hWnd();

    Press('T');
    CHECK(main.form.SET_Topmost);
    CHECK(IsTopmost(window));

    support::UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0,
                                                  300, 200, nullptr, nullptr, nullptr, nullptr));
    ::SetForegroundWindow(other.get());
    ::SetWindowPos(other.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PumpMessages();
    bool otherIsBelow = false;
    for (HWND below = ::GetWindow(window, GW_HWNDNEXT); below; below = ::GetWindow(below, GW_HWNDNEXT))
        otherIsBelow = otherIsBelow || below == other.get();
    CHECK(otherIsBelow);
    CHECK(IsTopmost(window));

    ::SetForegroundWindow(window);
    PumpMessages();
    Press('T');
    CHECK_FALSE(main.form.SET_Topmost);
    CHECK_FALSE(IsTopmost(window));
}

TEST_CASE("Keys::EscClosesAndStores")
{
    FakeDrives drives = SomeDrives();
    ActiveWindow main(drives);
    Press('S');
    Press(VK_ESCAPE);
    CHECK_FALSE(main.form.IsLoaded());
    REQUIRE(Stored(L"Show Summary"));
    CHECK(Stored(L"Show Summary")->Number() == 0xFFFFFFFF);
}
