#pragma once
// Forms: top-level windows with the events of the system's forms. A derived
// form declares its controls as members, sets their design properties in its
// constructor and overrides the events it handles (Form_Load, Form_KeyDown...).

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/colors.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

#include "support/handles.h"

namespace toolkit {

class Control;

// A control array as its form sees it: the elements loaded at run time go
// when the form unloads.
class ControlArrayBase {
public:
    virtual void UnloadRunTimeElements() = 0;

protected:
    ~ControlArrayBase() = default;
};

enum class FormBorderStyle { None = 0, FixedSingle = 1, Sizable = 2, FixedDialog = 3, FixedToolWindow = 4,
                             SizableToolWindow = 5 };
enum class StartUpPosition { Manual = 0, CenterOwner = 1, CenterScreen = 2, WindowsDefault = 3 };

// Why a form is being unloaded.
enum UnloadMode { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3, vbFormMDIForm = 4,
                  vbFormOwner = 5 };

// Shift state of key events.
enum ShiftState { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

class Form : public WindowObject {
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
    OleColor BackColor() const noexcept { return backColor_; }
    void BackColor(OleColor color);

    std::wstring Caption() const;
    void Caption(const std::wstring& caption);

    // Loading runs Form_Load; Show loads the form first when needed.
    void Load();
    bool IsLoaded() const noexcept { return hWnd() != nullptr; }
    void Show();
    void Hide();
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
    // whole form repaints once. For rebuilding many controls in one go.
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

    // The width of a text in the form's font, in twips.
    double TextWidth(std::wstring_view text) const;
    HFONT FontHandle() const noexcept { return fontHandle_.get(); }

    const std::vector<Control*>& Controls() const noexcept { return controls_; }

    // Raises Form_KeyDown for a key (key preview or the form's own keys).
    void RaiseKeyDown(int& keyCode);

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
    template <typename T>
    friend class ControlArray;
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
    FontSpec font_;
    support::UniqueFont fontHandle_;
    OleColor backColor_ = SystemColor(COLOR_BTNFACE);
    support::UniqueBrush backBrush_;
    std::vector<Control*> controls_;
    std::vector<ControlArrayBase*> arrays_;
    struct TimerEntry {
        UINT_PTR id;
        UINT interval;
        TimerCallback callback;
        void* context;
    };
    std::vector<TimerEntry> timers_;
    UINT_PTR nextTimerId_ = 1;
};

}  // namespace toolkit
