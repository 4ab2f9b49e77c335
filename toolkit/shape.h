#pragma once
// A shape: a lightweight control with no window of its own, a rectangle drawn
// by its form on the form's surface after Form_Paint.

#include <string>

#include "toolkit/control.h"

namespace toolkit {

enum FillStyleConstants { vbFSSolid = 0, vbFSTransparent = 1 };
enum BorderStyleConstants { vbTransparent = 0, vbBSSolid = 1 };

class Shape : public Control {
public:
    Shape(Form& parent, std::wstring name);
    Shape(const Shape& source, int index);

    double Left() const noexcept { return left_; }
    double Top() const noexcept { return top_; }
    double Width() const noexcept { return width_; }
    double Height() const noexcept { return height_; }
    void Move(double left, double top, double width, double height);
    bool Visible() const noexcept { return visible_; }
    void Visible(bool visible);

    OleColor FillColor() const noexcept { return fillColor_; }
    void FillColor(OleColor color);
    int FillStyle() const noexcept { return fillStyle_; }
    void FillStyle(int style);
    OleColor BorderColor() const noexcept { return borderColor_; }
    void BorderColor(OleColor color);
    int BorderStyle() const noexcept { return borderStyle_; }
    void BorderStyle(int style);

    void Draw(HDC dc) override;
    const automation::ClassInfo& AutomationClass() const override;

private:
    RECT Bounds() const;
    void Invalidate() const;

    double left_ = 0, top_ = 0, width_ = 1200, height_ = 1200;
    bool visible_ = true;
    OleColor fillColor_ = 0;
    int fillStyle_ = vbFSTransparent;
    OleColor borderColor_ = SystemColor(COLOR_WINDOWTEXT);
    int borderStyle_ = vbBSSolid;
};

} // namespace toolkit
