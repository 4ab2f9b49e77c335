#include "vorlan/frmAdditionalPathsEditor.h"

#include "toolkit/application.h"
#include "vorlan/verrick_client.h"

#include "support/as.h"
#include "support/es.h"

namespace vorlan {

frmAdditionalPathsEditor::frmAdditionalPathsEditor()
    : Form(L"frmAdditionalPathsEditor"), shpBack(*this, L"shpBack"),
      txtAdditionalPaths(*this, L"txtAdditionalPaths"), cmdOk(*this, L"cmdOk"), cmdCancel(*this, L"cmdCancel")
{
    BorderStyle(toolkit::FormBorderStyle::FixedToolWindow);
    ClientSize(6015, 3795);
    Font({.Name = L"Tahoma", .Size = 9, .Charset = RUSSIAN_CHARSET});
    Caption(L"Дополнительные пути");

    shpBack.Move(0, 0, 6015, 3795);
    shpBack.BorderColor(toolkit::SystemColor(COLOR_3DSHADOW));

    txtAdditionalPaths.MultiLine(true);
    txtAdditionalPaths.ScrollBars(toolkit::vbBoth);
    txtAdditionalPaths.Move(60, 60, 5895, 3255);
    txtAdditionalPaths.TabIndex(0);
    txtAdditionalPaths.KeyDown = [this](int& keyCode, int shift) {
        txtAdditionalPaths_KeyDown(keyCode, shift);
    };
    txtAdditionalPaths.KeyPress = [this](int& keyAscii) { txtAdditionalPaths_KeyPress(keyAscii); };

    // No default button: Enter belongs to the text box.
    cmdOk.Caption(L"Ok");
    cmdOk.Move(3540, 3360, 1155, 375);
    cmdOk.TabIndex(1);
    cmdOk.Click = [this] { cmdOk_Click(); };

    cmdCancel.Caption(L"Отмена");
    cmdCancel.Move(4800, 3360, 1155, 375);
    cmdCancel.TabIndex(2);
    cmdCancel.Cancel(true);
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmAdditionalPathsEditor::Form_Load()
{
    support::esCenterFormEx(hWnd(), nullptr);
    Icon(support::UniqueIcon());
    support::esFixUserControlsContainerWindow();
}

void frmAdditionalPathsEditor::Form_Paint()
{
    support::asPaintDesktop2(hWnd(), hDC());
}

void frmAdditionalPathsEditor::Form_QueryUnload(int& cancel, int unloadMode)
{
    // Closing by hand counts as Cancel; only the owner unloads the editor.
    if (unloadMode == toolkit::vbFormCode) return;
    Ok = false;
    cancel = 1;
    Hide();
}

void frmAdditionalPathsEditor::cmdOk_Click()
{
    Ok = true;
    Hide();
}

void frmAdditionalPathsEditor::cmdCancel_Click()
{
    Ok = false;
    Hide();
}

void frmAdditionalPathsEditor::txtAdditionalPaths_KeyDown(int& keyCode, int shift)
{
    if ((shift & (toolkit::vbShiftMask | toolkit::vbCtrlMask | toolkit::vbAltMask)) != toolkit::vbCtrlMask)
        return;
    switch (keyCode) {
    case 'A':
        support::esTextBox_SelectAll(txtAdditionalPaths.hWnd());
        SuppressNextKeyPress = true;
        break;
    case VK_RETURN: {
        // The line break this key types is already queued: let it land, then take it back.
        txtAdditionalPaths.Tag(txtAdditionalPaths.Text());
        toolkit::Application::DoEvents();
        txtAdditionalPaths.Text(txtAdditionalPaths.Tag());
        toolkit::Application::DoEvents();
        PressButton(cmdOk.Dispatch().get());
        break;
    }
    default: break;
    }
}

void frmAdditionalPathsEditor::txtAdditionalPaths_KeyPress(int& keyAscii)
{
    if (!SuppressNextKeyPress) return;
    SuppressNextKeyPress = false;
    // Only the character Ctrl+A types goes: where the system types none, the
    // next real character must not be lost.
    if (keyAscii == 1) keyAscii = 0;
}

} // namespace vorlan
