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

using support::DescriptionOfHresult;
using support::ErrorNumberOfHresult;
using support::HresultOfErrorNumber;

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

// Raised by members this library does not provide.
[[noreturn]] void RaiseNotImplemented(std::wstring_view member);

} // namespace verrick
