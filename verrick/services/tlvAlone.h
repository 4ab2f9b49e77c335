#pragma once
// tlvAlone: whether another copy of a program runs on the machine, on the
// same desktop or for the same user (a named mutex per scope, held open for
// the life of the object), and the activation of the first copy's window
// that carries the program's marker property.

#include <windows.h>

#include <string>
#include <string_view>

#include "Velmora.h"
#include "support/handles.h"
#include "verrick/com/com_object.h"

namespace verrick {

class tlvAlone final : public DispatchObject<tlvAlone, _tlvAlone> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvAlone";
    // The registered message of amViaMessage, the same for every program.
    static constexpr wchar_t ActivationMessageName[] = L"{C91232E8-B223-4501-BCF0-4F645EAACD6E}";

    tlvAlone();

    HRESULT STDMETHODCALLTYPE IsAlone(BSTR AppGUID, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE IsAloneOnDesktop(BSTR AppGUID, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE IsAloneAtUser(BSTR AppGUID, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE get_AppGUID(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE get_WM_ACTIVATE_PREV_INSTANCE(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE MarkPrevInstanceWindow(LONG hWnd, ActivationMethodConst ActivationMethod,
                                                     VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE UnMarkPrevInstanceWindow(LONG hWnd, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE MarkPrevInstanceWindowEx(LONG hWnd, ActivationMethodConst ActivationMethod,
                                                       BSTR AppGUID, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE UnMarkPrevInstanceWindowEx(LONG hWnd, BSTR AppGUID,
                                                         VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE ActivatePrevInstanceWindow(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE ActivatePrevInstanceWindowEx(BSTR AppGUID, VARIANT_BOOL* Result) override;

private:
    HRESULT CheckAlone(support::UniqueKernelHandle& mutex, BSTR AppGUID, std::wstring_view scope,
                       VARIANT_BOOL* Result);
    bool Mark(HWND window, LONG method, std::wstring_view appGuid) const;
    bool UnMark(HWND window, std::wstring_view appGuid) const;
    bool Activate(std::wstring_view appGuid) const;

    support::UniqueKernelHandle appMutex_;
    support::UniqueKernelHandle desktopMutex_;
    support::UniqueKernelHandle userMutex_;
    std::wstring appGuid_;
    UINT activationMessage_ = 0;
};

} // namespace verrick
