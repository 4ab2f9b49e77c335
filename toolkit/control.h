#pragma once
// Controls: everything that lives on a form. A windowed control owns a child
// window while its form is loaded; its properties persist across loads and
// are applied to the window whenever it exists.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "toolkit/automation.h"
#include "toolkit/colors.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

#include "support/handles.h"

namespace toolkit {

class Form;

// Mouse pointers (MousePointer): the system's cursors by number, or the control's MouseIcon.
enum MousePointerConst {
    vbDefault = 0,
    vbArrow = 1,
    vbCrosshair = 2,
    vbIbeam = 3,
    vbSizeAll = 5,
    vbSizeNESW = 6,
    vbSizeNS = 7,
    vbSizeNWSE = 8,
    vbSizeWE = 9,
    vbUpArrow = 10,
    vbHourglass = 11,
    vbNoDrop = 12,
    vbArrowHourglass = 13,
    vbArrowQuestion = 14,
    vbCustom = 99
};

// The cursor of a mouse pointer number; nullptr for vbDefault, vbCustom and unknown numbers.
HCURSOR SystemCursorOf(int mousePointer) noexcept;

class Control : public Automatable {
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

    // Spare text for the program's own use.
    const std::wstring& Tag() const noexcept { return tag_; }
    void Tag(std::wstring tag) { tag_ = std::move(tag); }

    // The form's window exists / is about to go away.
    virtual void Attach() {}
    virtual void Detach() {}
    // Lightweight controls draw themselves on the form's surface after Form_Paint.
    virtual void Draw(HDC dc) {}

protected:
    void SetIndex(int index) noexcept { index_ = index; }
    // Name, Index, Parent and Tag: the members every control answers late-bound.
    static void DescribeMembers(automation::ClassInfo& info);

private:
    template <typename T> friend class ControlArray;
    Form& parent_;
    std::wstring name_;
    int index_ = -1;
    std::wstring tag_;
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

    // Tab order: Tab moves the focus to the control with the next higher TabIndex
    // among those that can take it. A new control comes last.
    int TabIndex() const noexcept { return tabIndex_; }
    void TabIndex(int index) { tabIndex_ = index; }
    bool TabStop() const noexcept { return tabStop_; }
    void TabStop(bool tabStop) { tabStop_ = tabStop; }
    // Whether the focus can be on the control now: a kind that takes it, shown and enabled.
    bool CanTakeFocus() const;
    // Error 5 when the control cannot take the focus.
    void SetFocus();
    // 0 brings the control to the front of its siblings, 1 sends it to the back.
    void ZOrder(int position = 0);

    int MousePointer() const noexcept { return mousePointer_; }
    void MousePointer(int pointer);
    // A picture (IPictureDisp of an icon or cursor) shown while MousePointer is vbCustom.
    const support::ComPtr<IDispatch>& MouseIcon() const noexcept { return mouseIcon_; }
    void MouseIcon(support::ComPtr<IDispatch> picture) { mouseIcon_ = std::move(picture); }

    // A WM_COMMAND notification the form received from this control's window.
    virtual void OnCommand(WORD code) {}

    // The container (a frame) whose window holds this control's window; the
    // form's when none. Geometry is then relative to the container. Set before
    // the form loads; the container must come first in declaration order.
    void Container(WindowedControl* container) noexcept { container_ = container; }
    WindowedControl* Container() const noexcept { return container_; }

    // The text of the tip shown while the mouse rests on the control; empty shows none.
    const std::wstring& ToolTipText() const noexcept { return toolTipText_; }
    void ToolTipText(std::wstring text);
    // The tip window while the control has one (for reading it back).
    HWND ToolTipWindow() const noexcept { return toolTip_.get(); }

    void Attach() override;
    void Detach() override;
    ~WindowedControl() override;

    // Resources a kind can hand from an unloaded element to the next one.
    struct SpareParts {
        virtual ~SpareParts() = default;
    };
    // What an unloaded element of a control array leaves for the next element
    // of its index: its hidden window, and what else its kind can use again.
    struct Spare {
        support::UniqueWindow window;
        WNDPROC baseProc = nullptr; // of the window's class
        std::unique_ptr<SpareParts> parts;
        // Given up during a drawing freeze: still shown, at place (pixels in its parent).
        bool shown = false;
        RECT place{};
        explicit operator bool() const noexcept { return static_cast<bool>(window); }
        // Hides a window left shown.
        void Hide() noexcept;
    };
    // Attach over what an unloaded element gave up instead of making a new
    // window; an empty spare makes a new one.
    void Attach(Spare reused);
    // Gives the window up for a later element of the same kind to adopt,
    // hidden, or during the form's drawing freeze left as it is; empty for
    // kinds whose window keeps state of its own, or no window.
    Spare GiveUpWindow() noexcept;

protected:
    virtual const wchar_t* ClassName() const = 0;
    virtual DWORD WindowStyle() const { return WS_CHILD | WS_CLIPSIBLINGS; }
    virtual DWORD ExStyle() const { return 0; }
    // The native window's height for the control's height (a drop-down list adds its list).
    virtual int WindowHeight(int pixels) const { return pixels; }
    // The native window was created or resized, or the font changed.
    virtual void OnCreated() {}
    virtual void OnResized() {}
    virtual void OnFontChanged() {}
    // Kinds whose native window holds nothing that Attach does not set again say so.
    virtual bool WindowIsReusable() const { return false; }
    // What such a kind hands on with its window, and takes from a spare before OnCreated.
    virtual std::unique_ptr<SpareParts> GiveUpParts() noexcept { return nullptr; }
    virtual void TakeParts(std::unique_ptr<SpareParts> parts) {}
    // Kinds of control that can have the focus (buttons, text and combo boxes) say so.
    virtual bool TakesFocus() const { return false; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The members of every windowed control, and Control's.
    static void DescribeMembers(automation::ClassInfo& info);
    // Left, Top, Width, Height, Move and Visible alone: also what an extender answers itself.
    static void DescribePlacement(automation::ClassInfo& info);

    HFONT FontHandle() const noexcept { return font_.get(); }
    // Marks the whole window for repainting. A window that does not show now
    // (hidden, or its form hidden or frozen) is painted whole when it shows:
    // it is left alone, which spares the window system a request.
    void Invalidate(bool erase) const;
    int PixelWidth() const;
    // The window's place in its parent for the control's twips, in pixels.
    RECT PixelPlace() const;
    int PixelHeight() const;
    // Sets the size from a measured pixel size (auto-sizing controls).
    void SetPixelSize(int width, int height);

private:
    void RebuildFont();
    void UpdateToolTip();

    double left_ = 0, top_ = 0, width_ = 1200, height_ = 375;
    bool visible_ = true;
    bool enabled_ = true;
    std::optional<FontSpec> fontSpec_;
    support::UniqueFont font_;
    OleColor foreColor_ = SystemColor(COLOR_BTNTEXT);
    OleColor backColor_ = SystemColor(COLOR_BTNFACE);
    int tabIndex_ = 0;
    bool tabStop_ = true;
    int mousePointer_ = vbDefault;
    support::ComPtr<IDispatch> mouseIcon_;
    automation::OleFontLink oleFont_;
    WindowedControl* container_ = nullptr;
    std::wstring toolTipText_;
    support::UniqueWindow toolTip_;
};

} // namespace toolkit
