// The exported entry points of the in-process server.

#include <windows.h>
#include <ole2.h>

#include <array>
#include <utility>

#include "verrick/frame/class_table.h"
#include "verrick/com/module.h"
#include "verrick/frame/registration.h"
#include "toolkit/application.h"
#include "toolkit/window.h"

namespace verrick {
namespace {

// One static factory per public class; its references are module locks.
class ClassFactory final : public IClassFactory {
public:
    constexpr ClassFactory() noexcept = default;
    void Bind(const ClassEntry* entry) noexcept { entry_ = entry; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        LockModule();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        UnlockModule();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_->create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    const ClassEntry* entry_ = nullptr;
};

constexpr size_t kMaxClasses = 32;
std::array<ClassFactory, kMaxClasses> g_factories;

bool IsUserScope(LPCWSTR commandLine) noexcept
{
    return commandLine && ::lstrcmpiW(commandLine, L"user") == 0;
}

} // namespace
} // namespace verrick

using namespace verrick;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        InitializeModule(instance);
        // A guest in its client's process: an error in one of our windows must not end the client.
        toolkit::Application::SetGuest(true);
        auto classes = PublicClasses();
        for (size_t i = 0; i < classes.size() && i < g_factories.size(); ++i)
            g_factories[i].Bind(&classes[i]);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded by FreeLibrary: nothing of ours is in use any more. At process exit, leave it.
        ReleaseTypeLibrary();
        // The threads' toolkit states go first: their callback is our code, and their windows hold our
        // classes.
        toolkit::Application::FreeThreadStates();
        toolkit::UnregisterToolkitClasses();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    auto classes = PublicClasses();
    for (size_t i = 0; i < classes.size() && i < g_factories.size(); ++i) {
        if (!IsEqualCLSID(clsid, *classes[i].clsid)) continue;
        if (!classes[i].create) break;
        return g_factories[i].QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return ModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer()
{
    return RegisterServer(RegistrationScope::Machine);
}

STDAPI DllUnregisterServer()
{
    return UnregisterServer(RegistrationScope::Machine);
}

// regsvr32 /n /i:user registers for the current user only, without administrator rights.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine)
{
    RegistrationScope scope = IsUserScope(commandLine) ? RegistrationScope::User : RegistrationScope::Machine;
    return install ? RegisterServer(scope) : UnregisterServer(scope);
}
