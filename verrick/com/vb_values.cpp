#include "verrick/com/vb_values.h"

#include "support/runtime_error.h"
#include "verrick/com/late_bound.h"

namespace verrick::vb {

using support::Variant;

Variant ValueOf(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    VARTYPE base = v.vt & ~VT_BYREF;
    if (base == VT_DISPATCH || base == VT_UNKNOWN) {
        auto object = late::ObjectOf(v);
        return late::Invoke(object.get(), DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
    }
    return Variant::CopyOf(v);
}

namespace {

Variant Convert(const VARIANT& value, VARTYPE type)
{
    Variant plain = ValueOf(value);
    if (plain.vt() == VT_NULL) support::Raise(support::err::InvalidUseOfNull);
    if (plain.vt() == type) return plain;
    return support::ChangedType(*plain.get(), type, type == VT_BSTR ? VARIANT_ALPHABOOL : 0);
}

} // namespace

std::wstring ToText(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    if (v.vt == VT_BSTR) return std::wstring(support::BstrView(v.bstrVal));
    Variant text = Convert(v, VT_BSTR);
    return std::wstring(support::BstrView(text.get()->bstrVal));
}

LONG ToLong(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    if (v.vt == VT_I4) return v.lVal;
    return Convert(v, VT_I4).get()->lVal;
}

double ToDouble(const VARIANT& value)
{
    return Convert(value, VT_R8).get()->dblVal;
}

bool Equals(const VARIANT& left, const VARIANT& right)
{
    Variant a = ValueOf(left);
    Variant b = ValueOf(right);
    if (a.vt() == VT_NULL || b.vt() == VT_NULL) return false;
    HRESULT result = ::VarCmp(a.get(), b.get(), LOCALE_USER_DEFAULT, 0);
    if (result == VARCMP_NULL) return false;
    if (FAILED(result)) RaiseConversion(result);
    return result == VARCMP_EQ;
}

bool EqualsTrue(const VARIANT& value)
{
    return Equals(value, *Variant::Bool(true));
}

bool EqualsFalse(const VARIANT& value)
{
    return Equals(value, *Variant::Bool(false));
}

bool SameText(std::wstring_view left, std::wstring_view right, bool ignoreCase)
{
    if (!ignoreCase) return left == right;
    int result = ::CompareStringW(
        LOCALE_USER_DEFAULT, NORM_IGNORECASE | NORM_IGNOREKANATYPE | NORM_IGNOREWIDTH, left.data(),
        static_cast<int>(left.size()), right.data(), static_cast<int>(right.size()));
    return result == CSTR_EQUAL;
}

void AssignBool(VARIANT* target, bool value) noexcept
{
    if (!target) return;
    while (target->vt == (VT_BYREF | VT_VARIANT) && target->pvarVal)
        target = target->pvarVal;
    VARIANT_BOOL flag = value ? VARIANT_TRUE : VARIANT_FALSE;
    if (target->vt == (VT_BYREF | VT_BOOL)) {
        *target->pboolVal = flag;
        return;
    }
    ::VariantClear(target);
    target->vt = VT_BOOL;
    target->boolVal = flag;
}

} // namespace verrick::vb
