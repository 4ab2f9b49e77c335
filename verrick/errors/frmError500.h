#pragma once
// The timed message box's dialog: an invisible label that marks the message's
// rectangle, three buttons, a one-second timer, and a persistent drawing
// surface for the icon and the text. modError500 configures and shows it.

#include <windows.h>

#include <string>

#include "toolkit/command_button.h"
#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/timer.h"

#include "support/handles.h"

namespace verrick::errors {

class frmError500 final : public toolkit::Form {
public:
    // Where the icon is drawn (twips): an image control in the design that shows nothing itself.
    struct IconMark {
        double Left = 300, Top = 360, Width = 480, Height = 480;
    };

    frmError500();

    toolkit::Label lblMessage;
    IconMark imgIcon;
    toolkit::ControlArray<toolkit::CommandButton> cmdButton;
    toolkit::Timer tmrTimeout;

    long ResultIndex = 0;
    long TimeoutButtonIndex = 0;
    std::wstring TimeoutButtonCaption;
    long TimeoutSeconds = 1;

    // The persistent surface: what is drawn on it shows at every repaint.
    HDC SurfaceDC();
    // The countdown step, run by the timer and once before the dialog shows.
    void tmrTimeout_Timer();

protected:
    void Form_Load() override;
    void Form_Paint() override;

private:
    void cmdButton_Click(int index);

    long long elapsedTicks_ = 0;
    support::UniqueBitmap surfaceBitmap_;
    support::BitmapDC surface_;
};

} // namespace verrick::errors
