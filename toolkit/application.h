#pragma once
// The program as the toolkit sees it: its instance, its hidden owner window
// (what stands for it in the task switcher), the message loop, the loaded
// forms, and the one place where an error that escapes an event ends up.

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/handles.h"

namespace toolkit {

class Form;

class Application {
public:
    // Called with an error that escaped an event; the default shows the
    // error's number and text and ends the process.
    using FatalHandler = std::function<void(std::exception_ptr)>;

    // The module the toolkit is linked into; its window classes belong to it.
    static HINSTANCE Instance() noexcept;
    static void SetTitle(std::wstring title);
    static const std::wstring& Title() noexcept;

    // The hidden owner window, created on first use.
    static HWND ProgramWindow();

    // Pumps messages until no form is loaded.
    static void Run();
    // Handles one message as every toolkit loop does (key preview first).
    static void Dispatch(MSG& message);
    // Handles the messages already waiting, then returns; a quit stays queued for the outer loop.
    static void DoEvents();

    static void SetFatalHandler(FatalHandler handler);
    [[noreturn]] static void Fatal(std::exception_ptr error) noexcept;

    // The text the default handler shows, for a run-time error or any other exception.
    static std::wstring DescribeError(std::exception_ptr error);

    static const std::vector<Form*>& Forms() noexcept;

private:
    friend class Form;
    static void FormLoaded(Form* form);
    static void FormUnloaded(Form* form);
};

// Runs body and sends any exception to Application::Fatal: the guard that
// every window procedure and event entry point goes through.
template <typename Body> auto Guard(Body&& body) noexcept -> decltype(body())
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        Application::Fatal(std::current_exception());
    }
}

} // namespace toolkit
