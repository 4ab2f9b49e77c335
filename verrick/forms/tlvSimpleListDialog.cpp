#include "verrick/forms/tlvSimpleListDialog.h"

#include <optional>
#include <vector>

#include "verrick/forms/frmList.h"
#include "verrick/com/collection.h"
#include "verrick/com/collection_access.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

#include "toolkit/ole_objects.h"

namespace verrick {
namespace {

using support::ComPtr;

ComPtr<IDispatch> NewCollection()
{
    return MakeObject<Collection>().as<IDispatch>();
}

// Tahoma 9 points, Cyrillic, weight 100 (set last, as the original settings did).
ComPtr<IFontDisp> DefaultFont()
{
    toolkit::FontSpec spec;
    spec.Name = L"Tahoma";
    spec.Size = 9;
    spec.Charset = RUSSIAN_CHARSET;
    ComPtr<IFont> font;
    if (FAILED(toolkit::MakeOleFont(spec, font))) return {};
    font->put_Weight(100);
    return font.as<IFontDisp>();
}

// The font object as the toolkit describes fonts; nothing when it is no font.
std::optional<toolkit::FontSpec> FontSpecOf(IFontDisp* font)
{
    if (!font) return std::nullopt;
    try {
        auto get = [&](const wchar_t* name) { return late::Get(font, name); };
        toolkit::FontSpec spec;
        spec.Name = vb::ToText(*get(L"Name").get());
        spec.Size = vb::ToDouble(*get(L"Size").get());
        spec.Bold = vb::EqualsTrue(*get(L"Bold").get());
        spec.Italic = vb::EqualsTrue(*get(L"Italic").get());
        spec.Underline = vb::EqualsTrue(*get(L"Underline").get());
        spec.Strikethrough = vb::EqualsTrue(*get(L"Strikethrough").get());
        spec.Charset = vb::ToLong(*get(L"Charset").get());
        return spec;
    } catch (const support::RuntimeError&) {
        return std::nullopt;
    }
}

} // namespace

tlvSimpleListDialog::tlvSimpleListDialog() : elements_(NewCollection()), font_(DefaultFont()) {}

void tlvSimpleListDialog::StoreElements(IDispatch** collection)
{
    IDispatch* given = collection ? *collection : nullptr;
    elements_ = given ? ComPtr<IDispatch>(given) : NewCollection();
}

HRESULT tlvSimpleListDialog::get_Elements(IDispatch** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        elements_.copy_to(Result);
    });
}

HRESULT tlvSimpleListDialog::putref_Elements(IDispatch** vData)
{
    return GuardMethod([&] { StoreElements(vData); });
}

HRESULT tlvSimpleListDialog::put_Elements(IDispatch** vData)
{
    return GuardMethod([&] { StoreElements(vData); });
}

HRESULT tlvSimpleListDialog::putref_Font(IFontDisp* vData)
{
    return GuardMethod([&] { font_ = ComPtr<IFontDisp>(vData); });
}

HRESULT tlvSimpleListDialog::put_Font(IFontDisp* vData)
{
    return GuardMethod([&] { font_ = ComPtr<IFontDisp>(vData); });
}

HRESULT tlvSimpleListDialog::get_Font(IFontDisp** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        font_.copy_to(Result);
    });
}

HRESULT tlvSimpleListDialog::put_ShowCountInCaption(VARIANT_BOOL vData)
{
    return GuardMethod([&] { showCount_ = vData != VARIANT_FALSE; });
}

HRESULT tlvSimpleListDialog::get_ShowCountInCaption(VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = showCount_ ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

HRESULT tlvSimpleListDialog::put_Caption(BSTR vData)
{
    return GuardMethod([&] { caption_ = support::BstrView(vData); });
}

HRESULT tlvSimpleListDialog::get_Caption(BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = support::Bstr(caption_).release();
    });
}

HRESULT tlvSimpleListDialog::Show()
{
    return GuardMethod([&] {
        // A bad element or font never stops the dialog: what cannot be read is left out.
        std::vector<std::wstring> items;
        support::IgnoringErrors([&] {
            CollectionAccess elements(elements_.get());
            const long count = elements.Count();
            for (long i = 1; i <= count; ++i)
                support::IgnoringErrors([&] { items.push_back(vb::ToText(*elements.Item(i).get())); });
        });
        forms::ShowListDialog(items, caption_, showCount_, FontSpecOf(font_.get()));
    });
}

} // namespace verrick
