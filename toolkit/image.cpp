#include "toolkit/image.h"

#include <utility>

#include "toolkit/form.h"
#include "toolkit/ole_objects.h"

#include "support/runtime_error.h"

namespace toolkit {

using support::Variant;

namespace {

// The handle and kind of a picture; kind PICTYPE_NONE for none or empty.
struct PictureHandle {
    OLE_HANDLE handle = 0;
    SHORT type = PICTYPE_NONE;
};

PictureHandle HandleOf(IPictureDisp* picture) noexcept
{
    PictureHandle result;
    if (!picture) return result;
    support::ComPtr<IPicture> native;
    if (FAILED(picture->QueryInterface(IID_IPicture, native.put_void())) || !native) return result;
    if (FAILED(native->get_Handle(&result.handle)) || FAILED(native->get_Type(&result.type)) ||
        !result.handle)
        return {};
    return result;
}

} // namespace

SIZE PicturePixelSize(IPictureDisp* picture) noexcept
{
    SIZE size{0, 0};
    if (!HandleOf(picture).handle) return size;
    support::ComPtr<IPicture> native;
    picture->QueryInterface(IID_IPicture, native.put_void());
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(native->get_Width(&width)) || FAILED(native->get_Height(&height))) return size;
    return PixelsFromHimetric({width, height});
}

Image::Image(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name))
{
    TabStop(false);
}

Image::Image(const Image& source, int index)
    : WindowedControl(source, index), picture_(source.picture_), borderStyle_(source.borderStyle_),
      stretch_(source.stretch_)
{}

const automation::ClassInfo& Image::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Image");
        DescribeMembers(made);
        automation::Members<Image>(made)
            .Property(
                L"Picture", [](Image& i) { return Variant::Object(i.Picture().get()); },
                [](Image& i, const VARIANT& v) {
                    support::ComPtr<IPictureDisp> picture;
                    if (auto object = automation::ToObject(v))
                        if (FAILED(object->QueryInterface(IID_IPictureDisp, picture.put_void())))
                            support::Raise(support::err::TypeMismatch);
                    i.Picture(std::move(picture));
                })
            .Property(
                L"BorderStyle", [](Image& i) { return Variant::Long(i.BorderStyle()); },
                [](Image& i, const VARIANT& v) { i.BorderStyle(automation::ToLong(v)); })
            .Property(
                L"Stretch", [](Image& i) { return Variant::Bool(i.Stretch()); },
                [](Image& i, const VARIANT& v) { i.Stretch(automation::ToBool(v)); });
        made.Default(L"Picture");
        return made;
    }();
    return info;
}

const wchar_t* Image::ClassName() const
{
    static const wchar_t* name =
        RegisterToolkitClass(L"ToolkitImage", CS_DBLCLKS, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

void Image::Picture(support::ComPtr<IPictureDisp> picture)
{
    picture_ = std::move(picture);
    FitToPicture();
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void Image::BorderStyle(int style)
{
    if (style != 0 && style != 1) support::Raise(support::err::InvalidPropertyValue);
    borderStyle_ = style;
    FitToPicture();
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void Image::Stretch(bool stretch)
{
    stretch_ = stretch;
    FitToPicture();
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void Image::FitToPicture()
{
    if (stretch_) return;
    SIZE size = PicturePixelSize(picture_.get());
    if (size.cx == 0 || size.cy == 0) return;
    SetPixelSize(size.cx + 2 * BorderPixels(), size.cy + 2 * BorderPixels());
}

void Image::OnCreated()
{
    FitToPicture();
}

void Image::Paint(HDC dc)
{
    RECT bounds{};
    ::GetClientRect(hWnd(), &bounds);
    const WindowedControl* container = Container();
    OleColor background = container ? container->BackColor() : Parent().BackColor();
    support::UniqueBrush brush(::CreateSolidBrush(ToColorRef(background)));
    ::FillRect(dc, &bounds, brush.get());
    if (borderStyle_ == 1) ::DrawEdge(dc, &bounds, EDGE_SUNKEN, BF_RECT);
    const int border = BorderPixels();
    PictureHandle picture = HandleOf(picture_.get());
    if (!picture.handle) return;
    SIZE natural = PicturePixelSize(picture_.get());
    SIZE size = stretch_ ? SIZE{bounds.right - 2 * border, bounds.bottom - 2 * border} : natural;
    HANDLE handle = LongToHandle(static_cast<LONG>(picture.handle));
    if (picture.type == PICTYPE_BITMAP) {
        support::BitmapDC memory(dc, static_cast<HBITMAP>(handle));
        ::StretchBlt(dc, border, border, size.cx, size.cy, memory.get(), 0, 0, natural.cx, natural.cy,
                     SRCCOPY);
    } else if (picture.type == PICTYPE_ICON) {
        ::DrawIconEx(dc, border, border, static_cast<HICON>(handle), size.cx, size.cy, 0, nullptr, DI_NORMAL);
    }
}

LRESULT Image::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        support::PaintDC paint(hWnd());
        Paint(paint.get());
        return 0;
    }
    case WM_LBUTTONDOWN: pressed_ = true; return 0;
    case WM_LBUTTONUP:
        if (std::exchange(pressed_, false) && Click) Click();
        return 0;
    case WM_LBUTTONDBLCLK:
        if (DblClick) DblClick();
        return 0;
    default: return WindowedControl::HandleMessage(message, wParam, lParam);
    }
}

} // namespace toolkit
