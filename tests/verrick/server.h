#pragma once
// What the C++ tests of Verrick.dll share: the server loaded straight from
// the build (no registration needed), late-bound calls by name, arrays, and a
// stand-in control with a type name of its own.

#include <doctest.h>

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "Velmora.h"
#include "server_loader.h"
#include "support/com.h"

namespace verrick_test {

using support::Bstr;
using support::ComPtr;
using support::SafeArray;
using support::Variant;

// The COM apartment of one test.
struct Com {
    Com() { ::CoInitialize(nullptr); }
    ~Com() { ::CoUninitialize(); }
};

// The server registered machine-wide, as an installer does it, for as long as
// the object lives: Wine looks classes up only below the machine's key.
struct Registration {
    using Entry = HRESULT(WINAPI*)();
    static Entry Get(const char* name)
    {
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(Server(), name)));
    }
    Registration() { REQUIRE(Get("DllRegisterServer")() == S_OK); }
    ~Registration() { Get("DllUnregisterServer")(); }
};
inline ComPtr<_tlvMain> CreateMain()
{
    return Create<_tlvMain>(CLSID_tlvMain);
}

// The outcome of one IDispatch::Invoke.
struct Outcome {
    HRESULT hr = S_OK;
    Variant result;
    long scode = 0;
    std::wstring description;
    std::wstring source;
};

// object.name(arguments...) through GetIDsOfNames and Invoke, as a script calls it.
Outcome CallByName(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> arguments,
                   WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);

// By-reference variant argument pointing at a caller's variable, as a script passes one.
VARIANT Ref(Variant& variable);
inline VARIANT Long(LONG value)
{
    return Variant::Long(value).release();
}

// One-dimensional arrays with the given lower bound.
SafeArray LongArray(LONG lower, std::initializer_list<LONG> values);
SafeArray StringArray(LONG lower, std::initializer_list<const wchar_t*> values);
// A variant that owns an array (VT_ARRAY | type).
Variant ArrayVariant(VARTYPE type, SafeArray array);
// An array of user-defined records (VT_RECORD, two pointers wide, zeroed), as
// a C++ or .NET client passes one; its record info is a stand-in that treats
// a record as plain bytes.
SafeArray RecordArray(ULONG count);

// The error info a failed vtable call left behind.
std::wstring LastErrorDescription();

// The IUnknown of a stand-in that lives as long as the test (a static or a
// local that outlives every reference): it answers IUnknown and Interface and
// counts nothing.
template <class Interface, const IID& Iid> class LongLived : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, Iid)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// A stand-in control: properties by name, method calls logged, and a type name
// (TypeName would give it) from a one-entry type library. Elements set with
// SetElement make it a control array (LBound, UBound, default member).
class FakeControl final : public IDispatch {
public:
    static ComPtr<FakeControl> Make(const wchar_t* typeName);

    Variant& Property(const std::wstring& name) { return properties_[Fold(name)]; }
    void SetElement(LONG index, FakeControl* element);
    // Assignments to the property fail as a read-only property's do (error 383).
    void Refuse(const std::wstring& name) { refused_.push_back(Fold(name)); }
    const std::vector<std::wstring>& Log() const { return log_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override;

private:
    explicit FakeControl(ComPtr<ITypeInfo> typeInfo) : typeInfo_(std::move(typeInfo)) {}
    static std::wstring Fold(const std::wstring& name);

    ULONG references_ = 1;
    ComPtr<ITypeInfo> typeInfo_;
    std::vector<std::wstring> names_;
    std::map<std::wstring, Variant> properties_;
    std::map<LONG, ComPtr<FakeControl>> elements_;
    std::vector<std::wstring> log_;
    std::vector<std::wstring> refused_;
};

} // namespace verrick_test
