#include "toolkit/line.h"

#include <algorithm>

#include "toolkit/form.h"
#include "toolkit/twips.h"

#include "support/runtime_error.h"

namespace toolkit {

using automation::ToDouble;
using support::Variant;

Line::Line(Form& parent, std::wstring name) : Control(parent, std::move(name)) {}

Line::Line(const Line& source, int index)
    : Control(source, index), x1_(source.x1_), y1_(source.y1_), x2_(source.x2_), y2_(source.y2_),
      visible_(false), borderColor_(source.borderColor_), borderWidth_(source.borderWidth_)
{}

void Line::Invalidate() const
{
    if (!Parent().hWnd()) return;
    const int grow = borderWidth_ + 1;
    RECT bounds{
        std::min(ToPixelsX(x1_), ToPixelsX(x2_)) - grow, std::min(ToPixelsY(y1_), ToPixelsY(y2_)) - grow,
        std::max(ToPixelsX(x1_), ToPixelsX(x2_)) + grow, std::max(ToPixelsY(y1_), ToPixelsY(y2_)) + grow};
    ::InvalidateRect(Parent().hWnd(), &bounds, TRUE);
}

void Line::Points(double x1, double y1, double x2, double y2)
{
    Invalidate();
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    Invalidate();
}

void Line::Visible(bool visible)
{
    visible_ = visible;
    Invalidate();
}

void Line::BorderColor(OleColor color)
{
    borderColor_ = color;
    Invalidate();
}

void Line::BorderWidth(int pixels)
{
    if (pixels < 1) support::Raise(support::err::InvalidPropertyValue);
    Invalidate();
    borderWidth_ = pixels;
    Invalidate();
}

void Line::Draw(HDC dc)
{
    if (!visible_) return;
    support::UniquePen pen(::CreatePen(PS_SOLID, borderWidth_, ToColorRef(borderColor_)));
    support::SelectedObject selected(dc, pen.get());
    ::MoveToEx(dc, ToPixelsX(x1_), ToPixelsY(y1_), nullptr);
    ::LineTo(dc, ToPixelsX(x2_), ToPixelsY(y2_));
}

const automation::ClassInfo& Line::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Line");
        DescribeMembers(made);
        automation::Members<Line>(made)
            .Property(
                L"X1", [](Line& l) { return Variant::Single(static_cast<float>(l.X1())); },
                [](Line& l, const VARIANT& v) { l.Points(ToDouble(v), l.Y1(), l.X2(), l.Y2()); })
            .Property(
                L"Y1", [](Line& l) { return Variant::Single(static_cast<float>(l.Y1())); },
                [](Line& l, const VARIANT& v) { l.Points(l.X1(), ToDouble(v), l.X2(), l.Y2()); })
            .Property(
                L"X2", [](Line& l) { return Variant::Single(static_cast<float>(l.X2())); },
                [](Line& l, const VARIANT& v) { l.Points(l.X1(), l.Y1(), ToDouble(v), l.Y2()); })
            .Property(
                L"Y2", [](Line& l) { return Variant::Single(static_cast<float>(l.Y2())); },
                [](Line& l, const VARIANT& v) { l.Points(l.X1(), l.Y1(), l.X2(), ToDouble(v)); })
            .Property(
                L"Visible", [](Line& l) { return Variant::Bool(l.Visible()); },
                [](Line& l, const VARIANT& v) { l.Visible(automation::ToBool(v)); })
            .Property(
                L"BorderColor", [](Line& l) { return Variant::Long(static_cast<LONG>(l.BorderColor())); },
                [](Line& l, const VARIANT& v) {
                    l.BorderColor(static_cast<OleColor>(automation::ToLong(v)));
                })
            .Property(
                L"BorderWidth", [](Line& l) { return Variant::Long(l.BorderWidth()); },
                [](Line& l, const VARIANT& v) { l.BorderWidth(automation::ToLong(v)); });
        return made;
    }();
    return info;
}

} // namespace toolkit
