#pragma once
// What happens to a C++ exception that reaches a window procedure of these
// components: it must not unwind into the system's message dispatch, so it is
// handed to one handler per process, which the program chooses.

#include <exception>
#include <functional>
#include <string>

namespace components {

using FatalErrorHandler = std::function<void(std::exception_ptr)>;

// Installs the handler and returns the one it replaces; an empty handler
// restores the default, which shows the error in a message box and ends the
// process with exit code 1. A handler that returns lets message processing go on.
FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler);

// Gives the error to the current handler; called from inside catch blocks of
// window procedures, so it never throws.
void ReportFatalError(std::exception_ptr error) noexcept;

// The text the default handler shows (support::DescribeError).
std::wstring FatalErrorText(std::exception_ptr error);

} // namespace components
