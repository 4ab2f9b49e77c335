#include "server.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string_view>

namespace verrick_test {

Outcome CallByName(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> arguments,
                   WORD flags)
{
    Outcome outcome;
    Bstr text(name);
    LPOLESTR names[] = {text.get()};
    DISPID id = DISPID_UNKNOWN;
    outcome.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(outcome.hr)) return outcome;
    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    outcome.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, outcome.result.get(),
                                &exception, &argumentError);
    if (outcome.hr == DISP_E_EXCEPTION) {
        outcome.scode = exception.scode;
        const Bstr description = Bstr::Attach(exception.bstrDescription),
                   source = Bstr::Attach(exception.bstrSource),
                   helpFile = Bstr::Attach(exception.bstrHelpFile);
        outcome.description = description.view();
        outcome.source = source.view();
    }
    return outcome;
}

VARIANT Ref(Variant& variable)
{
    VARIANT reference;
    ::VariantInit(&reference);
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = variable.get();
    return reference;
}

SafeArray LongArray(LONG lower, std::initializer_list<LONG> values)
{
    SafeArray array = SafeArray::Vector(VT_I4, lower, static_cast<ULONG>(values.size()));
    support::SafeArrayData<LONG> data(array.get());
    std::copy(values.begin(), values.end(), data.get());
    return array;
}

SafeArray StringArray(LONG lower, std::initializer_list<const wchar_t*> values)
{
    SafeArray array = SafeArray::Vector(VT_BSTR, lower, static_cast<ULONG>(values.size()));
    support::SafeArrayData<BSTR> data(array.get());
    size_t i = 0;
    for (const wchar_t* value : values)
        data[i++] = ::SysAllocString(value);
    return array;
}

Variant ArrayVariant(VARTYPE type, SafeArray array)
{
    return Variant::Array(type, array.release());
}

namespace {

// Records of plain bytes: all that arrays of them ask of their record info.
class PlainRecordInfo final : public LongLived<IRecordInfo, IID_IRecordInfo> {
public:
    static constexpr ULONG kSize = 2 * sizeof(void*);

    HRESULT STDMETHODCALLTYPE RecordInit(PVOID record) override
    {
        std::memset(record, 0, kSize);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RecordClear(PVOID record) override { return RecordInit(record); }
    HRESULT STDMETHODCALLTYPE RecordCopy(PVOID from, PVOID to) override
    {
        std::memcpy(to, from, kSize);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetGuid(GUID* guid) override
    {
        *guid = GUID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override
    {
        *name = ::SysAllocString(L"PlainRecord");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSize(ULONG* size) override
    {
        *size = kSize;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(ITypeInfo** info) override
    {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetField(PVOID, LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFieldNoCopy(PVOID, LPCOLESTR, VARIANT*, PVOID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutField(ULONG, PVOID, LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PutFieldNoCopy(ULONG, PVOID, LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFieldNames(ULONG* count, BSTR*) override
    {
        *count = 0;
        return S_OK;
    }
    BOOL STDMETHODCALLTYPE IsMatchingType(IRecordInfo* other) override { return other == this; }
    PVOID STDMETHODCALLTYPE RecordCreate() override
    {
        void* record = ::CoTaskMemAlloc(kSize);
        if (record) RecordInit(record);
        return record;
    }
    HRESULT STDMETHODCALLTYPE RecordCreateCopy(PVOID from, PVOID* to) override
    {
        *to = RecordCreate();
        if (!*to) return E_OUTOFMEMORY;
        return RecordCopy(from, *to);
    }
    HRESULT STDMETHODCALLTYPE RecordDestroy(PVOID record) override
    {
        ::CoTaskMemFree(record);
        return S_OK;
    }
};

} // namespace

SafeArray RecordArray(ULONG count)
{
    static PlainRecordInfo info;
    SAFEARRAYBOUND bounds{count, 0};
    return SafeArray(::SafeArrayCreateEx(VT_RECORD, 1, &bounds, &info));
}

std::wstring LastErrorDescription()
{
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) != S_OK || !info) return {};
    Bstr description;
    info->GetDescription(description.put());
    return std::wstring(description.view());
}

ComPtr<FakeControl> FakeControl::Make(const wchar_t* typeName)
{
    ComPtr<ICreateTypeLib2> library;
    ComPtr<ICreateTypeInfo> created;
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(::CreateTypeLib2(SYS_WIN32, L"fake.tlb", library.put())) &&
        SUCCEEDED(library->CreateTypeInfo(const_cast<LPOLESTR>(typeName), TKIND_DISPATCH, created.put())))
        info = created.as<ITypeInfo>();
    return ComPtr<FakeControl>::Attach(new FakeControl(info));
}

std::wstring FakeControl::Fold(const std::wstring& name)
{
    std::wstring folded = name;
    for (wchar_t& c : folded)
        c = static_cast<wchar_t>(std::towlower(c));
    return folded;
}

void FakeControl::SetElement(LONG index, FakeControl* element)
{
    elements_[index] = ComPtr<FakeControl>(element);
}

HRESULT FakeControl::QueryInterface(REFIID iid, void** object)
{
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG FakeControl::Release()
{
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT FakeControl::GetTypeInfoCount(UINT* count)
{
    *count = typeInfo_ ? 1 : 0;
    return S_OK;
}

HRESULT FakeControl::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (!typeInfo_) return E_NOTIMPL;
    typeInfo_.copy_to(info);
    return S_OK;
}

HRESULT FakeControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    for (UINT i = 0; i < count; ++i) {
        std::wstring name = Fold(names[i]);
        auto found = std::find(names_.begin(), names_.end(), name);
        if (found == names_.end()) found = names_.insert(names_.end(), name);
        ids[i] = static_cast<DISPID>(found - names_.begin()) + 1;
    }
    return S_OK;
}

HRESULT FakeControl::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* exception, UINT*)
{
    auto text = [](const VARIANT& value) {
        Variant converted;
        if (value.vt == VT_DISPATCH) return std::wstring(L"object");
        if (FAILED(::VariantChangeType(converted.put(), const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL,
                                       VT_BSTR)))
            return std::wstring(L"?");
        return std::wstring(support::BstrView(converted.get()->bstrVal));
    };
    if (member == DISPID_VALUE && !elements_.empty() && params->cArgs == 1) {
        Variant index;
        ::VariantChangeType(index.put(), &params->rgvarg[0], 0, VT_I4);
        auto found = elements_.find(index.get()->lVal);
        if (found == elements_.end()) {
            *exception = EXCEPINFO{};
            exception->scode = MAKE_HRESULT(1, FACILITY_CONTROL, 340);
            return DISP_E_EXCEPTION;
        }
        if (result) Variant::Object(found->second.get()).move_to(result);
        return S_OK;
    }
    if (member < 1 || static_cast<size_t>(member) > names_.size()) return DISP_E_MEMBERNOTFOUND;
    const std::wstring& name = names_[member - 1];
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (std::find(refused_.begin(), refused_.end(), name) != refused_.end()) {
            if (exception) {
                *exception = EXCEPINFO{};
                exception->bstrDescription = Bstr(L"Can't set a read-only property").release();
                exception->scode = MAKE_HRESULT(1, FACILITY_CONTROL, 383);
            }
            return DISP_E_EXCEPTION;
        }
        properties_[name] = Variant::CopyOf(params->rgvarg[0]);
        log_.push_back(name + L"=" + text(*properties_[name]));
        return S_OK;
    }
    if (!elements_.empty() && (name == L"lbound" || name == L"ubound")) {
        if (result)
            Variant::Long(name == L"lbound" ? elements_.begin()->first : elements_.rbegin()->first)
                .move_to(result);
        return S_OK;
    }
    auto property = properties_.find(name);
    if (property != properties_.end() && params->cArgs == 0) {
        if (result) Variant(property->second).move_to(result);
        return S_OK;
    }
    if (flags & DISPATCH_METHOD) {
        std::wstring call = name + L"(";
        for (UINT i = params->cArgs; i > 0; --i)
            call += text(params->rgvarg[i - 1]) + (i > 1 ? L"," : L"");
        log_.push_back(call + L")");
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

} // namespace verrick_test
