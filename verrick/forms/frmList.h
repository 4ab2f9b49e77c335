#pragma once
// The simple list dialog: a list of texts in a small resizable tool window,
// the detail of the selected line (the text after its first tab) below it.
// Enter or Esc closes it.

#include <optional>
#include <string>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/list_box.h"

namespace verrick::forms {

class frmList final : public toolkit::Form {
public:
    frmList();

    toolkit::ListBox lstList;
    toolkit::Label lblTag;

    // The same font for the list and the label; the layout follows the list's new line height.
    void ListFont(const toolkit::FontSpec& font);

protected:
    void Form_Load() override;
    void Form_KeyDown(int& keyCode, int shift) override;
    void Form_Resize() override;

private:
    void lstList_Click();
};

// Builds a new dialog with the items, the caption (with the item count in
// brackets when asked) and the font, shows it modally and unloads it.
void ShowListDialog(const std::vector<std::wstring>& items, const std::wstring& caption, bool showCount,
                    const std::optional<toolkit::FontSpec>& font);

} // namespace verrick::forms
