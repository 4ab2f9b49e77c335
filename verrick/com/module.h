#pragma once
// Process-wide state of the server: its module handle, the lock count that
// DllCanUnloadNow reports, and the type library embedded as resource TYPELIB 1.

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace verrick {

class DispatchTable;

HMODULE ModuleHandle() noexcept;
std::wstring ModulePath();

// Live objects, server locks and handed-out class factories keep the module loaded.
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// Called from DllMain.
void InitializeModule(HMODULE module) noexcept;

// The embedded type library (new reference), loaded on first use.
HRESULT GetTypeLibrary(ITypeLib** library) noexcept;

// The member table of one dual interface of the library; null when the type
// library cannot describe it. Kept until ReleaseTypeLibrary.
const DispatchTable* DispatchTableFor(REFIID iid) noexcept;

// Drops the cached type library and tables once no object needs them.
void ReleaseTypeLibrary() noexcept;

} // namespace verrick
