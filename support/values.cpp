#include "support/values.h"

#include <algorithm>
#include <cwctype>

#include "support/runtime_error.h"

namespace support {
const VARIANT& Deref(const VARIANT& value) noexcept
{
    const VARIANT* v = &value;
    while (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
        v = v->pvarVal;
    return *v;
}

VARIANT* Deref(VARIANT* value) noexcept
{
    while (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal)
        value = value->pvarVal;
    return value;
}

bool IsWellFormedArgument(const VARIANT& argument) noexcept
{
    const VARIANT* value = &argument;
    for (int depth = 0; depth <= kMaxReferenceDepth; ++depth) {
        if (!(value->vt & VT_BYREF)) return true;
        if (!value->byref) return false;
        if (value->vt != (VT_BYREF | VT_VARIANT)) return true;
        value = value->pvarVal;
    }
    return false;
}

bool IsMissing(const VARIANT& value) noexcept
{
    const VARIANT& v = Deref(value);
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

void RaiseConversion(HRESULT hr)
{
    if (hr == DISP_E_OVERFLOW) Raise(err::Overflow);
    if (hr == E_OUTOFMEMORY) Raise(err::OutOfMemory);
    Raise(err::TypeMismatch);
}

Variant ChangedType(const VARIANT& value, VARTYPE type, USHORT flags, LCID locale)
{
    Variant result;
    HRESULT hr =
        ::VariantChangeTypeEx(result.put(), const_cast<VARIANT*>(&Deref(value)), locale, flags, type);
    if (FAILED(hr)) RaiseConversion(hr);
    return result;
}

namespace {

// The object a value holds, null for Nothing; false when it holds no object.
bool HoldsObject(const VARIANT& value, IUnknown*& object) noexcept
{
    switch (value.vt) {
    case VT_DISPATCH:
    case VT_UNKNOWN: object = value.punkVal; return true;
    case VT_BYREF | VT_DISPATCH:
    case VT_BYREF | VT_UNKNOWN: object = value.ppunkVal ? *value.ppunkVal : nullptr; return true;
    default: return false;
    }
}

Variant DefaultValue(IUnknown* object)
{
    if (!object) Raise(err::ObjectVariableNotSet);
    ComPtr<IDispatch> dispatch;
    if (FAILED(object->QueryInterface(IID_IDispatch, dispatch.put_void()))) Raise(err::MethodNotSupported);
    DISPPARAMS none{};
    Variant result;
    EXCEPINFO exception{};
    HRESULT hr =
        dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                         &none, result.get(), &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) throw TakeExcepInfo(exception);
    if (FAILED(hr)) Raise(ErrorNumberOfHresult(hr), DescriptionOfHresult(hr));
    return result;
}

} // namespace

Variant ValueOf(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    IUnknown* object = nullptr;
    if (HoldsObject(v, object)) return DefaultValue(object);
    return Variant::CopyOf(v);
}

Variant Converted(const VARIANT& value, VARTYPE type)
{
    if (type == VT_VARIANT) return Variant::CopyOf(Deref(value));
    if (type == VT_UNKNOWN) {
        const VARIANT& v = Deref(value);
        IUnknown* object = nullptr;
        if (v.vt != VT_EMPTY && !HoldsObject(v, object)) Raise(err::TypeMismatch);
        return Variant::Unknown(object);
    }
    if (type == VT_DISPATCH) return Variant::Object(ToObject(value).get());
    Variant plain = Variant::CopyOf(Deref(value));
    // A default value may itself be an object; a chain that never ends is a loop.
    for (int depth = 0;; ++depth) {
        IUnknown* object = nullptr;
        if (!HoldsObject(*plain.get(), object)) break;
        if (depth == kMaxReferenceDepth) Raise(err::TypeMismatch);
        plain = DefaultValue(object);
    }
    const VARTYPE from = plain.vt();
    if (from == VT_ERROR && plain.get()->scode == DISP_E_PARAMNOTFOUND) Raise(err::ArgumentNotOptional);
    if (from == VT_NULL) Raise(err::InvalidUseOfNull);
    if ((from & VT_ARRAY) || from == VT_ERROR || from == VT_RECORD) Raise(err::TypeMismatch);
    if (from == type) return plain;
    // Booleans read as text are True and False, as CStr gives them.
    const USHORT flags = type == VT_BSTR ? VARIANT_ALPHABOOL : 0;
    return ChangedType(*plain.get(), type, flags);
}

std::wstring ToText(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    if (v.vt == VT_BSTR) return std::wstring(BstrView(v.bstrVal));
    Variant text = Converted(v, VT_BSTR);
    return std::wstring(BstrView(text.get()->bstrVal));
}

LONG ToLong(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    if (v.vt == VT_I4) return v.lVal;
    return Converted(v, VT_I4).get()->lVal;
}

SHORT ToInteger(const VARIANT& value)
{
    return Converted(value, VT_I2).get()->iVal;
}

BYTE ToByte(const VARIANT& value)
{
    return Converted(value, VT_UI1).get()->bVal;
}

double ToDouble(const VARIANT& value)
{
    return Converted(value, VT_R8).get()->dblVal;
}

bool ToBool(const VARIANT& value)
{
    return Converted(value, VT_BOOL).get()->boolVal != VARIANT_FALSE;
}

DATE ToDate(const VARIANT& value)
{
    return Converted(value, VT_DATE).get()->date;
}

ComPtr<IDispatch> ToObject(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    IUnknown* object = nullptr;
    if (v.vt == VT_EMPTY) return {};
    if (!HoldsObject(v, object)) Raise(err::TypeMismatch);
    ComPtr<IDispatch> dispatch;
    if (object && FAILED(object->QueryInterface(IID_IDispatch, dispatch.put_void())))
        Raise(err::TypeMismatch);
    return dispatch;
}

std::wstring FoldedName(std::wstring_view name)
{
    std::wstring folded(name);
    for (wchar_t& c : folded)
        c = static_cast<wchar_t>(std::towlower(c));
    return folded;
}

bool SameName(std::wstring_view left, std::wstring_view right) noexcept
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

std::wstring UpperText(std::wstring_view text)
{
    std::wstring upper(text);
    if (!upper.empty()) ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

std::wstring_view ObjectName(BSTR text)
{
    const std::wstring_view name = BstrView(text);
    if (name.find(L'\0') != std::wstring_view::npos) Raise(err::InvalidProcedureCall);
    return name;
}

} // namespace support
