#include "toolkit/ole_objects.h"

#include "support/runtime_error.h"

namespace toolkit {
namespace {

using support::ComPtr;

// The picture takes over the handle its description names: the owner lets go of it once the picture exists.
template <typename Owner> ComPtr<IPictureDisp> PictureTakingOver(PICTDESC& description, Owner& owner)
{
    description.cbSizeofstruct = sizeof description;
    ComPtr<IPictureDisp> picture;
    HRESULT hr = ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void());
    if (FAILED(hr)) support::RaiseFailedCall(hr, L"OleCreatePictureIndirect");
    owner.release();
    return picture;
}

} // namespace

int ScreenPixelsPerInch(int axis) noexcept
{
    support::WindowDC screen(nullptr);
    int dpi = screen ? ::GetDeviceCaps(screen.get(), axis) : 0;
    return dpi > 0 ? dpi : 96;
}

SIZE PixelsFromHimetric(SIZEL himetric) noexcept
{
    return {::MulDiv(himetric.cx, ScreenPixelsPerInch(LOGPIXELSX), kHimetricPerInch),
            ::MulDiv(himetric.cy, ScreenPixelsPerInch(LOGPIXELSY), kHimetricPerInch)};
}

SIZEL HimetricFromPixels(SIZE pixels) noexcept
{
    return {::MulDiv(pixels.cx, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSX)),
            ::MulDiv(pixels.cy, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSY))};
}

HRESULT MakeOleFont(const FontSpec& spec, ComPtr<IFont>& font)
{
    support::Bstr name(spec.Name);
    FONTDESC description{sizeof description};
    description.lpstrName = name.get();
    description.cySize.int64 = static_cast<LONGLONG>(spec.Size * 10000.0 + 0.5);
    description.sWeight = static_cast<SHORT>(spec.Bold ? FW_BOLD : FW_NORMAL);
    description.sCharset = static_cast<SHORT>(spec.Charset);
    description.fItalic = spec.Italic;
    description.fUnderline = spec.Underline;
    description.fStrikethrough = spec.Strikethrough;
    return ::OleCreateFontIndirect(&description, IID_IFont, font.put_void());
}

ComPtr<IPictureDisp> PictureOfIcon(support::UniqueIcon icon)
{
    if (!icon) return {};
    PICTDESC description{};
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon.get();
    return PictureTakingOver(description, icon);
}

ComPtr<IPictureDisp> PictureOfBitmap(support::UniqueBitmap bitmap)
{
    if (!bitmap) return {};
    PICTDESC description{};
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.get();
    return PictureTakingOver(description, bitmap);
}

ComPtr<IPictureDisp> EmptyPicture() noexcept
{
    PICTDESC description{sizeof(PICTDESC), PICTYPE_NONE, {}};
    ComPtr<IPictureDisp> picture;
    ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void());
    return picture;
}

} // namespace toolkit
