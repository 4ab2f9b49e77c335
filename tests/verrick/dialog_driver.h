#pragma once
// Driving the library's modal dialogs from their own thread: an action runs
// once the dialog shows (from a timer of the modal loop), presses real keys,
// clicks with the real mouse, and saves what the screen shows.

#include <doctest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/handles.h"
#include "input.h"
#include "pump.h"
#include "screenshot.h"
#include "support/test_helpers.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

namespace dialog_driver {

// While it lives, the first visible form of type T gets the action once.
template <typename T> class WhenShown {
public:
    explicit WhenShown(std::function<void(T&)> action)
    {
        Action() = std::move(action);
        timer_ = ::SetTimer(nullptr, 0, 50, Watch);
    }
    ~WhenShown()
    {
        ::KillTimer(nullptr, timer_);
        Action() = nullptr;
    }
    WhenShown(const WhenShown&) = delete;
    WhenShown& operator=(const WhenShown&) = delete;

private:
    static std::function<void(T&)>& Action()
    {
        static std::function<void(T&)> action;
        return action;
    }
    static void CALLBACK Watch(HWND, UINT, UINT_PTR timer, DWORD)
    {
        for (toolkit::Form* form : toolkit::Application::Forms()) {
            auto* dialog = dynamic_cast<T*>(form);
            if (!dialog || !dialog->Visible()) continue;
            ::KillTimer(nullptr, timer);
            if (auto action = std::exchange(Action(), nullptr)) action(*dialog);
            return;
        }
    }
    UINT_PTR timer_;
};

// A plain window of the calling thread, shown at the screen's top-left corner
// and active, as a client's window is when it opens a dialog; it counts the
// mouse buttons pressed on it.
class CallerWindow {
public:
    CallerWindow()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"DialogDriverCaller";
        windowClass.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
        ::RegisterClassW(&windowClass);
        window_.reset(::CreateWindowW(windowClass.lpszClassName, L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      0, 0, 240, 160, nullptr, nullptr, windowClass.hInstance, nullptr));
        REQUIRE(window_);
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&presses_));
        ::SetForegroundWindow(window_.get());
        ::SetActiveWindow(window_.get());
        test_pump::PumpFor(100);
    }

    HWND hWnd() const noexcept { return window_.get(); }
    int Presses() const noexcept { return presses_; }
    bool Enabled() const noexcept { return ::IsWindowEnabled(window_.get()) != FALSE; }
    // Whether the window lies above this one in the z-order.
    bool Below(HWND window) const noexcept
    {
        for (HWND next = ::GetWindow(window, GW_HWNDNEXT); next; next = ::GetWindow(next, GW_HWNDNEXT))
            if (next == window_.get()) return true;
        return false;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_LBUTTONDOWN)
            if (auto* presses = reinterpret_cast<int*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
                ++*presses;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    support::UniqueWindow window_;
    int presses_ = 0;
};

inline void SendKey(WORD key)
{
    test_input::SendKeys({key});
}
using test_input::ClickAt;
using test_input::ClickOn;

// Handles what is waiting now (the input just sent) inside an action.
using test_pump::PumpFor;

// The window as the screen shows it, saved as a BMP file in artefacts/ beside the test program.
inline void SaveScreenshot(HWND window, const wchar_t* name)
{
    test_artefacts::SaveScreenshot(window, name);
}

} // namespace dialog_driver
