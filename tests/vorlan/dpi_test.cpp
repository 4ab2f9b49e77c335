// Vorlan's window at the screen's real dots per inch. The driver (dpi.sh)
// sets the prefix's LogPixels and runs this program once per setting, naming
// the setting in VORLAN_EXPECTED_DPI: the window, its fonts, bars and icons
// grow with it, and no text is cut.
#include <doctest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "fake_drives.h"
#include "main_window.h"
#include "toolkit/label.h"
#include "verrick/dialog_driver.h"

using vorlan_test::FakeDrives;
using vorlan_test::MainWindow;

namespace {

constexpr double GB = 1024.0 * 1024 * 1024;

int ExpectedDpi()
{
    const char* text = std::getenv("VORLAN_EXPECTED_DPI");
    return text ? std::atoi(text) : 96;
}

// Pixels of a design length in twips at the given dots per inch.
double Pixels(long twips, int dpi)
{
    return twips * dpi / 1440.0;
}

// The text's size in the font the label draws with, as its window tells it.
SIZE TextSize(const toolkit::Label& label, TEXTMETRICW* metrics)
{
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(label.hWnd(), WM_GETFONT, 0, 0));
    REQUIRE(font != nullptr);
    support::WindowDC dc(nullptr);
    support::SelectedObject selected(dc.get(), font);
    SIZE size{};
    const std::wstring& text = label.Caption();
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    ::GetTextMetricsW(dc.get(), metrics);
    return size;
}

SIZE ClientSize(HWND window)
{
    RECT r{};
    ::GetClientRect(window, &r);
    return {r.right, r.bottom};
}

} // namespace

TEST_CASE("dpi::MainWindowScalesWithTheScreen")
{
    const int dpi = ExpectedDpi();
    {
        support::WindowDC screen(nullptr);
        REQUIRE(::GetDeviceCaps(screen.get(), LOGPIXELSX) == dpi);
    }

    FakeDrives drives;
    drives.Add('C', DRIVE_FIXED, 100 * GB, 37 * GB);
    drives.Add('E', DRIVE_FIXED, 2000 * GB, 1500 * GB);
    MainWindow main(drives);
    vorlan::frmMain& form = main.form;
    REQUIRE(main.Rows() == 2);

    // The client area is the design's twips in the screen's pixels: 1.5 times
    // as large at 144 dots per inch as at 96.
    SIZE client = ClientSize(form.hWnd());
    CHECK(std::abs(client.cx - Pixels(form.ScaleWidth(), dpi)) <= 1.0);
    CHECK(std::abs(client.cx - 581.0 * dpi / 96) <= 2.0);
    CHECK(std::abs(client.cy - Pixels(form.ScaleHeight(), dpi)) <= 1.0);

    for (int row = 0; row < 2; ++row) {
        CAPTURE(row);
        // Bars keep their design share of the window.
        SIZE bar = ClientSize(form.picSizeBar(row).hWnd());
        CHECK(std::abs(bar.cx - Pixels(3495, dpi)) <= 3.0);
        CHECK(std::abs(bar.cy - Pixels(315, dpi)) <= 3.0);
        // No text is cut: each label's text fits its label.
        for (toolkit::Label* label : {&form.lblDiskInfo(row), &form.lblDiskSize(row)}) {
            std::string shown(label->Caption().begin(), label->Caption().end()); // ASCII enough to read
            CAPTURE(shown);
            TEXTMETRICW metrics{};
            SIZE needed = TextSize(*label, &metrics);
            SIZE room = ClientSize(label->hWnd());
            CHECK(!label->Caption().empty());
            CHECK(needed.cx <= room.cx);
            CHECK(needed.cy <= room.cy);
            // Fonts grow with the screen: 9 points are 12 pixels at 96 dots per inch.
            CHECK(std::abs(metrics.tmHeight - metrics.tmInternalLeading - 12.0 * dpi / 96) <= 1.0);
        }
        // The drive's icon is drawn at the system's small-icon size, inside its box.
        const int icon = ::GetSystemMetrics(SM_CXSMICON);
        CHECK(icon >= 16 * dpi / 96);
        SIZE box = ClientSize(form.picDiskIcon(row).hWnd());
        CHECK(box.cx >= icon);
        CHECK(box.cy >= icon);
    }

    std::wstring name = L"vorlan-dpi-" + std::to_wstring(dpi) + L".bmp";
    dialog_driver::SaveScreenshot(form.hWnd(), name.c_str());
}
