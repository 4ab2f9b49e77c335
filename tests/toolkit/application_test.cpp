#include <doctest.h>

#include <stdexcept>
#include <string>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/timer.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

// Application::Fatal ends the process, so each case runs in a copy of this
// program started with --fatal-child=<case>; the copy never reaches the tests.

namespace {

constexpr UINT kHandlerExit = 42;
constexpr UINT kNoFatalExit = 3;
const wchar_t kMarkerVariable[] = L"TOOLKIT_FATAL_MARKER";

class FailingLoadForm : public Form {
public:
    FailingLoadForm() : Form(L"frmFailing") {}

protected:
    void Form_Load() override { support::Raise(support::err::InvalidPropertyValue); }
};

// The handler's mark that it saw the expected error: a file the parent names.
void MarkHandled()
{
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(kMarkerVariable, path, MAX_PATH);
    support::UniqueFileHandle marker(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
}

[[noreturn]] void RunFatalChild(std::wstring_view name)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (name == L"load") {
        // An error in Form_Load goes to whoever loaded the form: here the program's outermost guard.
        Application::SetFatalHandler([](std::exception_ptr error) {
            bool expected =
                Application::DescribeError(error) == L"Run-time error '380':\n\nInvalid property value";
            ::ExitProcess(expected ? kHandlerExit : kHandlerExit + 1);
        });
        GuardCallback([] {
            FailingLoadForm form;
            form.Show();
        });
    } else if (name == L"tick") {
        // A handler that returns: Fatal still ends the process.
        Application::SetFatalHandler([](std::exception_ptr error) {
            if (Application::DescribeError(error) == L"Run-time error '51':\n\nInternal error: tick failed")
                MarkHandled();
        });
        Form form(L"frmTicking");
        Timer timer(form, L"tmrFail");
        timer.Interval(20);
        timer.OnTimer = [] { throw std::runtime_error("tick failed"); };
        form.Show();
        PumpFor(5000);
    }
    ::ExitProcess(kNoFatalExit);
}

// Runs the child before any test when this program is that child.
const bool isFatalChild = [] {
    std::wstring_view commandLine = ::GetCommandLineW();
    constexpr std::wstring_view option = L"--fatal-child=";
    if (auto at = commandLine.find(option); at != std::wstring_view::npos) {
        std::wstring_view name = commandLine.substr(at + option.size());
        RunFatalChild(name.substr(0, name.find_first_of(L" \"")));
    }
    return false;
}();

DWORD RunChild(const std::wstring& name)
{
    return support_test::RunToEnd(support_test::ProgramPath(), L"--fatal-child=" + name, 30000);
}

} // namespace

TEST_CASE("Application::FatalErrors")
{
    SUBCASE("an error in Form_Load reaches the handler")
    {
        CHECK(RunChild(L"load") == kHandlerExit);
    }
    SUBCASE("an exception in a timer tick reaches the handler, then the process ends")
    {
        wchar_t path[MAX_PATH];
        ::GetTempPathW(MAX_PATH, path);
        std::wstring marker =
            path + std::wstring(L"toolkit_fatal_") + std::to_wstring(::GetCurrentProcessId());
        ::DeleteFileW(marker.c_str());
        ::SetEnvironmentVariableW(kMarkerVariable, marker.c_str());
        CHECK(RunChild(L"tick") == 1);
        CHECK(::DeleteFileW(marker.c_str()));
    }
}
