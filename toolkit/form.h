#pragma once
// Forms: top-level windows with the events of the system's forms. A derived
// form declares its controls as members, sets their design properties in its
// constructor and overrides the events it handles (Form_Load, Form_KeyDown...).

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "toolkit/automation.h"
#include "toolkit/colors.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

#include "support/handles.h"

namespace toolkit {

class Control;
class Form;
class WindowedControl;

// A control array as its form and its late-bound clients see it: the elements
// loaded at run time go when the form unloads.
class ControlArrayBase : public Automatable {
public:
    virtual void UnloadRunTimeElements() = 0;
    virtual const std::wstring& ArrayName() const = 0;
    // The element at index; error 340 when there is none.
    virtual Control& Element(int index) const = 0;
    virtual std::vector<Control*> Elements() const = 0;
    // Hides the windows that elements unloaded during a drawing freeze left on
    // screen and no later element took back.
    virtual void HideSpareWindows() noexcept {}

    // LBound, UBound, Count, the element by index as the default member, For Each.
    const automation::ClassInfo& AutomationClass() const final;

protected:
    ~ControlArrayBase() = default;
};

// Form.Controls: every control of the form, arrays' elements one by one, in
// the order they were made; Item by position (from 0) or by name, and For Each.
class ControlCollection : public Automatable {
public:
    explicit ControlCollection(const Form& form) : form_(form) {}
    const automation::ClassInfo& AutomationClass() const override;

private:
    const Form& form_;
};

enum class FormBorderStyle {
    None = 0,
    FixedSingle = 1,
    Sizable = 2,
    FixedDialog = 3,
    FixedToolWindow = 4,
    SizableToolWindow = 5
};
enum class StartUpPosition { Manual = 0, CenterOwner = 1, CenterScreen = 2, WindowsDefault = 3 };

// Why a form is being unloaded.
enum UnloadMode {
    vbFormControlMenu = 0,
    vbFormCode = 1,
    vbAppWindows = 2,
    vbAppTaskManager = 3,
    vbFormMDIForm = 4,
    vbFormOwner = 5
};

// Shift state of key events.
enum ShiftState { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// Show's style.
enum FormShowConstants { vbModeless = 0, vbModal = 1 };

class Form : public WindowObject, public Automatable {
public:
    explicit Form(std::wstring name);
    ~Form() override;

    const std::wstring& Name() const noexcept { return name_; }

    // Design properties (set before loading; most also apply at run time).
    void BorderStyle(FormBorderStyle style);
    void StartUpPosition(toolkit::StartUpPosition position) { startUpPosition_ = position; }
    void ClientSize(double widthTwips, double heightTwips);
    void KeyPreview(bool preview) { keyPreview_ = preview; }
    bool KeyPreview() const noexcept { return keyPreview_; }
    const FontSpec& Font() const noexcept { return font_; }
    void Font(const FontSpec& font);
    // The window's icon; an empty owner shows none (no icon in the caption or the task switcher).
    void Icon(support::UniqueIcon icon);
    HICON Icon() const noexcept { return icon_.get(); }
    // A pointer number of MousePointerConst over the form's own surface.
    int MousePointer() const noexcept { return mousePointer_; }
    void MousePointer(int pointer);
    OleColor BackColor() const noexcept { return backColor_; }
    void BackColor(OleColor color);

    std::wstring Caption() const;
    void Caption(const std::wstring& caption);

    // Loading runs Form_Load; Show loads the form first when needed.
    void Load();
    bool IsLoaded() const noexcept { return hWnd() != nullptr; }
    // Modeless, or modal: the thread's other windows (the forms, and any other
    // window shown) are disabled and a message loop runs until this form hides
    // or unloads. An owner keeps the form above it.
    void Show(int style = vbModeless, Form* owner = nullptr);
    void Hide();
    bool Visible() const noexcept;
    bool IsModal() const noexcept { return modal_; }
    bool Enabled() const noexcept;
    void Enabled(bool enabled);
    // Activates the form (error 5 while it is hidden or disabled).
    void SetFocus();
    // 0 brings the form to the front, 1 sends it to the back.
    void ZOrder(int position = 0);
    // Asks Form_QueryUnload and Form_Unload; false when one of them cancelled.
    bool Unload(UnloadMode mode = vbFormCode);

    // Outer geometry and the inner (client) size, in twips.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void Left(double twips);
    void Top(double twips);
    void Width(double twips);
    void Height(double twips);
    void Move(double left, double top, double width, double height);
    double ScaleWidth() const;
    double ScaleHeight() const;

    // While the returned object lives the form does not repaint; at its end the
    // whole form repaints once. For rebuilding many controls in one go. A hidden
    // form is not frozen: ending the freeze would show it.
    //
    // Drawing stops at the first change of the controls' layout (a window
    // moved, shown, hidden, made or destroyed), not before: a rebuild that puts
    // every window back where it was only changes contents, which repaint as
    // usual, and costs the window system no freeze at all. Windows that
    // unloaded array elements give up stay on screen until the freeze ends, so
    // an element loaded again at the same index takes its window back in place.
    class DrawingFreeze {
    public:
        explicit DrawingFreeze(Form& form);
        DrawingFreeze(const DrawingFreeze&) = delete;
        DrawingFreeze& operator=(const DrawingFreeze&) = delete;
        ~DrawingFreeze();

    private:
        Form& form_;
    };
    DrawingFreeze FreezeDrawing() { return DrawingFreeze(*this); }
    bool DrawingFrozen() const noexcept { return freezes_ > 0; }
    // Called before a control's window moves, shows, hides, comes or goes:
    // during a freeze, drawing stops now.
    void LayoutChanging() noexcept;
    // During a freeze: the window is marked for repainting when the freeze
    // ends, once however often its contents changed.
    void RepaintAfterFreeze(HWND window, bool erase);

    // The width of a text in the form's font, in twips.
    double TextWidth(std::wstring_view text) const;
    HFONT FontHandle() const noexcept { return fontHandle_.get(); }

    const std::vector<Control*>& Controls() const noexcept { return controls_; }

    // Raises Form_KeyDown for a key (key preview or the form's own keys).
    void RaiseKeyDown(int& keyCode);
    // The keys of dialog navigation: Enter presses the default button (or the
    // focused button), Esc the cancel button, Tab and Shift+Tab move the focus in
    // tab order. Whether the key was used.
    bool HandleDialogKey(int keyCode, int shift);
    // Moves the focus to the next (or previous) control in tab order; false when none can take it.
    bool MoveFocus(bool forward);

    // The device context of the paint in progress, for drawing in Form_Paint; nullptr outside it.
    HDC hDC() const noexcept { return paintDC_; }
    // A filled box between two corners (twips) on the paint in progress.
    void FilledBox(double x1, double y1, double x2, double y2, OleColor color);
    // Repaints the form now.
    void Refresh();

    const automation::ClassInfo& AutomationClass() const override;
    support::ComPtr<IDispatch> NamedChild(std::wstring_view name) override;

    // Timers of this form are window timers on its window, told apart by id.
    using TimerCallback = void (*)(void* context);
    UINT_PTR AddTimer(UINT interval, TimerCallback callback, void* context);
    void RemoveTimer(UINT_PTR id);

protected:
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& cancel, int unloadMode) {}
    virtual void Form_Unload(int& cancel) {}
    virtual void Form_KeyDown(int& keyCode, int shift) {}
    virtual void Form_Paint() {}
    virtual void Form_Resize() {}

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class Control;
    friend class WindowedControl;
    template <typename T> friend class ControlArray;
    bool QueryUnload(int mode);
    void DisableOtherWindows();
    void EndModal();
    void Remember(double left, double top, double width, double height);
    void DrawLightweightControls(HDC dc);
    std::vector<WindowedControl*> TabOrder() const;
    void Register(Control* control);
    void Unregister(Control* control);
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;
    void PlaceAtStart(int width, int height, int& x, int& y) const;

    std::wstring name_;
    std::wstring caption_;
    FormBorderStyle borderStyle_ = FormBorderStyle::Sizable;
    toolkit::StartUpPosition startUpPosition_ = toolkit::StartUpPosition::WindowsDefault;
    double clientWidth_ = 4800, clientHeight_ = 3600;
    bool keyPreview_ = false;
    bool unloading_ = false;
    int freezes_ = 0;
    bool redrawOff_ = false; // the layout changed during the freeze: drawing is off
    FontSpec font_;
    support::UniqueFont fontHandle_;
    OleColor backColor_ = SystemColor(COLOR_BTNFACE);
    support::UniqueBrush backBrush_;
    std::vector<Control*> controls_;
    std::vector<ControlArrayBase*> arrays_;
    struct PendingRepaint {
        HWND window;
        bool erase;
    };
    std::vector<PendingRepaint> pendingRepaints_;
    struct TimerEntry {
        UINT_PTR id;
        UINT interval;
        TimerCallback callback;
        void* context;
    };
    std::vector<TimerEntry> timers_;
    UINT_PTR nextTimerId_ = 1;
    int nextTabIndex_ = 0;
    support::UniqueIcon icon_;
    bool iconSet_ = false;
    int mousePointer_ = 0;
    HDC paintDC_ = nullptr;
    bool modal_ = false;
    HWND lastFocus_ = nullptr;
    std::vector<HWND> disabledByModal_;
    // Outer geometry as last set in twips, kept while the window stays where that put it.
    struct Placement {
        double left, top, width, height;
        RECT pixels;
    };
    std::optional<Placement> placement_;
    automation::OleFontLink oleFont_;
    ControlCollection controlCollection_{*this};
};

} // namespace toolkit
