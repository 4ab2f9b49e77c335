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
    // The one fatal-error path: the handler, then the end of the process (exit code 1).
    [[noreturn]] static void Fatal(std::exception_ptr error) noexcept;

    // A module that lives in its client's process (a COM server) is a guest:
    // an error that escapes one of its window procedures must not end the client.
    static void SetGuest(bool guest) noexcept;
    static bool IsGuest() noexcept;
    // Where GuardCallback sends an escaping error: Fatal, or, in a guest, nowhere.
    static void Unhandled(std::exception_ptr error) noexcept;

    // The text the default handler shows, for a run-time error or any other exception.
    static std::wstring DescribeError(std::exception_ptr error);

    static const std::vector<Form*>& Forms() noexcept;

    // Each thread's state (its forms, its program window) is freed as the
    // thread ends. A library that links the toolkit calls this when it is
    // unloaded, before UnregisterToolkitClasses: every thread's state is freed
    // at once, and the calling thread's program window destroyed.
    static void FreeThreadStates() noexcept;

private:
    friend class Form;
    static void FormLoaded(Form* form);
    static void FormUnloaded(Form* form);
};

// The one guard of every window procedure of ours (the toolkit's windows, the
// subclasser's hook, the text-box hooks, the icon control) and of the event
// entry points that the system or a COM client calls.
// Policy: no exception leaves a window procedure. An error that escapes the
// body is unhandled, as an error in an event procedure with no handler is:
// it goes to Application::Fatal (by default a message box with the error's
// number and text), and the process ends. A guest module (a library in its
// client's process) never ends its client: there the error is dropped, with
// any error info it left on the thread, and the procedure answers with
// fallback(), as if the body had not run.
template <typename Body, typename Fallback>
auto GuardCallback(Body&& body, Fallback&& fallback) noexcept -> decltype(body())
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        Application::Unhandled(std::current_exception());
    }
    return std::forward<Fallback>(fallback)();
}

// The guard whose fallback is the result type's empty value (0, false, nothing).
template <typename Body> auto GuardCallback(Body&& body) noexcept -> decltype(body())
{
    using Result = decltype(body());
    return GuardCallback(std::forward<Body>(body), [] { return Result(); });
}

} // namespace toolkit
