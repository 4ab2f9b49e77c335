#pragma once
// The one guarded boundary of every COM method: a run-time error thrown
// inside becomes the thread's error info plus the HRESULT a VB client maps
// back to the same Err.Number; no C++ exception leaves the method.

#include <windows.h>

#include <string>
#include <string_view>

#include "support/runtime_error.h"

namespace verrick {

using support::DescriptionOfHresult;
using support::ErrorNumberOfHresult;
using support::HresultOfErrorNumber;

template <typename Body> HRESULT Guarded(REFIID iid, std::wstring_view source, Body&& body) noexcept
{
    try {
        body();
        return S_OK;
    } catch (...) {
        return support::ReportCaughtError(iid, source);
    }
}

// Raised by members this library does not provide.
[[noreturn]] void RaiseNotImplemented(std::wstring_view member);

} // namespace verrick
