#pragma once
// The COM plumbing every class of the library shares: one reference-counting
// base whose QueryInterface walks its interface list, and a dispatch base that
// serves IDispatch for a dual interface from the embedded type library and
// runs each method through the guarded boundary. Every object names its
// class: through IProvideClassInfo, and in the type information it hands out
// (what a script's TypeName shows).

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <string_view>
#include <type_traits>

#include "verrick/com/boundary.h"
#include "verrick/com/class_type_info.h"
#include "verrick/com/dispatch_table.h"
#include "verrick/com/module.h"

#include "support/com_object.h"

namespace verrick {

// Every object of the library keeps the module loaded while it lives.
template <typename First, typename... Rest> class ComObject : public support::ComObjectBase<First, Rest...> {
protected:
    ComObject() noexcept { LockModule(); }
    ~ComObject() override { UnlockModule(); }
};

using support::MakeObject;

// Derived names its error source (ProgID) as a static member ErrorSource.
template <typename Derived, typename Dual, typename... Others>
class DispatchObject : public ComObject<Dual, ISupportErrorInfo, IProvideClassInfo2, Others...> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        const DispatchTable* table = DispatchTableFor(__uuidof(Dual));
        if (!table) return TYPE_E_ELEMENTNOTFOUND;
        return MakeClassTypeInfo(table->TypeInfo(), table->ClassName(), info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override
    {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const DispatchTable* table = DispatchTableFor(__uuidof(Dual));
        if (!table) return TYPE_E_ELEMENTNOTFOUND;
        return table->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const DispatchTable* table = DispatchTableFor(__uuidof(Dual));
        if (!table) return TYPE_E_ELEMENTNOTFOUND;
        return table->Invoke(static_cast<Dual*>(this), member, flags, params, result, exception,
                             argumentError);
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override
    {
        return IsEqualIID(iid, __uuidof(Dual)) ? S_OK : S_FALSE;
    }
    // The class's own description, as objects of the classic runtime give it.
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        const DispatchTable* table = DispatchTableFor(__uuidof(Dual));
        if (!table || !table->ClassInfo()) return TYPE_E_ELEMENTNOTFOUND;
        *info = table->ClassInfo();
        (*info)->AddRef();
        return S_OK;
    }
    // A class with events answers its event interface (EventSourceObject).
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override
    {
        if (!guid) return E_POINTER;
        return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
    }

protected:
    DispatchObject() noexcept = default;

    // Runs a method body: run-time errors become error info and their HRESULT.
    template <typename Body> HRESULT GuardMethod(Body&& body) noexcept
    {
        return Guarded(__uuidof(Dual), Derived::ErrorSource, std::forward<Body>(body));
    }
};

} // namespace verrick
