#include "toolkit/shape.h"

#include "toolkit/form.h"
#include "toolkit/twips.h"

#include "support/runtime_error.h"

namespace toolkit {

Shape::Shape(Form& parent, std::wstring name) : Control(parent, std::move(name)) {}

// A new array element starts hidden, as every loaded element does.
Shape::Shape(const Shape& source, int index)
    : Control(source, index), left_(source.left_), top_(source.top_), width_(source.width_),
      height_(source.height_), visible_(false), fillColor_(source.fillColor_), fillStyle_(source.fillStyle_),
      borderColor_(source.borderColor_), borderStyle_(source.borderStyle_)
{}

RECT Shape::Bounds() const
{
    return {ToPixelsX(left_), ToPixelsY(top_), ToPixelsX(left_) + ToPixelsX(width_),
            ToPixelsY(top_) + ToPixelsY(height_)};
}

void Shape::Invalidate() const
{
    if (!Parent().IsLoaded()) return;
    RECT bounds = Bounds();
    ::InvalidateRect(Parent().hWnd(), &bounds, TRUE);
}

void Shape::Move(double left, double top, double width, double height)
{
    if (width < 0 || height < 0) support::Raise(support::err::InvalidPropertyValue);
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
}

void Shape::Visible(bool visible)
{
    visible_ = visible;
    Invalidate();
}

void Shape::FillColor(OleColor color)
{
    fillColor_ = color;
    Invalidate();
}

void Shape::FillStyle(int style)
{
    if (style != vbFSSolid && style != vbFSTransparent) support::Raise(support::err::InvalidPropertyValue);
    fillStyle_ = style;
    Invalidate();
}

void Shape::BorderColor(OleColor color)
{
    borderColor_ = color;
    Invalidate();
}

void Shape::BorderStyle(int style)
{
    if (style != vbTransparent && style != vbBSSolid) support::Raise(support::err::InvalidPropertyValue);
    borderStyle_ = style;
    Invalidate();
}

void Shape::Draw(HDC dc)
{
    if (!visible_) return;
    RECT bounds = Bounds();
    if (fillStyle_ == vbFSSolid) {
        support::UniqueBrush fill(::CreateSolidBrush(ToColorRef(fillColor_)));
        ::FillRect(dc, &bounds, fill.get());
    }
    if (borderStyle_ == vbBSSolid) {
        support::UniqueBrush border(::CreateSolidBrush(ToColorRef(borderColor_)));
        ::FrameRect(dc, &bounds, border.get());
    }
}

const automation::ClassInfo& Shape::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Shape");
        DescribeMembers(made);
        using automation::ToDouble;
        using automation::ToLong;
        using support::Variant;
        automation::Members<Shape>(made)
            .Property(
                L"Left", [](Shape& s) { return Variant::Single(static_cast<float>(s.Left())); },
                [](Shape& s, const VARIANT& v) { s.Move(ToDouble(v), s.Top(), s.Width(), s.Height()); })
            .Property(
                L"Top", [](Shape& s) { return Variant::Single(static_cast<float>(s.Top())); },
                [](Shape& s, const VARIANT& v) { s.Move(s.Left(), ToDouble(v), s.Width(), s.Height()); })
            .Property(
                L"Width", [](Shape& s) { return Variant::Single(static_cast<float>(s.Width())); },
                [](Shape& s, const VARIANT& v) { s.Move(s.Left(), s.Top(), ToDouble(v), s.Height()); })
            .Property(
                L"Height", [](Shape& s) { return Variant::Single(static_cast<float>(s.Height())); },
                [](Shape& s, const VARIANT& v) { s.Move(s.Left(), s.Top(), s.Width(), ToDouble(v)); })
            .Property(
                L"Visible", [](Shape& s) { return Variant::Bool(s.Visible()); },
                [](Shape& s, const VARIANT& v) { s.Visible(automation::ToBool(v)); })
            .Property(
                L"FillColor", [](Shape& s) { return Variant::Long(static_cast<LONG>(s.FillColor())); },
                [](Shape& s, const VARIANT& v) { s.FillColor(static_cast<OleColor>(ToLong(v))); })
            .Property(
                L"FillStyle", [](Shape& s) { return Variant::Long(s.FillStyle()); },
                [](Shape& s, const VARIANT& v) { s.FillStyle(ToLong(v)); })
            .Property(
                L"BorderColor", [](Shape& s) { return Variant::Long(static_cast<LONG>(s.BorderColor())); },
                [](Shape& s, const VARIANT& v) { s.BorderColor(static_cast<OleColor>(ToLong(v))); })
            .Property(
                L"BorderStyle", [](Shape& s) { return Variant::Long(s.BorderStyle()); },
                [](Shape& s, const VARIANT& v) { s.BorderStyle(ToLong(v)); });
        return made;
    }();
    return info;
}

} // namespace toolkit
