#pragma once
// A picture box with a persistent image: drawing goes to an off-screen
// bitmap that survives repainting and becomes visible on Refresh. Drawing
// coordinates are in the box's scale: twips by default, or a user scale.

#include <string>

#include "toolkit/control.h"

namespace toolkit {

// Drawing modes of filled boxes and lines (the raster operations' numbers).
enum DrawModeConst {
    vbBlackness = 1,
    vbInvert = 6,
    vbXorPen = 7,
    vbNop = 11,
    vbCopyPen = 13,
    vbWhiteness = 16
};

class PictureBox : public WindowedControl {
public:
    PictureBox(Form& parent, std::wstring name);
    // A new array element: the design properties, and a blank image.
    PictureBox(const PictureBox& source, int index);
    ~PictureBox() override;

    // 0: no border; 1: a single flat line.
    void BorderStyle(int style);

    // A user scale over the inner area: (0, 0) top-left to (width, height).
    void Scale(double width, double height);
    double ScaleWidth() const;
    double ScaleHeight() const;

    void DrawMode(int mode) { drawMode_ = mode; }
    int DrawMode() const noexcept { return drawMode_; }
    double CurrentX() const noexcept { return currentX_; }
    double CurrentY() const noexcept { return currentY_; }
    void CurrentX(double x) { currentX_ = x; }
    void CurrentY(double y) { currentY_ = y; }

    // Fills the image with the back colour and puts the current position at (0, 0).
    void Cls();
    // A filled box between two corners, in the current drawing mode.
    void FilledBox(double x1, double y1, double x2, double y2, OleColor color);
    // Text at the current position in the fore colour, transparent background;
    // then the position moves to the start of the next line.
    void Print(std::wstring_view text);
    // The width of a text in the box's font, in scale units.
    double TextWidth(std::wstring_view text) const;

    // The device context of the persistent image. What is drawn on it directly
    // shows after Refresh; the drawing methods above show at the next paint.
    HDC hDC();

    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    bool WindowIsReusable() const override { return true; }
    std::unique_ptr<SpareParts> GiveUpParts() noexcept override;
    void TakeParts(std::unique_ptr<SpareParts> parts) override;
    DWORD WindowStyle() const override;
    void OnCreated() override;
    void OnResized() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MakeImage();
    void ReleaseImage() noexcept;
    void Invalidate();
    SIZE InnerSize() const;
    int ToPixelX(double x) const;
    int ToPixelY(double y) const;

    int borderStyle_ = 1;
    bool userScale_ = false;
    double scaleWidth_ = 0, scaleHeight_ = 0;
    int drawMode_ = vbCopyPen;
    double currentX_ = 0, currentY_ = 0;
    support::UniqueBitmap image_;
    support::BitmapDC imageDC_; // after image_: it lets go of the image before the image goes
    bool imageTaken_ = false;   // from a spare, blank and of the right size
};

} // namespace toolkit
