#include "type_library.h"

#include <algorithm>

#include "support/runtime_error.h"

namespace reference {
namespace {

using support::Bstr;
using support::ComPtr;

void Check(HRESULT hr, std::wstring_view what)
{
    if (FAILED(hr))
        support::Raise(static_cast<long>(hr), L"cannot read the type library: " + std::wstring(what));
}

struct Documentation {
    std::wstring name;
    std::wstring help;
};

Documentation DocumentationOf(ITypeInfo* info, MEMBERID id)
{
    Bstr name, help;
    Check(info->GetDocumentation(id, name.put(), help.put(), nullptr, nullptr), L"GetDocumentation");
    return {std::wstring(name.view()), std::wstring(help.view())};
}

class Reader {
public:
    explicit Reader(const GUID& library) : library_(library) {}

    TypeRef Type(ITypeInfo* info, const TYPEDESC& description) const
    {
        TypeRef type;
        const TYPEDESC* part = &description;
        while (part->vt == VT_PTR || part->vt == VT_SAFEARRAY) {
            type.chain.push_back(part->vt);
            part = part->lptdesc;
        }
        type.chain.push_back(part->vt);
        if (part->vt != VT_USERDEFINED) return type;

        ComPtr<ITypeInfo> named;
        Check(info->GetRefTypeInfo(part->hreftype, named.put()), L"GetRefTypeInfo");
        type.name = DocumentationOf(named.get(), MEMBERID_NIL).name;
        support::TypeAttr attr(named.get());
        Check(named->GetTypeAttr(attr.put()), L"GetTypeAttr");
        type.kind = attr->typekind;
        // A name for another type (stdole's IPictureDisp names its Picture) is of that type's kind.
        if (attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt == VT_USERDEFINED) {
            ComPtr<ITypeInfo> aliased;
            Check(named->GetRefTypeInfo(attr->tdescAlias.hreftype, aliased.put()), L"GetRefTypeInfo");
            support::TypeAttr aliasedAttr(aliased.get());
            Check(aliased->GetTypeAttr(aliasedAttr.put()), L"GetTypeAttr");
            type.kind = aliasedAttr->typekind;
        }
        ComPtr<ITypeLib> owner;
        UINT index = 0;
        Check(named->GetContainingTypeLib(owner.put(), &index), L"GetContainingTypeLib");
        support::TypeLibAttr ownerAttr(owner.get());
        Check(owner->GetLibAttr(ownerAttr.put()), L"GetLibAttr");
        type.inLibrary = IsEqualGUID(ownerAttr->guid, library_) != FALSE;
        return type;
    }

    Member Function(ITypeInfo* info, UINT index, int pointerSize, bool firstOfId) const
    {
        support::FuncDesc function(info);
        Check(info->GetFuncDesc(index, function.put()), L"GetFuncDesc");
        Member member;
        member.id = function->memid;
        member.funcKind = function->funckind;
        member.invokeKind = function->invkind;
        member.callConv = function->callconv;
        member.slot = function->funckind == FUNC_DISPATCH ? -1 : function->oVft / pointerSize;
        member.optionalCount = function->cParamsOpt;
        member.flags = function->wFuncFlags;
        member.result = Type(info, function->elemdescFunc.tdesc);

        const Documentation documentation = DocumentationOf(info, function->memid);
        member.name = documentation.name;
        member.help = documentation.help;

        // Names come by member id, which the accessors of a property share:
        // they are those of its first accessor, so a later one's are not asked for.
        std::vector<BSTR> names(static_cast<size_t>(function->cParams) + 1, nullptr);
        UINT count = 0;
        if (firstOfId)
            Check(info->GetNames(function->memid, names.data(), static_cast<UINT>(names.size()), &count),
                  L"GetNames");
        std::vector<Bstr> owned;
        for (UINT i = 0; i < count; ++i)
            owned.push_back(Bstr::Attach(names[i]));

        for (SHORT i = 0; i < function->cParams; ++i) {
            const ELEMDESC& element = function->lprgelemdescParam[i];
            Parameter parameter;
            if (static_cast<UINT>(i) + 1 < owned.size())
                parameter.name = owned[static_cast<size_t>(i) + 1].view();
            parameter.type = Type(info, element.tdesc);
            parameter.flags = element.paramdesc.wParamFlags;
            if ((parameter.flags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex)
                parameter.defaultValue =
                    support::Variant::CopyOf(element.paramdesc.pparamdescex->varDefaultValue);
            member.parameters.push_back(std::move(parameter));
        }
        return member;
    }

    Constant Variable(ITypeInfo* info, UINT index) const
    {
        support::VarDesc variable(info);
        Check(info->GetVarDesc(index, variable.put()), L"GetVarDesc");
        Constant constant;
        constant.id = variable->memid;
        constant.kind = variable->varkind;
        constant.flags = variable->wVarFlags;
        constant.type = Type(info, variable->elemdescVar.tdesc);
        if (variable->varkind == VAR_CONST && variable->lpvarValue)
            constant.value = support::Variant::CopyOf(*variable->lpvarValue);
        const Documentation documentation = DocumentationOf(info, variable->memid);
        constant.name = documentation.name;
        constant.help = documentation.help;
        return constant;
    }

    // The members, implemented interfaces and alias of one type information.
    void Contents(ITypeInfo* info, int pointerSize, TypeEntry& entry) const
    {
        support::TypeAttr attr(info);
        Check(info->GetTypeAttr(attr.put()), L"GetTypeAttr");
        for (UINT i = 0; i < attr->cImplTypes; ++i) {
            HREFTYPE reference = 0;
            Check(info->GetRefTypeOfImplType(i, &reference), L"GetRefTypeOfImplType");
            ComPtr<ITypeInfo> implemented;
            Check(info->GetRefTypeInfo(reference, implemented.put()), L"GetRefTypeInfo");
            Implemented item;
            item.name = DocumentationOf(implemented.get(), MEMBERID_NIL).name;
            support::TypeAttr implementedAttr(implemented.get());
            Check(implemented->GetTypeAttr(implementedAttr.put()), L"GetTypeAttr");
            item.guid = implementedAttr->guid;
            Check(info->GetImplTypeFlags(i, &item.flags), L"GetImplTypeFlags");
            entry.implemented.push_back(std::move(item));
        }
        std::vector<MEMBERID> seen;
        for (UINT i = 0; i < attr->cFuncs; ++i) {
            support::FuncDesc function(info);
            Check(info->GetFuncDesc(i, function.put()), L"GetFuncDesc");
            const bool first = std::find(seen.begin(), seen.end(), function->memid) == seen.end();
            seen.push_back(function->memid);
            entry.members.push_back(Function(info, i, pointerSize, first));
        }
        for (UINT i = 0; i < attr->cVars; ++i)
            entry.constants.push_back(Variable(info, i));
        if (attr->typekind == TKIND_ALIAS) entry.aliasOf = Type(info, attr->tdescAlias);
    }

private:
    GUID library_;
};

} // namespace

const TypeEntry* Library::Find(std::wstring_view wanted) const noexcept
{
    for (const TypeEntry& entry : types)
        if (entry.name == wanted) return &entry;
    return nullptr;
}

Library ReadLibrary(ITypeLib* typeLibrary)
{
    Library library;
    {
        support::TypeLibAttr attr(typeLibrary);
        Check(typeLibrary->GetLibAttr(attr.put()), L"GetLibAttr");
        library.guid = attr->guid;
        library.major = attr->wMajorVerNum;
        library.minor = attr->wMinorVerNum;
        library.lcid = attr->lcid;
        library.sysKind = attr->syskind;
        library.flags = attr->wLibFlags;
    }
    Bstr name, help;
    Check(typeLibrary->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), L"GetDocumentation");
    library.name = name.view();
    library.help = help.view();

    // oleaut32 gives vtable offsets for the width of the process that reads the library.
    constexpr int pointerSize = sizeof(void*);
    const Reader reader(library.guid);
    for (UINT i = 0, count = typeLibrary->GetTypeInfoCount(); i < count; ++i) {
        ComPtr<ITypeInfo> info;
        Check(typeLibrary->GetTypeInfo(i, info.put()), L"GetTypeInfo");
        TypeEntry entry;
        const Documentation documentation = DocumentationOf(info.get(), MEMBERID_NIL);
        entry.name = documentation.name;
        entry.help = documentation.help;
        {
            support::TypeAttr attr(info.get());
            Check(info->GetTypeAttr(attr.put()), L"GetTypeAttr");
            entry.kind = attr->typekind;
            entry.guid = attr->guid;
            entry.flags = attr->wTypeFlags;
            entry.major = attr->wMajorVerNum;
            entry.minor = attr->wMinorVerNum;
            entry.dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
        }
        ComPtr<ITypeInfo> view = info;
        if (entry.dual) {
            HREFTYPE vtable = 0;
            Check(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable), L"GetRefTypeOfImplType");
            Check(info->GetRefTypeInfo(vtable, view.put()), L"GetRefTypeInfo");
        }
        reader.Contents(view.get(), pointerSize, entry);
        library.types.push_back(std::move(entry));
    }
    return library;
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring IdlType(const TypeRef& type)
{
    std::wstring text;
    switch (type.Base()) {
    case VT_USERDEFINED: text = type.name; break;
    case VT_I1: text = L"char"; break;
    case VT_UI1: text = L"unsigned char"; break;
    case VT_I2: text = L"short"; break;
    case VT_UI2: text = L"unsigned short"; break;
    case VT_I4: text = L"long"; break;
    case VT_UI4: text = L"unsigned long"; break;
    case VT_INT: text = L"int"; break;
    case VT_UINT: text = L"unsigned int"; break;
    case VT_I8: text = L"hyper"; break;
    case VT_R4: text = L"float"; break;
    case VT_R8: text = L"double"; break;
    case VT_CY: text = L"CURRENCY"; break;
    case VT_DATE: text = L"DATE"; break;
    case VT_BSTR: text = L"BSTR"; break;
    case VT_DISPATCH: text = L"IDispatch*"; break;
    case VT_UNKNOWN: text = L"IUnknown*"; break;
    case VT_ERROR: text = L"SCODE"; break;
    case VT_BOOL: text = L"VARIANT_BOOL"; break;
    case VT_VARIANT: text = L"VARIANT"; break;
    case VT_HRESULT: text = L"HRESULT"; break;
    case VT_VOID: text = L"void"; break;
    case VT_LPSTR: text = L"LPSTR"; break;
    case VT_LPWSTR: text = L"LPWSTR"; break;
    default: text = L"VT_" + std::to_wstring(type.Base()); break;
    }
    for (size_t i = type.chain.size() - 1; i-- > 0;)
        text = type.chain[i] == VT_SAFEARRAY ? L"SAFEARRAY(" + text + L")" : text + L"*";
    return text;
}

std::wstring ValueText(const VARIANT& value)
{
    if (value.vt == VT_BSTR) return L"\"" + std::wstring(support::BstrView(value.bstrVal)) + L"\"";
    if (value.vt == VT_BOOL) return value.boolVal ? L"-1" : L"0";
    support::Variant text;
    if (FAILED(::VariantChangeTypeEx(text.put(), const_cast<VARIANT*>(&value), 0x409, 0, VT_BSTR)))
        return L"<VT_" + std::to_wstring(value.vt) + L">";
    return std::wstring(support::BstrView(text.get()->bstrVal));
}

} // namespace reference
