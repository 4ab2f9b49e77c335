#include "verrick/com/vb_values.h"

#include "support/runtime_error.h"

namespace verrick::vb {

using support::Variant;

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
