#pragma once
// IDispatch served from the type library: the members of one dual interface
// and an Invoke that calls them through the vtable.
//
// Invoke is our own rather than ITypeInfo::Invoke so that late-bound callers
// get what a VB client would: ParamArray members work, a script's by-reference
// variants (VT_BYREF|VT_VARIANT) are coerced to typed by-reference parameters
// and written back when the parameter is [out], omitted optionals get their
// default values, and a failing method reaches the caller as DISP_E_EXCEPTION
// with the EXCEPINFO its error info describes.

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "support/com.h"

namespace verrick {

class DispatchTable {
public:
    // The table of a dual interface of the library; null when it is not one.
    static std::unique_ptr<DispatchTable> Load(ITypeLib* library, REFIID iid);
    ~DispatchTable();
    DispatchTable(const DispatchTable&) = delete;
    DispatchTable& operator=(const DispatchTable&) = delete;

    REFIID Iid() const noexcept { return iid_; }
    // The dispatch view of the interface.
    ITypeInfo* TypeInfo() const noexcept { return dispatchInfo_.get(); }
    // The class whose default interface this is; null when none is.
    ITypeInfo* ClassInfo() const noexcept { return classInfo_.get(); }
    // That class's name (the interface's name without its leading underscore
    // when no class has it as its default).
    const std::wstring& ClassName() const noexcept { return className_; }

    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const noexcept;
    // instance: the interface pointer whose vtable the type library describes.
    HRESULT Invoke(void* instance, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) const noexcept;

private:
    struct Member {
        MEMBERID id;
        INVOKEKIND kind;
        support::FuncDesc description;
    };

    // A member's name, for the lookups a script makes before every call.
    struct Name {
        std::wstring text;
        DISPID id;
    };

    DispatchTable() = default;
    const FUNCDESC* Find(DISPID member, WORD flags) const noexcept;
    const Name* FindName(const wchar_t* name) const noexcept;

    IID iid_{};
    support::ComPtr<ITypeInfo> classInfo_;
    std::wstring className_;
    support::ComPtr<ITypeInfo> dispatchInfo_;
    support::ComPtr<ITypeInfo> vtableInfo_;
    std::vector<Member> members_;
    std::vector<Name> names_;
};

// Fills an EXCEPINFO from a failed HRESULT and the thread's error info.
void FillExceptionInfo(HRESULT failure, EXCEPINFO* exception) noexcept;

} // namespace verrick
