// tlvMain: helpers for the client's forms and controls, reached only
// through IDispatch by the names of their published properties.

#include <olectl.h>

#include "support/com.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "toolkit/ole_objects.h"
#include "verrick/com/late_bound.h"
#include "verrick/frame/tlvMain.h"
#include "verrick/com/vb_values.h"

namespace verrick {
namespace {

using support::ComPtr;
using support::Variant;

constexpr long kVbModal = 1;
constexpr long kComboDropDownList = 2;
constexpr long kCustomMousePointer = 99;
constexpr long kCyrillicCharset = 204;

using support::IgnoringErrors;

// The object a by-reference argument holds, kept alive for the whole call:
// client code run meanwhile may empty the variable it came from.
ComPtr<IDispatch> Target(IDispatch** argument) noexcept
{
    return ComPtr<IDispatch>(argument ? *argument : nullptr);
}

// Element Index of a control array: array(Index).
ComPtr<IDispatch> ElementOf(IDispatch* controlArray, LONG index)
{
    return late::ObjectOf(*late::GetDefault(controlArray, {*Variant::Long(index)}));
}

struct Bounds {
    LONG lower, upper;
};

Bounds BoundsOf(IDispatch* controlArray)
{
    return {vb::ToLong(*late::Get(controlArray, L"LBound")), vb::ToLong(*late::Get(controlArray, L"UBound"))};
}

// Every element of a control array whose Value passes a test gets Enabled set; missing elements are skipped.
template <typename Test>
void SetEnabledWhere(IDispatch* controlArray, const Bounds& bounds, bool enabled, Test&& test)
{
    for (LONGLONG i = bounds.lower; i <= bounds.upper; ++i) {
        IgnoringErrors([&] {
            auto element = ElementOf(controlArray, static_cast<LONG>(i));
            if (test(*late::Get(element.get(), L"Value")))
                late::Put(element.get(), L"Enabled", *Variant::Bool(enabled));
        });
    }
}

void SetOptionGroupEnabled(IDispatch* controlArray, bool enabled)
{
    Bounds bounds{};
    bool known = false;
    IgnoringErrors([&] {
        bounds = BoundsOf(controlArray);
        known = true;
    });
    if (!known) return;
    auto selected = [](const VARIANT& value) { return vb::EqualsTrue(value); };
    auto unselected = [](const VARIANT& value) { return vb::EqualsFalse(value); };
    // Enabling starts with the selected button, disabling ends with it.
    if (enabled) {
        SetEnabledWhere(controlArray, bounds, true, selected);
        SetEnabledWhere(controlArray, bounds, true, unselected);
    } else {
        SetEnabledWhere(controlArray, bounds, false, unselected);
        SetEnabledWhere(controlArray, bounds, false, selected);
    }
}

bool IsA(IDispatch* object, std::wstring_view typeName)
{
    std::wstring name = late::TypeNameOf(object);
    return vb::SameText(name, typeName, true);
}

// A picture of its own made from a cursor; it stays valid after the cursor is destroyed.
ComPtr<IPictureDisp> PictureFromCursor(HCURSOR cursor)
{
    support::UniqueIcon copy(::CopyIcon(cursor));
    if (!copy) support::RaiseLastWin32(L"CopyIcon");
    return toolkit::PictureOfIcon(std::move(copy));
}

// The hand cursor of user32 (resource #114), or the system hand where user32 has none.
// Either is shared by the whole process and never destroyed: callers only borrow it.
HCURSOR LoadHandCursor()
{
    if (HCURSOR cursor = ::LoadCursorW(::GetModuleHandleW(L"User32"), MAKEINTRESOURCEW(114))) return cursor;
    return ::LoadCursorW(nullptr, IDC_HAND);
}

} // namespace

HRESULT tlvMain::ShowMSAboutBox(IDispatch** MSControlObject)
{
    return GuardMethod([&] {
        ComPtr<IDispatch> control = Target(MSControlObject);
        auto parent = [&] { return late::ObjectOf(*late::Get(control.get(), L"Parent")); };
        IgnoringErrors([&] { late::Put(parent().get(), L"Enabled", *Variant::Bool(false)); });
        IgnoringErrors([&] { late::Call(control.get(), L"AboutBox"); });
        IgnoringErrors([&] { late::Put(parent().get(), L"Enabled", *Variant::Bool(true)); });
        IgnoringErrors([&] { late::Call(parent().get(), L"SetFocus"); });
    });
}

HRESULT tlvMain::ShowModalForm(IDispatch** ParentForm, IDispatch** ChildForm)
{
    return GuardMethod([&] {
        ComPtr<IDispatch> parent = Target(ParentForm);
        ComPtr<IDispatch> child = Target(ChildForm);
        Variant oldLeft;
        bool haveLeft = false;
        IgnoringErrors([&] {
            oldLeft = late::Get(parent.get(), L"Left");
            haveLeft = true;
        });
        IgnoringErrors([&] {
            double width = vb::ToDouble(*late::Get(parent.get(), L"Width"));
            late::Put(parent.get(), L"Left", *Variant::Single(static_cast<float>(-width - 1000)));
        });
        IgnoringErrors([&] { late::Call(child.get(), L"Show", {*Variant::Long(kVbModal)}); });
        // Only a position that was read is put back: never move the form to 0 by mistake.
        if (haveLeft) IgnoringErrors([&] { late::Put(parent.get(), L"Left", *oldLeft); });
    });
}

HRESULT tlvMain::GetSelectedOptionButtonIndex(IDispatch** OptionButtonArray, LONG* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = -1;
        ComPtr<IDispatch> controlArray = Target(OptionButtonArray);
        Bounds bounds{};
        bool known = false;
        IgnoringErrors([&] {
            bounds = BoundsOf(controlArray.get());
            known = true;
        });
        if (!known) return;
        for (LONGLONG i = bounds.lower; i <= bounds.upper; ++i) {
            bool selected = false;
            IgnoringErrors([&] {
                auto element = ElementOf(controlArray.get(), static_cast<LONG>(i));
                selected = vb::EqualsTrue(*late::Get(element.get(), L"Value"));
            });
            if (selected) {
                *Result = static_cast<LONG>(i);
                return;
            }
        }
    });
}

HRESULT tlvMain::SetSelectedOptionButtonIndex(IDispatch** OptionButtonArray, LONG Index)
{
    return GuardMethod([&] {
        ComPtr<IDispatch> controlArray = Target(OptionButtonArray);
        try {
            late::Put(ElementOf(controlArray.get(), Index).get(), L"Value", *Variant::Bool(true));
        } catch (const support::RuntimeError&) {
            // No such element: the lowest one is selected instead.
            IgnoringErrors([&] {
                LONG lower = vb::ToLong(*late::Get(controlArray.get(), L"LBound"));
                late::Put(ElementOf(controlArray.get(), lower).get(), L"Value", *Variant::Bool(true));
            });
        }
    });
}

HRESULT tlvMain::EnableOptionButtonGroup(IDispatch** OptionButtonArray)
{
    return GuardMethod([&] { SetOptionGroupEnabled(Target(OptionButtonArray).get(), true); });
}

HRESULT tlvMain::DisableOptionButtonGroup(IDispatch** OptionButtonArray)
{
    return GuardMethod([&] { SetOptionGroupEnabled(Target(OptionButtonArray).get(), false); });
}

HRESULT tlvMain::PressButton(IDispatch** Button, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = VARIANT_FALSE;
        ComPtr<IDispatch> button = Target(Button);
        IgnoringErrors([&] {
            if (!button || !IsA(button.get(), L"CommandButton")) return;
            if (!vb::EqualsTrue(*late::Get(button.get(), L"Enabled"))) return;
            // Setting Value fires the click; a press that failed is not reported as done.
            late::Put(button.get(), L"Value", *Variant::Bool(true));
            *Result = VARIANT_TRUE;
        });
    });
}

HRESULT tlvMain::FixFonts(IDispatch** Frm)
{
    return GuardMethod([&] {
        ComPtr<IDispatch> form = Target(Frm);
        Variant controls;
        bool haveControls = false;
        IgnoringErrors([&] {
            controls = late::Get(form.get(), L"Controls");
            haveControls = true;
        });
        if (!haveControls) return;
        IgnoringErrors([&] {
            late::ForEach(*controls, [](const VARIANT& control) {
                ComPtr<IDispatch> font;
                IgnoringErrors(
                    [&] { font = late::ObjectOf(*late::Get(late::ObjectOf(control).get(), L"Font")); });
                if (!font) return;
                IgnoringErrors([&] { late::Put(font.get(), L"Name", *Variant::Text(L"Times New Roman")); });
                IgnoringErrors([&] { late::Put(font.get(), L"Size", *Variant::Double(10.5)); });
                IgnoringErrors([&] { late::Put(font.get(), L"Italic", *Variant::Bool(true)); });
                IgnoringErrors([&] { late::Put(font.get(), L"Bold", *Variant::Bool(false)); });
                IgnoringErrors([&] { late::Put(font.get(), L"Underline", *Variant::Bool(false)); });
                IgnoringErrors([&] { late::Put(font.get(), L"Strikethrough", *Variant::Bool(false)); });
                IgnoringErrors([&] { late::Put(font.get(), L"Charset", *Variant::Long(kCyrillicCharset)); });
            });
        });
    });
}

HRESULT tlvMain::FixCBCursors(IDispatch** Frm)
{
    return GuardMethod([&] {
        ComPtr<IDispatch> form = Target(Frm);
        // Any failure ends the operation quietly; the owners release what was made so far.
        IgnoringErrors([&] {
            HCURSOR cursor = LoadHandCursor();
            if (!cursor) return;
            ComPtr<IPictureDisp> picture = PictureFromCursor(cursor);
            Variant mouseIcon = Variant::Object(picture.get());
            Variant controls = late::Get(form.get(), L"Controls");
            late::ForEach(*controls, [&](const VARIANT& item) {
                ComPtr<IDispatch> control = late::ObjectOf(item);
                if (!IsA(control.get(), L"ComboBox")) return;
                if (vb::ToLong(*late::Get(control.get(), L"Style")) != kComboDropDownList) return;
                late::PutRef(control.get(), L"MouseIcon", *mouseIcon);
                late::Put(control.get(), L"MousePointer", *Variant::Long(kCustomMousePointer));
            });
        });
    });
}

} // namespace verrick
