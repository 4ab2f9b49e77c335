#pragma once
// The built Verrick.dll for Vorlan's tests. Vorlan creates Verrick's objects
// through COM, and the Verrick tests unregister the server now and then, so a
// test program registers it again when it starts.

#include <doctest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/handles.h"
#include "windows_path.h"

namespace vorlan_test {

// A Unix path from the environment as Windows sees it (the test prefix's Z:
// is the Unix root); empty when the variable is not set.
inline std::wstring WindowsPathOf(const char* variable)
{
    const char* unixPath = std::getenv(variable);
    return unixPath ? test_paths::WindowsPath(unixPath) : std::wstring();
}

inline std::wstring WindowsPathFrom(const char* variable)
{
    std::wstring path = WindowsPathOf(variable);
    REQUIRE(!path.empty());
    return path;
}

// Calls one of the server's registration entry points (VERRICK_DLL names the server).
inline HRESULT CallVerrick(const char* entry)
{
    std::wstring path = WindowsPathOf("VERRICK_DLL");
    if (path.empty()) return E_INVALIDARG;
    support::UniqueModule server(::LoadLibraryW(path.c_str()));
    if (!server) return HRESULT_FROM_WIN32(::GetLastError());
    auto call =
        reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(server.get(), entry)));
    return call ? call() : E_NOTIMPL;
}

// Made before any test runs: nothing in it may use the test framework's checks.
struct VerrickRegistered {
    VerrickRegistered() { CallVerrick("DllRegisterServer"); }
};

} // namespace vorlan_test
