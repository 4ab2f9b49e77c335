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
