#pragma once
// Drives the About box as a person does while a client has it open: a script
// of steps, one per timer tick of the box's own modal loop, that send real
// input and read the box's real windows (labels carry their captions as
// window text).

#include <doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "input.h"
#include "screenshot.h"
#include "server.h"

namespace about_test {

using namespace verrick_test;
using test_artefacts::SaveScreenshot;

inline const std::wstring kCaption = L"О программе";
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
        State() = {std::move(steps), 0, 0, false, false};
        timer_ = ::SetTimer(nullptr, 0, kTickMs, Tick);
    }
    ~BoxScript() { ::KillTimer(nullptr, timer_); }
    bool Finished() const { return State().next == State().steps.size(); }
    // Called by a step that waits for something: it runs again on the next tick.
    static void Again() { State().again = true; }
    bool ForcedClose() const { return State().forced; }

private:
    struct Run {
        std::vector<Step> steps;
        size_t next;
        int ticks;
        bool forced;
        bool again;
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

inline BOOL CALLBACK MatchBox(HWND window, LPARAM context)
{
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    if (::IsWindowVisible(window) && kCaption == text) {
        reinterpret_cast<FoundBox*>(context)->window = window;
        return FALSE;
    }
    return TRUE;
}

inline HWND FindBox()
{
    FoundBox found;
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchBox, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

inline void CALLBACK BoxScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    Run& run = State();
    HWND box = FindBox();
    if (!box) return;
    if (++run.ticks > kMaxTicks) {
        run.forced = true;
        ::PostMessageW(box, WM_CLOSE, 0, 0);
        return;
    }
    if (run.next >= run.steps.size()) return;
    run.again = false;
    run.steps[run.next](box);
    if (!run.again) ++run.next;
}

inline std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

inline std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

inline std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// A page of the box by its design caption.
inline HWND Page(HWND box, const std::wstring& caption)
{
    for (HWND child : ChildrenOf(box))
        if (ClassOf(child) == L"ToolkitFrame" && TextOf(child) == caption) return child;
    return nullptr;
}

// The caption of the page on view.
inline std::wstring CurrentPage(HWND box)
{
    std::wstring shown;
    for (HWND child : ChildrenOf(box))
        if (ClassOf(child) == L"ToolkitFrame" && ::IsWindowVisible(child)) shown += TextOf(child);
    return shown;
}

// The window of a visible label of the page with that text.
inline HWND LabelOn(HWND page, const std::wstring& text)
{
    for (HWND child : ChildrenOf(page))
        if (ClassOf(child) == L"ToolkitLabel" && ::IsWindowVisible(child) && TextOf(child) == text)
            return child;
    return nullptr;
}

inline HWND FirstOfClass(HWND parent, const std::wstring& className)
{
    for (HWND child : ChildrenOf(parent))
        if (ClassOf(child) == className) return child;
    return nullptr;
}

// A rectangle in the client coordinates of a window.
inline RECT RectIn(HWND window, HWND parent)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text of the tool-tip a tip window holds for a control's window.
inline BOOL CALLBACK CollectToolTips(HWND window, LPARAM list)
{
    if (ClassOf(window) == TOOLTIPS_CLASSW) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

inline std::wstring ToolTipOf(HWND control)
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

using test_input::ClickOn;

// Clicks a window a search found; a failed search fails a check.
inline void ClickFound(HWND window)
{
    CHECK_MESSAGE(window, "the window to click was not found");
    if (window) ClickOn(window);
}

inline Variant Missing()
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
inline HRESULT ShowEx(const Content& c, std::vector<BoxScript::Step> steps)
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

inline BoxScript::Step Close()
{
    return [](HWND box) {
        ::SetForegroundWindow(box);
        test_input::SendKeys({VK_ESCAPE});
    };
}

// The lines written to the debugger's output: OutputDebugString raises this
// exception with the text, and a vectored handler sees it first.
inline std::vector<std::string>& DebugLines()
{
    static std::vector<std::string> lines;
    return lines;
}

inline LONG CALLBACK CatchDebugLine(EXCEPTION_POINTERS* pointers)
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

inline void Mouse(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(INPUT));
}

inline POINT CentreOf(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline HWND ButtonWithText(HWND box, const std::wstring& text)
{
    for (HWND child : ChildrenOf(box))
        if (ClassOf(child) == L"ToolkitCommandButton" && TextOf(child) == text) return child;
    return nullptr;
}

} // namespace about_test
