#include "identities.h"

#include <cstdio>

namespace reference {
namespace {

std::wstring Hex(unsigned long value, int digits)
{
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"0x%0*lX", digits, value);
    return text;
}

const wchar_t* KindName(TYPEKIND kind)
{
    switch (kind) {
    case TKIND_ENUM: return L"enum";
    case TKIND_RECORD: return L"record";
    case TKIND_MODULE: return L"module";
    case TKIND_INTERFACE: return L"interface";
    case TKIND_DISPATCH: return L"dispinterface";
    case TKIND_COCLASS: return L"coclass";
    case TKIND_ALIAS: return L"alias";
    case TKIND_UNION: return L"union";
    default: return L"unknown";
    }
}

const wchar_t* InvokeName(INVOKEKIND kind)
{
    switch (kind) {
    case INVOKE_FUNC: return L"method";
    case INVOKE_PROPERTYGET: return L"propget";
    case INVOKE_PROPERTYPUT: return L"propput";
    case INVOKE_PROPERTYPUTREF: return L"propputref";
    default: return L"unknown";
    }
}

std::wstring ParameterText(const Parameter& parameter)
{
    std::wstring flags;
    auto add = [&](USHORT flag, const wchar_t* name) {
        if (!(parameter.flags & flag)) return;
        if (!flags.empty()) flags += L", ";
        flags += name;
    };
    add(PARAMFLAG_FIN, L"in");
    add(PARAMFLAG_FOUT, L"out");
    add(PARAMFLAG_FLCID, L"lcid");
    add(PARAMFLAG_FRETVAL, L"retval");
    add(PARAMFLAG_FOPT, L"optional");
    if (parameter.flags & PARAMFLAG_FHASDEFAULT) {
        if (!flags.empty()) flags += L", ";
        flags += L"defaultvalue(" + IdlType(TypeRef{{parameter.defaultValue.vt()}}) + L" " +
                 ValueText(*parameter.defaultValue) + L")";
    }
    return L"[" + flags + L"] " + IdlType(parameter.type) + L" " + parameter.name;
}

} // namespace

std::wstring IdentityListing(const Library& library)
{
    std::wstring text = L"library " + library.name + L" " + GuidText(library.guid) + L" " +
                        std::to_wstring(library.major) + L"." + std::to_wstring(library.minor) + L" lcid " +
                        Hex(library.lcid, 4) + L" flags " + Hex(library.flags, 4) + L"\n";
    for (const TypeEntry& type : library.types) {
        text += KindName(type.kind);
        text += L" " + type.name + L" " + GuidText(type.guid) + L" " + std::to_wstring(type.major) + L"." +
                std::to_wstring(type.minor) + L" flags " + Hex(type.flags, 4);
        if (type.dual) text += L" dual";
        text += L"\n";
        if (type.kind == TKIND_ALIAS) text += L"  alias of " + IdlType(type.aliasOf) + L"\n";
        for (const Implemented& implemented : type.implemented)
            text += L"  implements " + implemented.name + L" " + GuidText(implemented.guid) + L" flags " +
                    Hex(static_cast<unsigned long>(implemented.flags), 2) + L"\n";
        for (const Member& member : type.members) {
            text += L"  ";
            if (member.slot >= 0) text += L"slot " + std::to_wstring(member.slot) + L" ";
            text += L"id " + Hex(static_cast<unsigned long>(member.id), 8) + L" " +
                    InvokeName(member.invokeKind) + L" " + member.name + L" funckind " +
                    std::to_wstring(member.funcKind) + L" callconv " + std::to_wstring(member.callConv) +
                    L" flags " + Hex(member.flags, 4) + L" optional " +
                    std::to_wstring(member.optionalCount) + L": " + IdlType(member.result) + L" (";
            for (size_t i = 0; i < member.parameters.size(); ++i)
                text += (i ? L", " : L"") + ParameterText(member.parameters[i]);
            text += L")\n";
        }
        for (const Constant& constant : type.constants)
            text += L"  const id " + Hex(static_cast<unsigned long>(constant.id), 8) + L" " + constant.name +
                    L" varkind " + std::to_wstring(constant.kind) + L" flags " + Hex(constant.flags, 4) +
                    L": " + IdlType(constant.type) + L" = " + ValueText(*constant.value) + L"\n";
    }
    return text;
}

} // namespace reference
