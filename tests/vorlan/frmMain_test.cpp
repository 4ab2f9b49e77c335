#include <doctest.h>

#include <cmath>

#include "bar_hue.h"
#include "fake_drives.h"
#include "leak_probe.h"
#include "main_window.h"
#include "prefix_drive.h"
#include "toolkit/twips.h"
#include "vorlan/frmMain.h"

#include "support/as.h"

using namespace vorlan;
using vorlan_test::FakeDrives;
using vorlan_test::Hue;
using vorlan_test::HueOf;
using vorlan_test::MainWindow;
using vorlan_test::PumpFor;
using vorlan_test::PumpMessages;

namespace {

constexpr double GB = 1024.0 * 1024 * 1024;

COLORREF BarPixel(toolkit::PictureBox& bar, double x)
{
    RECT r{};
    ::GetClientRect(bar.hWnd(), &r);
    int px = std::min<int>(static_cast<int>(x * r.right / 100), r.right - 1);
    return ::GetPixel(bar.hDC(), px, r.bottom / 2);
}

FakeDrives DrivesUsed(std::initializer_list<double> usedPercents)
{
    FakeDrives drives;
    char letter = 'C';
    for (double used : usedPercents)
        drives.Add(letter++, DRIVE_FIXED, 100 * GB, (100 - used) * GB);
    return drives;
}

} // namespace

TEST_CASE("frmMain::BarColourThresholds")
{
    CHECK(HueOf(BarColor(80, false)) == Hue::Green);
    CHECK(HueOf(BarColor(85, false)) == Hue::Yellow);
    CHECK(HueOf(BarColor(90, false)) == Hue::Yellow);
    CHECK(HueOf(BarColor(90.01, false)) == Hue::Red);
    CHECK(HueOf(BarColor(10, true)) == Hue::Red);
    CHECK(HueOf(BarColor(20, true)) == Hue::Yellow);
    CHECK(HueOf(BarColor(20.5, true)) == Hue::Green);
}

TEST_CASE("frmMain::PercentTextRoundsHalvesToEven")
{
    CHECK(PercentText(44.5) == L"44%");
    CHECK(PercentText(45.5) == L"46%");
    CHECK(PercentText(0) == L"0%");
    CHECK(PercentText(99.6) == L"100%");
}

TEST_CASE("frmMain::FirstStart")
{
    MainWindow main;
    CHECK(main.form.Caption() == L"Vorlan :: F5 / Tab / 0aANPRST :: занято / всего");
    CHECK_FALSE(main.form.tmrRefresh.Enabled());
    CHECK(main.form.tmrRefresh.Interval() == 2500);
    CHECK((::GetWindowLongW(main.form.hWnd(), GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_LAYERED)) == 0);
    CHECK(main.access().BarsBuilt());
    // C: and E: qualify in the test prefix.
    CHECK(main.Rows() == 2);
    CHECK(main.form.lblDiskInfo(0).Caption() == L" Диск C: [] ");
    CHECK(main.form.lblDiskInfo(1).Caption() == L" Диск E: [DATA] ");
    RECT client{};
    ::GetClientRect(main.form.hWnd(), &client);
    CHECK(client.right == 581);
}

TEST_CASE("frmMain::WindowFitsItsRows")
{
    FakeDrives one = DrivesUsed({50});
    MainWindow first(one);
    CHECK(first.InnerHeightPixels() == 29); // 435 twips
    CHECK(first.form.ScaleHeight() == 435);

    FakeDrives three = DrivesUsed({50, 60, 70});
    MainWindow second(three);
    CHECK(second.Rows() == 3);
    CHECK(second.form.ScaleHeight() == 1155);
    CHECK(second.form.picSizeBar(2).Top() == 60 + 2 * 360);
    CHECK(second.form.lblDiskSize(2).Top() == 120 + 2 * 360);

    // A refresh with fewer rows removes the others and shrinks the window.
    three.drives.erase('E');
    three.drives.erase('D');
    second.form.RefreshBars();
    CHECK(second.form.picSizeBar.UBound() == 0);
    CHECK(second.form.ScaleHeight() == 435);
}

TEST_CASE("frmMain::NoQualifyingRow")
{
    FakeDrives none;
    none.Add('D', DRIVE_CDROM, 7e8, 0);
    MainWindow main(none);
    frmMain& form = main.form;
    CHECK(form.lblDisksNotFound.Visible());
    CHECK(form.lblDisksNotFound.Caption() == L"Подходящих дисков не обнаружено. Это печально!");
    CHECK(form.lblDisksNotFound.Top() == form.lblDiskInfo(0).Top());
    double expectedLeft = std::trunc(toolkit::RoundHalfEven(8715 - form.lblDisksNotFound.Width()) / 2);
    CHECK(form.lblDisksNotFound.Left() == doctest::Approx(expectedLeft).epsilon(0.002));
    CHECK_FALSE(form.lblDiskInfo(0).Visible());
    CHECK_FALSE(form.picSizeBar(0).Visible());
    CHECK(form.ScaleHeight() == 435);

    // A drive appears: row 0 comes back and the message goes.
    none.Add('C', DRIVE_FIXED, 100 * GB, 50 * GB);
    form.RefreshBars();
    CHECK_FALSE(form.lblDisksNotFound.Visible());
    CHECK(form.picSizeBar(0).Visible());
    CHECK(form.lblDiskInfo(0).Visible());
}

TEST_CASE("frmMain::BarsPaintTheirShare")
{
    FakeDrives drives = DrivesUsed({80, 85, 90, 95});
    MainWindow main(drives);
    frmMain& form = main.form;
    CHECK(HueOf(BarPixel(form.picSizeBar(0), 40)) == Hue::Green);
    CHECK(BarPixel(form.picSizeBar(0), 90) == RGB(255, 255, 255));
    CHECK(HueOf(BarPixel(form.picSizeBar(1), 40)) == Hue::Yellow);
    CHECK(HueOf(BarPixel(form.picSizeBar(2), 40)) == Hue::Yellow);
    CHECK(HueOf(BarPixel(form.picSizeBar(3), 40)) == Hue::Red);
    CHECK(form.lblDiskSize(1).Caption() ==
          L" " + support::asFormatByteSizeEx(85 * GB) + L" / " + support::asFormatByteSize(100 * GB));

    SUBCASE("free share")
    {
        main.access().ShowFreeSpace() = true;
        form.RefreshBars();
        CHECK(form.Caption() == L"Vorlan :: F5 / Tab / 0aANPRST :: свободно / всего");
        CHECK(HueOf(BarPixel(form.picSizeBar(0), 10)) == Hue::Yellow); // 20 % free
        CHECK(HueOf(BarPixel(form.picSizeBar(2), 5)) == Hue::Red);     // 10 % free
        CHECK(BarPixel(form.picSizeBar(0), 50) == RGB(255, 255, 255));
        CHECK(form.lblDiskSize(0).Caption() ==
              L" " + support::asFormatByteSizeEx(20 * GB) + L" / " + support::asFormatByteSize(100 * GB));
    }
}

namespace {

struct PixelCounts {
    int fill = 0, white = 0, black = 0, other = 0;
};

PixelCounts CountPixels(toolkit::PictureBox& bar, double fromPercent, double toPercent, Hue fill)
{
    RECT r{};
    ::GetClientRect(bar.hWnd(), &r);
    PixelCounts counts;
    for (int x = static_cast<int>(fromPercent * r.right / 100);
         x < static_cast<int>(toPercent * r.right / 100); ++x)
        for (int y = 0; y < r.bottom; ++y) {
            COLORREF c = ::GetPixel(bar.hDC(), x, y);
            if (HueOf(c) == fill)
                ++counts.fill;
            else if (c == RGB(255, 255, 255))
                ++counts.white;
            else if (c == RGB(0, 0, 0))
                ++counts.black;
            else
                ++counts.other;
        }
    return counts;
}

} // namespace

TEST_CASE("frmMain::PercentModes")
{
    FakeDrives drives = DrivesUsed({50, 5});
    MainWindow main(drives);
    frmMain& form = main.form;
    toolkit::PictureBox& bar = form.picSizeBar(0);

    // Mode 0 writes nothing: fill on the left, white on the right.
    PixelCounts left = CountPixels(bar, 0, 49, Hue::Green), right = CountPixels(bar, 51, 100, Hue::Green);
    CHECK(left.white + left.black + left.other == 0);
    CHECK(right.fill + right.black + right.other == 0);

    SUBCASE("mode 1: white text inside the end of the fill")
    {
        main.access().PercentMode() = 1;
        form.RefreshBars();
        PixelCounts text = CountPixels(bar, 38, 50, Hue::Green);
        CHECK(text.white + text.other > 0);
        CHECK(CountPixels(bar, 0, 37, Hue::Green).fill > 0);
        CHECK(CountPixels(bar, 51, 100, Hue::Green).black == 0);
        // At 5 % the text starts left of the bar and is cut there.
        CHECK(CountPixels(form.picSizeBar(1), 0, 5, Hue::Green).white +
                  CountPixels(form.picSizeBar(1), 0, 5, Hue::Green).other >
              0);
    }
    SUBCASE("mode 2: black text after the fill")
    {
        main.access().PercentMode() = 2;
        form.RefreshBars();
        CHECK(CountPixels(bar, 52, 70, Hue::Green).black > 0);
        CHECK(CountPixels(bar, 0, 49, Hue::Green).black == 0);
    }
    SUBCASE("mode 3: text centred, white over the fill and black over the rest")
    {
        main.access().PercentMode() = 3;
        form.RefreshBars();
        PixelCounts overFill = CountPixels(bar, 35, 50, Hue::Green);
        PixelCounts overWhite = CountPixels(bar, 51, 65, Hue::Green);
        CHECK(overFill.white > 0);
        CHECK(overFill.black == 0);
        CHECK(overWhite.black > 0);
        CHECK(overWhite.fill == 0);
        // Away from the text the fill has its own colour again.
        PixelCounts edge = CountPixels(bar, 0, 20, Hue::Green);
        CHECK(edge.white + edge.black + edge.other == 0);
    }
}

TEST_CASE("frmMain::SummaryAndPaths")
{
    FakeDrives drives;
    drives.Add('C', DRIVE_FIXED, 100 * GB, 40 * GB);
    drives.Add('E', DRIVE_FIXED, 300 * GB, 100 * GB);
    drives.Add('Z', DRIVE_REMOTE, 1000 * GB, 10 * GB);
    std::wstring longPath = L"C:\\" + std::wstring(120, L'п');
    drives.paths[longPath] = {100 * GB, 40 * GB};
    MainWindow main(drives);
    auto access = main.access();
    access.ShowSummary() = access.ShowNetworkDrives() = access.ShowAdditionalPaths() = true;
    access.AdditionalPaths() = {longPath};
    main.form.RefreshBars();
    frmMain& form = main.form;

    REQUIRE(main.Rows() == 5);
    CHECK(form.lblDiskInfo(3).Caption() == L"Мой компьютер ");
    // Local drives only: 400 GB in all, 260 GB used.
    CHECK(form.lblDiskSize(3).Caption() ==
          L" " + support::asFormatByteSizeEx(260 * GB) + L" / " + support::asFormatByteSize(400 * GB));

    // The path is cut from the right to the label's width, without an ellipsis.
    std::wstring name = form.lblDiskInfo(4).Caption();
    std::wstring full = L" Путь " + longPath;
    CHECK(name.size() < full.size());
    CHECK(full.compare(0, name.size(), name) == 0);
    CHECK(form.TextWidth(name) <= form.lblDiskInfo(4).Width());
    CHECK(form.TextWidth(full.substr(0, name.size() + 1)) > form.lblDiskInfo(4).Width());

    // The sums were consumed: a second build shows the same summary.
    form.RefreshBars();
    CHECK(form.lblDiskSize(3).Caption() ==
          L" " + support::asFormatByteSizeEx(260 * GB) + L" / " + support::asFormatByteSize(400 * GB));
}

TEST_CASE("frmMain::FreeSpaceBeyondTheTotal")
{
    // Under a disk quota the volume's free space can exceed the caller's total.
    FakeDrives drives;
    drives.Add('C', DRIVE_FIXED, 10 * GB, 50 * GB);
    drives.Add('E', DRIVE_FIXED, 100 * GB, 40 * GB);
    MainWindow main(drives);
    auto access = main.access();
    access.ShowSummary() = true;
    main.form.RefreshBars();
    frmMain& form = main.form;

    REQUIRE(main.Rows() == 3);
    CHECK(form.lblDiskInfo(0).Caption() == L" Диск C: [] ");
    CHECK(form.lblDiskSize(0).Caption() ==
          L" " + support::asFormatByteSizeEx(0) + L" / " + support::asFormatByteSize(10 * GB));
    CHECK(BarPixel(form.picSizeBar(0), 1) == RGB(255, 255, 255));
    // The summary counts the drive as all free.
    CHECK(form.lblDiskSize(2).Caption() ==
          L" " + support::asFormatByteSizeEx(60 * GB) + L" / " + support::asFormatByteSize(110 * GB));

    access.ShowFreeSpace() = true;
    form.RefreshBars();
    CHECK(form.lblDiskSize(0).Caption() ==
          L" " + support::asFormatByteSizeEx(10 * GB) + L" / " + support::asFormatByteSize(10 * GB));
    CHECK(HueOf(BarPixel(form.picSizeBar(0), 99)) == Hue::Green);
}

TEST_CASE("frmMain::ShareRootWithoutTrailingBackslash")
{
    // The system measures a share only at its root with the backslash.
    FakeDrives drives;
    drives.Add('C', DRIVE_FIXED, 100 * GB, 50 * GB);
    drives.paths[L"\\\\server\\share\\"] = {200 * GB, 50 * GB};
    MainWindow main(drives);
    auto access = main.access();
    access.ShowAdditionalPaths() = true;
    access.AdditionalPaths() = {L"\\\\server\\share"};
    main.form.RefreshBars();

    REQUIRE(main.Rows() == 2);
    CHECK(main.form.lblDiskInfo(1).Caption() == L" Путь \\\\server\\share");
    CHECK(main.form.lblDiskSize(1).Caption() ==
          L" " + support::asFormatByteSizeEx(150 * GB) + L" / " + support::asFormatByteSize(200 * GB));
}

namespace {

int captionSets = 0;
HWND watchedWindow = nullptr;

LRESULT CALLBACK CountCaptionSets(int code, WPARAM wParam, LPARAM lParam)
{
    auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == watchedWindow && call->message == WM_SETTEXT) ++captionSets;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_CASE("frmMain::CaptionSetOnlyWhenItChanges")
{
    MainWindow main;
    watchedWindow = main.form.hWnd();
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, CountCaptionSets, nullptr, ::GetCurrentThreadId());
    REQUIRE(hook);
    captionSets = 0;
    main.form.RefreshBars();
    main.form.RefreshBars();
    CHECK(captionSets == 0);

    main.form.tmrRefresh.Enabled(true);
    main.form.RefreshBars();
    CHECK(captionSets == 1);
    CHECK(main.form.Caption() == L"Vorlan :: Tab / 0aANPRST :: занято / всего");
    ::UnhookWindowsHookEx(hook);
}

TEST_CASE("frmMain::TimerTicksRefresh")
{
    FakeDrives drives = DrivesUsed({50});
    MainWindow main(drives);
    main.form.tmrRefresh.Interval(50);
    main.form.tmrRefresh.Enabled(true);
    drives.Add('D', DRIVE_FIXED, 100 * GB, 10 * GB);
    DWORD start = ::GetTickCount();
    while (main.Rows() < 2 && ::GetTickCount() - start < test_wait::Deadline(5000)) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        PumpMessages();
    }
    CHECK(main.Rows() == 2);
}

namespace {

// The real drives, counting the refreshes that list them.
struct CountedDrives : vorlan::DriveQueries {
    int listings = 0;
    std::string LogicalDriveStrings() override
    {
        ++listings;
        return DriveQueries::LogicalDriveStrings();
    }
};

} // namespace

TEST_CASE("frmMain::VolumeNoticesRefreshAtOnce")
{
    using vorlan_test::VolumeNotice;
    CountedDrives drives;
    MainWindow main(drives);
    frmMain& form = main.form;
    REQUIRE(main.Rows() == 2); // C: and E:

    SUBCASE("timer stopped") {}
    SUBCASE("timer running, its next tick far away")
    {
        form.tmrRefresh.Interval(65535);
        form.tmrRefresh.Enabled(true);
    }

    {
        vorlan_test::PrefixDrive drive(L'W', L"NEWDRIVE");
        PumpFor(300);
        CHECK(main.Rows() == 2); // nothing looks before the system tells
        VolumeNotice(DBT_DEVICEARRIVAL, drive.UnitMask());
        CHECK(vorlan_test::PumpUntil([&] { return main.Rows() == 3; }, 2000));
        CHECK(form.lblDiskInfo(2).Caption() == L" Диск W: [NEWDRIVE] ");
        CHECK(form.ScaleHeight() == 435 + 2 * 360);

        REQUIRE(drive.Remove());
        VolumeNotice(DBT_DEVICEREMOVECOMPLETE, drive.UnitMask());
        CHECK(vorlan_test::PumpUntil([&] { return main.Rows() == 2; }, 2000));
        CHECK(form.ScaleHeight() == 435 + 360);
    }

    // The notices of one device, one per volume and some repeated: one refresh.
    PumpFor(300);
    const int before = drives.listings;
    for (DWORD unit : {1u << 2, 1u << 4, 1u << 2, 1u << 4, 1u << 2})
        VolumeNotice(DBT_DEVICEARRIVAL, unit);
    VolumeNotice(DBT_DEVICEREMOVECOMPLETE, 1u << 4);
    CHECK(vorlan_test::PumpUntil([&] { return drives.listings > before; }, 2000));
    PumpFor(600);
    CHECK(drives.listings == before + 1);

    // Other notices change no rows: a port, a query before removal, a volume about to go.
    VolumeNotice(DBT_DEVICEARRIVAL, 0, DBT_DEVTYP_PORT);
    VolumeNotice(DBT_DEVICEQUERYREMOVE, 1u << 4);
    VolumeNotice(DBT_DEVICEREMOVEPENDING, 1u << 4);
    ::SendMessageW(form.hWnd(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    ::SendMessageW(form.hWnd(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    PumpFor(600);
    CHECK(drives.listings == before + 1);
}

TEST_CASE("frmMain::TopmostBand")
{
    MainWindow main;
    frmMain& form = main.form;
    REQUIRE(form.SBC);
    CHECK(form.SBC->HWnd() == form.hWnd());

    support::UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0,
                                                  300, 200, nullptr, nullptr, nullptr, nullptr));
    auto isTopmost = [&] { return (::GetWindowLongW(form.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };

    SUBCASE("kept on top when another window comes up")
    {
        form.SET_Topmost = true;
        form.MakeTopmost();
        CHECK(isTopmost());
        ::SetWindowPos(other.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetWindowPos(other.get(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(other.get());
        // Moving the window re-asserts the band through the hook.
        ::SetWindowPos(form.hWnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        PumpMessages();
        CHECK(isTopmost());
    }
    SUBCASE("without the option a position change triggers nothing")
    {
        form.SET_Topmost = false;
        form.MakeTopmost();
        ::SetWindowPos(form.hWnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        PumpMessages();
        CHECK_FALSE(isTopmost());
    }
    SUBCASE("the hook stops at unload")
    {
        form.Unload();
        CHECK(form.SBC->HWnd() == nullptr);
    }
}

TEST_CASE("frmMain::TransparencyIsOpacity")
{
    MainWindow main;
    main.form.SET_TransparencyPercent = 40;
    main.form.ApplyTransparency();
    BYTE alpha = 0;
    DWORD flags = 0;
    REQUIRE(::GetLayeredWindowAttributes(main.form.hWnd(), nullptr, &alpha, &flags));
    CHECK(alpha == 102);
    main.form.RemoveTransparency();
    ::GetLayeredWindowAttributes(main.form.hWnd(), nullptr, &alpha, &flags);
    CHECK(alpha == 255);
}

TEST_CASE("frmMain::RefreshesLeaveNothingBehind")
{
    FakeDrives drives = DrivesUsed({50, 85, 95});
    drives.Add('Z', DRIVE_REMOTE, 100 * GB, 50 * GB);
    drives.paths[L"C:\\Data"] = {100 * GB, 30 * GB};
    MainWindow main(drives);
    auto access = main.access();
    access.ShowSummary() = access.ShowNetworkDrives() = access.ShowAdditionalPaths() = true;
    access.AdditionalPaths() = {L"C:\\Data"};
    access.PercentMode() = 3;
    main.form.RefreshBars();
    PumpMessages();
    int gdi = CountGdiObjects(), windows = CountWindows(), handles = CountKernelHandles();
    for (int i = 0; i < 1000; ++i) {
        access.PercentMode() = i % 4;
        main.form.RefreshBars();
        PumpMessages();
    }
    access.PercentMode() = 3;
    main.form.RefreshBars();
    PumpMessages();
    CHECK(CountGdiObjects() == gdi);
    CHECK(CountWindows() == windows);
    // Threads that asked the drives may have ended meanwhile, giving theirs back.
    CHECK(CountKernelHandles() <= handles);
}
