#pragma once
// An image: shows a picture object (a bitmap or an icon) at its top-left
// corner inside an optional sunken border. Without Stretch it takes the
// picture's size plus its border whenever the picture changes.

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <string>

#include "toolkit/control.h"

#include "support/com.h"

namespace toolkit {

class Image : public WindowedControl {
public:
    Image(Form& parent, std::wstring name);
    Image(const Image& source, int index);

    // The picture shown; empty for none.
    const support::ComPtr<IPictureDisp>& Picture() const noexcept { return picture_; }
    void Picture(support::ComPtr<IPictureDisp> picture);
    // 0: no border; 1: a sunken border two pixels wide.
    int BorderStyle() const noexcept { return borderStyle_; }
    void BorderStyle(int style);
    // The picture fills the control instead of sizing it.
    bool Stretch() const noexcept { return stretch_; }
    void Stretch(bool stretch);

    std::function<void()> Click;
    std::function<void()> DblClick;

    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    void OnCreated() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int BorderPixels() const noexcept { return borderStyle_ == 1 ? 2 : 0; }
    void FitToPicture();
    void Paint(HDC dc);

    support::ComPtr<IPictureDisp> picture_;
    int borderStyle_ = 0;
    bool stretch_ = false;
    bool pressed_ = false;
};

// The size in pixels of a picture object; zero for an empty one.
SIZE PicturePixelSize(IPictureDisp* picture) noexcept;

} // namespace toolkit
