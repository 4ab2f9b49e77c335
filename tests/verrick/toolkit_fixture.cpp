// A script's way to the toolkit's late-bound members: CreateObject of
// "VorlanTest.ToolkitForm" gives a loaded toolkit form, with a text box
// txtValue (Text "42") and a line linValue, through the toolkit's own IDispatch
// adapter. DllRegisterServer registers the class for the machine.

#include <windows.h>
#include <ole2.h>

#include <string>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/line.h"
#include "toolkit/text_box.h"

#include "support/handles.h"
#include "support/runtime_error.h"

namespace {

constexpr CLSID kClsid = {0x83091bd3, 0x3fc9, 0x498a, {0x9b, 0xf6, 0x58, 0x12, 0x0f, 0x80, 0x57, 0xb2}};
constexpr wchar_t kClsidText[] = L"{83091BD3-3FC9-498A-9BF6-58120F8057B2}";
constexpr wchar_t kProgId[] = L"VorlanTest.ToolkitForm";

class ValuesForm final : public toolkit::Form {
public:
    ValuesForm() : Form(L"frmValues") { txtValue.Text(L"42"); }

    toolkit::TextBox txtValue{*this, L"txtValue"};
    toolkit::Line linValue{*this, L"linValue"};
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            // The adapter does not keep its form alive: the form lives as long as the process.
            auto* form = new ValuesForm;
            form->Load();
            return form->Dispatch()->QueryInterface(iid, object);
        } catch (const support::RuntimeError& error) {
            return support::SetThreadErrorInfo(IID_IClassFactory, L"toolkit_fixture", error.Description(),
                                               support::HresultOfErrorNumber(error.Number()));
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

bool SetKeyValue(const std::wstring& path, const wchar_t* name, const std::wstring& value)
{
    support::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        toolkit::Application::SetGuest(true);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow()
{
    return S_FALSE;
}

STDAPI DllRegisterServer()
{
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(toolkit::Application::Instance(), path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return SELFREG_E_CLASS;
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring server = classes + L"CLSID\\" + kClsidText + L"\\InprocServer32";
    bool done = SetKeyValue(classes + kProgId + L"\\CLSID", nullptr, kClsidText) &&
                SetKeyValue(server, nullptr, path) && SetKeyValue(server, L"ThreadingModel", L"Apartment");
    return done ? S_OK : SELFREG_E_CLASS;
}
