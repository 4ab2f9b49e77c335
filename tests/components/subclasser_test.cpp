#include <doctest.h>

#include "components/subclasser.h"
#include "support/test_helpers.h"
#include "toolkit/application.h"

#include "support/handles.h"
#include "support/runtime_error.h"

#include <functional>
#include <vector>

using namespace components;

namespace {

constexpr UINT WM_PROBE = WM_APP + 1;
constexpr UINT WM_REWRITTEN = WM_APP + 2;
constexpr LRESULT WindowAnswer = 7;
constexpr UINT TopmostFlags = 0x0613;

// Who handled which of the test messages, in order: 'H' the hook, 'W' the window.
struct Event {
    char who;
    UINT message;
    WPARAM wParam;
    bool operator==(const Event&) const = default;
};

} // namespace

namespace doctest {
template <> struct StringMaker<std::vector<Event>> {
    static String convert(const std::vector<Event>& events)
    {
        String text = "{";
        for (const Event& e : events)
            text += String(&e.who, 1) + " " + toString(e.message) + " " + toString(e.wParam) + ";";
        return text + "}";
    }
};
} // namespace doctest

namespace {

std::vector<Event>& Events()
{
    static std::vector<Event> events;
    return events;
}

LRESULT CALLBACK TestWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg >= WM_APP) {
        Events().push_back({'W', uMsg, wParam});
        return WindowAnswer;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

support::UniqueWindow CreateTestWindow()
{
    static const ATOM windowClass = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ComponentsTestWindow";
        return ::RegisterClassW(&wc);
    }();
    REQUIRE(windowClass != 0);
    support::UniqueWindow window(::CreateWindowExW(0, L"ComponentsTestWindow", L"test", WS_OVERLAPPEDWINDOW,
                                                   0, 0, 200, 100, nullptr, nullptr,
                                                   ::GetModuleHandleW(nullptr), nullptr));
    REQUIRE(window);
    Events().clear();
    return window;
}

class RecordingCallback : public ISubclasserCallback {
public:
    std::function<void(HWND, UINT&, WPARAM&, LPARAM&, LRESULT&, bool&)> onMessage;
    Subclasser* subclasser = nullptr;
    HWND window = nullptr;
    std::vector<UINT> seen;

    void ISubclasserCallback_WindowProc(Subclasser& subclasserObject, HWND hWnd, UINT& uMsg, WPARAM& wParam,
                                        LPARAM& lParam, LRESULT& retVal, bool& noDef) override
    {
        subclasser = &subclasserObject;
        window = hWnd;
        seen.push_back(uMsg);
        if (uMsg >= WM_APP) Events().push_back({'H', uMsg, wParam});
        if (onMessage) onMessage(hWnd, uMsg, wParam, lParam, retVal, noDef);
    }
};

LONG_PTR WindowProcOf(HWND window)
{
    return ::GetWindowLongPtrW(window, GWLP_WNDPROC);
}

// Makes the process a guest module for one test, as the COM server is.
class GuestScope {
public:
    GuestScope() : previous_(toolkit::Application::IsGuest()) { toolkit::Application::SetGuest(true); }
    ~GuestScope() { toolkit::Application::SetGuest(previous_); }

private:
    bool previous_;
};

constexpr UINT kFatalExit = 42;

// A program's hook whose callback fails ends the program through
// Application::Fatal; it runs in a copy of this program started with --fatal-hook.
const bool isFatalChild = [] {
    if (!std::wstring_view(::GetCommandLineW()).ends_with(L"--fatal-hook")) return false;
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    toolkit::Application::SetFatalHandler([](std::exception_ptr error) {
        bool expected = toolkit::Application::DescribeError(error) ==
                        L"Run-time error '5':\n\nInvalid procedure call or argument";
        ::ExitProcess(expected ? kFatalExit : kFatalExit + 1);
    });
    // No test runs here: nothing below may use the test framework's checks.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ComponentsFatalWindow";
    ::RegisterClassW(&windowClass);
    support::UniqueWindow window(::CreateWindowExW(0, L"ComponentsFatalWindow", L"fatal", WS_OVERLAPPEDWINDOW,
                                                   0, 0, 200, 100, nullptr, nullptr,
                                                   ::GetModuleHandleW(nullptr), nullptr));
    RecordingCallback callback;
    callback.onMessage = [](HWND, UINT& uMsg, WPARAM&, LPARAM&, LRESULT&, bool&) {
        if (uMsg == WM_PROBE) support::Raise(support::err::InvalidProcedureCall);
    };
    Subclasser sbc;
    sbc.SetCallback(&callback);
    sbc.SetHWnd(window.get());
    ::SendMessageW(window.get(), WM_PROBE, 1, 0);
    ::ExitProcess(0);
}();

} // namespace

TEST_CASE("Subclasser::CallbackRunsBeforeTheWindow")
{
    auto window = CreateTestWindow();
    RecordingCallback callback;
    Subclasser sbc;
    sbc.SetCallback(&callback);
    sbc.SetHWnd(window.get());
    CHECK(sbc.HWnd() == window.get());

    SUBCASE("the window handles the message after the callback saw it")
    {
        CHECK(::SendMessageW(window.get(), WM_PROBE, 5, 6) == WindowAnswer);
        CHECK(Events() == std::vector<Event>{{'H', WM_PROBE, 5}, {'W', WM_PROBE, 5}});
        CHECK(callback.subclasser == &sbc);
        CHECK(callback.window == window.get());
    }
    SUBCASE("a message changed by the callback reaches the window changed")
    {
        callback.onMessage = [](HWND, UINT& uMsg, WPARAM& wParam, LPARAM&, LRESULT&, bool&) {
            if (uMsg == WM_PROBE) {
                uMsg = WM_REWRITTEN;
                wParam = 9;
            }
        };
        ::SendMessageW(window.get(), WM_PROBE, 5, 6);
        CHECK(Events() == std::vector<Event>{{'H', WM_PROBE, 5}, {'W', WM_REWRITTEN, 9}});
    }
    SUBCASE("noDef answers for the window")
    {
        callback.onMessage = [](HWND, UINT& uMsg, WPARAM&, LPARAM&, LRESULT& retVal, bool& noDef) {
            if (uMsg == WM_PROBE) {
                retVal = 42;
                noDef = true;
            }
        };
        CHECK(::SendMessageW(window.get(), WM_PROBE, 5, 6) == 42);
        CHECK(Events() == std::vector<Event>{{'H', WM_PROBE, 5}});
    }
}

TEST_CASE("Subclasser::UnhookingRestoresTheWindow")
{
    auto first = CreateTestWindow();
    const LONG_PTR original = WindowProcOf(first.get());
    RecordingCallback callback;

    SUBCASE("handle 0 stops the callback and puts the window procedure back")
    {
        Subclasser sbc;
        sbc.SetCallback(&callback);
        sbc.SetHWnd(first.get());
        CHECK(WindowProcOf(first.get()) != original);
        sbc.SetHWnd(nullptr);
        CHECK(sbc.HWnd() == nullptr);
        CHECK(WindowProcOf(first.get()) == original);
        CHECK(::SendMessageW(first.get(), WM_PROBE, 1, 0) == WindowAnswer);
        CHECK(Events() == std::vector<Event>{{'W', WM_PROBE, 1}});
    }
    SUBCASE("the end of the object unhooks")
    {
        {
            Subclasser sbc;
            sbc.SetCallback(&callback);
            sbc.SetHWnd(first.get());
        }
        CHECK(WindowProcOf(first.get()) == original);
        ::SendMessageW(first.get(), WM_PROBE, 1, 0);
        CHECK(Events() == std::vector<Event>{{'W', WM_PROBE, 1}});
    }
    SUBCASE("hooking a second window unhooks the first")
    {
        auto second = CreateTestWindow();
        Subclasser sbc;
        sbc.SetCallback(&callback);
        sbc.SetHWnd(first.get());
        sbc.SetHWnd(second.get());
        CHECK(sbc.HWnd() == second.get());
        CHECK(WindowProcOf(first.get()) == original);
        ::SendMessageW(first.get(), WM_PROBE, 1, 0);
        ::SendMessageW(second.get(), WM_PROBE, 2, 0);
        CHECK(Events() == std::vector<Event>{{'W', WM_PROBE, 1}, {'H', WM_PROBE, 2}, {'W', WM_PROBE, 2}});
    }
    SUBCASE("the callback may unhook while it handles a message")
    {
        Subclasser sbc;
        callback.onMessage = [&](HWND, UINT& uMsg, WPARAM&, LPARAM&, LRESULT&, bool&) {
            if (uMsg == WM_PROBE) sbc.SetHWnd(nullptr);
        };
        sbc.SetCallback(&callback);
        sbc.SetHWnd(first.get());
        CHECK(::SendMessageW(first.get(), WM_PROBE, 1, 0) == WindowAnswer);
        CHECK(WindowProcOf(first.get()) == original);
        ::SendMessageW(first.get(), WM_PROBE, 2, 0);
        CHECK(Events() == std::vector<Event>{{'H', WM_PROBE, 1}, {'W', WM_PROBE, 1}, {'W', WM_PROBE, 2}});
    }
    SUBCASE("a hook below another can leave without breaking it")
    {
        RecordingCallback upperCallback;
        Subclasser lower, upper;
        lower.SetCallback(&callback);
        upper.SetCallback(&upperCallback);
        lower.SetHWnd(first.get());
        upper.SetHWnd(first.get());
        lower.SetHWnd(nullptr);
        CHECK(::SendMessageW(first.get(), WM_PROBE, 3, 0) == WindowAnswer);
        CHECK(Events() == std::vector<Event>{{'H', WM_PROBE, 3}, {'W', WM_PROBE, 3}});
        CHECK(upperCallback.subclasser == &upper);
        CHECK(callback.subclasser == nullptr);
    }
    SUBCASE("a window that is gone is refused and the hook stays")
    {
        const HWND gone = CreateTestWindow().get();
        Subclasser sbc;
        sbc.SetCallback(&callback);
        sbc.SetHWnd(first.get());
        try {
            sbc.SetHWnd(gone);
            FAIL("no error raised");
        } catch (const support::RuntimeError& e) {
            CHECK(e.Number() == support::err::InvalidProcedureCall);
        }
        CHECK(sbc.HWnd() == first.get());
        ::SendMessageW(first.get(), WM_PROBE, 4, 0);
        CHECK(Events().size() == 2);
    }
}

TEST_CASE("Subclasser::DestroyedWindowUnhooksItself")
{
    auto window = CreateTestWindow();
    RecordingCallback callback;
    Subclasser sbc;
    sbc.SetCallback(&callback);
    sbc.SetHWnd(window.get());

    SUBCASE("destroyed from outside")
    {
        window.reset();
    }
    SUBCASE("destroyed by the callback while it handles a message")
    {
        callback.onMessage = [](HWND hWnd, UINT& uMsg, WPARAM&, LPARAM&, LRESULT&, bool&) {
            if (uMsg == WM_PROBE) ::DestroyWindow(hWnd);
        };
        ::SendMessageW(window.get(), WM_PROBE, 0, 0);
        CHECK_FALSE(::IsWindow(window.get()));
        window.release();
    }
    REQUIRE_FALSE(callback.seen.empty());
    CHECK(callback.seen.back() == WM_NCDESTROY);
    CHECK(sbc.HWnd() == nullptr);

    callback.onMessage = nullptr;
    auto next = CreateTestWindow();
    sbc.SetHWnd(next.get());
    ::SendMessageW(next.get(), WM_PROBE, 8, 0);
    CHECK(Events() == std::vector<Event>{{'H', WM_PROBE, 8}, {'W', WM_PROBE, 8}});
}

TEST_CASE("Subclasser::CallbackMayMoveTheWindowItHooks")
{
    auto window = CreateTestWindow();
    int reassertions = 0;
    RecordingCallback callback;
    callback.onMessage = [&](HWND hWnd, UINT& uMsg, WPARAM&, LPARAM&, LRESULT&, bool&) {
        // The bound keeps a failing run from overflowing the stack.
        if (uMsg == WM_WINDOWPOSCHANGED && ++reassertions < 50)
            ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, TopmostFlags);
    };
    Subclasser sbc;
    sbc.SetCallback(&callback);
    sbc.SetHWnd(window.get());

    ::SetWindowPos(window.get(), HWND_TOP, 20, 20, 300, 120, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    CHECK(reassertions <= 3);
    CHECK((::GetWindowLongW(window.get(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);

    reassertions = 0;
    ::SetWindowPos(window.get(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CHECK(reassertions <= 3);
    CHECK((::GetWindowLongW(window.get(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
}

TEST_CASE("Subclasser::CallbackErrors")
{
    SUBCASE("in a program they end it through the fatal-error path")
    {
        CHECK(support_test::RunToEnd(support_test::ProgramPath(), L"--fatal-hook", 30000) == kFatalExit);
    }
    SUBCASE("in a guest the window handles the message as it was sent")
    {
        GuestScope guest;
        auto window = CreateTestWindow();
        RecordingCallback callback;
        Subclasser sbc;
        sbc.SetCallback(&callback);
        sbc.SetHWnd(window.get());

        callback.onMessage = [](HWND, UINT& uMsg, WPARAM&, LPARAM&, LRESULT& retVal, bool& noDef) {
            if (uMsg != WM_PROBE) return;
            uMsg = WM_REWRITTEN;
            retVal = 42;
            noDef = true;
            throw support::RuntimeError(support::err::InvalidProcedureCall);
        };
        CHECK(::SendMessageW(window.get(), WM_PROBE, 1, 0) == WindowAnswer);
        CHECK(Events() == std::vector<Event>{{'H', WM_PROBE, 1}, {'W', WM_PROBE, 1}});

        callback.onMessage = [](HWND, UINT& uMsg, WPARAM&, LPARAM&, LRESULT&, bool&) {
            if (uMsg == WM_PROBE) throw 1;
        };
        CHECK(::SendMessageW(window.get(), WM_PROBE, 2, 0) == WindowAnswer);
        CHECK(sbc.HWnd() == window.get());
    }
}
