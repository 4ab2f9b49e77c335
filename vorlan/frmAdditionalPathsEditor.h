#pragma once
// The additional paths editor: the list as plain text, one path per line, in
// a small modal window. It only hides itself; its owner reads Ok and the text,
// then unloads it.

#include "toolkit/command_button.h"
#include "toolkit/form.h"
#include "toolkit/shape.h"
#include "toolkit/text_box.h"

namespace vorlan {

class frmAdditionalPathsEditor : public toolkit::Form {
public:
    frmAdditionalPathsEditor();

    // True when the window was closed with OK.
    bool Ok = false;

    toolkit::Shape shpBack;
    toolkit::TextBox txtAdditionalPaths;
    toolkit::CommandButton cmdOk;
    toolkit::CommandButton cmdCancel;

protected:
    void Form_Load() override;
    void Form_Paint() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;

private:
    void cmdOk_Click();
    void cmdCancel_Click();
    void txtAdditionalPaths_KeyDown(int& keyCode, int shift);
    void txtAdditionalPaths_KeyPress(int& keyAscii);

    bool SuppressNextKeyPress = false;
};

} // namespace vorlan
