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

#include "icon_picture.h"
#include "input.h"
#include "leak_probe.h"
#include "screenshot.h"
#include "server.h"
#include "support/handles.h"
#include "support/test_helpers.h"

using namespace verrick_test;

namespace {

const std::wstring kCaption = L"О программе";
constexpr UINT kTickMs = 120;
constexpr int kMaxTicks = 400; // a box still open after this is closed by force

// Runs one step per tick of a thread timer while the box is shown modally:
// each step sends input or reads the windows; the box's own loop handles the
// input before the next tick. The box is closed by force if steps are left
// when the test would otherwise hang.
class BoxScript {
public:
    using Step = std::function<void(HWND box)>;

    explicit BoxScript(std::vector<Step> steps)
    {
        State() = {std::move(steps), 0, 0, false};
        timer_ = ::SetTimer(nullptr, 0, kTickMs, Tick);
    }
    ~BoxScript() { ::KillTimer(nullptr, timer_); }
    bool Finished() const { return State().next == State().steps.size(); }
    bool ForcedClose() const { return State().forced; }

private:
    struct Run {
        std::vector<Step> steps;
        size_t next;
        int ticks;
        bool forced;
    };
    static Run& State()
    {
        static Run run;
        return run;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_;
};

struct FoundBox {
    HWND window = nullptr;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM context)
{
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    if (::IsWindowVisible(window) && kCaption == text) {
        reinterpret_cast<FoundBox*>(context)->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindBox()
{
    FoundBox found;
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchBox, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

void CALLBACK BoxScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    Run& run = State();
    HWND box = FindBox();
    if (!box) return;
    if (++run.ticks > kMaxTicks) {
        run.forced = true;
        ::PostMessageW(box, WM_CLOSE, 0, 0);
        return;
    }
    if (run.next < run.steps.size()) run.steps[run.next++](box);
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// A page of the box by its design caption.
HWND Page(HWND box, const std::wstring& caption)
{
    for (HWND child : ChildrenOf(box))
        if (ClassOf(child) == L"ToolkitFrame" && TextOf(child) == caption) return child;
    return nullptr;
}

// The caption of the page on view.
std::wstring CurrentPage(HWND box)
{
    std::wstring shown;
    for (HWND child : ChildrenOf(box))
        if (ClassOf(child) == L"ToolkitFrame" && ::IsWindowVisible(child)) shown += TextOf(child);
    return shown;
}

// The window of a visible label of the page with that text.
HWND LabelOn(HWND page, const std::wstring& text)
{
    for (HWND child : ChildrenOf(page))
        if (ClassOf(child) == L"ToolkitLabel" && ::IsWindowVisible(child) && TextOf(child) == text)
            return child;
    return nullptr;
}

HWND FirstOfClass(HWND parent, const std::wstring& className)
{
    for (HWND child : ChildrenOf(parent))
        if (ClassOf(child) == className) return child;
    return nullptr;
}

// A rectangle in the client coordinates of a window.
RECT RectIn(HWND window, HWND parent)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text of the tool-tip a tip window holds for a control's window.
BOOL CALLBACK CollectToolTips(HWND window, LPARAM list)
{
    if (ClassOf(window) == TOOLTIPS_CLASSW) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::wstring ToolTipOf(HWND control)
{
    std::vector<HWND> tips;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectToolTips, reinterpret_cast<LPARAM>(&tips));
    for (HWND tip : tips) {
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = ::GetAncestor(control, GA_ROOT);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = text;
        if (::SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) {
            ::SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
            return text;
        }
    }
    return L"";
}

void ClickAt(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

using test_artefacts::SaveScreenshot;

Variant Missing()
{
    Variant missing;
    missing.get()->vt = VT_ERROR;
    missing.get()->scode = DISP_E_PARAMNOTFOUND;
    return missing;
}

struct Content {
    std::wstring title = L"Test Program";
    Variant icon = Missing(), smallIcon = Missing();
    LONG major = 2, minor = 5, revision = 17;
    Variant author = Variant::Text(L"Ivan Tester");
    Variant email = Variant::Text(L"ivan@example.test");
    Variant devote = Variant::Text(L"For the testers");
    Variant description = Variant::Text(L"What the program does.");
    Variant picture = Missing();
    Variant toolTip = Variant::Text(L"A tip");
};

// ShowAboutBoxEx while the steps run; the steps must close the box.
HRESULT ShowEx(const Content& c, std::vector<BoxScript::Step> steps)
{
    auto main = CreateMain();
    REQUIRE(main);
    BoxScript script(std::move(steps));
    Bstr title(c.title);
    HRESULT hr = main->ShowAboutBoxEx(title.get(), *c.icon.get(), *c.smallIcon.get(), c.major, c.minor,
                                      c.revision, *c.author.get(), *c.email.get(), *c.devote.get(),
                                      *c.description.get(), *c.picture.get(), *c.toolTip.get());
    CHECK_FALSE(script.ForcedClose());
    CHECK(script.Finished());
    return hr;
}

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

ComPtr<IPictureDisp> EmptyPicture()
{
    PICTDESC description{sizeof(PICTDESC), PICTYPE_NONE, {}};
    ComPtr<IPictureDisp> picture;
    REQUIRE(::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void()) == S_OK);
    return picture;
}

BoxScript::Step Close()
{
    return [](HWND box) {
        ::SetForegroundWindow(box);
        test_input::SendKeys({VK_ESCAPE});
    };
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
                                 ClickAt(icon);
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
    SUBCASE("ShowAboutBox takes the icons of the form's window")
    {
        support::UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"caller", WS_POPUP, 0, 0, 10, 10,
                                                       nullptr, nullptr, nullptr, nullptr));
        REQUIRE(window);
        HICON shared = ::LoadIconW(nullptr, IDI_INFORMATION);
        ::SendMessageW(window.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(shared));
        ::SendMessageW(window.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(shared));
        auto form = FakeControl::Make(L"Form");
        form->Property(L"hWnd") = Variant::Long(HandleToLong(window.get()));
        BoxScript script({[&](HWND box) {
                              CHECK(LabelOn(Page(box, L"Main tab"), L"Fake Application"));
                              CHECK(::SendMessageW(box, WM_GETICON, ICON_SMALL, 0) != 0);
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

TEST_CASE("AboutBox::OpeningAndClosingAHundredTimesLeavesNothingBehind")
{
    Com com;
    auto open = [] {
        Content content;
        CHECK(ShowEx(content, {Close()}) == S_OK);
    };
    open(); // the first box loads what stays for the process (classes, fonts, the type library)
    const int gdi = CountGdiObjects(), handles = CountKernelHandles(), windows = CountWindows();
    for (int i = 0; i < 100; ++i)
        open();
    CHECK(CountGdiObjects() == gdi);
    CHECK(CountKernelHandles() == handles);
    CHECK(CountWindows() == windows);
}

namespace {

// The lines written to the debugger's output: OutputDebugString raises this
// exception with the text, and a vectored handler sees it first.
std::vector<std::string>& DebugLines()
{
    static std::vector<std::string> lines;
    return lines;
}

LONG CALLBACK CatchDebugLine(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2)
        DebugLines().emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_SEARCH;
}

struct DebugOutput {
    DebugOutput() : handler(::AddVectoredExceptionHandler(1, CatchDebugLine)) { DebugLines().clear(); }
    ~DebugOutput() { ::RemoveVectoredExceptionHandler(handler); }
    bool Contains(const std::string& text) const
    {
        for (const std::string& line : DebugLines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    void* handler;
};

void Mouse(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(INPUT));
}

POINT CentreOf(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND ButtonWithText(HWND box, const std::wstring& text)
{
    for (HWND child : ChildrenOf(box))
        if (ClassOf(child) == L"ToolkitCommandButton" && TextOf(child) == text) return child;
    return nullptr;
}

} // namespace

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
                                 ClickAt(button);
                             },
                             [&](HWND box) {
                                 HWND page = Page(box, L"Update check");
                                 bool failureShown = false;
                                 for (HWND child : ChildrenOf(page))
                                     if (::IsWindowVisible(child) &&
                                         TextOf(child).rfind(L"Не удалось получить сведения о версии", 0) ==
                                             0)
                                         failureShown = true;
                                 CHECK(failureShown);
                                 CHECK(::IsWindowEnabled(button));
                                 SaveScreenshot(box, L"about_update_failed.bmp");
                                 ::SetForegroundWindow(box);
                                 test_input::SendKeys({VK_ESCAPE});
                             }}) == S_OK);
}
