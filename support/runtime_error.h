#pragma once
// Run-time errors as values: a number, a source and a description, thrown by
// the support functions and by everything that fails the way a client's
// runtime would report it. Boundaries (window procedures, COM methods) turn
// them into a message box or an HRESULT; nothing else catches them.

#include <windows.h>
#include <oaidl.h>

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace support {

// The standard run-time error numbers.
namespace err {
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long OutOfMemory = 7;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long DivisionByZero = 11;
inline constexpr long TypeMismatch = 13;
inline constexpr long FileNotFound = 53;
inline constexpr long InternalError = 51;
inline constexpr long ObjectVariableNotSet = 91;
inline constexpr long InvalidUseOfNull = 94;
inline constexpr long ControlArrayElementMissing = 340;
inline constexpr long ObjectNotAnArray = 343;
inline constexpr long ObjectAlreadyLoaded = 360;
inline constexpr long CannotUnloadDesignTimeControl = 362;
inline constexpr long ObjectUnloaded = 364;
inline constexpr long InvalidPropertyValue = 380;
inline constexpr long ReadOnlyAtRunTime = 382;
inline constexpr long ReadOnlyProperty = 383;
inline constexpr long FormAlreadyDisplayed = 400;
inline constexpr long ObjectRequired = 424;
inline constexpr long CannotCreateObject = 429;
inline constexpr long MethodNotSupported = 438;
inline constexpr long ArgumentNotOptional = 449;
inline constexpr long WrongNumberOfArguments = 450;
inline constexpr long DllEntryPointMissing = 453;
inline constexpr long KeyAlreadyAssociated = 457;
inline constexpr long ControlNotFound = 730;
} // namespace err

// The runtime's own text for a standard number; empty for numbers it does not know.
std::wstring_view StandardErrorText(long number) noexcept;

class RuntimeError : public std::exception {
public:
    // An empty description takes the standard text of the number.
    explicit RuntimeError(long number, std::wstring description = {}, std::wstring source = {});

    long Number() const noexcept { return number_; }
    const std::wstring& Description() const noexcept { return description_; }
    const std::wstring& Source() const noexcept { return source_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    long number_;
    std::wstring description_;
    std::wstring source_;
    std::string what_;
};

[[noreturn]] void Raise(long number, std::wstring description = {}, std::wstring source = {});

// What a program shows for an error that ended it: "Run-time error 'N':" and
// the description; anything that is not a run-time error counts as internal (51).
std::wstring DescribeError(std::exception_ptr error);

// A failed Windows call, as the client runtime reports it: the HRESULT of the
// Win32 code as the number, the system's message as the description.
[[noreturn]] void RaiseWin32(DWORD code, std::wstring_view function);
[[noreturn]] void RaiseLastWin32(std::wstring_view function);

// The HRESULT that carries a run-time error number: standard numbers as
// FACILITY_CONTROL codes (0x800A0000 + number), HRESULT-valued numbers as they are.
HRESULT HresultOfErrorNumber(long number) noexcept;
// The reverse: the Err.Number a VB client sees for a failed HRESULT.
long ErrorNumberOfHresult(HRESULT hr) noexcept;
// A description for an HRESULT that came without one.
std::wstring DescriptionOfHresult(HRESULT hr);

// A message of the system (source FORMAT_MESSAGE_FROM_SYSTEM) or of a module
// (FORMAT_MESSAGE_FROM_HMODULE), without the line breaks and blanks that end
// it; empty when there is none.
std::wstring FormattedMessage(DWORD source, HMODULE module, DWORD code);

// EXCEPINFO, the error of a failed IDispatch::Invoke: filled for a run-time
// error, and read back (and freed) as one.
void FillExcepInfo(EXCEPINFO& exception, HRESULT scode, std::wstring_view source,
                   std::wstring_view description) noexcept;
void ClearExcepInfo(EXCEPINFO& exception) noexcept;
// Takes the error out of an EXCEPINFO (its deferred fill-in run, its strings
// freed): the number of its scode (or wCode), its source and description, the
// standard description of the code where it gave none.
RuntimeError TakeExcepInfo(EXCEPINFO& exception);

// The thread's error info for a failed COM call (what GetErrorInfo reads);
// returns hr. Fails quietly, leaving no error info, when it cannot be made.
HRESULT SetThreadErrorInfo(REFIID iid, std::wstring_view source, std::wstring_view description,
                           HRESULT hr) noexcept;

// The one translation of an exception at a COM boundary; call it inside the
// catch block. Policy: a run-time error keeps its number (as its HRESULT),
// description and source (defaultSource where it names none); lack of memory is
// run-time error 7; anything else is E_UNEXPECTED, "Unexpected internal error".
// The error goes into the caller's EXCEPINFO when one is given (the answer is
// then DISP_E_EXCEPTION), else into the thread's error info for iid.
HRESULT ReportCaughtError(REFIID iid, std::wstring_view defaultSource,
                          EXCEPINFO* exception = nullptr) noexcept;
// The same policy where the interface has no error channel (class factories,
// enumerators, type information): the HRESULT alone, and lack of memory is
// E_OUTOFMEMORY as such interfaces answer it.
HRESULT HresultOfCaughtError() noexcept;

// Raises the run-time error a client runtime raises when a call fails with hr.
// A DISP_E_EXCEPTION of IDispatch::Invoke raises what its EXCEPINFO holds.
// Otherwise the number is the Err.Number of hr; a call made through an
// interface (no EXCEPINFO) takes description and source from the error info
// the callee left on the thread, with `call` (the method or function) as the
// source where there is none; what is still missing is the standard text, and
// a missing member names `call`.
[[noreturn]] void RaiseFailedCall(HRESULT hr, std::wstring_view call, EXCEPINFO* exception = nullptr);

// Runs a step whose run-time errors are passed over; false when one was.
// Any other exception goes on.
template <typename Step> bool IgnoringErrors(Step&& step)
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

} // namespace support
