#include "verrick/com/module.h"

#include <memory>
#include <vector>

#include "support/com.h"
#include "support/runtime_error.h"
#include "verrick/com/dispatch_table.h"

namespace verrick {
namespace {

HMODULE g_module = nullptr;
LONG g_locks = 0;
CRITICAL_SECTION g_typeLock;

// Guarded by g_typeLock.
support::ComPtr<ITypeLib> g_library;
std::vector<std::unique_ptr<DispatchTable>> g_tables;

class TypeLock {
public:
    TypeLock() noexcept { ::EnterCriticalSection(&g_typeLock); }
    ~TypeLock() { ::LeaveCriticalSection(&g_typeLock); }
    TypeLock(const TypeLock&) = delete;
    TypeLock& operator=(const TypeLock&) = delete;
};

HRESULT LoadLibraryLocked() noexcept
{
    if (g_library) return S_OK;
    try {
        std::wstring path = ModulePath();
        return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, g_library.put());
    } catch (...) {
        return support::HresultOfCaughtError();
    }
}

} // namespace

HMODULE ModuleHandle() noexcept
{
    return g_module;
}

std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void LockModule() noexcept
{
    ::InterlockedIncrement(&g_locks);
}
void UnlockModule() noexcept
{
    ::InterlockedDecrement(&g_locks);
}
bool ModuleInUse() noexcept
{
    return ::InterlockedCompareExchange(&g_locks, 0, 0) != 0;
}

void InitializeModule(HMODULE module) noexcept
{
    g_module = module;
    ::InitializeCriticalSection(&g_typeLock);
}

HRESULT GetTypeLibrary(ITypeLib** library) noexcept
{
    TypeLock lock;
    HRESULT hr = LoadLibraryLocked();
    if (SUCCEEDED(hr)) g_library.copy_to(library);
    return hr;
}

const DispatchTable* DispatchTableFor(REFIID iid) noexcept
{
    TypeLock lock;
    for (const auto& table : g_tables)
        if (IsEqualIID(table->Iid(), iid)) return table.get();
    if (FAILED(LoadLibraryLocked())) return nullptr;
    try {
        auto table = DispatchTable::Load(g_library.get(), iid);
        if (!table) return nullptr;
        g_tables.push_back(std::move(table));
        return g_tables.back().get();
    } catch (...) {
        return nullptr;
    }
}

void ReleaseTypeLibrary() noexcept
{
    TypeLock lock;
    g_tables.clear();
    g_library.reset();
}

} // namespace verrick
