#pragma once
// tlvSimpleListDialog: the client fills a collection, sets a caption and a
// font, and Show lists the items in a small modal dialog (frmList).

#include <windows.h>
#include <olectl.h>

#include <string>
#include <string_view>

#include "Velmora.h"
#include "support/com.h"
#include "verrick/com/com_object.h"

namespace verrick {

class tlvSimpleListDialog final : public DispatchObject<tlvSimpleListDialog, _tlvSimpleListDialog> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvSimpleListDialog";

    tlvSimpleListDialog();

    HRESULT STDMETHODCALLTYPE get_Elements(IDispatch** Result) override;
    HRESULT STDMETHODCALLTYPE putref_Elements(IDispatch** vData) override;
    HRESULT STDMETHODCALLTYPE put_Elements(IDispatch** vData) override;
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* vData) override;
    HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* vData) override;
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** Result) override;
    HRESULT STDMETHODCALLTYPE put_ShowCountInCaption(VARIANT_BOOL vData) override;
    HRESULT STDMETHODCALLTYPE get_ShowCountInCaption(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR vData) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE Show() override;

private:
    void StoreElements(IDispatch** collection);

    support::ComPtr<IDispatch> elements_;
    support::ComPtr<IFontDisp> font_;
    std::wstring caption_;
    bool showCount_ = true;
};

} // namespace verrick
