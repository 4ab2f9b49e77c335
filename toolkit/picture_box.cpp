#include "toolkit/picture_box.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "toolkit/form.h"
#include "toolkit/twips.h"

#include "support/runtime_error.h"

namespace toolkit {

const automation::ClassInfo& PictureBox::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"PictureBox");
        DescribeMembers(made);
        automation::Members<PictureBox>(made)
            .Property(
                L"ScaleWidth",
                [](PictureBox& p) { return support::Variant::Single(static_cast<float>(p.ScaleWidth())); })
            .Property(
                L"ScaleHeight",
                [](PictureBox& p) { return support::Variant::Single(static_cast<float>(p.ScaleHeight())); })
            .Method(L"Cls", [](PictureBox& p, const automation::Call&) {
                p.Cls();
                return support::Variant();
            });
        return made;
    }();
    return info;
}

PictureBox::PictureBox(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name)) {}

PictureBox::PictureBox(const PictureBox& source, int index)
    : WindowedControl(source, index), borderStyle_(source.borderStyle_), userScale_(source.userScale_),
      scaleWidth_(source.scaleWidth_), scaleHeight_(source.scaleHeight_), drawMode_(source.drawMode_)
{}

// The window goes while this object is whole, so WM_NCDESTROY takes the image
// out of its device context before either is deleted; a window given up to
// another element leaves the image to be released here.
PictureBox::~PictureBox()
{
    Detach();
    ReleaseImage();
}

const wchar_t* PictureBox::ClassName() const
{
    static const wchar_t* name =
        RegisterToolkitClass(L"ToolkitPicture", CS_DBLCLKS, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

DWORD PictureBox::WindowStyle() const
{
    return WindowedControl::WindowStyle() | WS_CLIPCHILDREN | (borderStyle_ ? WS_BORDER : 0);
}

void PictureBox::BorderStyle(int style)
{
    if (hWnd()) support::Raise(support::err::InvalidPropertyValue, L"BorderStyle is read-only at run time");
    borderStyle_ = style;
}

SIZE PictureBox::InnerSize() const
{
    if (!hWnd()) {
        int border = borderStyle_ ? 2 : 0;
        return {PixelWidth() - border, PixelHeight() - border};
    }
    RECT r{};
    ::GetClientRect(hWnd(), &r);
    return {r.right, r.bottom};
}

void PictureBox::Scale(double width, double height)
{
    if (width == 0 || height == 0) support::Raise(support::err::InvalidPropertyValue);
    userScale_ = true;
    scaleWidth_ = width;
    scaleHeight_ = height;
}

double PictureBox::ScaleWidth() const
{
    return userScale_ ? scaleWidth_ : ToTwipsX(InnerSize().cx);
}
double PictureBox::ScaleHeight() const
{
    return userScale_ ? scaleHeight_ : ToTwipsY(InnerSize().cy);
}

int PictureBox::ToPixelX(double x) const
{
    return static_cast<int>(std::lround(x * InnerSize().cx / ScaleWidth()));
}

int PictureBox::ToPixelY(double y) const
{
    return static_cast<int>(std::lround(y * InnerSize().cy / ScaleHeight()));
}

void PictureBox::MakeImage()
{
    SIZE size = InnerSize();
    support::WindowDC screen(nullptr);
    support::UniqueBitmap bitmap(
        ::CreateCompatibleBitmap(screen.get(), std::max(1L, size.cx), std::max(1L, size.cy)));
    support::BitmapDC dc(screen.get(), bitmap.get());
    if (!dc || !bitmap) support::Raise(support::err::OutOfMemory);
    RECT all{0, 0, size.cx, size.cy};
    support::UniqueBrush back(::CreateSolidBrush(ToColorRef(BackColor())));
    ::FillRect(dc.get(), &all, back.get());
    if (imageDC_) {
        // Keep what was drawn so far.
        ::BitBlt(dc.get(), 0, 0, size.cx, size.cy, imageDC_.get(), 0, 0, SRCCOPY);
    }
    imageDC_ = std::move(dc);
    image_ = std::move(bitmap);
}

void PictureBox::ReleaseImage() noexcept
{
    imageDC_.reset();
    image_.reset();
}

namespace {

// An unloaded box's image, handed on with its window.
struct SpareImage : WindowedControl::SpareParts {
    support::UniqueBitmap bitmap;
    support::BitmapDC dc; // after the bitmap, so that it goes first
};

} // namespace

std::unique_ptr<WindowedControl::SpareParts> PictureBox::GiveUpParts() noexcept
{
    if (!imageDC_) return nullptr;
    try {
        auto spare = std::make_unique<SpareImage>();
        spare->dc = std::move(imageDC_);
        spare->bitmap = std::move(image_);
        return spare;
    } catch (...) {
        return nullptr; // the image stays here and goes with this box
    }
}

void PictureBox::TakeParts(std::unique_ptr<SpareParts> parts)
{
    auto* spare = dynamic_cast<SpareImage*>(parts.get());
    if (!spare || imageDC_) return;
    BITMAP bitmap{};
    const SIZE size = InnerSize();
    if (!::GetObjectW(spare->bitmap.get(), sizeof bitmap, &bitmap) ||
        bitmap.bmWidth != std::max(1L, size.cx) || bitmap.bmHeight != std::max(1L, size.cy))
        return;
    imageDC_ = std::move(spare->dc);
    image_ = std::move(spare->bitmap);
    // Blank, as a new image starts.
    RECT all{0, 0, size.cx, size.cy};
    support::UniqueBrush back(::CreateSolidBrush(ToColorRef(BackColor())));
    ::FillRect(imageDC_.get(), &all, back.get());
    imageTaken_ = true;
}

void PictureBox::OnCreated()
{
    if (std::exchange(imageTaken_, false)) return;
    MakeImage();
}

void PictureBox::OnResized()
{
    MakeImage();
}

HDC PictureBox::hDC()
{
    if (!imageDC_) MakeImage();
    return imageDC_.get();
}

void PictureBox::Cls()
{
    HDC dc = hDC();
    SIZE size = InnerSize();
    RECT all{0, 0, size.cx, size.cy};
    support::UniqueBrush back(::CreateSolidBrush(ToColorRef(BackColor())));
    ::FillRect(dc, &all, back.get());
    currentX_ = currentY_ = 0;
    Invalidate();
}

void PictureBox::Invalidate()
{
    WindowedControl::Invalidate(false);
}

void PictureBox::FilledBox(double x1, double y1, double x2, double y2, OleColor color)
{
    int left = ToPixelX(std::min(x1, x2)), right = ToPixelX(std::max(x1, x2));
    int top = ToPixelY(std::min(y1, y2)), bottom = ToPixelY(std::max(y1, y2));
    if (right <= left || bottom <= top) return;
    HDC dc = hDC();
    DWORD operation = PATCOPY;
    switch (drawMode_) {
    case vbNop: return;
    case vbInvert: operation = DSTINVERT; break;
    case vbXorPen: operation = PATINVERT; break;
    case vbBlackness: operation = BLACKNESS; break;
    case vbWhiteness: operation = WHITENESS; break;
    default: break;
    }
    support::UniqueBrush brush(::CreateSolidBrush(ToColorRef(color)));
    support::SelectedObject selected(dc, brush.get());
    ::PatBlt(dc, left, top, right - left, bottom - top, operation);
    Invalidate();
}

void PictureBox::Print(std::wstring_view text)
{
    HDC dc = hDC();
    support::SelectedObject selected(dc, FontHandle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(ForeColor()));
    ::TextOutW(dc, ToPixelX(currentX_), ToPixelY(currentY_), text.data(), static_cast<int>(text.size()));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    currentX_ = 0;
    currentY_ += metrics.tmHeight * ScaleHeight() / std::max(1L, InnerSize().cy);
    Invalidate();
}

double PictureBox::TextWidth(std::wstring_view text) const
{
    support::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    support::UniqueFont ownFont = FontHandle() ? support::UniqueFont() : MakeFont(Font());
    support::SelectedObject selected(dc.get(), FontHandle() ? FontHandle() : ownFont.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx * ScaleWidth() / std::max(1L, InnerSize().cx);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        support::PaintDC paint(hWnd());
        const RECT& area = paint.area();
        ::BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, hDC(),
                 area.left, area.top, SRCCOPY);
        return 0;
    }
    case WM_NCDESTROY: ReleaseImage(); break;
    default: break;
    }
    return WindowedControl::HandleMessage(message, wParam, lParam);
}

} // namespace toolkit
