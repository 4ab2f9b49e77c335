#pragma once
// How long a test waits for something to happen. Where programs run slowly
// (32-bit programs under user-mode emulation), the test runner raises
// VORLAN_WAIT_SCALE and every deadline grows by that factor; a time that
// something must NOT happen within stays as it is.

#include <windows.h>

#include <cwchar>

namespace test_wait {

inline DWORD Factor()
{
    static const DWORD factor = [] {
        wchar_t text[8] = {};
        const DWORD length = ::GetEnvironmentVariableW(L"VORLAN_WAIT_SCALE", text, 8);
        const unsigned long value = length > 0 && length < 8 ? std::wcstoul(text, nullptr, 10) : 1;
        return value >= 1 && value <= 20 ? static_cast<DWORD>(value) : DWORD{1};
    }();
    return factor;
}

// A deadline of so many milliseconds on a machine of normal speed.
inline DWORD Deadline(DWORD milliseconds)
{
    return milliseconds * Factor();
}

} // namespace test_wait
