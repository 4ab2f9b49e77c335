#pragma once
// tlvErr: composed texts for run-time errors, Win32, WinMM and module codes,
// HTTP requests and FTP clients, shown in the system's message box or in the
// library's timed box. It keeps nothing between calls.

#include <windows.h>

#include <string_view>

#include "Velmora.h"
#include "verrick/com/com_object.h"

namespace verrick {

class tlvErr final : public DispatchObject<tlvErr, _tlvErr> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvErr";

    HRESULT STDMETHODCALLTYPE ErrorDisplay(IDispatch** ErrObject, long Style, BSTR Title,
                                           VARIANT* DescriptionText, VARIANT_BOOL* Silent,
                                           long* Result) override;
    HRESULT STDMETHODCALLTYPE GetErrorMessage(IDispatch** ErrObject, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE GetShortErrorMessage(IDispatch** ErrObject, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplayAPI(long ErrorNumber, long Style, BSTR Title,
                                              VARIANT* DescriptionText, VARIANT_BOOL* Silent,
                                              long* Result) override;
    HRESULT STDMETHODCALLTYPE GetErrorMessageAPI(long ErrorNumber, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE GetShortErrorMessageAPI(long ErrorNumber, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplayWinMM(long ErrorNumber, long Style, BSTR Title,
                                                VARIANT* DescriptionText, VARIANT_BOOL* Silent,
                                                long* Result) override;
    HRESULT STDMETHODCALLTYPE GetErrorMessageWinMM(long ErrorNumber, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE GetShortErrorMessageWinMM(long ErrorNumber, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplayModule(long ErrorNumber, BSTR ModuleName, long Style, BSTR Title,
                                                 VARIANT* DescriptionText, VARIANT_BOOL* Silent,
                                                 long* Result) override;
    HRESULT STDMETHODCALLTYPE GetErrorMessageModule(long ErrorNumber, BSTR ModuleName, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE GetShortErrorMessageModule(long ErrorNumber, BSTR ModuleName,
                                                         BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplayHTTPRequest(IDispatch* HTTPRequestObject, long Style, BSTR Title,
                                                      VARIANT* DescriptionText, VARIANT_BOOL* Silent,
                                                      long* Result) override;
    HRESULT STDMETHODCALLTYPE GetErrorMessageHTTPRequest(IDispatch* HTTPRequestObject, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplayFTPClient(IDispatch* FTPClientObject, long Style, BSTR Title,
                                                    VARIANT* DescriptionText, VARIANT_BOOL* Silent,
                                                    long* Result) override;
    HRESULT STDMETHODCALLTYPE GetErrorMessageFTPClient(IDispatch* FTPClientObject, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE ShowErrorBox(BSTR Text, long Style, VARIANT Title, long DefaultButtonIndex,
                                           long CancelButtonIndex, long TimeoutValue, long* Result) override;
};

} // namespace verrick
