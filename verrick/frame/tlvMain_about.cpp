// tlvMain's About box forwarders: each gathers the box's content its own way
// and hands it to RealShowAboutBox.
#include "verrick/frame/tlvMain.h"

#include <olectl.h>

#include "verrick/about/modAboutBox.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

#include "support/as.h"
#include "support/runtime_error.h"
#include "toolkit/ole_objects.h"

namespace verrick {
namespace {

using about::AboutBoxContent;
using support::ComPtr;

// A picture argument: none when omitted, empty or Nothing; anything but a picture is a type mismatch.
ComPtr<IPictureDisp> PictureArgument(const VARIANT& argument)
{
    const VARIANT& value = vb::Deref(argument);
    if (vb::IsMissing(value) || value.vt == VT_EMPTY || value.vt == VT_NULL) return {};
    if (value.vt != VT_DISPATCH && value.vt != VT_UNKNOWN) support::Raise(support::err::TypeMismatch);
    IUnknown* object = value.vt == VT_DISPATCH ? value.pdispVal : value.punkVal;
    if (!object) return {};
    ComPtr<IPictureDisp> picture;
    if (FAILED(object->QueryInterface(IID_IPictureDisp, picture.put_void())))
        support::Raise(support::err::TypeMismatch);
    return picture;
}

ComPtr<IPictureDisp> PictureArgument(IPictureDisp* picture)
{
    return ComPtr<IPictureDisp>(picture);
}

std::wstring TextArgument(const VARIANT& argument, std::wstring_view otherwise)
{
    const VARIANT& value = vb::Deref(argument);
    if (vb::IsMissing(value)) return std::wstring(otherwise);
    return vb::ToText(value);
}

// Title and version of the caller's application object, read by name.
void ReadApplication(IDispatch* appObject, AboutBoxContent& content)
{
    ComPtr<IDispatch> app = late::RequireObject(appObject);
    content.Title = vb::ToText(*late::Get(app.get(), L"Title").get());
    content.Major = vb::ToLong(*late::Get(app.get(), L"Major").get());
    content.Minor = vb::ToLong(*late::Get(app.get(), L"Minor").get());
    content.Revision = vb::ToLong(*late::Get(app.get(), L"Revision").get());
}

} // namespace

HRESULT tlvMain::ShowAboutBox(IDispatch* Form, IDispatch* AppObject, BSTR Description, VARIANT Picture,
                              VARIANT PictureToolTipText)
{
    return GuardMethod([&] {
        AboutBoxContent content;
        // The form's icons when it has them; none otherwise.
        support::IgnoringErrors([&] {
            ComPtr<IDispatch> form = late::RequireObject(Form);
            // A Long holds a window handle in both widths: USER handles are 32-bit significant.
            HWND window = static_cast<HWND>(LongToHandle(vb::ToLong(*late::Get(form.get(), L"hWnd").get())));
            content.Icon = toolkit::PictureOfIcon(support::asGetWindowIcon(window));
            content.SmallIcon = toolkit::PictureOfIcon(support::asGetWindowIconSmall(window));
        });
        if (!content.SmallIcon) content.SmallIcon = content.Icon; // as ShowAboutBox2 does
        ReadApplication(AppObject, content);
        content.Description = support::BstrView(Description);
        content.Picture = PictureArgument(Picture);
        content.PictureToolTipText = TextArgument(PictureToolTipText, about::kDefaultPictureToolTip);
        about::RealShowAboutBox(content);
    });
}

HRESULT tlvMain::ShowAboutBox2(IPictureDisp* Icon, IPictureDisp* IconSmall, IDispatch* AppObject,
                               VARIANT Description, VARIANT Picture, VARIANT PictureToolTipText)
{
    return GuardMethod([&] {
        AboutBoxContent content;
        content.Icon = PictureArgument(Icon);
        content.SmallIcon = IconSmall ? PictureArgument(IconSmall) : PictureArgument(Icon);
        ReadApplication(AppObject, content);
        content.Description = TextArgument(Description, L"");
        content.Picture = PictureArgument(Picture);
        content.PictureToolTipText = TextArgument(PictureToolTipText, about::kDefaultPictureToolTip);
        about::RealShowAboutBox(content);
    });
}

HRESULT tlvMain::ShowAboutBoxEx(BSTR Title, VARIANT Icon, VARIANT SmallIcon, LONG VerMajor, LONG VerMinor,
                                LONG VerRevision, VARIANT Author, VARIANT AuthorEMail, VARIANT Devote,
                                VARIANT Description, VARIANT Picture, VARIANT PictureToolTipText)
{
    return GuardMethod([&] {
        AboutBoxContent content;
        content.Title = support::BstrView(Title);
        content.Icon = PictureArgument(Icon);
        content.SmallIcon = PictureArgument(SmallIcon);
        content.Major = VerMajor;
        content.Minor = VerMinor;
        content.Revision = VerRevision;
        content.Author = TextArgument(Author, about::kDefaultAuthor);
        content.AuthorEMail = TextArgument(AuthorEMail, about::kDefaultAuthorEMail);
        content.Devote = TextArgument(Devote, about::kDefaultDevote);
        content.Description = TextArgument(Description, L"");
        content.Picture = PictureArgument(Picture);
        content.PictureToolTipText = TextArgument(PictureToolTipText, about::kDefaultPictureToolTip);
        about::RealShowAboutBox(content);
    });
}

} // namespace verrick
