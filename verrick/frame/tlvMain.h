#pragma once
// tlvMain: the library's global class of general helpers (array and
// collection builders and searches, option-button groups, form helpers).

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "Velmora.h"
#include "support/com.h"
#include "verrick/com/com_object.h"

namespace verrick {

namespace forms {
class CTextBoxInsertHook;
}

class tlvMain final : public DispatchObject<tlvMain, _tlvMain> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvMain";

    // Out of line: the hook list's type is complete only there.
    tlvMain();
    ~tlvMain() override;

    HRESULT STDMETHODCALLTYPE CommandLine(_CommandLineParser** Result) override;
    HRESULT STDMETHODCALLTYPE ArrayString(SAFEARRAY** Args, SAFEARRAY** Result) override;
    HRESULT STDMETHODCALLTYPE ArrayLong(SAFEARRAY** Args, SAFEARRAY** Result) override;
    HRESULT STDMETHODCALLTYPE Collection(SAFEARRAY** Args, _Collection** Result) override;
    HRESULT STDMETHODCALLTYPE ShowMSAboutBox(IDispatch** MSControlObject) override;
    HRESULT STDMETHODCALLTYPE ShowAboutBox(IDispatch* Form, IDispatch* AppObject, BSTR Description,
                                           VARIANT Picture, VARIANT PictureToolTipText) override;
    HRESULT STDMETHODCALLTYPE ShowAboutBox2(IPictureDisp* Icon, IPictureDisp* IconSmall, IDispatch* AppObject,
                                            VARIANT Description, VARIANT Picture,
                                            VARIANT PictureToolTipText) override;
    HRESULT STDMETHODCALLTYPE ShowAboutBoxEx(BSTR Title, VARIANT Icon, VARIANT SmallIcon, LONG VerMajor,
                                             LONG VerMinor, LONG VerRevision, VARIANT Author,
                                             VARIANT AuthorEMail, VARIANT Devote, VARIANT Description,
                                             VARIANT Picture, VARIANT PictureToolTipText) override;
    HRESULT STDMETHODCALLTYPE AddTextBoxInsertHook(IDispatch* TextBoxControl, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE RemoveTextBoxInsertHook(IDispatch* TextBoxControl,
                                                      VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE ClearTextBoxInsertHooks() override;
    HRESULT STDMETHODCALLTYPE ShowModalForm(IDispatch** ParentForm, IDispatch** ChildForm) override;

    HRESULT STDMETHODCALLTYPE InArrayLong(SAFEARRAY** ArrayX, LONG FindWhat, VARIANT StartAt, VARIANT EndAt,
                                          VARIANT_BOOL* IsFound, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE IsInArrayLong(SAFEARRAY** ArrayX, LONG FindWhat, VARIANT StartAt, VARIANT EndAt,
                                            VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE InArrayString(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt, VARIANT EndAt,
                                            VARIANT* IsFound, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE IsInArrayString(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt,
                                              VARIANT EndAt, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE InArrayStringText(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt,
                                                VARIANT EndAt, VARIANT* IsFound, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE IsInArrayStringText(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt,
                                                  VARIANT EndAt, VARIANT_BOOL* Result) override;

    HRESULT STDMETHODCALLTYPE InCollection(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt,
                                           VARIANT EndAt, VARIANT_BOOL* IsFound, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE IsInCollection(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt,
                                             VARIANT EndAt, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE InCollectionString(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt,
                                                 VARIANT EndAt, VARIANT_BOOL* IsFound, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE IsInCollectionString(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt,
                                                   VARIANT EndAt, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE InCollectionStringText(IDispatch** Collection, VARIANT FindWhat,
                                                     VARIANT StartAt, VARIANT EndAt, VARIANT_BOOL* IsFound,
                                                     LONG* Result) override;
    HRESULT STDMETHODCALLTYPE IsInCollectionStringText(IDispatch** Collection, VARIANT FindWhat,
                                                       VARIANT StartAt, VARIANT EndAt,
                                                       VARIANT_BOOL* Result) override;

    HRESULT STDMETHODCALLTYPE GetSelectedOptionButtonIndex(IDispatch** OptionButtonArray,
                                                           LONG* Result) override;
    HRESULT STDMETHODCALLTYPE SetSelectedOptionButtonIndex(IDispatch** OptionButtonArray,
                                                           LONG Index) override;
    HRESULT STDMETHODCALLTYPE EnableOptionButtonGroup(IDispatch** OptionButtonArray) override;
    HRESULT STDMETHODCALLTYPE DisableOptionButtonGroup(IDispatch** OptionButtonArray) override;
    HRESULT STDMETHODCALLTYPE PressButton(IDispatch** Button, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE FixFonts(IDispatch** Frm) override;
    HRESULT STDMETHODCALLTYPE FixCBCursors(IDispatch** Frm) override;

    HRESULT STDMETHODCALLTYPE JoinCollection(IDispatch** SourceCollection, BSTR Delimiter,
                                             VARIANT_BOOL RaiseErrors, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE SplitCollection(BSTR Expression, VARIANT Delimiter, LONG Limit, LONG Compare,
                                              VARIANT_BOOL RaiseErrors, _Collection** Result) override;

private:
    // Made by the first CommandLine call and handed out again by every later one.
    // Declared before the hooks, so that the hooks end first.
    support::ComPtr<_CommandLineParser> commandLine_;
    // One hook per text box hooked through AddTextBoxInsertHook.
    std::vector<std::unique_ptr<forms::CTextBoxInsertHook>> hooks_;
};

} // namespace verrick
