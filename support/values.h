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
