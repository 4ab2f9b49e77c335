#include "verrick/com/dispatch_table.h"

#include "support/values.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "verrick/com/boundary.h"

namespace verrick {
namespace {

using support::ComPtr;
using support::SafeArray;
using support::SafeArrayData;
using support::Variant;

// What a parameter holds once aliases, enums and interface names are resolved.
struct ValueType {
    VARTYPE vt = VT_EMPTY; // VT_I4, VT_BSTR, VT_VARIANT, VT_DISPATCH, VT_ARRAY | element...
    IID iid = IID_NULL;    // the interface an object must offer; IID_NULL for any
};

struct ParamType {
    ValueType value;
    bool byRef = false;
};

// The attributes of a type information, fetched at once; empty when it lends none.
class FetchedTypeAttr : public support::TypeAttr {
public:
    explicit FetchedTypeAttr(ITypeInfo* info) noexcept : support::TypeAttr(info) { info->GetTypeAttr(put()); }
};

std::optional<ValueType> ResolveValue(ITypeInfo* info, const TYPEDESC& type);
std::optional<ValueType> ResolveInterfaceAlias(ITypeInfo* info, const TYPEDESC& type);

// An object of a named interface (reached through a pointer in the type description).
std::optional<ValueType> ResolveInterface(ITypeInfo* info, HREFTYPE reference)
{
    ComPtr<ITypeInfo> target;
    if (FAILED(info->GetRefTypeInfo(reference, target.put()))) return ValueType{VT_DISPATCH, IID_NULL};
    FetchedTypeAttr attr(target.get());
    if (!attr) return ValueType{VT_DISPATCH, IID_NULL};
    switch (attr->typekind) {
    case TKIND_DISPATCH: return ValueType{VT_DISPATCH, attr->guid};
    case TKIND_INTERFACE:
        return ValueType{static_cast<VARTYPE>((attr->wTypeFlags & TYPEFLAG_FDUAL) ? VT_DISPATCH : VT_UNKNOWN),
                         attr->guid};
    case TKIND_COCLASS: return ValueType{VT_UNKNOWN, IID_NULL};
    case TKIND_ALIAS: return ResolveInterfaceAlias(target.get(), attr->tdescAlias);
    default: return std::nullopt;
    }
}

std::optional<ValueType> ResolveUserDefined(ITypeInfo* info, HREFTYPE reference)
{
    ComPtr<ITypeInfo> target;
    if (FAILED(info->GetRefTypeInfo(reference, target.put()))) return std::nullopt;
    FetchedTypeAttr attr(target.get());
    if (!attr) return std::nullopt;
    switch (attr->typekind) {
    case TKIND_ENUM: return ValueType{VT_I4, IID_NULL};
    case TKIND_ALIAS: return ResolveValue(target.get(), attr->tdescAlias);
    default: return std::nullopt;
    }
}

std::optional<ValueType> ResolveValue(ITypeInfo* info, const TYPEDESC& type)
{
    switch (type.vt) {
    case VT_PTR:
        if (type.lptdesc->vt == VT_USERDEFINED) {
            ComPtr<ITypeInfo> target;
            if (FAILED(info->GetRefTypeInfo(type.lptdesc->hreftype, target.put()))) return std::nullopt;
            FetchedTypeAttr attr(target.get());
            if (!attr || attr->typekind == TKIND_ENUM || attr->typekind == TKIND_RECORD) return std::nullopt;
            return ResolveInterface(info, type.lptdesc->hreftype);
        }
        return std::nullopt;
    case VT_SAFEARRAY: {
        auto element = ResolveValue(info, *type.lptdesc);
        if (!element || (element->vt & VT_ARRAY)) return std::nullopt;
        return ValueType{static_cast<VARTYPE>(VT_ARRAY | element->vt), IID_NULL};
    }
    case VT_USERDEFINED: return ResolveUserDefined(info, type.hreftype);
    case VT_INT: return ValueType{VT_I4, IID_NULL};
    case VT_UINT: return ValueType{VT_UI4, IID_NULL};
    case VT_HRESULT: return ValueType{VT_ERROR, IID_NULL};
    case VT_VOID:
    case VT_CARRAY:
    case VT_LPSTR:
    case VT_LPWSTR: return std::nullopt;
    default: return ValueType{type.vt, IID_NULL};
    }
}

std::optional<ValueType> ResolveInterfaceAlias(ITypeInfo* info, const TYPEDESC& type)
{
    if (type.vt == VT_USERDEFINED) return ResolveInterface(info, type.hreftype);
    return std::nullopt;
}

std::optional<ParamType> ResolveParam(ITypeInfo* info, const TYPEDESC& type)
{
    if (auto value = ResolveValue(info, type)) return ParamType{*value, false};
    if (type.vt == VT_PTR)
        if (auto value = ResolveValue(info, *type.lptdesc)) return ParamType{*value, true};
    return std::nullopt;
}

using support::Deref;
using support::IsMissing;
using support::kMaxReferenceDepth;

bool IsWellFormed(const VARIANT& argument) noexcept
{
    return support::IsWellFormedArgument(argument);
}

// Whether a pointer handed to the callee points into the given variable.
bool PointsInto(const void* pointer, const VARIANT* variable) noexcept
{
    auto address = reinterpret_cast<std::uintptr_t>(pointer);
    auto start = reinterpret_cast<std::uintptr_t>(variable);
    return address >= start && address < start + sizeof(VARIANT);
}

// Where the value of a VARIANT of the given type lives, for a by-reference parameter.
void* ValuePointer(VARIANT* value, VARTYPE type) noexcept
{
    if (type == VT_VARIANT) return value;
    if (type == VT_DECIMAL) return &value->decVal;
    return &value->lVal;
}

HRESULT CoerceScalar(const VARIANT& source, const ValueType& type, Variant& out);

// A copy of an array with every element converted: a script's Variant array
// passed where a Long or String array is declared.
HRESULT ConvertArray(SAFEARRAY* source, VARTYPE elementType, Variant& out)
{
    if (!source) {
        out = Variant::Array(elementType, nullptr);
        return S_OK;
    }
    VARTYPE sourceType = VT_EMPTY;
    if (FAILED(::SafeArrayGetVartype(source, &sourceType))) return DISP_E_TYPEMISMATCH;
    // A record (a user-defined type) converts to nothing; an element viewed by
    // reference would also lack the record info a record variant carries.
    if (sourceType == VT_RECORD) return DISP_E_TYPEMISMATCH;
    UINT dims = ::SafeArrayGetDim(source);
    if (dims == 0) {
        out = Variant::Array(elementType, nullptr);
        return S_OK;
    }
    std::vector<SAFEARRAYBOUND> bounds(dims);
    ULONG total = 1;
    for (UINT d = 0; d < dims; ++d) {
        LONG lower = 0, upper = -1;
        ::SafeArrayGetLBound(source, d + 1, &lower);
        ::SafeArrayGetUBound(source, d + 1, &upper);
        bounds[d].lLbound = lower;
        bounds[d].cElements = upper >= lower ? static_cast<ULONG>(upper - lower + 1) : 0;
        total *= bounds[d].cElements;
    }
    SafeArray target(::SafeArrayCreate(elementType, dims, bounds.data()));
    if (!target) return E_OUTOFMEMORY;
    UINT sourceSize = ::SafeArrayGetElemsize(source);
    UINT targetSize = ::SafeArrayGetElemsize(target.get());
    {
        SafeArrayData<BYTE> from(source);
        SafeArrayData<BYTE> to(target.get());
        if ((!from || !to) && total) return E_UNEXPECTED;
        for (ULONG k = 0; k < total; ++k) {
            VARIANT view;
            const VARIANT* element;
            if (sourceType == VT_VARIANT) {
                element = reinterpret_cast<const VARIANT*>(from.get() + k * sourceSize);
            } else {
                ::VariantInit(&view);
                view.vt = static_cast<VARTYPE>(VT_BYREF | sourceType);
                view.byref = from.get() + k * sourceSize;
                element = &view;
            }
            Variant converted;
            HRESULT hr = CoerceScalar(*element, ValueType{elementType, IID_NULL}, converted);
            if (FAILED(hr)) return hr;
            VARIANT moved = converted.release();
            std::memcpy(to.get() + k * targetSize, ValuePointer(&moved, elementType), targetSize);
        }
    }
    out = Variant::Array(elementType, target.release());
    return S_OK;
}

// The HRESULT of a conversion's run-time error: the dispatch codes for those
// that have one; any other (94, or what an object's default member raised)
// becomes the thread's error info, which Invoke reports as an exception.
HRESULT ConversionFailure(const support::RuntimeError& error) noexcept
{
    switch (error.Number()) {
    case support::err::TypeMismatch: return DISP_E_TYPEMISMATCH;
    case support::err::Overflow: return DISP_E_OVERFLOW;
    case support::err::ArgumentNotOptional: return DISP_E_PARAMNOTOPTIONAL;
    case support::err::OutOfMemory: return E_OUTOFMEMORY;
    default:
        return support::SetThreadErrorInfo(IID_NULL, error.Source(), error.Description(),
                                           support::HresultOfErrorNumber(error.Number()));
    }
}

HRESULT CoerceScalar(const VARIANT& source, const ValueType& type, Variant& out)
{
    Variant plain = Variant::CopyOf(source);
    if (type.vt == VT_VARIANT) {
        out = std::move(plain);
        return S_OK;
    }
    if ((type.vt == VT_DISPATCH || type.vt == VT_UNKNOWN) &&
        (plain.vt() == VT_DISPATCH || plain.vt() == VT_UNKNOWN)) {
        IUnknown* object = plain.get()->punkVal;
        const IID& wanted = !IsEqualIID(type.iid, IID_NULL) ? type.iid
                            : type.vt == VT_DISPATCH        ? IID_IDispatch
                                                            : IID_IUnknown;
        VARIANT* target = out.put();
        target->vt = type.vt;
        target->punkVal = nullptr;
        if (object && FAILED(object->QueryInterface(wanted, reinterpret_cast<void**>(&target->punkVal))))
            return DISP_E_TYPEMISMATCH;
        return S_OK;
    }
    try {
        out = support::Converted(*plain.get(), type.vt);
        return S_OK;
    } catch (const support::RuntimeError& error) {
        return ConversionFailure(error);
    }
}

HRESULT Coerce(VARIANT* source, const ValueType& type, Variant& out)
{
    const VARIANT* value = Deref(source);
    if (type.vt & VT_ARRAY) {
        VARTYPE element = type.vt & VT_TYPEMASK;
        if (value->vt == type.vt) return ::VariantCopy(out.put(), const_cast<VARIANT*>(value));
        if (value->vt == (VT_BYREF | type.vt)) {
            VARIANT* target = out.put();
            target->vt = type.vt;
            return ::SafeArrayCopy(*value->pparray, &target->parray);
        }
        if (!(value->vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
        return ConvertArray((value->vt & VT_BYREF) ? *value->pparray : value->parray, element, out);
    }
    return CoerceScalar(*value, type, out);
}

// A parameter with its value made ready for the call.
struct Slot {
    Variant owned;  // a value made for the call, or the return value
    VARIANT call{}; // what the callee receives: the value or a pointer
    VARTYPE callType = VT_EMPTY;
    SAFEARRAY* borrowedArray = nullptr; // an array passed on by reference without a copy
    VARIANT* writeBack = nullptr;       // the caller's variable, updated from owned after the call
    VARTYPE writeBackType = VT_EMPTY;
    // A value the callee reads in place, in the caller's storage, and where it came from.
    const void* borrowed = nullptr;
    VARIANT* borrowedFrom = nullptr;
    // A caller's Variant the callee receives as such and may replace whole.
    VARIANT* writable = nullptr;

    void Borrow(void* pointer, VARIANT* from) noexcept
    {
        PassPointer(pointer);
        borrowed = pointer;
        borrowedFrom = from;
    }

    void PassValue(const VARIANT& value, VARTYPE type) noexcept
    {
        call = value;
        callType = type;
    }
    void PassPointer(void* pointer) noexcept
    {
        call.vt = VT_BYREF | VT_UI1;
        call.byref = pointer;
        callType = VT_BYREF | VT_UI1;
    }
};

// The zero value of a type: what an omitted optional parameter without a default gets.
void MakeZero(Variant& out, VARTYPE type) noexcept
{
    VARIANT* target = out.put();
    std::memset(target, 0, sizeof(*target));
    target->vt = type == VT_VARIANT ? static_cast<VARTYPE>(VT_EMPTY) : type;
}

// The class that has the interface as its default (not as its events).
ComPtr<ITypeInfo> DefaultClassOf(ITypeLib* library, REFIID iid)
{
    const UINT count = library->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind = TKIND_MAX;
        if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
        ComPtr<ITypeInfo> coclass;
        if (FAILED(library->GetTypeInfo(i, coclass.put()))) continue;
        FetchedTypeAttr attr(coclass.get());
        if (!attr) continue;
        for (UINT k = 0; k < attr->cImplTypes; ++k) {
            INT flags = 0;
            HREFTYPE reference = 0;
            ComPtr<ITypeInfo> implemented;
            if (FAILED(coclass->GetImplTypeFlags(k, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT) ||
                (flags & IMPLTYPEFLAG_FSOURCE) || FAILED(coclass->GetRefTypeOfImplType(k, &reference)) ||
                FAILED(coclass->GetRefTypeInfo(reference, implemented.put())))
                continue;
            FetchedTypeAttr implementedAttr(implemented.get());
            if (implementedAttr && IsEqualIID(implementedAttr->guid, iid)) return coclass;
        }
    }
    return nullptr;
}

std::wstring NameOf(ITypeInfo* info)
{
    support::Bstr name;
    if (FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr))) return {};
    return std::wstring(name.view());
}

// The shape of a member's parameter list.
struct Signature {
    int count = 0;       // every parameter, the return value's included
    int retval = -1;     // the return value's index; -1 when there is none
    int inputs = 0;      // the parameters a caller passes
    bool vararg = false; // the last input is a ParamArray
    int fixed = 0;       // the inputs before the ParamArray

    explicit Signature(const FUNCDESC& function) noexcept : count(function.cParams)
    {
        if (count > 0 && (function.lprgelemdescParam[count - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
            retval = count - 1;
        inputs = retval >= 0 ? count - 1 : count;
        vararg = function.cParamsOpt == -1 && inputs > 0;
        fixed = vararg ? inputs - 1 : inputs;
    }
};

// Which argument feeds which parameter, and where in rgvarg it lies.
struct ArgumentMap {
    std::vector<VARIANT*> sources;
    std::vector<UINT> sourceIndex;
    UINT positional = 0;
};

HRESULT MapArguments(const DISPPARAMS& params, const Signature& signature, ArgumentMap& map,
                     UINT* argumentError)
{
    const UINT total = params.cArgs;
    const UINT named = params.cNamedArgs;
    if (named > total || (total && !params.rgvarg) || (named && !params.rgdispidNamedArgs))
        return E_INVALIDARG;
    for (UINT k = 0; k < total; ++k)
        if (!IsWellFormed(params.rgvarg[k])) {
            if (argumentError) *argumentError = k;
            return E_INVALIDARG;
        }
    const UINT positional = total - named;
    if (!signature.vararg && positional > static_cast<UINT>(signature.inputs)) return DISP_E_BADPARAMCOUNT;

    // Positional arguments come last in rgvarg, in reverse.
    map.positional = positional;
    map.sources.assign(signature.count, nullptr);
    map.sourceIndex.assign(signature.count, 0);
    for (UINT i = 0; i < positional && static_cast<int>(i) < signature.fixed; ++i) {
        map.sources[i] = &params.rgvarg[total - 1 - i];
        map.sourceIndex[i] = total - 1 - i;
    }
    for (UINT k = 0; k < named; ++k) {
        DISPID id = params.rgdispidNamedArgs[k];
        int index = id == DISPID_PROPERTYPUT ? signature.inputs - 1 : static_cast<int>(id);
        if (index < 0 || index >= signature.fixed ||
            (id != DISPID_PROPERTYPUT && signature.vararg && index >= signature.fixed) ||
            map.sources[index]) {
            if (argumentError) *argumentError = k;
            return DISP_E_PARAMNOTFOUND;
        }
        map.sources[index] = &params.rgvarg[k];
        map.sourceIndex[index] = k;
    }
    return S_OK;
}

// An omitted optional parameter: its declared default, a missing Variant, or its type's zero.
HRESULT PassOmitted(const ELEMDESC& element, const ParamType& type, Slot& slot)
{
    const VARTYPE vt = type.value.vt;
    if ((element.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex) {
        HRESULT hr = Coerce(&element.paramdesc.pparamdescex->varDefaultValue, type.value, slot.owned);
        if (FAILED(hr)) return hr;
    } else if (vt == VT_VARIANT) {
        slot.owned = Variant::Missing();
    } else {
        MakeZero(slot.owned, vt);
    }
    if (type.byRef)
        slot.PassPointer(ValuePointer(slot.owned.get(), vt));
    else
        slot.PassValue(*slot.owned, vt);
    return S_OK;
}

HRESULT PassByValue(VARIANT* source, const ParamType& type, Slot& slot)
{
    const VARTYPE vt = type.value.vt;
    VARIANT* value = Deref(source);
    if (vt == VT_VARIANT) {
        slot.PassValue(*value, VT_VARIANT);
    } else if ((vt & VT_ARRAY) && value->vt == vt) {
        slot.PassValue(*value, vt);
    } else {
        HRESULT hr = Coerce(source, type.value, slot.owned);
        if (FAILED(hr)) return hr;
        slot.PassValue(*slot.owned, vt);
    }
    return S_OK;
}

// The caller's own storage where its type is the parameter's; otherwise a
// converted copy, written back afterwards when the parameter is [out].
HRESULT PassByReference(VARIANT* source, const ParamType& type, USHORT paramFlags, Slot& slot)
{
    const VARTYPE vt = type.value.vt;
    const bool anyObject = IsEqualIID(type.value.iid, IID_NULL);
    if (vt == VT_VARIANT) {
        if (source->vt == (VT_BYREF | VT_VARIANT)) {
            slot.PassPointer(source->pvarVal);
            slot.writable = source->pvarVal;
        } else {
            slot.owned = Variant::CopyOf(*source);
            slot.PassPointer(slot.owned.get());
        }
    } else if (source->vt == (VT_BYREF | vt) && anyObject) {
        slot.Borrow(source->byref, source);
    } else if (source->vt == (VT_BYREF | VT_VARIANT)) {
        VARIANT* inner = Deref(source);
        if (inner->vt == vt && anyObject) {
            slot.Borrow(ValuePointer(inner, vt), inner);
        } else if (inner->vt == (VT_BYREF | vt) && anyObject) {
            slot.Borrow(inner->byref, inner);
        } else {
            HRESULT hr = Coerce(inner, type.value, slot.owned);
            if (FAILED(hr)) return hr;
            slot.PassPointer(ValuePointer(slot.owned.get(), vt));
            if (paramFlags & PARAMFLAG_FOUT) {
                slot.writeBack = inner;
                slot.writeBackType = vt;
            }
        }
    } else if ((vt & VT_ARRAY) && source->vt == vt && !(paramFlags & PARAMFLAG_FOUT)) {
        // An array passed by value stays the caller's: only a callee that
        // never replaces it may read it in place; one that may gets a copy.
        slot.borrowedArray = source->parray;
        slot.PassPointer(&slot.borrowedArray);
        slot.borrowed = &source->parray;
        slot.borrowedFrom = source;
    } else {
        HRESULT hr = Coerce(source, type.value, slot.owned);
        if (FAILED(hr)) return hr;
        slot.PassPointer(ValuePointer(slot.owned.get(), vt));
    }
    return S_OK;
}

// One fixed parameter made ready from its argument (null when none was passed).
HRESULT PrepareParameter(ITypeInfo* info, const ELEMDESC& element, VARIANT* source, Slot& slot)
{
    auto type = ResolveParam(info, element.tdesc);
    if (!type) return DISP_E_BADVARTYPE;
    const USHORT paramFlags = element.paramdesc.wParamFlags;
    const bool optional = paramFlags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    if (!source || IsMissing(*Deref(source))) {
        if (!optional) return DISP_E_PARAMNOTOPTIONAL;
        return PassOmitted(element, *type, slot);
    }
    if (!type->byRef) return PassByValue(source, *type, slot);
    return PassByReference(source, *type, paramFlags, slot);
}

// Whether a value the callee reads in place lies in a variable that another
// argument hands it to replace (one variable passed twice, as the array and
// as IsFound).
bool IsAliased(const std::vector<Slot>& slots, int reader, int fixed) noexcept
{
    for (int j = 0; j < fixed; ++j) {
        VARIANT* target = slots[j].writable;
        for (int depth = 0; j != reader && target && depth <= kMaxReferenceDepth; ++depth) {
            if (PointsInto(slots[reader].borrowed, target)) return true;
            target = target->vt == (VT_BYREF | VT_VARIANT) ? target->pvarVal : nullptr;
        }
    }
    return false;
}

// The reader gets a copy of its own, which outlives the call.
HRESULT CopyReader(ITypeInfo* info, const ELEMDESC& element, Slot& reader)
{
    auto type = ResolveParam(info, element.tdesc);
    if (!type) return DISP_E_BADVARTYPE;
    HRESULT hr = Coerce(reader.borrowedFrom, type->value, reader.owned);
    if (FAILED(hr)) return hr;
    reader.borrowed = nullptr;
    reader.borrowedArray = nullptr;
    reader.PassPointer(ValuePointer(reader.owned.get(), type->value.vt));
    return S_OK;
}

// The ParamArray: every positional argument past the fixed ones, 0-based.
HRESULT PassParamArray(const DISPPARAMS& params, UINT positional, int fixed, const ELEMDESC& element,
                       Slot& slot)
{
    const UINT extra = positional > static_cast<UINT>(fixed) ? positional - fixed : 0;
    SafeArray array = SafeArray::Vector(VT_VARIANT, 0, extra);
    {
        SafeArrayData<VARIANT> data(array.get());
        for (UINT j = 0; j < extra; ++j) {
            HRESULT hr = ::VariantCopyInd(&data[j], &params.rgvarg[params.cArgs - 1 - (fixed + j)]);
            if (FAILED(hr)) return hr;
        }
    }
    slot.owned = Variant::Array(VT_VARIANT, array.release());
    if (element.tdesc.vt == VT_PTR)
        slot.PassPointer(&slot.owned.get()->parray);
    else
        slot.PassValue(*slot.owned, VT_ARRAY | VT_VARIANT);
    return S_OK;
}

// The return value's slot, zero until the callee fills it.
HRESULT PrepareReturn(ITypeInfo* info, const ELEMDESC& element, Slot& slot)
{
    auto type = ResolveParam(info, element.tdesc);
    if (!type || !type->byRef) return DISP_E_BADVARTYPE;
    MakeZero(slot.owned, type->value.vt);
    slot.PassPointer(ValuePointer(slot.owned.get(), type->value.vt));
    return S_OK;
}

// Calls the method through the vtable: the call's own failure, or S_OK and
// the HRESULT the method returned.
HRESULT CallThroughVtable(void* instance, const FUNCDESC& function, std::vector<Slot>& slots,
                          HRESULT& returned)
{
    const size_t count = slots.size();
    std::vector<VARTYPE> types(count);
    std::vector<VARIANTARG*> arguments(count);
    for (size_t i = 0; i < count; ++i) {
        types[i] = slots[i].callType;
        arguments[i] = &slots[i].call;
    }
    VARIANT result;
    ::VariantInit(&result);
    // Error info found after the call is the callee's, never one left from earlier.
    ::SetErrorInfo(0, nullptr);
    HRESULT hr = ::DispCallFunc(instance, function.oVft & 0xFFFC, function.callconv, VT_UI4,
                                static_cast<UINT>(count), types.data(), arguments.data(), &result);
    if (FAILED(hr)) return hr;
    returned = static_cast<HRESULT>(result.ulVal);
    return S_OK;
}

} // namespace

std::unique_ptr<DispatchTable> DispatchTable::Load(ITypeLib* library, REFIID iid)
{
    ComPtr<ITypeInfo> info;
    if (FAILED(library->GetTypeInfoOfGuid(iid, info.put()))) return nullptr;
    std::unique_ptr<DispatchTable> table(new DispatchTable);
    table->iid_ = iid;
    {
        FetchedTypeAttr attr(info.get());
        if (!attr || !(attr->wTypeFlags & TYPEFLAG_FDUAL)) return nullptr;
        HREFTYPE other = 0;
        ComPtr<ITypeInfo> otherInfo;
        if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &other)) ||
            FAILED(info->GetRefTypeInfo(other, otherInfo.put())))
            return nullptr;
        if (attr->typekind == TKIND_DISPATCH) {
            table->dispatchInfo_ = info;
            table->vtableInfo_ = otherInfo;
        } else {
            table->dispatchInfo_ = otherInfo;
            table->vtableInfo_ = info;
        }
    }
    table->classInfo_ = DefaultClassOf(library, iid);
    if (table->classInfo_) {
        table->className_ = NameOf(table->classInfo_.get());
    } else {
        table->className_ = NameOf(table->dispatchInfo_.get());
        if (!table->className_.empty() && table->className_.front() == L'_') table->className_.erase(0, 1);
    }
    FetchedTypeAttr attr(table->vtableInfo_.get());
    if (!attr) return nullptr;
    table->members_.reserve(attr->cFuncs);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        support::FuncDesc description(table->vtableInfo_.get());
        if (FAILED(table->vtableInfo_->GetFuncDesc(i, description.put()))) return nullptr;
        const MEMBERID id = description->memid;
        table->members_.push_back({id, description->invkind, std::move(description)});
        support::Bstr name;
        UINT names = 0;
        if (SUCCEEDED(table->vtableInfo_->GetNames(id, name.put(), 1, &names)) && names == 1)
            table->names_.push_back({std::wstring(name.view()), id});
    }
    return table;
}

DispatchTable::~DispatchTable() = default;

const FUNCDESC* DispatchTable::Find(DISPID member, WORD flags) const noexcept
{
    auto find = [&](INVOKEKIND kind) -> const FUNCDESC* {
        for (const Member& entry : members_)
            if (entry.id == member && entry.kind == kind) return entry.description.get();
        return nullptr;
    };
    const FUNCDESC* found = nullptr;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        bool byRef = flags & DISPATCH_PROPERTYPUTREF;
        found = find(byRef ? INVOKE_PROPERTYPUTREF : INVOKE_PROPERTYPUT);
        if (!found) found = find(byRef ? INVOKE_PROPERTYPUT : INVOKE_PROPERTYPUTREF);
        return found;
    }
    // Script engines ask for "method or property get" and take whichever exists.
    if (flags & DISPATCH_METHOD) found = find(INVOKE_FUNC);
    if (!found) found = find(INVOKE_PROPERTYGET);
    if (!found && (flags & DISPATCH_PROPERTYGET)) found = find(INVOKE_FUNC);
    return found;
}

// Names compare as the type library compares them; only plain ASCII is
// folded here, anything else is left to the type library.
const DispatchTable::Name* DispatchTable::FindName(const wchar_t* name) const noexcept
{
    auto fold = [](wchar_t c) -> wchar_t { return c >= L'a' && c <= L'z' ? c - (L'a' - L'A') : c; };
    for (const Name& entry : names_) {
        const wchar_t* known = entry.text.c_str();
        const wchar_t* asked = name;
        for (; *known && *asked; ++known, ++asked)
            if (*asked >= 0x80 || fold(*known) != fold(*asked)) break;
        if (!*known && !*asked) return &entry;
    }
    return nullptr;
}

HRESULT DispatchTable::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const noexcept
{
    if (count == 0) return S_OK;
    if (!names || !ids) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        if (!names[i]) return E_INVALIDARG;
    // A script looks a member up before every call: a member's own name is answered from the table.
    if (count == 1)
        if (const Name* found = FindName(names[0])) {
            ids[0] = found->id;
            return S_OK;
        }
    return dispatchInfo_->GetIDsOfNames(names, count, ids);
}

HRESULT DispatchTable::Invoke(void* instance, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception, UINT* argumentError) const noexcept
try {
    DISPPARAMS none{};
    if (!params) params = &none;
    const FUNCDESC* function = Find(member, flags);
    if (!function) return DISP_E_MEMBERNOTFOUND;
    const Signature signature(*function);

    ArgumentMap map;
    HRESULT hr = MapArguments(*params, signature, map, argumentError);
    if (FAILED(hr)) return hr;

    std::vector<Slot> slots(signature.count);
    auto fail = [&](HRESULT failure, int index) {
        if (argumentError) *argumentError = map.sourceIndex[index];
        // A conversion's run-time error without a dispatch code of its own (94) travels as an exception.
        if (HRESULT_FACILITY(failure) != FACILITY_CONTROL) return failure;
        FillExceptionInfo(failure, exception);
        return DISP_E_EXCEPTION;
    };
    for (int i = 0; i < signature.fixed; ++i) {
        hr = PrepareParameter(vtableInfo_.get(), function->lprgelemdescParam[i], map.sources[i], slots[i]);
        if (FAILED(hr)) return fail(hr, i);
    }
    // A value read in place must outlive the call.
    for (int i = 0; i < signature.fixed; ++i) {
        if (!slots[i].borrowed || !IsAliased(slots, i, signature.fixed)) continue;
        hr = CopyReader(vtableInfo_.get(), function->lprgelemdescParam[i], slots[i]);
        if (FAILED(hr)) return fail(hr, i);
    }
    if (signature.vararg) {
        const int index = signature.inputs - 1;
        hr = PassParamArray(*params, map.positional, signature.fixed, function->lprgelemdescParam[index],
                            slots[index]);
        if (FAILED(hr)) return hr;
    }
    const int retval = signature.retval;
    if (retval >= 0) {
        hr = PrepareReturn(vtableInfo_.get(), function->lprgelemdescParam[retval], slots[retval]);
        if (FAILED(hr)) return hr;
    }

    HRESULT returned = S_OK;
    hr = CallThroughVtable(instance, *function, slots, returned);
    if (FAILED(hr)) return hr;
    hr = returned;

    for (Slot& slot : slots) {
        if (!slot.writeBack) continue;
        ::VariantClear(slot.writeBack);
        *slot.writeBack = slot.owned.release();
    }

    if (FAILED(hr)) {
        FillExceptionInfo(hr, exception);
        return DISP_E_EXCEPTION;
    }
    if (retval >= 0) {
        Variant& value = slots[retval].owned;
        // A null object comes back as Nothing; an interface that is not a dispatch one as VT_UNKNOWN.
        if (result) {
            ::VariantClear(result);
            value.move_to(result);
        }
    } else if (result) {
        ::VariantClear(result);
    }
    return S_OK;
} catch (...) {
    return support::HresultOfCaughtError();
}

void FillExceptionInfo(HRESULT failure, EXCEPINFO* exception) noexcept
{
    if (!exception) return;
    support::Bstr source, description, helpFile;
    DWORD helpContext = 0;
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) == S_OK && info) {
        info->GetSource(source.put());
        info->GetDescription(description.put());
        info->GetHelpFile(helpFile.put());
        info->GetHelpContext(&helpContext);
    }
    std::wstring text;
    try {
        text = description.view();
        if (text.empty()) text = DescriptionOfHresult(failure);
    } catch (...) {
        text.clear();
    }
    support::FillExcepInfo(*exception, failure, source.view(), text);
    // What the error info did not give stays null, as a client expects of an absent string.
    if (!source.get()) support::Bstr::Attach(std::exchange(exception->bstrSource, nullptr));
    if (text.empty()) support::Bstr::Attach(std::exchange(exception->bstrDescription, nullptr));
    exception->bstrHelpFile = helpFile.release();
    exception->dwHelpContext = helpContext;
}

} // namespace verrick
