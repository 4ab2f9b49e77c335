#pragma once
// Values as the client runtime treats them, shared by the toolkit's and the
// library's IDispatch: by-reference variables, omitted arguments, conversions
// and the case folding of names and text.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "support/com.h"

namespace support {

// How many VT_BYREF|VT_VARIANT references a caller may chain; more is taken for a loop.
inline constexpr int kMaxReferenceDepth = 16;

// The variable a chain of VT_BYREF|VT_VARIANT references ends at.
const VARIANT& Deref(const VARIANT& value) noexcept;
VARIANT* Deref(VARIANT* value) noexcept;
// An argument a callee can follow safely: a by-reference one points somewhere,
// and a chain of references ends within a few links.
bool IsWellFormedArgument(const VARIANT& argument) noexcept;
// An omitted Optional argument, seen through references.
bool IsMissing(const VARIANT& value) noexcept;

// Raises the run-time error of a failed conversion: overflow (6), out of
// memory (7), anything else type mismatch (13).
[[noreturn]] void RaiseConversion(HRESULT hr);
// The value converted to a type (VariantChangeTypeEx, through references), or the conversion's error.
Variant ChangedType(const VARIANT& value, VARTYPE type, USHORT flags = 0, LCID locale = LOCALE_USER_DEFAULT);

// The one table of conversions: what a value becomes where a member needs
// another type, as the client runtime converts it. Every IDispatch of the
// toolkit and of the library converts its arguments and assigned values here.
//
//   Empty     "" / 0 / False / day 0; Nothing where an object is needed.
//   Null      94 (Invalid use of Null); 13 where an object is needed.
//   Boolean   "True" / "False" as text, -1 / 0 as a number (255 / 0 as a Byte).
//   number    the user's locale text; rounded half to even into a whole
//             number; 6 (Overflow) outside the target's range.
//   Date      the user's locale text; its day number as a number.
//   String    parsed by the user's locale; 13 when it is not a number (or not
//             a date, not True or False); 6 outside the range.
//   object    its default value (DISPID_VALUE), converted by this table: 91
//             for Nothing, 438 when it has none, or whatever it raises.
//             Where an object is needed: the object itself.
//   array, error values: 13.
//   omitted   449 (Argument not optional): an Optional argument takes its
//             default before it is converted.
// A Variant target takes any value as it is.
Variant Converted(const VARIANT& value, VARTYPE type);
std::wstring ToText(const VARIANT& value); // String
LONG ToLong(const VARIANT& value);         // Long
SHORT ToInteger(const VARIANT& value);     // Integer
BYTE ToByte(const VARIANT& value);         // Byte
double ToDouble(const VARIANT& value);     // Double
bool ToBool(const VARIANT& value);         // Boolean
DATE ToDate(const VARIANT& value);         // Date
// Object: null for Nothing and Empty.
ComPtr<IDispatch> ToObject(const VARIANT& value);
// An object's default value (DISPID_VALUE, read without arguments); any other value as it is.
Variant ValueOf(const VARIANT& value);

// Member and property names compare without regard to case: the folded name is a lookup key.
std::wstring FoldedName(std::wstring_view name);
bool SameName(std::wstring_view left, std::wstring_view right) noexcept;
// Text upper-cased as UCase does it, one character for one, so positions are kept.
std::wstring UpperText(std::wstring_view text);

// The text of an argument that names a system object (a mutex, a window
// property, a registry value). The system reads a name up to its first NUL, so
// a name with a NUL inside would name another object: error 5.
std::wstring_view ObjectName(BSTR text);

} // namespace support
