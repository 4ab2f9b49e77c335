#pragma once
// A line: a lightweight control with no window of its own, drawn by its form
// on the form's surface after Form_Paint, from (X1, Y1) to (X2, Y2) in twips.

#include <string>

#include "toolkit/control.h"

namespace toolkit {

class Line : public Control {
public:
    Line(Form& parent, std::wstring name);
    Line(const Line& source, int index);

    double X1() const noexcept { return x1_; }
    double Y1() const noexcept { return y1_; }
    double X2() const noexcept { return x2_; }
    double Y2() const noexcept { return y2_; }
    void Points(double x1, double y1, double x2, double y2);
    bool Visible() const noexcept { return visible_; }
    void Visible(bool visible);
    OleColor BorderColor() const noexcept { return borderColor_; }
    void BorderColor(OleColor color);
    int BorderWidth() const noexcept { return borderWidth_; }
    void BorderWidth(int pixels);

    void Draw(HDC dc) override;
    const automation::ClassInfo& AutomationClass() const override;

private:
    void Invalidate() const;

    double x1_ = 0, y1_ = 0, x2_ = 1200, y2_ = 0;
    bool visible_ = true;
    OleColor borderColor_ = SystemColor(COLOR_WINDOWTEXT);
    int borderWidth_ = 1;
};

} // namespace toolkit
