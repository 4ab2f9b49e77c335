#pragma once
// Values by the client runtime's rules: the conversions of CStr and CLng,
// the = operator between variants, StrComp, and writing a ByRef argument.

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

// The value itself, or an object's default value (raises 91 for Nothing).
support::Variant ValueOf(const VARIANT& value);

std::wstring ToText(const VARIANT& value); // CStr
LONG ToLong(const VARIANT& value);         // CLng
double ToDouble(const VARIANT& value);     // CDbl

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
