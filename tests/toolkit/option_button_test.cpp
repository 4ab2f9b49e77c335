#include <doctest.h>

#include <string>

#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/option_button.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

class ChoiceForm : public Form {
public:
    ChoiceForm() : Form(L"frmChoice")
    {
        optSize(0).Caption(L"Занято");
        optSize(0).Value(true);
        optFree.Move(0, 800, 1200, 300);
        optFree.Click = [this] { log += L"free;"; };
    }
    ~ChoiceForm() override { Unload(); }

    ControlArray<OptionButton> optSize{*this, L"optSize"};
    OptionButton optFree{*this, L"optFree"};
    std::wstring log;
};

bool Checked(const OptionButton& button)
{
    return ::SendMessageW(button.hWnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace

TEST_CASE("OptionButton::OneSelectedPerForm")
{
    ChoiceForm form;
    form.optSize.Load(2).Visible(true);
    form.optSize.Load(3).Visible(true);
    for (int i : {0, 2, 3})
        form.optSize(i).Click = [&form, i] { form.log += std::to_wstring(i) + L";"; };
    form.Show();
    CHECK(Checked(form.optSize(0)));

    form.optSize(3).Value(true);
    CHECK(form.optSize(3).Value());
    CHECK(Checked(form.optSize(3)));
    CHECK_FALSE(form.optSize(0).Value());
    CHECK_FALSE(Checked(form.optSize(0)));

    // Selecting the selected one again raises no Click.
    form.optSize(3).Value(true);
    CHECK(form.log == L"3;");

    // A click of the window selects too, across the array and the single button.
    ::SendMessageW(form.optFree.hWnd(), BM_CLICK, 0, 0);
    PumpMessages();
    CHECK(form.optFree.Value());
    CHECK_FALSE(form.optSize(3).Value());
    CHECK(form.log == L"3;free;");

    form.optFree.Value(false);
    CHECK_FALSE(Checked(form.optFree));
    CHECK(form.log == L"3;free;");
}

TEST_CASE("OptionButton::ValueSurvivesReload")
{
    ChoiceForm form;
    form.Show();
    form.optFree.Value(true);
    form.Unload();
    form.Show();
    CHECK(Checked(form.optFree));
    CHECK_FALSE(Checked(form.optSize(0)));
}
