#pragma once
// Values by the client runtime's rules: the = operator between variants,
// StrComp, and writing a ByRef argument. Conversions (CStr, CLng, CDbl, an
// object's default value) are the one table of support/values.h.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "support/com.h"
#include "support/values.h"

namespace verrick::vb {

using support::Deref;
using support::IsMissing;
using support::RaiseConversion;
using support::ToDouble;
using support::ToLong;
using support::ToText;
using support::ValueOf;

// value = True, value = False, as an If statement tests them (errors raise).
bool EqualsTrue(const VARIANT& value);
bool EqualsFalse(const VARIANT& value);
// left = right; a Null operand never matches.
bool Equals(const VARIANT& left, const VARIANT& right);

// StrComp(left, right, vbBinaryCompare or vbTextCompare) = 0.
bool SameText(std::wstring_view left, std::wstring_view right, bool ignoreCase);

// Stores a Boolean into a ByRef Variant argument.
void AssignBool(VARIANT* target, bool value) noexcept;

} // namespace verrick::vb
