#include "components/fatal_error.h"

#include "support/runtime_error.h"
#include "support/text.h"

#include <windows.h>

#include <utility>

namespace components {

namespace {

FatalErrorHandler& CurrentHandler()
{
    static FatalErrorHandler handler;
    return handler;
}

std::wstring ProgramName()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    if (auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
    if (auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
    return name;
}

[[noreturn]] void ShowFatalErrorAndExit(std::exception_ptr error) noexcept
{
    try {
        ::MessageBoxW(nullptr, FatalErrorText(error).c_str(), ProgramName().c_str(),
                      MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    } catch (...) {
        ::MessageBoxW(nullptr, L"Fatal error", nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    ::ExitProcess(1);
}

} // namespace

FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler)
{
    return std::exchange(CurrentHandler(), std::move(handler));
}

void ReportFatalError(std::exception_ptr error) noexcept
{
    FatalErrorHandler& handler = CurrentHandler();
    if (!handler) ShowFatalErrorAndExit(error);
    try {
        // A copy, so that a handler which replaces itself keeps running safely.
        FatalErrorHandler running = handler;
        running(error);
    } catch (...) {
        ShowFatalErrorAndExit(std::current_exception());
    }
}

std::wstring FatalErrorText(std::exception_ptr error)
{
    return support::DescribeError(error);
}

} // namespace components
