#pragma once
// A type library read into plain values: every type information in library
// order, with its members, parameters, constants and documentation, as the
// identity listing and the reference page need them.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "support/com.h"

namespace reference {

// A type as a TYPEDESC spells it: pointers and safe arrays around a base type
// or a named type (VT_USERDEFINED).
struct TypeRef {
    // Outermost first: VT_PTR and VT_SAFEARRAY, then the base type.
    std::vector<VARTYPE> chain;
    // The named type: its name, kind and whether this library defines it.
    std::wstring name;
    TYPEKIND kind = TKIND_MAX;
    bool inLibrary = false;

    VARTYPE Base() const noexcept { return chain.empty() ? VARTYPE{VT_EMPTY} : chain.back(); }
};

struct Parameter {
    std::wstring name;
    TypeRef type;
    USHORT flags = 0; // PARAMFLAG_*
    support::Variant defaultValue;
};

struct Member {
    std::wstring name;
    std::wstring help;
    MEMBERID id = MEMBERID_NIL;
    FUNCKIND funcKind = FUNC_DISPATCH;
    INVOKEKIND invokeKind = INVOKE_FUNC;
    CALLCONV callConv = CC_STDCALL;
    // The vtable slot (pointer-sized entries); -1 for a dispinterface's members.
    int slot = -1;
    SHORT optionalCount = 0; // -1: the last parameter is a ParamArray
    WORD flags = 0;          // FUNCFLAG_*
    TypeRef result;
    std::vector<Parameter> parameters;
};

struct Constant {
    std::wstring name;
    std::wstring help;
    MEMBERID id = MEMBERID_NIL;
    VARKIND kind = VAR_CONST;
    WORD flags = 0; // VARFLAG_*
    TypeRef type;
    support::Variant value;
};

struct Implemented {
    std::wstring name;
    GUID guid{};
    INT flags = 0; // IMPLTYPEFLAG_*
};

struct TypeEntry {
    std::wstring name;
    std::wstring help;
    TYPEKIND kind = TKIND_MAX;
    GUID guid{};
    WORD flags = 0; // TYPEFLAG_*
    WORD major = 0, minor = 0;
    // A dual interface's members are read from its vtable view.
    bool dual = false;
    std::vector<Implemented> implemented;
    std::vector<Member> members;
    std::vector<Constant> constants;
    TypeRef aliasOf;
};

struct Library {
    std::wstring name;
    std::wstring help;
    GUID guid{};
    WORD major = 0, minor = 0;
    LCID lcid = 0;
    SYSKIND sysKind = SYS_WIN32;
    WORD flags = 0; // LIBFLAG_*
    std::vector<TypeEntry> types;

    // The entry of that name; null when the library has none.
    const TypeEntry* Find(std::wstring_view name) const noexcept;
};

// Reads the whole library; throws support::RuntimeError (the HRESULT) when a part cannot be read.
Library ReadLibrary(ITypeLib* library);

std::wstring GuidText(const GUID& guid);
// A type as the IDL writes it: "SAFEARRAY(BSTR)*", "_Collection**", "VARIANT_BOOL".
std::wstring IdlType(const TypeRef& type);
// A constant or default value as its text: numbers as they are, text quoted.
std::wstring ValueText(const VARIANT& value);

} // namespace reference
