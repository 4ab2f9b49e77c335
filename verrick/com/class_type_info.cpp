#include "verrick/com/class_type_info.h"

#include <new>

#include "verrick/com/com_object.h"

#include "support/com.h"

namespace verrick {
namespace {

class ClassNamedTypeInfo final : public ComObject<ITypeInfo> {
public:
    ClassNamedTypeInfo(ITypeInfo* inner, std::wstring name) : inner_(inner), name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID id, BSTR* name, BSTR* text, DWORD* context,
                                               BSTR* file) override
    {
        HRESULT hr = inner_->GetDocumentation(id, name, text, context, file);
        if (FAILED(hr) || id != MEMBERID_NIL || !name) return hr;
        BSTR own = ::SysAllocString(name_.c_str());
        if (!own) return hr;
        support::Bstr::Attach(std::exchange(*name, own)); // the inner name goes
        return hr;
    }

    HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** attr) override { return inner_->GetTypeAttr(attr); }
    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** comp) override { return inner_->GetTypeComp(comp); }
    HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** desc) override
    {
        return inner_->GetFuncDesc(index, desc);
    }
    HRESULT STDMETHODCALLTYPE GetVarDesc(UINT index, VARDESC** desc) override
    {
        return inner_->GetVarDesc(index, desc);
    }
    HRESULT STDMETHODCALLTYPE GetNames(MEMBERID id, BSTR* names, UINT most, UINT* count) override
    {
        return inner_->GetNames(id, names, most, count);
    }
    HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE* reference) override
    {
        return inner_->GetRefTypeOfImplType(index, reference);
    }
    HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT* flags) override
    {
        return inner_->GetImplTypeFlags(index, flags);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override
    {
        return inner_->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(PVOID instance, MEMBERID id, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        return inner_->Invoke(instance, id, flags, params, result, exception, argumentError);
    }
    HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name,
                                          WORD* ordinal) override
    {
        return inner_->GetDllEntry(id, kind, dll, name, ordinal);
    }
    HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE reference, ITypeInfo** info) override
    {
        return inner_->GetRefTypeInfo(reference, info);
    }
    HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID id, INVOKEKIND kind, PVOID* address) override
    {
        return inner_->AddressOfMember(id, kind, address);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, PVOID* object) override
    {
        return inner_->CreateInstance(outer, iid, object);
    }
    HRESULT STDMETHODCALLTYPE GetMops(MEMBERID id, BSTR* mops) override { return inner_->GetMops(id, mops); }
    HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** library, UINT* index) override
    {
        return inner_->GetContainingTypeLib(library, index);
    }
    // What the inner one handed out, it takes back.
    void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* attr) override { inner_->ReleaseTypeAttr(attr); }
    void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* desc) override { inner_->ReleaseFuncDesc(desc); }
    void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC* desc) override { inner_->ReleaseVarDesc(desc); }

private:
    support::ComPtr<ITypeInfo> inner_;
    std::wstring name_;
};

} // namespace

HRESULT MakeClassTypeInfo(ITypeInfo* interfaceInfo, const std::wstring& className,
                          ITypeInfo** result) noexcept
{
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!interfaceInfo) return E_INVALIDARG;
    try {
        *result = MakeObject<ClassNamedTypeInfo>(interfaceInfo, className).release();
        return S_OK;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
}

} // namespace verrick
