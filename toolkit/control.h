#pragma once
// Controls: everything that lives on a form. A windowed control owns a child
// window while its form is loaded; its properties persist across loads and
// are applied to the window whenever it exists.

#include <windows.h>

#include <optional>
#include <string>

#include "toolkit/colors.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

#include "support/handles.h"

namespace toolkit {

class Form;

class Control {
public:
    Control(Form& parent, std::wstring name);
    // A new element of a control array, copying the design properties of source.
    Control(const Control& source, int index);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    Form& Parent() const noexcept { return parent_; }
    const std::wstring& Name() const noexcept { return name_; }
    // The element's index in its control array; -1 for a single control.
    int Index() const noexcept { return index_; }

    // The form's window exists / is about to go away.
    virtual void Attach() {}
    virtual void Detach() {}

protected:
    void SetIndex(int index) noexcept { index_ = index; }

private:
    template <typename T>
    friend class ControlArray;
    Form& parent_;
    std::wstring name_;
    int index_ = -1;
};

class WindowedControl : public Control, public WindowObject {
public:
    WindowedControl(Form& parent, std::wstring name);
    WindowedControl(const WindowedControl& source, int index);

    double Left() const noexcept { return left_; }
    double Top() const noexcept { return top_; }
    double Width() const noexcept { return width_; }
    double Height() const noexcept { return height_; }
    void Left(double twips) { Move(twips, top_, width_, height_); }
    void Top(double twips) { Move(left_, twips, width_, height_); }
    void Width(double twips) { Move(left_, top_, twips, height_); }
    void Height(double twips) { Move(left_, top_, width_, twips); }
    void Move(double left, double top, double width, double height);

    bool Visible() const noexcept { return visible_; }
    void Visible(bool visible);
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool enabled);

    // The control's own font, or the form's while none was set.
    FontSpec Font() const;
    void Font(const FontSpec& font);
    void FontBold(bool bold);

    OleColor ForeColor() const noexcept { return foreColor_; }
    void ForeColor(OleColor color);
    OleColor BackColor() const noexcept { return backColor_; }
    void BackColor(OleColor color);

    // Repaints the control now.
    void Refresh();

    void Attach() override;
    void Detach() override;
    ~WindowedControl() override;

protected:
    virtual const wchar_t* ClassName() const = 0;
    virtual DWORD Style() const { return WS_CHILD | WS_CLIPSIBLINGS; }
    virtual DWORD ExStyle() const { return 0; }
    // The native window was created or resized, or the font changed.
    virtual void OnCreated() {}
    virtual void OnResized() {}
    virtual void OnFontChanged() {}

    HFONT FontHandle() const noexcept { return font_.get(); }
    int PixelWidth() const;
    int PixelHeight() const;
    // Sets the size from a measured pixel size (auto-sizing controls).
    void SetPixelSize(int width, int height);

private:
    void RebuildFont();

    double left_ = 0, top_ = 0, width_ = 1200, height_ = 375;
    bool visible_ = true;
    bool enabled_ = true;
    std::optional<FontSpec> fontSpec_;
    support::UniqueFont font_;
    OleColor foreColor_ = SystemColor(COLOR_BTNTEXT);
    OleColor backColor_ = SystemColor(COLOR_BTNFACE);
};

}  // namespace toolkit
