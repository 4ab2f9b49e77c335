// The About box while its update check waits for a server that never answers
// (version_site.sh with VERSION_SERVER_SILENT=1): the box keeps drawing itself
// and Esc closes it at once.
#include <doctest.h>

#include <windows.h>

#include "about_box_driver.h"
#include "support/handles.h"
#include "wait_scale.h"

using namespace about_test;

namespace {

constexpr DWORD kCover = 0x00FF00FF; // a colour the box never shows

LRESULT CALLBACK CoverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT r{};
        ::GetClientRect(window, &r);
        support::UniqueBrush brush(::CreateSolidBrush(RGB(0xFF, 0x00, 0xFF)));
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, brush.get());
        return 1;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Lays a window of one colour over the box and takes it away: what the screen
// shows there afterwards is what the box drew again.
void CoverAndUncover(HWND box)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CoverProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"AboutUpdateCover";
    ::RegisterClassW(&windowClass);
    RECT r{};
    ::GetWindowRect(box, &r);
    support::UniqueWindow cover(::CreateWindowExW(
        WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, r.left,
        r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr, windowClass.hInstance, nullptr));
    REQUIRE(cover);
    ::UpdateWindow(cover.get());
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 300;) {
        MSG message;
        while (::PeekMessageW(&message, cover.get(), 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::Sleep(10);
    }
}

int CoverPixels(HWND box)
{
    const test_artefacts::Pixels shot = test_artefacts::CaptureClient(box);
    int count = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.At(x, y) == kCover) ++count;
    return count;
}

} // namespace

TEST_CASE("AboutBoxUpdate::WhileTheCheckWaitsTheBoxDrawsAndEscClosesIt")
{
    Com com;
    DWORD waited = 0, escPressed = 0;
    int coverLeft = -1;
    CHECK(ShowEx(Content{}, {[](HWND box) {
                                 ::SetForegroundWindow(box);
                                 test_input::SendKeys({VK_PRIOR}); // the last page is the update check's
                             },
                             [](HWND box) {
                                 REQUIRE(CurrentPage(box) == L"Update check");
                                 ClickFound(
                                     FirstOfClass(Page(box, L"Update check"), L"ToolkitCommandButton"));
                             },
                             // From here the steps run only while the check handles messages.
                             [](HWND box) { CoverAndUncover(box); },
                             [&](HWND box) {
                                 coverLeft = CoverPixels(box);
                                 waited += kTickMs;
                                 if (coverLeft > 0 && waited < test_wait::Deadline(1000)) BoxScript::Again();
                             },
                             [&](HWND box) {
                                 SaveScreenshot(box, L"about_update_waiting.bmp");
                                 ::SetForegroundWindow(box);
                                 escPressed = ::GetTickCount();
                                 test_input::SendKeys({VK_ESCAPE});
                             }}) == S_OK);
    CHECK(coverLeft == 0);
    REQUIRE(escPressed != 0);
    CHECK(::GetTickCount() - escPressed <= test_wait::Deadline(1000));
    CHECK_FALSE(FindBox());
}
