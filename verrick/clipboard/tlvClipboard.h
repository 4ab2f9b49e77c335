#pragma once
// tlvClipboard: plain functions over the Windows clipboard. Every member opens
// and closes the clipboard itself; blocks are built and read by the pure
// functions beside it (html_block, drop_files), never trusting a block's own
// numbers over the size of its memory.

#include <windows.h>

#include <string_view>

#include "Velmora.h"
#include "verrick/com/com_object.h"

namespace verrick {

class tlvClipboard final : public DispatchObject<tlvClipboard, _tlvClipboard> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvClipboard";

    HRESULT STDMETHODCALLTYPE Clear(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE get_CF_HTML(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE SetHTML(BSTR HTMLFragment, BSTR ContextHTMLStart, BSTR ContextHTMLEnd,
                                      VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE GetHTML(GetHTMLReturnValue ReturnValue, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE SetText(BSTR Text, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE GetText(VARIANT_BOOL ReturnANSIText, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE IsFormatAvailable(LONG ClipboardFormat, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE SetRAWData(LONG FormatID, SAFEARRAY** Data, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE GetRAWData(LONG FormatID, SAFEARRAY** Data, LONG* lpDataSize,
                                         VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE GetFormatName(LONG FormatID, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE GetFormatsCount(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE GetFormats(_Collection** Result) override;
    HRESULT STDMETHODCALLTYPE SetShellFiles(IDispatch** FileNames, VARIANT_BOOL Unicode,
                                            VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE GetShellFiles(_Collection** Result) override;

private:
    // The registered "HTML Format", registered on first use; 0 while registration fails.
    UINT HtmlFormat() noexcept;

    UINT htmlFormat_ = 0;
};

} // namespace verrick
