#include "verrick/com/late_bound.h"

#include <dispex.h>
#include <ocidl.h>

#include <algorithm>
#include <vector>

#include "support/values.h"

namespace verrick::late {

using support::ComPtr;
using support::Variant;

DISPID MemberId(IDispatch* object, std::wstring_view name)
{
    if (!object) support::Raise(support::err::ObjectVariableNotSet);
    support::Bstr text(name);
    LPOLESTR names[] = {text.get()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr) && hr != DISP_E_UNKNOWNNAME) {
        // Script objects (a VBScript Class under Wine) may answer names only through IDispatchEx.
        if (auto extended = ComPtr<IDispatch>(object).as<IDispatchEx>())
            hr = extended->GetDispID(text.get(), fdexNameCaseInsensitive, &id);
    }
    if (FAILED(hr)) {
        EXCEPINFO none{};
        support::RaiseFailedCall(hr == DISP_E_UNKNOWNNAME ? DISP_E_MEMBERNOTFOUND : hr, name, &none);
    }
    return id;
}

Variant Invoke(IDispatch* object, DISPID member, WORD flags, std::initializer_list<VARIANT> arguments,
               std::wstring_view nameForErrors)
{
    if (!object) support::Raise(support::err::ObjectVariableNotSet);
    // rgvarg holds the arguments last first.
    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &putId;
    }
    Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    bool wantsResult = !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
    HRESULT hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                wantsResult ? result.get() : nullptr, &exception, &argumentError);
    if (FAILED(hr)) support::RaiseFailedCall(hr, nameForErrors, &exception);
    return result;
}

Variant Get(IDispatch* object, std::wstring_view name, std::initializer_list<VARIANT> arguments)
{
    DISPID id = MemberId(object, name);
    return Invoke(object, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arguments, name);
}

void Put(IDispatch* object, std::wstring_view name, const VARIANT& value)
{
    DISPID id = MemberId(object, name);
    Invoke(object, id, DISPATCH_PROPERTYPUT, {value}, name);
}

void PutRef(IDispatch* object, std::wstring_view name, const VARIANT& value)
{
    DISPID id = MemberId(object, name);
    try {
        Invoke(object, id, DISPATCH_PROPERTYPUTREF, {value}, name);
    } catch (const support::RuntimeError& error) {
        if (error.Number() != support::err::MethodNotSupported) throw;
        Invoke(object, id, DISPATCH_PROPERTYPUT, {value}, name);
    }
}

Variant Call(IDispatch* object, std::wstring_view name, std::initializer_list<VARIANT> arguments)
{
    DISPID id = MemberId(object, name);
    return Invoke(object, id, DISPATCH_METHOD, arguments, name);
}

Variant GetDefault(IDispatch* object, std::initializer_list<VARIANT> arguments)
{
    try {
        return Invoke(object, DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arguments);
    } catch (const support::RuntimeError& error) {
        // Script objects may name their default member without answering DISPID_VALUE.
        if (error.Number() != support::err::MethodNotSupported) throw;
        return Get(object, L"Item", arguments);
    }
}

ComPtr<IDispatch> ObjectOf(const VARIANT& value)
{
    const VARIANT* v = &support::Deref(value);
    IUnknown* unknown = nullptr;
    switch (v->vt) {
    case VT_DISPATCH:
    case VT_UNKNOWN: unknown = v->punkVal; break;
    case VT_BYREF | VT_DISPATCH:
    case VT_BYREF | VT_UNKNOWN: unknown = *v->ppunkVal; break;
    default: support::Raise(support::err::ObjectRequired);
    }
    if (!unknown) support::Raise(support::err::ObjectVariableNotSet);
    ComPtr<IDispatch> object;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, object.put_void())))
        support::Raise(support::err::ObjectRequired);
    return object;
}

ComPtr<IDispatch> RequireObject(IDispatch* object)
{
    if (!object) support::Raise(support::err::ObjectRequired);
    return ComPtr<IDispatch>(object);
}

std::wstring TypeNameOf(IDispatch* object)
{
    if (!object) return L"Nothing";
    ComPtr<ITypeInfo> info;
    if (auto classInfo = ComPtr<IDispatch>(object).as<IProvideClassInfo>())
        classInfo->GetClassInfo(info.put());
    if (!info && FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()))) return {};
    if (!info) return {};
    support::Bstr name;
    if (FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr))) return {};
    std::wstring result(name.view());
    if (!result.empty() && result.front() == L'_') result.erase(0, 1);
    return result;
}

void ForEach(const VARIANT& items, const std::function<void(const VARIANT&)>& visit)
{
    const VARIANT* v = &support::Deref(items);
    if (v->vt & VT_ARRAY) {
        SAFEARRAY* array = (v->vt & VT_BYREF) ? *v->pparray : v->parray;
        if (!array || ::SafeArrayGetDim(array) == 0) support::Raise(support::err::SubscriptOutOfRange);
        VARTYPE type = VT_EMPTY;
        // Records (user-defined types) are no values to visit; an element viewed
        // by reference would also lack the record info a record variant carries.
        if (FAILED(::SafeArrayGetVartype(array, &type)) || type == VT_RECORD)
            support::Raise(support::err::TypeMismatch);
        ULONG total = 1;
        for (UINT d = 1; d <= ::SafeArrayGetDim(array); ++d) {
            LONG lower = 0, upper = -1;
            ::SafeArrayGetLBound(array, d, &lower);
            ::SafeArrayGetUBound(array, d, &upper);
            total *= upper >= lower ? static_cast<ULONG>(upper - lower + 1) : 0;
        }
        // Copies first: the visitor may call out and the array may change meanwhile.
        std::vector<Variant> elements;
        elements.reserve(total);
        {
            support::SafeArrayData<BYTE> data(array);
            UINT size = ::SafeArrayGetElemsize(array);
            for (ULONG k = 0; k < total && data; ++k) {
                VARIANT view;
                ::VariantInit(&view);
                if (type == VT_VARIANT) {
                    elements.push_back(Variant::CopyOf(*reinterpret_cast<VARIANT*>(data.get() + k * size)));
                    continue;
                }
                view.vt = static_cast<VARTYPE>(VT_BYREF | type);
                view.byref = data.get() + k * size;
                elements.push_back(Variant::CopyOf(view));
            }
        }
        for (const Variant& element : elements)
            visit(*element);
        return;
    }
    ComPtr<IDispatch> object = ObjectOf(*v);
    Variant enumerator = Invoke(object.get(), DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
    ComPtr<IEnumVARIANT> items_;
    if (enumerator.vt() == VT_UNKNOWN || enumerator.vt() == VT_DISPATCH) {
        IUnknown* unknown = enumerator.get()->punkVal;
        if (unknown) unknown->QueryInterface(IID_IEnumVARIANT, items_.put_void());
    }
    if (!items_) support::Raise(support::err::MethodNotSupported);
    for (;;) {
        Variant element;
        ULONG fetched = 0;
        if (items_->Next(1, element.put(), &fetched) != S_OK || fetched == 0) break;
        visit(*element);
    }
}

} // namespace verrick::late
