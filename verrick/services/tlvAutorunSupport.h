#pragma once
// tlvAutorunSupport: a program's entry in the Run key of the current user or
// of the machine, named by the program's identifier.

#include <windows.h>

#include <string_view>

#include "Velmora.h"
#include "verrick/com/com_object.h"

namespace verrick {

class tlvAutorunSupport final : public DispatchObject<tlvAutorunSupport, _tlvAutorunSupport> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvAutorunSupport";
    static constexpr wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

    HRESULT STDMETHODCALLTYPE get_ForCurrentUserOnly(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE put_ForCurrentUserOnly(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE IsInAutorun(BSTR AppGUID, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE GetAutorunString(BSTR AppGUID, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE AddToAutorun(BSTR AppGUID, BSTR CommandLine, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE DeleteFromAutorun(BSTR AppGUID, VARIANT_BOOL* Result) override;

private:
    HKEY rootKey_ = HKEY_CURRENT_USER;
};

} // namespace verrick
