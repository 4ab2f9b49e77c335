#include <doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "leak_probe.h"
#include "toolkit/twips.h"
#include "verrick/forms/frmList.h"

using namespace dialog_driver;
using verrick::forms::frmList;
using verrick::forms::ShowListDialog;

namespace {

void Show(std::function<void(frmList&)> action, const std::vector<std::wstring>& items,
          const std::wstring& caption = L"Files", bool showCount = true)
{
    WhenShown<frmList> watch(std::move(action));
    ShowListDialog(items, caption, showCount, std::nullopt);
}

// The middle of a line of the list, on the screen.
POINT LinePoint(const frmList& dialog, int index)
{
    RECT item{};
    ::SendMessageW(dialog.lstList.hWnd(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item));
    POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ::ClientToScreen(dialog.lstList.hWnd(), &point);
    return point;
}

// The rightmost column of an item that the screen shows in another colour than its background.
int InkRight(const frmList& dialog, int index)
{
    RECT item{};
    ::SendMessageW(dialog.lstList.hWnd(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item));
    const test_artefacts::Pixels shot = test_artefacts::CaptureClient(dialog.lstList.hWnd());
    const DWORD background = shot.At(item.right - 2, item.top + 1);
    for (int x = item.right - 2; x >= item.left; --x)
        for (int y = item.top; y < item.bottom; ++y)
            if (shot.At(x, y) != background) return x;
    return -1;
}

void Redraw(const frmList& dialog)
{
    ::InvalidateRect(dialog.lstList.hWnd(), nullptr, TRUE);
    ::UpdateWindow(dialog.lstList.hWnd());
    PumpFor(100);
}

} // namespace

TEST_CASE("ListDialog::Contents")
{
    SUBCASE("a click shows the text after the first tab, or the whole line without one")
    {
        std::wstring afterTab, wholeLine;
        bool closed = false;
        Show(
            [&](frmList& d) {
                CHECK(d.Caption() == L"Files [3]");
                CHECK(d.lstList.ListCount() == 3);
                ClickAt(LinePoint(d, 0));
                PumpFor(200);
                afterTab = d.lblTag.Caption();
                SaveScreenshot(d.hWnd(), L"list_dialog.bmp");
                ClickAt(LinePoint(d, 2));
                PumpFor(200);
                wholeLine = d.lblTag.Caption();
                SendKey(VK_RETURN);
                PumpFor(200);
                closed = !d.IsLoaded();
            },
            {L"notes\tC:\\Data\\notes.txt\tmore", L"a & b\tD:\\a & b", L"no tab here"});
        CHECK(afterTab == L"C:\\Data\\notes.txt\tmore");
        CHECK(wholeLine == L"no tab here");
        CHECK(closed);
    }
    SUBCASE("an empty list counts 0; without the count the caption is the caller's")
    {
        std::wstring caption;
        Show(
            [&](frmList& d) {
                caption = d.Caption();
                SendKey(VK_ESCAPE);
            },
            {}, L"");
        CHECK(caption == L" [0]");
        Show(
            [&](frmList& d) {
                caption = d.Caption();
                SendKey(VK_ESCAPE);
            },
            {L"one"}, L"Exactly this", false);
        CHECK(caption == L"Exactly this");
    }
}

TEST_CASE("ListDialog::TabsShowAsColumns")
{
    // Line 0 holds the caret (and its focus frame); the lines measured are below it.
    const std::vector<std::wstring> items{L"caret", L"Y", L"\tY", L"x\tY", L"xx\tY"};
    int first = 0, second = 0, defaultStop = 0;
    bool sameColumn = false, style = false;
    Show(
        [&](frmList& d) {
            style = (::GetWindowLongPtrW(d.lstList.hWnd(), GWL_STYLE) & LBS_USETABSTOPS) != 0;
            Redraw(d);
            // Where "Y" ends after a tab is where the stop is, whatever came before the tab.
            const int plain = InkRight(d, 1);
            defaultStop = InkRight(d, 2) - plain;
            sameColumn = InkRight(d, 3) == InkRight(d, 2) && InkRight(d, 4) == InkRight(d, 2);
            INFO("stop " << defaultStop << ", after x " << InkRight(d, 3) - plain << ", after xx "
                         << InkRight(d, 4) - plain);
            SaveScreenshot(d.hWnd(), L"list_dialog_tabs.bmp");
            int stops[] = {40};
            ::SendMessageW(d.lstList.hWnd(), LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops));
            Redraw(d);
            first = InkRight(d, 3) - plain;
            stops[0] = 80;
            ::SendMessageW(d.lstList.hWnd(), LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops));
            Redraw(d);
            second = InkRight(d, 3) - plain;
            SendKey(VK_ESCAPE);
        },
        items);
    CHECK(style);
    CHECK(sameColumn);
    // The first default stop lies past two letters: the tab is no narrow box glyph.
    CHECK(defaultStop > 20);
    // Stops set in dialog units move the column in proportion.
    CHECK(first > 20);
    CHECK(second >= 2 * first - 1);
    CHECK(second <= 2 * first + 1);
}

TEST_CASE("ListDialog::Keys")
{
    // Enter and Esc close the dialog wherever the focus is.
    for (WORD key : {VK_RETURN, VK_ESCAPE}) {
        for (bool focusOnList : {true, false}) {
            bool closed = false;
            Show(
                [&](frmList& d) {
                    ::SetFocus(focusOnList ? d.lstList.hWnd() : d.hWnd());
                    SendKey(key);
                    PumpFor(300);
                    closed = !d.IsLoaded();
                    if (!closed) d.Unload();
                },
                {L"a", L"b"});
            CHECK(closed);
        }
    }
}

TEST_CASE("ListDialog::Resize")
{
    Show(
        [](frmList& d) {
            const double frame = toolkit::RoundHalfEven(d.Height() - d.ScaleHeight());
            const double minimum = toolkit::RoundHalfEven(2 * d.lblTag.Height() + frame + 120);
            d.Height(300);
            CHECK(d.Height() == doctest::Approx(minimum).epsilon(0.01));
            d.Move(d.Left(), d.Top(), 5000, 3000);
            CHECK(d.lstList.Left() == 60);
            CHECK(d.lstList.Width() == d.ScaleWidth() - 120);
            CHECK(d.lstList.Height() <= d.ScaleHeight() - d.lblTag.Height() - 120);
            // The label follows the list's real bottom edge.
            RECT list{};
            ::GetWindowRect(d.lstList.hWnd(), &list);
            CHECK(d.lblTag.Top() == (list.bottom - list.top) * toolkit::TwipsPerPixelY() + 60);
            CHECK(d.lblTag.Width() == d.ScaleWidth() - 120);
            SendKey(VK_ESCAPE);
        },
        {L"a", L"b", L"c"});
}

TEST_CASE("ListDialog::ModalToItsCaller")
{
    CallerWindow caller;
    bool enabledWhileShown = true;
    Show(
        [&](frmList& d) {
            enabledWhileShown = caller.Enabled();
            ClickOn(caller.hWnd());
            PumpFor(300);
            d.Unload();
        },
        {L"a"});
    CHECK_FALSE(enabledWhileShown);
    CHECK(caller.Presses() == 0);
    CHECK(caller.Enabled());
}

TEST_CASE("ListDialog::LeavesNothingBehind")
{
    CheckRoundsLeaveNothing(100, [] { Show([](frmList& d) { d.Unload(); }, {L"one\ttwo", L"three"}); });
}
