// The About box as a C++ client opens it: through tlvMain's three methods,
// driven with real key presses and clicks while it is shown, and read from
// its real windows (labels carry their captions as window text).
#include <doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "about_box_driver.h"
#include "icon_picture.h"
#include "leak_probe.h"
#include "support/handles.h"
#include "support/test_helpers.h"

using namespace about_test;

namespace {

// The application object a client passes: Title, Major, Minor, Revision.
ComPtr<FakeControl> AppObject()
{
    auto app = FakeControl::Make(L"App");
    app->Property(L"Title") = Variant::Text(L"Fake Application");
    app->Property(L"Major") = Variant::Long(3);
    app->Property(L"Minor") = Variant::Long(1);
    app->Property(L"Revision") = Variant::Long(4);
    return app;
}

ComPtr<IPictureDisp> BitmapPicture(int width, int height)
{
    support::WindowDC screen(nullptr);
    PICTDESC description{sizeof(PICTDESC), PICTYPE_BITMAP, {}};
    description.bmp.hbitmap = ::CreateCompatibleBitmap(screen.get(), width, height);
    ComPtr<IPictureDisp> picture;
    REQUIRE(::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void()) == S_OK);
    return picture;
}

// The colour in the middle of an icon, drawn at 32 x 32 on white.
COLORREF IconMiddle(HICON icon)
{
    support::WindowDC screen(nullptr);
    support::UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
    support::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 32, 32));
    support::SelectedObject selected(dc.get(), bitmap.get());
    RECT all{0, 0, 32, 32};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    return ::GetPixel(dc.get(), 16, 16);
}

// Watches a window's icon changes: each must find the icon it replaces still alive.
LRESULT CALLBACK WatchIconChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR replacedDeadIcon)
{
    if (message == WM_SETICON) {
        const auto held = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, wParam, 0));
        ICONINFO info{};
        if (held && !::GetIconInfo(held, &info)) *reinterpret_cast<bool*>(replacedDeadIcon) = true;
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, WatchIconChanges, 0);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

ComPtr<IPictureDisp> EmptyPicture()
{
    PICTDESC description{sizeof(PICTDESC), PICTYPE_NONE, {}};
    ComPtr<IPictureDisp> picture;
    REQUIRE(::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void()) == S_OK);
    return picture;
}

} // namespace

namespace {

// The module list's columns are padded with blanks: its letters must all be of
// one width, whatever fixed face the system has in place of the one named.
void CheckColumnsLineUp(HWND page)
{
    HWND list = FirstOfClass(page, L"ToolkitListBox");
    CHECK(list);
    HFONT font = list ? reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)) : nullptr;
    CHECK(font);
    if (!font) return;
    SIZE narrow{}, wide{};
    {
        support::WindowDC dc(list);
        support::SelectedObject selected(dc.get(), font);
        ::GetTextExtentPoint32W(dc.get(), L"iiii....", 8, &narrow);
        ::GetTextExtentPoint32W(dc.get(), L"MMMMWWWW", 8, &wide);
    }
    CHECK(narrow.cx == wide.cx);
}

// The module list scrolls sideways over its longest line as drawn in the
// list's own font; scrolled to the right end, the screenshot shows the ends.
void CheckScrollsOverTheLongestLine(HWND box, HWND page)
{
    HWND list = FirstOfClass(page, L"ToolkitListBox");
    REQUIRE(list);
    int longest = 0;
    {
        support::WindowDC dc(list);
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
        support::SelectedObject selected(dc.get(), font);
        const auto count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::wstring line(static_cast<size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            line.resize(static_cast<size_t>(
                ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
            SIZE size{};
            ::GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
            longest = std::max(longest, static_cast<int>(size.cx));
        }
    }
    const auto extent = static_cast<int>(::SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
    CAPTURE(longest);
    CHECK(extent >= longest);
    ::SendMessageW(list, WM_HSCROLL, SB_RIGHT, 0);
    ::UpdateWindow(list);
    SaveScreenshot(box, L"about_modules_scrolled_right.bmp");
    ::SendMessageW(list, WM_HSCROLL, SB_LEFT, 0);
}

} // namespace

TEST_CASE("AboutBox::ShowsTheGivenTextsAndPagesWithTheKeys")
{
    Com com;
    std::vector<std::wstring> pages;
    std::wstring lastBeforeMain;
    // On through the pages offered until the first comes back, one key a step.
    BoxScript::Step onwards = [&](HWND box) {
        if (CurrentPage(box) == L"Main tab") return;
        pages.push_back(CurrentPage(box));
        SaveScreenshot(box, L"about_page_" + std::to_wstring(pages.size()) + L".bmp");
        if (CurrentPage(box) == L"Modules list") {
            CheckColumnsLineUp(Page(box, L"Modules list"));
            CheckScrollsOverTheLongestLine(box, Page(box, L"Modules list"));
        }
        test_input::SendKeys({VK_NEXT});
    };
    HRESULT hr = ShowEx(Content{}, {
                                       [](HWND box) {
                                           ::SetForegroundWindow(box);
                                           HWND main = Page(box, L"Main tab");
                                           CHECK(main);
                                           if (!main) return;
                                           CHECK(CurrentPage(box) == L"Main tab");
                                           CHECK(LabelOn(main, L"Test Program"));
                                           CHECK(LabelOn(main, L"2.05.0017"));
                                           CHECK(LabelOn(main, L"Ivan Tester"));
                                           CHECK(LabelOn(main, L"ivan@example.test"));
                                           CHECK(LabelOn(main, L"For the testers"));
                                           CHECK(LabelOn(main, L"Версия:"));
                                           // The default picture at its design place: 64 x 62 in a 2-pixel
                                           // border.
                                           HWND picture = FirstOfClass(main, L"ToolkitImage");
                                           CHECK(picture);
                                           if (!picture) return;
                                           CHECK(::IsWindowVisible(picture));
                                           RECT r = RectIn(picture, main);
                                           CHECK(r.left == 236);
                                           CHECK(r.top == 44);
                                           CHECK(r.right - r.left == 68);
                                           CHECK(r.bottom - r.top == 66);
                                           CHECK(ToolTipOf(picture) == L"A tip");
                                           // Both window icons: the library's own when the caller gives none.
                                           CHECK(::SendMessageW(box, WM_GETICON, ICON_SMALL, 0) != 0);
                                           CHECK(::SendMessageW(box, WM_GETICON, ICON_BIG, 0) != 0);
                                           SaveScreenshot(box, L"about_main.bmp");
                                       },
                                       [&](HWND box) {
                                           pages.push_back(CurrentPage(box));
                                           test_input::SendKeys({VK_NEXT});
                                       },
                                       [&](HWND box) {
                                           // The description page: its text, the focus and the 2-pixel
                                           // margins.
                                           CHECK(CurrentPage(box) == L"Description");
                                           HWND edit =
                                               FirstOfClass(Page(box, L"Description"), L"ToolkitTextBox");
                                           if (!edit) edit = ::GetWindow(Page(box, L"Description"), GW_CHILD);
                                           CHECK(edit);
                                           if (!edit) return;
                                           CHECK(TextOf(edit) == L"What the program does.");
                                           CHECK(::GetFocus() == edit);
                                           CHECK(::SendMessageW(edit, EM_GETMARGINS, 0, 0) == MAKELONG(2, 2));
                                           SaveScreenshot(box, L"about_description.bmp");
                                       },
                                       // Shift, Ctrl or Alt with the keys does nothing.
                                       [](HWND) {
                                           test_input::SendKeys({VK_SHIFT, VK_NEXT});
                                       },
                                       [](HWND box) {
                                           CHECK(CurrentPage(box) == L"Description");
                                           test_input::SendKeys({VK_CONTROL, VK_PRIOR});
                                       },
                                       [](HWND box) {
                                           CHECK(CurrentPage(box) == L"Description");
                                           test_input::SendKeys({VK_SHIFT, VK_ESCAPE});
                                       },
                                       [&](HWND box) {
                                           CHECK(CurrentPage(box) == L"Description");
                                           pages.push_back(CurrentPage(box));
                                           test_input::SendKeys({VK_NEXT});
                                       },
                                       onwards,
                                       onwards,
                                       onwards,
                                       onwards,
                                       onwards,
                                       onwards,
                                       [&](HWND box) {
                                           CHECK(CurrentPage(box) == L"Main tab");
                                           test_input::SendKeys({VK_PRIOR});
                                       },
                                       [&](HWND box) {
                                           // Page Up on the first page wraps to the last one offered.
                                           lastBeforeMain = CurrentPage(box);
                                           test_input::SendKeys({VK_ESCAPE});
                                       },
                                   });
    CHECK(hr == S_OK);
    CAPTURE(pages.size());
    REQUIRE(pages.size() >= 3);
    CHECK(pages[0] == L"Main tab");
    CHECK(pages[1] == L"Description");
    CHECK(std::find(pages.begin(), pages.end(), L"System Info") != pages.end());
    CHECK(lastBeforeMain == pages.back());
}

TEST_CASE("AboutBox::EMailLineAndPicture")
{
    Com com;
    Content content;
    SUBCASE("an empty e-mail address moves the dedication up into its line")
    {
        content.email = Variant::Text(L"");
        CHECK(ShowEx(content, {[](HWND box) {
                                   HWND main = Page(box, L"Main tab");
                                   CHECK_FALSE(LabelOn(main, L"E-Mail:"));
                                   HWND devote = LabelOn(main, L"For the testers");
                                   CHECK(devote);
                                   if (!devote) return;
                                   CHECK(RectIn(devote, main).top == 1140 / 15);
                                   CHECK(RectIn(LabelOn(main, L"Ivan Tester"), main).top == 900 / 15);
                                   SaveScreenshot(box, L"about_no_email.bmp");
                               },
                               Close()}) == S_OK);
    }
    SUBCASE("an empty picture hides the picture")
    {
        content.picture = Variant::Object(EmptyPicture().get());
        CHECK(ShowEx(content, {[](HWND box) {
                                   HWND picture = FirstOfClass(Page(box, L"Main tab"), L"ToolkitImage");
                                   CHECK(picture);
                                   if (!picture) return;
                                   CHECK_FALSE(::IsWindowVisible(picture));
                               },
                               Close()}) == S_OK);
    }
    SUBCASE("a real picture sits 5 pixels from the right and 3 from the bottom of the main page")
    {
        content.picture = Variant::Object(BitmapPicture(40, 30).get());
        CHECK(ShowEx(content, {[](HWND box) {
                                   HWND main = Page(box, L"Main tab");
                                   HWND picture = FirstOfClass(main, L"ToolkitImage");
                                   CHECK(picture);
                                   if (!picture) return;
                                   CHECK(::IsWindowVisible(picture));
                                   RECT page{};
                                   ::GetClientRect(main, &page);
                                   CHECK(page.right == 4635 / 15);
                                   CHECK(page.bottom == 1695 / 15);
                                   RECT r = RectIn(picture, main);
                                   CHECK(r.right - r.left == 40 + 4);
                                   CHECK(r.bottom - r.top == 30 + 4);
                                   CHECK(page.right - r.right == 5);
                                   CHECK(page.bottom - r.bottom == 3);
                                   SaveScreenshot(box, L"about_own_picture.bmp");
                               },
                               Close()}) == S_OK);
    }
}

TEST_CASE("AboutBox::EmptyDescriptionDropsItsPage")
{
    Com com;
    Content content;
    content.description = Variant::Text(L"");
    std::vector<std::wstring> pages;
    BoxScript::Step onwards = [&](HWND box) {
        pages.push_back(CurrentPage(box));
        test_input::SendKeys({VK_NEXT});
    };
    CHECK(ShowEx(content, {[](HWND box) { ::SetForegroundWindow(box); }, onwards, onwards, onwards, onwards,
                           onwards, onwards, onwards, Close()}) == S_OK);
    REQUIRE(pages.size() == 7);
    CHECK(pages[0] == L"Main tab");
    CHECK(pages[1] != L"Description");
    CHECK(std::find(pages.begin(), pages.end(), L"Description") == pages.end());
    // The cycle comes back to the first page.
    CHECK(std::count(pages.begin(), pages.end(), L"Main tab") >= 2);
}

TEST_CASE("AboutBox::AClickOnTheIconPagesForward")
{
    Com com;
    CHECK(ShowEx(Content{}, {[](HWND box) {
                                 ::SetForegroundWindow(box);
                                 HWND icon = FirstOfClass(box, L"ToolkitOleHost");
                                 CHECK(icon);
                                 if (!icon) return;
                                 ClickOn(icon);
                             },
                             [](HWND box) {
                                 CHECK(CurrentPage(box) == L"Description");
                                 test_input::SendKeys({VK_ESCAPE});
                             }}) == S_OK);
}

TEST_CASE("AboutBox::IconsComeFromTheCaller")
{
    Com com;
    auto main = CreateMain();
    CHECK(main);
    if (!main) return;
    auto app = AppObject();
    SUBCASE("ShowAboutBox2 without a small icon uses the icon for both")
    {
        auto icon = IconPicture(RGB(255, 0, 0));
        OLE_HANDLE handle = 0;
        ComPtr<IPicture> native;
        REQUIRE(icon->QueryInterface(IID_IPicture, native.put_void()) == S_OK);
        native->get_Handle(&handle);
        BoxScript script({[&](HWND box) {
                              HWND page = Page(box, L"Main tab");
                              CHECK(LabelOn(page, L"Fake Application"));
                              CHECK(LabelOn(page, L"3.01.0004"));
                              const LRESULT small = ::SendMessageW(box, WM_GETICON, ICON_SMALL, 0);
                              CHECK(small == static_cast<LRESULT>(handle));
                              CHECK(::SendMessageW(box, WM_GETICON, ICON_BIG, 0) == small);
                              CHECK(ToolTipOf(FirstOfClass(page, L"ToolkitImage")) == L"Вечер над холмами");
                          },
                          Close()});
        CHECK(main->ShowAboutBox2(icon.get(), nullptr, app.get(), *Missing().get(), *Missing().get(),
                                  *Missing().get()) == S_OK);
        CHECK(script.Finished());
        // The icons were taken away from the window before it went.
    }
    SUBCASE("ShowAboutBox takes the form's icons, the large one for both without a small one")
    {
        support::UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"caller", WS_POPUP, 0, 0, 10, 10,
                                                       nullptr, nullptr, nullptr, nullptr));
        REQUIRE(window);
        auto icon = IconPicture(RGB(255, 0, 0));
        OLE_HANDLE handle = 0;
        ComPtr<IPicture> native;
        REQUIRE(icon->QueryInterface(IID_IPicture, native.put_void()) == S_OK);
        native->get_Handle(&handle);
        ::SendMessageW(window.get(), WM_SETICON, ICON_BIG, static_cast<LPARAM>(handle));
        REQUIRE(::SendMessageW(window.get(), WM_GETICON, ICON_SMALL, 0) == 0);
        auto form = FakeControl::Make(L"Form");
        form->Property(L"hWnd") = Variant::Long(HandleToLong(window.get()));
        BoxScript script({[&](HWND box) {
                              CHECK(LabelOn(Page(box, L"Main tab"), L"Fake Application"));
                              const auto small =
                                  reinterpret_cast<HICON>(::SendMessageW(box, WM_GETICON, ICON_SMALL, 0));
                              REQUIRE(small);
                              CHECK(IconMiddle(small) == RGB(255, 0, 0));
                              CHECK(::SendMessageW(box, WM_GETICON, ICON_BIG, 0) != 0);
                          },
                          Close()});
        Bstr description(L"From a form");
        CHECK(main->ShowAboutBox(form.get(), app.get(), description.get(), *Missing().get(),
                                 *Missing().get()) == S_OK);
        CHECK(script.Finished());
    }
    SUBCASE("no application object is error 424 and no box")
    {
        HRESULT hr = main->ShowAboutBox2(nullptr, nullptr, nullptr, *Missing().get(), *Missing().get(),
                                         *Missing().get());
        CHECK(hr == MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 424));
        CHECK_FALSE(FindBox());
    }
}

TEST_CASE("AboutBox::TheWindowNeverHoldsAReleasedIcon")
{
    // With no icons given the box shows the library's own, which its picture
    // owns: the picture goes when the box closes, after the window let go.
    Com com;
    bool replacedDeadIcon = false;
    CHECK(ShowEx(Content{}, {[&](HWND box) {
                                 REQUIRE(::SendMessageW(box, WM_GETICON, ICON_SMALL, 0) != 0);
                                 REQUIRE(::SetWindowSubclass(box, WatchIconChanges, 0,
                                                             reinterpret_cast<DWORD_PTR>(&replacedDeadIcon)));
                             },
                             Close()}) == S_OK);
    CHECK_FALSE(replacedDeadIcon);
}

TEST_CASE("AboutBox::OpeningAndClosingAHundredTimesLeavesNothingBehind")
{
    Com com;
    CheckRoundsLeaveNothing(100, [] {
        Content content;
        CHECK(ShowEx(content, {Close()}) == S_OK);
    });
}

TEST_CASE("AboutBox::DraggingTheIconOntoOkWritesTheLineAndCloses")
{
    Com com;
    DebugOutput output;
    CHECK(ShowEx(Content{}, {[](HWND box) {
                                 ::SetForegroundWindow(box);
                                 POINT icon = CentreOf(FirstOfClass(box, L"ToolkitOleHost"));
                                 ::SetCursorPos(icon.x, icon.y);
                                 Mouse(MOUSEEVENTF_RIGHTDOWN);
                             },
                             [](HWND box) {
                                 // Moving with only the right button held starts the drag.
                                 POINT icon = CentreOf(FirstOfClass(box, L"ToolkitOleHost"));
                                 ::SetCursorPos(icon.x + 3, icon.y + 3);
                                 Mouse(MOUSEEVENTF_MOVE);
                             },
                             [](HWND box) {
                                 HWND ok = ButtonWithText(box, L"Ok");
                                 CHECK(ok);
                                 if (!ok) return;
                                 POINT at = CentreOf(ok);
                                 ::SetCursorPos(at.x, at.y);
                                 Mouse(MOUSEEVENTF_MOVE);
                             },
                             [](HWND) { Mouse(MOUSEEVENTF_RIGHTUP); }}) == S_OK);
    CHECK_FALSE(FindBox());
    CHECK(output.Contains("Easter egg 4/4 detected!"));
}

TEST_CASE("AboutBox::AFailedUpdateCheckKeepsTheButton")
{
    Com com;
    HWND button = nullptr;
    CHECK(ShowEx(Content{}, {[](HWND box) { ::SetForegroundWindow(box); },
                             // The last page is the update check's.
                             [](HWND) { test_input::SendKeys({VK_PRIOR}); },
                             [&](HWND box) {
                                 CHECK(CurrentPage(box) == L"Update check");
                                 HWND page = Page(box, L"Update check");
                                 for (HWND child : ChildrenOf(page))
                                     if (ClassOf(child) == L"ToolkitCommandButton") button = child;
                                 CHECK(button);
                                 if (!button) return;
                                 CHECK(::GetFocus() == button);
                                 CHECK(ToolTipOf(button).find(L"/programs/win32/versions/Version.") !=
                                       std::wstring::npos);
                                 ClickOn(button);
                             },
                             [&](HWND box) {
                                 HWND page = Page(box, L"Update check");
                                 bool failureShown = false;
                                 for (HWND child : ChildrenOf(page))
                                     if (::IsWindowVisible(child) &&
                                         TextOf(child).rfind(L"Не удалось получить сведения о версии", 0) ==
                                             0)
                                         failureShown = true;
                                 // The check ends when the host's name fails to resolve: a later tick,
                                 // or the box is closed by force and the test fails.
                                 if (!failureShown) return BoxScript::Again();
                                 CHECK(::IsWindowEnabled(button));
                                 SaveScreenshot(box, L"about_update_failed.bmp");
                                 ::SetForegroundWindow(box);
                                 test_input::SendKeys({VK_ESCAPE});
                             }}) == S_OK);
}
