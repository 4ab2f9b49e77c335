#pragma once
// The one guarded boundary of every COM method: a run-time error thrown
// inside becomes the thread's error info plus the HRESULT a VB client maps
// back to the same Err.Number; no C++ exception leaves the method.

#include <windows.h>

#include <new>
#include <string>
#include <string_view>

#include "support/runtime_error.h"

namespace verrick {

// The HRESULT that carries a run-time error number: standard numbers as
// FACILITY_CONTROL codes (0x800A0000 + number), HRESULT-valued numbers as they are.
HRESULT HresultOfErrorNumber(long number) noexcept;
// The reverse: the Err.Number a VB client sees for a failed HRESULT.
long ErrorNumberOfHresult(HRESULT hr) noexcept;
// A description for an HRESULT without error info.
std::wstring DescriptionOfHresult(HRESULT hr);

// Sets the thread's error info for a run-time error and returns its HRESULT.
HRESULT ReportError(REFIID iid, std::wstring_view defaultSource, const support::RuntimeError& error) noexcept;
HRESULT ReportUnexpected(REFIID iid, std::wstring_view defaultSource) noexcept;

template <typename Body> HRESULT Guarded(REFIID iid, std::wstring_view source, Body&& body) noexcept
{
    try {
        body();
        return S_OK;
    } catch (const support::RuntimeError& error) {
        return ReportError(iid, source, error);
    } catch (const std::bad_alloc&) {
        return ReportError(iid, source, support::RuntimeError(support::err::OutOfMemory));
    } catch (...) {
        return ReportUnexpected(iid, source);
    }
}

// Raised by members whose implementation is not part of this build.
[[noreturn]] void RaiseNotImplemented(std::wstring_view member);

} // namespace verrick
