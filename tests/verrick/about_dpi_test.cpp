// The About box at the screen's real dots per inch, opened by a client that
// declares itself DPI-aware (dpi_aware_client.manifest). The driver
// (tests/dpi.sh, under version_site.sh) sets the prefix's LogPixels and runs
// this program once per setting, naming it in VORLAN_EXPECTED_DPI: the box
// and its controls grow with the screen, fonts with them, nothing leaves its
// window and no text is cut, on every page and after an update check.
#include <doctest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "about_box_driver.h"

using namespace about_test;

namespace {

constexpr int kWaitTicks = 80; // how long the update check may take

int ExpectedDpi()
{
    const char* text = std::getenv("VORLAN_EXPECTED_DPI");
    return text ? std::atoi(text) : 96;
}

// Pixels of a design length in twips at the given dots per inch.
double Pixels(double twips, int dpi)
{
    return twips * dpi / 1440.0;
}

SIZE ClientSize(HWND window)
{
    RECT r{};
    ::GetClientRect(window, &r);
    return {r.right, r.bottom};
}

// The em height (cell height less internal leading) of the font a window draws with.
int EmHeight(HWND window)
{
    auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    if (!font) return 0;
    support::WindowDC dc(window);
    support::SelectedObject selected(dc.get(), font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

// The room a window's text needs in its own font, broken into lines at the window's width.
RECT TextNeeds(HWND window, bool mnemonic)
{
    RECT needed{0, 0, ClientSize(window).cx, 0};
    auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    CHECK(font);
    if (!font) return needed;
    support::WindowDC dc(window);
    support::SelectedObject selected(dc.get(), font);
    const std::wstring text = TextOf(window);
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | (mnemonic ? 0 : DT_NOPREFIX));
    return needed;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow(static_cast<size_t>(
                           ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                       '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), static_cast<int>(narrow.size()),
                          nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

// Every shown window of the page lies inside its parent's client area, and
// every label's and button's text fits its window.
void CheckNothingCut(HWND parent)
{
    const SIZE room = ClientSize(parent);
    for (HWND child : ChildrenOf(parent)) {
        if (!::IsWindowVisible(child)) continue;
        const std::wstring kind = ClassOf(child);
        CAPTURE(Narrow(kind));
        CAPTURE(Narrow(TextOf(child)));
        RECT r = RectIn(child, parent);
        CHECK(r.left >= 0);
        CHECK(r.top >= 0);
        CHECK(r.right <= room.cx);
        CHECK(r.bottom <= room.cy);
        if ((kind == L"ToolkitLabel" || kind == L"ToolkitCommandButton") && !TextOf(child).empty()) {
            // A button draws its text inside its edges, shifted a pixel when disabled.
            const bool button = kind == L"ToolkitCommandButton";
            const int margin = button ? 2 * (::GetSystemMetrics(SM_CXEDGE) + 2) : 0;
            const RECT needed = TextNeeds(child, button);
            const SIZE has = ClientSize(child);
            CHECK(needed.right + margin <= has.cx);
            CHECK(needed.bottom <= has.cy);
        }
        CheckNothingCut(child);
    }
}

} // namespace

TEST_CASE("AboutBoxDpi::ScalesWithTheScreen")
{
    Com com;
    const int dpi = ExpectedDpi();
    {
        support::WindowDC screen(nullptr);
        REQUIRE(::GetDeviceCaps(screen.get(), LOGPIXELSX) == dpi);
    }
    std::vector<std::wstring> pages;
    int waited = 0;
    auto shot = [&](HWND box) {
        SaveScreenshot(box,
                       L"about-dpi-" + std::to_wstring(dpi) + L"-" + std::to_wstring(pages.size()) + L".bmp");
    };
    BoxScript::Step onwards = [&](HWND box) {
        if (pages.size() > 8 || (!pages.empty() && CurrentPage(box) == pages.front())) return;
        pages.push_back(CurrentPage(box));
        CAPTURE(Narrow(pages.back()));
        CheckNothingCut(box);
        shot(box);
        test_input::SendKeys({VK_NEXT});
        BoxScript::Again();
    };
    CHECK(ShowEx(Content{},
                 {[&](HWND box) {
                      ::SetForegroundWindow(box);
                      // The client area is the design's 5775 x 2415 twips in the screen's pixels.
                      const SIZE client = ClientSize(box);
                      CHECK(std::abs(client.cx - Pixels(5775, dpi)) <= 1.0);
                      CHECK(std::abs(client.cy - Pixels(2415, dpi)) <= 1.0);
                      HWND main = Page(box, L"Main tab");
                      CHECK(main);
                      if (!main) return;
                      const SIZE page = ClientSize(main);
                      CHECK(std::abs(page.cx - Pixels(4635, dpi)) <= 1.0);
                      CHECK(std::abs(page.cy - Pixels(1695, dpi)) <= 1.0);
                      // Fonts grow with the screen: the title's 18 points, the labels' 8.25.
                      HWND title = LabelOn(main, L"Test Program");
                      HWND version = LabelOn(main, L"Версия:");
                      CHECK(title);
                      CHECK(version);
                      if (!title || !version) return;
                      CHECK(std::abs(EmHeight(title) - 18.0 * dpi / 72) <= 1.0);
                      CHECK(std::abs(EmHeight(version) - 8.25 * dpi / 72) <= 1.0);
                      CHECK(std::abs(EmHeight(ButtonWithText(box, L"Ok")) - 8.25 * dpi / 72) <= 1.0);
                      // The big icon's box and the picture keep their design size in twips.
                      HWND icon = FirstOfClass(box, L"ToolkitOleHost");
                      CHECK(icon);
                      if (!icon) return;
                      CHECK(std::abs(ClientSize(icon).cx - Pixels(615, dpi)) <= 1.0);
                      CHECK(std::abs(ClientSize(icon).cy - Pixels(615, dpi)) <= 1.0);
                      // The window's icon is drawn for the screen's small-icon size.
                      ICONINFO info{};
                      auto small = reinterpret_cast<HICON>(::SendMessageW(box, WM_GETICON, ICON_SMALL, 0));
                      CHECK(::GetIconInfo(small, &info));
                      support::UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
                      BITMAP bits{};
                      ::GetObjectW(colour.get(), sizeof bits, &bits);
                      CHECK(bits.bmWidth == ::GetSystemMetrics(SM_CXSMICON));
                      HWND picture = FirstOfClass(main, L"ToolkitImage");
                      CHECK(picture);
                      if (!picture) return;
                      RECT r = RectIn(picture, main);
                      CHECK(std::abs(r.left - Pixels(3540, dpi)) <= 1.0);
                      CHECK(std::abs(r.top - Pixels(660, dpi)) <= 1.0);
                      CHECK(std::abs(r.right - r.left - Pixels(1020, dpi)) <= 2.0);
                      CHECK(std::abs(r.bottom - r.top - Pixels(990, dpi)) <= 2.0);
                  },
                  onwards,
                  // The update check's page once the check succeeded (the driver's
                  // site serves an older version: the longest result there is).
                  [](HWND) { test_input::SendKeys({VK_PRIOR}); },
                  [&](HWND box) {
                      HWND page = Page(box, L"Update check");
                      CHECK(CurrentPage(box) == L"Update check");
                      ClickFound(FirstOfClass(page, L"ToolkitCommandButton"));
                  },
                  [&](HWND box) {
                      HWND page = Page(box, L"Update check");
                      if (!LabelOn(page, L"http://www.velmora-tools.example/") && ++waited < kWaitTicks)
                          return BoxScript::Again();
                      CHECK(LabelOn(page, L"http://www.velmora-tools.example/"));
                      CHECK_FALSE(::IsWindowEnabled(FirstOfClass(page, L"ToolkitCommandButton")));
                      CheckNothingCut(box);
                      SaveScreenshot(box, L"about-dpi-" + std::to_wstring(dpi) + L"-update-done.bmp");
                  },
                  Close()}) == S_OK);
    // Every page was looked at: main, description, modules, times, system, update.
    CHECK(pages.size() == 6);
}
