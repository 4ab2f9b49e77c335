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
