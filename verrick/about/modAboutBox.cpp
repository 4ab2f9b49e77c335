#include "verrick/about/modAboutBox.h"

#include <olectl.h>

#include <iterator>
#include <memory>

#include "verrick/about/frmAbout.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/module.h"

#include "support/as.h"
#include "support/es.h"
#include "support/runtime_error.h"
#include "toolkit/ole_objects.h"

namespace verrick::about {
namespace {

using support::ComPtr;
using toolkit::PictureOfBitmap;
using toolkit::PictureOfIcon;

// The one error after which showing the box is tried again.
constexpr long kRetryOnceError = support::err::WrongNumberOfArguments;

// A step whose run-time errors are passed over leaves its part at its design state.
using support::IgnoringErrors;

HINSTANCE Library()
{
    return ModuleHandle();
}

} // namespace

OLE_HANDLE PictureHandle(IPictureDisp* picture) noexcept
{
    ComPtr<IPicture> native;
    OLE_HANDLE handle = 0;
    if (picture && SUCCEEDED(picture->QueryInterface(IID_IPicture, native.put_void())))
        native->get_Handle(&handle);
    return handle;
}

SHORT PictureType(IPictureDisp* picture) noexcept
{
    ComPtr<IPicture> native;
    SHORT type = PICTYPE_NONE;
    if (picture && SUCCEEDED(picture->QueryInterface(IID_IPicture, native.put_void())))
        native->get_Type(&type);
    return type;
}

ComPtr<IPictureDisp> LibraryIcon(std::wstring_view name, bool small)
{
    return PictureOfIcon(small ? support::asLoadResIconSmallEx(name, Library())
                               : support::asLoadResIconEx(name, Library()));
}

ComPtr<IPictureDisp> LibraryBitmap(std::wstring_view name)
{
    const std::wstring resource(name);
    return PictureOfBitmap(support::UniqueBitmap(static_cast<HBITMAP>(
        ::LoadImageW(Library(), resource.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
}

ComPtr<IPictureDisp> LibraryCursor(std::wstring_view name)
{
    const std::wstring resource(name);
    // Not shared: the picture destroys its own copy (a cursor is an icon to the picture).
    return PictureOfIcon(support::UniqueIcon(
        static_cast<HICON>(::LoadImageW(Library(), resource.c_str(), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE))));
}

ComPtr<IPictureDisp> DefaultPicture()
{
    struct Drawing {
        int dotsPerInch;
        const wchar_t* resource;
    };
    static constexpr Drawing kDrawings[] = {{96, L"ABOUT_PICTURE"},
                                            {120, L"ABOUT_PICTURE_120"},
                                            {144, L"ABOUT_PICTURE_144"},
                                            {192, L"ABOUT_PICTURE_192"}};
    support::WindowDC screen(nullptr);
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    const Drawing* drawing = &kDrawings[std::size(kDrawings) - 1];
    for (const Drawing& candidate : kDrawings) {
        if (candidate.dotsPerInch >= dpi) {
            drawing = &candidate;
            break;
        }
    }
    support::UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(Library(), drawing->resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap || drawing->dotsPerInch == dpi || dpi <= 0) return PictureOfBitmap(std::move(bitmap));

    // A screen between the drawings: the larger drawing, smoothly scaled down.
    BITMAP source{};
    ::GetObjectW(bitmap.get(), sizeof source, &source);
    const int width = ::MulDiv(64, dpi, 96), height = ::MulDiv(62, dpi, 96);
    support::UniqueBitmap scaled(::CreateCompatibleBitmap(screen.get(), width, height));
    bool drawn = false;
    if (scaled) {
        support::BitmapDC from(screen.get(), bitmap.get());
        support::BitmapDC to(screen.get(), scaled.get());
        if (from && to) {
            ::SetStretchBltMode(to.get(), HALFTONE);
            ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
            ::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, source.bmWidth, source.bmHeight,
                         SRCCOPY);
            drawn = true;
        }
    }
    return drawn ? PictureOfBitmap(std::move(scaled)) : PictureOfBitmap(std::move(bitmap));
}

void RealShowAboutBox(const AboutBoxContent& content)
{
    auto box = std::make_unique<frmAbout>();
    box->Load();

    IgnoringErrors([&] {
        box->Caption(L"О программе");
        box->lblTitle.Caption(content.Title);
        box->lblAuthor(1).Caption(content.Author);
    });
    IgnoringErrors([&] {
        if (content.AuthorEMail.empty()) {
            box->lblEMail(0).Visible(false);
            box->lblEMail(1).Visible(false);
            // The dedication moves up into the e-mail line.
            const double devoteTop = box->lblDevote.Top();
            box->lblDevote.Top(box->lblEMail(0).Top());
            box->lblEMail(0).Top(devoteTop);
        } else {
            toolkit::Label& address = box->lblEMail(1);
            address.Caption(content.AuthorEMail);
            toolkit::FontSpec font = address.Font();
            font.Underline = true;
            address.Font(font);
            address.MouseIcon(ComPtr<IDispatch>(LibraryCursor(kLinkCursorResource).get()));
            address.MousePointer(toolkit::vbCustom);
        }
    });
    IgnoringErrors([&] {
        box->FormIcon(content.SmallIcon ? content.SmallIcon : LibraryIcon(kWindowIconResource, true));
    });
    IgnoringErrors([&] {
        ComPtr<IPictureDisp> icon = content.Icon ? content.Icon : LibraryIcon(kDefaultPictureResource, false);
        support::Variant value = support::Variant::Object(icon.get());
        if (auto control = box->imgIcon.Object()) late::PutRef(control.get(), L"Picture", *value.get());
        box->DragIcon = icon;
    });
    IgnoringErrors([&] {
        box->lblDevote.Caption(content.Devote);
        box->imgPicture.ToolTipText(content.PictureToolTipText);
    });
    IgnoringErrors([&] {
        toolkit::Image& picture = box->imgPicture;
        if (!content.Picture) {
            picture.Picture(DefaultPicture());
            picture.Visible(true);
        } else if (PictureHandle(content.Picture.get()) == 0 || PictureType(content.Picture.get()) <= 0) {
            picture.Visible(false);
        } else {
            picture.Picture(content.Picture);
            picture.Visible(true);
            // The bottom-right corner of the main tab, 5 pixels from the right and 3 from the bottom.
            const toolkit::Frame& main = box->fraTab(kMainTab);
            picture.Top(main.Height() - picture.Height() - 3 * support::esScreenTwipsPerPixelY());
            picture.Left(main.Width() - picture.Width() - 5 * support::esScreenTwipsPerPixelX());
            picture.ZOrder(0);
        }
    });
    IgnoringErrors([&] {
        box->lblVersion(1).Caption(support::asFormatVersion(content.Major, content.Minor, content.Revision));
    });
    box->AppMajor = content.Major;
    box->AppMinor = content.Minor;
    box->AppRevision = content.Revision;

    box->txtDescription.Text(content.Description);
    box->InitTabs();

    IgnoringErrors([&] {
        try {
            box->Show(toolkit::vbModal);
        } catch (const support::RuntimeError& error) {
            if (error.Number() != kRetryOnceError) throw;
            support::asOutputDebugString(L"RealShowAboutBox() ==> " + std::to_wstring(error.Number()) +
                                         L": " + error.Description());
            box->Show(toolkit::vbModal);
        }
    });
    IgnoringErrors([&] { box->Unload(); });
}

} // namespace verrick::about
