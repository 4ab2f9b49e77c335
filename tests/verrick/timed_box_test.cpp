#include <doctest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "leak_probe.h"
#include "support/es.h"
#include "support/test_helpers.h"
#include "toolkit/application.h"
#include "verrick/errors/frmError500.h"
#include "verrick/errors/modError500.h"

using verrick::errors::frmError500;
using verrick::errors::ShowTimedBox;
using namespace dialog_driver;

namespace {

constexpr long kNone = -1;
// The time-out of a box that the action answers (seconds): so long that an
// answer the time-out gave, the default button's, cannot pass for the action's.
constexpr long kAnsweredByAction = 60;

struct Shown {
    long result;
    DWORD milliseconds;
};

Shown Show(std::function<void(frmError500&)> action, const std::wstring& text, long style,
           std::optional<std::wstring> title, long defaultIndex = kNone, long cancelIndex = kNone,
           long timeout = kAnsweredByAction)
{
    dialog_driver::WhenShown<frmError500> watch(std::move(action));
    const DWORD start = ::GetTickCount();
    const long result = ShowTimedBox(text, style, title, defaultIndex, cancelIndex, timeout);
    const DWORD milliseconds = ::GetTickCount() - start;
    if (timeout == kAnsweredByAction)
        CHECK_MESSAGE(milliseconds < kAnsweredByAction * 1000 / 2, "the box answered only after ",
                      milliseconds, " ms: its time-out did, not the action");
    return {result, milliseconds};
}

std::vector<UINT> g_beeps;
BOOL WINAPI RecordBeep(UINT type)
{
    g_beeps.push_back(type);
    return TRUE;
}

// The system's button strings of a Russian system: only Yes has one here.
int WINAPI RussianYes(HINSTANCE module, UINT id, LPWSTR buffer, int size)
{
    if (module != ::GetModuleHandleW(L"user32.dll") || id != 805 || size < 4) return 0;
    wcscpy(buffer, L"&Да");
    return 3;
}

struct SystemCalls {
    verrick::errors::TimedBoxSystem saved = verrick::errors::TimedBoxSystemCalls();
    SystemCalls()
    {
        g_beeps.clear();
        verrick::errors::TimedBoxSystemCalls().messageBeep = RecordBeep;
    }
    ~SystemCalls() { verrick::errors::TimedBoxSystemCalls() = saved; }
};

double Twips(int pixels)
{
    return pixels * static_cast<double>(support::esScreenTwipsPerPixelX());
}

// The shortest run of one letter wider than the given pixels in the system's
// message font, on one line.
std::wstring TextWiderThan(int pixels)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    REQUIRE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    metrics.lfMessageFont.lfCharSet = RUSSIAN_CHARSET;
    support::UniqueFont font(::CreateFontIndirectW(&metrics.lfMessageFont));
    support::WindowDC screen(nullptr);
    support::SelectedObject selected(screen.get(), font.get());
    std::wstring text;
    SIZE size{};
    do {
        text += L'm';
        REQUIRE(::GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size));
    } while (size.cx <= pixels);
    return text;
}

// How far the rightmost drawn pixel of the message (the rows above the
// buttons) lies from the right edge of the client area, as the screen shows it.
int MessageMarginRight(frmError500& d)
{
    PumpFor(200);
    const test_artefacts::Pixels shot = test_artefacts::CaptureClient(d.hWnd());
    RECT button{};
    ::GetWindowRect(d.cmdButton(0).hWnd(), &button);
    POINT buttonTop{button.left, button.top};
    ::ScreenToClient(d.hWnd(), &buttonTop);
    const DWORD background = shot.At(shot.width - 1, 0);
    int rightmost = -1;
    for (int y = 0; y < buttonTop.y; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.At(x, y) != background && x > rightmost) rightmost = x;
    return shot.width - 1 - rightmost;
}

} // namespace

TEST_CASE("TimedBox::Layout")
{
    SystemCalls calls;

    SUBCASE("Yes and No with a question icon take the two right slots, Yes counting down at once")
    {
        Shown shown = Show(
            [](frmError500& d) {
                CHECK(d.cmdButton(0).Caption() == L"&Yes (15)");
                CHECK(d.cmdButton(1).Caption() == L"&No");
                CHECK(d.cmdButton(0).Left() == 3000);
                CHECK(d.cmdButton(1).Left() == 4560);
                CHECK(d.cmdButton(0).Visible());
                CHECK_FALSE(d.cmdButton(2).Visible());
                CHECK(d.cmdButton(0).Default());
                CHECK(d.cmdButton(1).Cancel());
                CHECK(::GetFocus() == d.cmdButton(0).hWnd());
                CHECK(d.lblMessage.Left() == 1080);
                CHECK(d.ScaleWidth() == 6195);
                const double buttonTop = 180 + d.lblMessage.Height() + 360;
                CHECK(d.cmdButton(0).Top() == buttonTop);
                CHECK(d.ScaleHeight() == buttonTop + 435 + 180);
                CHECK(::GetWindowTextLengthW(d.hWnd()) > 0);
                // The icon is drawn where the design marks it.
                support::WindowDC dc(d.hWnd());
                bool iconShows = false;
                for (int x = 20; x < 52 && !iconShows; ++x)
                    for (int y = 24; y < 56 && !iconShows; ++y)
                        iconShows = ::GetPixel(dc.get(), x, y) != ::GetSysColor(COLOR_BTNFACE);
                CHECK(iconShows);
                SaveScreenshot(d.hWnd(), L"timed_box_question.bmp");
                SendKey(VK_ESCAPE);
            },
            L"Save the changes to the document?", 36, L"Question", kNone, kNone, 15);
        CHECK(shown.result == 7);
        CHECK(g_beeps == std::vector<UINT>{MB_ICONQUESTION});
    }

    SUBCASE("without an icon the text starts 270 twips from the left and everything moves 810 twips")
    {
        Shown shown = Show(
            [](frmError500& d) {
                CHECK(d.lblMessage.Left() == 270);
                CHECK(d.cmdButton(0).Left() == 3000 - 810);
                CHECK(d.cmdButton(1).Left() == 4560 - 810);
                CHECK(d.ScaleWidth() == 6195 - 810);
                SaveScreenshot(d.hWnd(), L"timed_box_no_icon.bmp");
                SendKey(VK_RETURN);
            },
            L"No icon here.", 4, L"Plain");
        CHECK(shown.result == 6);
        CHECK(g_beeps == std::vector<UINT>{0xFFFFFFFF});
    }

    SUBCASE("a long text wraps at the screen width less 300 pixels and widens the dialog")
    {
        std::wstring text;
        for (int i = 0; i < 120; ++i)
            text += L"word" + std::to_wstring(i) + L" ";
        Shown shown = Show(
            [](frmError500& d) {
                const double limit = Twips(support::esScreenWidthPx() - 300);
                CHECK(d.lblMessage.Width() <= limit);
                CHECK(d.lblMessage.Width() > limit - Twips(100));
                const double grow = d.lblMessage.Width() - 4935;
                CHECK(d.ScaleWidth() == 6195 + grow);
                CHECK(d.cmdButton(0).Left() == 4560 + grow);
                CHECK(d.lblMessage.Height() > 2 * 180);
                SaveScreenshot(d.hWnd(), L"timed_box_long_text.bmp");
                d.cmdButton(0).Value(true);
            },
            text, 64, L"Long");
        CHECK(shown.result == 1);
    }

    SUBCASE("a very tall text is measured no taller than the screen height less 200 pixels")
    {
        std::wstring text;
        for (int i = 0; i < 300; ++i)
            text += L"line " + std::to_wstring(i) + L"\r\n";
        Shown shown = Show(
            [](frmError500& d) {
                CHECK(d.lblMessage.Height() == Twips(support::esScreenHeightPx() - 200));
                d.cmdButton(0).Value(true);
            },
            text, 16, L"Tall");
        CHECK(shown.result == 1);
    }

    SUBCASE("an empty title is one blank; an absent one is the program's")
    {
        std::wstring caption;
        CHECK(Show(
                  [&](frmError500& d) {
                      caption = d.Caption();
                      d.cmdButton(0).Value(true);
                  },
                  L"x", 0, L"")
                  .result == 1);
        CHECK(caption == L" ");
        CHECK(Show(
                  [&](frmError500& d) {
                      caption = d.Caption();
                      d.cmdButton(0).Value(true);
                  },
                  L"x", 0, std::nullopt)
                  .result == 1);
        CHECK(caption == support::esGetThunderMainTitle());
        CHECK(caption == L"verrick_dialog_tests");
    }

    SUBCASE("captions come from the system's strings where it has them, else from the table")
    {
        verrick::errors::TimedBoxSystemCalls().loadString = RussianYes;
        std::wstring yes, no;
        CHECK(Show(
                  [&](frmError500& d) {
                      yes = d.TimeoutButtonCaption;
                      no = d.cmdButton(1).Caption();
                      d.cmdButton(1).Value(true);
                  },
                  L"x", 4, L"t")
                  .result == 7);
        CHECK(yes == L"&Да");
        CHECK(no == L"&No");
    }
}

TEST_CASE("TimedBox::AWideTextIsDrawnWithinTheClientArea")
{
    // The dialog grows once the text is wider than the design's 4935 twips,
    // with or without the icon's place, keeping the 180-twip margin on the right.
    SystemCalls calls;
    const int threshold = static_cast<int>(4935 / static_cast<double>(support::esScreenTwipsPerPixelX()));
    const int margin = static_cast<int>(180 / static_cast<double>(support::esScreenTwipsPerPixelX()));
    for (const long style : {16L, 0L}) {
        for (const int over : {0, 27, 54}) {
            const std::wstring text = TextWiderThan(threshold + over);
            CAPTURE(style);
            CAPTURE(over);
            int margins = -1;
            Show(
                [&](frmError500& d) {
                    margins = MessageMarginRight(d);
                    if (style == 0 && over == 27) SaveScreenshot(d.hWnd(), L"timed_box_wide_no_icon.bmp");
                    d.cmdButton(0).Value(true);
                },
                text, style, L"Wide");
            CHECK(margins >= margin - 2);
        }
    }
}

TEST_CASE("TimedBox::Answers")
{
    SystemCalls calls;

    SUBCASE("a time-out of 0 or less counts one second and answers with the default button")
    {
        for (long timeout : {0L, -5L}) {
            std::wstring first;
            Shown shown = Show([&](frmError500& d) { first = d.cmdButton(0).Caption(); }, L"Closing soon", 36,
                               L"t", kNone, kNone, timeout);
            CHECK(first == L"&Yes (1)");
            CHECK(shown.result == 6);
            CHECK(shown.milliseconds >= 1100);
            CHECK(shown.milliseconds < 2500);
        }
    }

    SUBCASE("the countdown shows 0 before the box closes")
    {
        std::vector<std::wstring> seen;
        Show(
            [&](frmError500& d) {
                for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 1800 && d.Visible();) {
                    MSG message;
                    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                        toolkit::Application::Dispatch(message);
                    const std::wstring caption = d.cmdButton(1).Caption();
                    if (seen.empty() || seen.back() != caption) seen.push_back(caption);
                    ::Sleep(10);
                }
            },
            L"Counting", 4, L"t", 1, kNone, 1);
        CHECK(seen == std::vector<std::wstring>{L"&No (1)", L"&No (0)"});
    }

    SUBCASE("Esc gives the cancel button's result, Enter the default button's")
    {
        CHECK(Show([](frmError500&) { SendKey(VK_ESCAPE); }, L"x", 3, L"t").result == 2);
        CHECK(Show([](frmError500&) { SendKey(VK_RETURN); }, L"x", 3, L"t").result == 6);
        CHECK(Show([](frmError500&) { SendKey(VK_RETURN); }, L"x", 2, L"t").result == 4);
        CHECK(Show([](frmError500&) { SendKey(VK_ESCAPE); }, L"x", 2, L"t").result == 3);
        CHECK(Show([](frmError500&) { SendKey(VK_RETURN); }, L"x", 4, L"t", 1).result == 7);
    }

    SUBCASE("a click on another button gives that button's result")
    {
        CHECK(Show([](frmError500& d) { ClickOn(d.cmdButton(1).hWnd()); }, L"x", 3, L"t").result == 7);
        CHECK(Show([](frmError500& d) { ClickOn(d.cmdButton(2).hWnd()); }, L"x", 3, L"t").result == 2);
        CHECK(Show([](frmError500& d) { ClickOn(d.cmdButton(1).hWnd()); }, L"x", 5, L"t").result == 2);
    }

    SUBCASE("an index past the buttons falls back to the set's own; one button can be default and cancel")
    {
        std::wstring counting;
        CHECK(Show(
                  [&](frmError500& d) {
                      counting = d.cmdButton(0).Caption();
                      SendKey(VK_RETURN);
                  },
                  L"x", 4, L"t", 5)
                  .result == 6);
        CHECK(counting == L"&Yes (" + std::to_wstring(kAnsweredByAction) + L")");
        CHECK(Show(
                  [](frmError500& d) {
                      CHECK(d.cmdButton(0).Default());
                      CHECK(d.cmdButton(0).Cancel());
                      SendKey(VK_ESCAPE);
                  },
                  L"x", 1, L"t", kNone, 0)
                  .result == 1);
    }

    SUBCASE("button sets past 5 count down on button 0 without a caption of its own and answer 0")
    {
        std::wstring counting;
        Shown shown = Show([&](frmError500& d) { counting = d.cmdButton(0).Caption(); }, L"x", 6, L"t", kNone,
                           kNone, 1);
        CHECK(counting == L" (1)");
        CHECK(shown.result == 0);
    }
}

TEST_CASE("TimedBox::ModalToItsCaller")
{
    // The caller's window is disabled while the box shows, and the box stays in front of it when it is
    // raised.
    SystemCalls calls;
    CallerWindow caller;
    bool enabledWhileShown = true, boxInFront = false;
    Show(
        [&](frmError500& d) {
            enabledWhileShown = caller.Enabled();
            ::SetWindowPos(caller.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            PumpFor(100);
            boxInFront = caller.Below(d.hWnd());
            ClickOn(caller.hWnd());
            PumpFor(300);
            d.cmdButton(0).Value(true);
        },
        L"Modal", 0, L"t");
    CHECK_FALSE(enabledWhileShown);
    CHECK(boxInFront);
    CHECK(caller.Presses() == 0);
    CHECK(caller.Enabled());
}

namespace {

struct ThreadRun {
    HANDLE start = nullptr;
    long result = -1;
    std::wstring error;
};

DWORD WINAPI ShowOnThread(LPVOID context)
{
    auto& run = *static_cast<ThreadRun*>(context);
    ::WaitForSingleObject(run.start, INFINITE);
    try {
        run.result = ShowTimedBox(L"On a thread of its own", 0, std::wstring(L"t"), kNone, kNone, 1);
    } catch (...) {
        run.error = toolkit::Application::DescribeError(std::current_exception());
    }
    return 0;
}

} // namespace

TEST_CASE("TimedBox::EachThreadShowsItsOwn")
{
    // Two threads, let go together, show a box at the same time (the first forms of the process, so
    // they register its window classes side by side), each answered by its own countdown; then this
    // thread shows one after they have ended.
    support::UniqueKernelHandle start(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ThreadRun runs[2];
    support::UniqueKernelHandle threads[2];
    for (int i = 0; i < 2; ++i) {
        runs[i].start = start.get();
        threads[i].reset(::CreateThread(nullptr, 0, ShowOnThread, &runs[i], 0, nullptr));
        REQUIRE(threads[i]);
    }
    ::SetEvent(start.get());
    const HANDLE waits[2] = {threads[0].get(), threads[1].get()};
    REQUIRE(::WaitForMultipleObjects(2, waits, TRUE, test_wait::Deadline(10000)) == WAIT_OBJECT_0);
    for (const ThreadRun& run : runs)
        CHECK_MESSAGE(run.result == 1, support::ToUtf8(run.error));
    long after = -1;
    CHECK_NOTHROW(after = Show([](frmError500& d) { d.cmdButton(0).Value(true); }, L"After", 0, L"t").result);
    CHECK(after == 1);
}

TEST_CASE("TimedBox::LeavesNothingBehind")
{
    SystemCalls calls;
    CheckRoundsLeaveNothing(100, [] {
        CHECK(Show([](frmError500& d) { d.cmdButton(0).Value(true); }, L"Again", 48, L"t").result == 1);
    });
}
