#pragma once
// Verrick.dll as built (VERRICK_DLL_PATH), loaded straight from the build tree
// with no registration, and new objects of its classes through its class
// factory. No test framework here: child programs and benchmarks use it too.

#include <windows.h>
#include <ole2.h>

#include "Velmora.h"
#include "support/com.h"
#include "windows_path.h"

namespace verrick_test {

// The DLL under test, loaded once for the whole run.
inline HMODULE Server()
{
    static const HMODULE module = ::LoadLibraryW(test_paths::WindowsPath(VERRICK_DLL_PATH).c_str());
    return module;
}

// A new object of a class of the server; empty when it could not be made.
template <typename T> support::ComPtr<T> Create(REFCLSID clsid)
{
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(Server() ? ::GetProcAddress(Server(), "DllGetClassObject") : nullptr));
    support::ComPtr<IClassFactory> factory;
    support::ComPtr<T> object;
    if (get && SUCCEEDED(get(clsid, IID_IClassFactory, factory.put_void())))
        factory->CreateInstance(nullptr, __uuidof(T), object.put_void());
    return object;
}

} // namespace verrick_test
