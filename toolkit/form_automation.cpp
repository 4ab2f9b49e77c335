#include "toolkit/form.h"

#include "toolkit/control.h"

#include "support/runtime_error.h"
#include "support/values.h"

// The late-bound members of forms, control arrays and a form's control collection.

namespace toolkit {
namespace {

using automation::Call;
using automation::Members;
using automation::ToBool;
using automation::ToDouble;
using automation::ToLong;
using support::SameName;
using support::Variant;

} // namespace

const automation::ClassInfo& Form::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Form");
        Members<Form>(made)
            .Property(L"Name", [](Form& f) { return Variant::Text(f.Name()); })
            .Property(
                L"Left",
                [](Form& f) { return Variant::Single(static_cast<float>(f.IsLoaded() ? f.Left() : 0)); },
                [](Form& f, const VARIANT& v) { f.Left(ToDouble(v)); })
            .Property(
                L"Top",
                [](Form& f) { return Variant::Single(static_cast<float>(f.IsLoaded() ? f.Top() : 0)); },
                [](Form& f, const VARIANT& v) { f.Top(ToDouble(v)); })
            .Property(
                L"Width",
                [](Form& f) { return Variant::Single(static_cast<float>(f.IsLoaded() ? f.Width() : 0)); },
                [](Form& f, const VARIANT& v) { f.Width(ToDouble(v)); })
            .Property(
                L"Height",
                [](Form& f) { return Variant::Single(static_cast<float>(f.IsLoaded() ? f.Height() : 0)); },
                [](Form& f, const VARIANT& v) { f.Height(ToDouble(v)); })
            .Method(L"Move",
                    [](Form& f, const Call& call) {
                        f.Load();
                        auto or_ = [&](size_t i, double now) {
                            const VARIANT* v = call.Optional(i);
                            return v ? ToDouble(*v) : now;
                        };
                        f.Move(ToDouble(call.Required(0)), or_(1, f.Top()), or_(2, f.Width()),
                               or_(3, f.Height()));
                        return Variant();
                    })
            .Property(L"ScaleWidth",
                      [](Form& f) { return Variant::Single(static_cast<float>(f.ScaleWidth())); })
            .Property(L"ScaleHeight",
                      [](Form& f) { return Variant::Single(static_cast<float>(f.ScaleHeight())); })
            .Method(L"Show",
                    [](Form& f, const Call& call) {
                        const VARIANT* style = call.Optional(0);
                        const VARIANT* ownerArgument = call.Optional(1);
                        Form* owner = nullptr;
                        if (ownerArgument) {
                            auto object = automation::ToObject(*ownerArgument);
                            owner = dynamic_cast<Form*>(Automatable::FromDispatch(object.get()));
                            if (object && !owner) support::Raise(support::err::TypeMismatch);
                        }
                        f.Show(style ? ToLong(*style) : static_cast<LONG>(vbModeless), owner);
                        return Variant();
                    })
            .Method(L"Hide",
                    [](Form& f, const Call&) {
                        f.Hide();
                        return Variant();
                    })
            .Method(L"Controls",
                    [](Form& f, const Call& call) {
                        auto controls = f.controlCollection_.Dispatch();
                        if (call.arguments.empty()) return Variant::Object(controls.get());
                        // Controls(i): the collection's item.
                        bool isMethod = false;
                        const automation::Handler* item =
                            f.controlCollection_.AutomationClass().HandlerOf(DISPID_VALUE, isMethod);
                        return (*item)(f.controlCollection_, call);
                    })
            .Property(L"Count", [](Form& f) { return Variant::Long(static_cast<LONG>(f.Controls().size())); })
            .Property(
                L"Font",
                [](Form& f) {
                    Form* self = &f;
                    auto font = f.oleFont_.Get(f.Font(), [self](const FontSpec& wanted) {
                        self->font_ = wanted;
                        self->fontHandle_ = MakeFont(wanted);
                    });
                    return Variant::Object(font.get());
                },
                [](Form& f, const VARIANT& v) {
                    f.Font(automation::OleFontLink::SpecOf(automation::ToObject(v).get()));
                })
            .Property(
                L"Caption", [](Form& f) { return Variant::Text(f.Caption()); },
                [](Form& f, const VARIANT& v) { f.Caption(automation::ToText(v)); })
            .Property(
                L"Visible", [](Form& f) { return Variant::Bool(f.Visible()); },
                [](Form& f, const VARIANT& v) {
                    if (ToBool(v))
                        f.Show();
                    else
                        f.Hide();
                })
            .Property(
                L"Enabled", [](Form& f) { return Variant::Bool(f.Enabled()); },
                [](Form& f, const VARIANT& v) { f.Enabled(ToBool(v)); })
            .Property(L"hWnd",
                      [](Form& f) {
                          f.Load();
                          // A Long holds a window handle in both widths: USER handles
                          // are 32-bit significant on 64-bit Windows too.
                          return Variant::Long(HandleToLong(f.hWnd()));
                      })
            .Property(
                L"MousePointer", [](Form& f) { return Variant::Long(f.MousePointer()); },
                [](Form& f, const VARIANT& v) { f.MousePointer(ToLong(v)); })
            .Property(
                L"KeyPreview", [](Form& f) { return Variant::Bool(f.KeyPreview()); },
                [](Form& f, const VARIANT& v) { f.KeyPreview(ToBool(v)); })
            .Method(L"SetFocus",
                    [](Form& f, const Call&) {
                        f.SetFocus();
                        return Variant();
                    })
            .Method(L"ZOrder",
                    [](Form& f, const Call& call) {
                        const VARIANT* position = call.Optional(0);
                        f.ZOrder(position ? ToLong(*position) : 0);
                        return Variant();
                    })
            .Method(L"Refresh", [](Form& f, const Call&) {
                f.Refresh();
                return Variant();
            });
        return made;
    }();
    return info;
}

support::ComPtr<IDispatch> Form::NamedChild(std::wstring_view name)
{
    for (ControlArrayBase* array : arrays_)
        if (SameName(array->ArrayName(), name)) return array->Dispatch();
    for (Control* control : controls_)
        if (control->Index() < 0 && SameName(control->Name(), name)) return control->Dispatch();
    return {};
}

const automation::ClassInfo& ControlArrayBase::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Object");
        Members<ControlArrayBase>(made)
            .Property(
                L"Count",
                [](ControlArrayBase& a) { return Variant::Long(static_cast<LONG>(a.Elements().size())); })
            .Property(L"LBound",
                      [](ControlArrayBase& a) { return Variant::Long(a.Elements().front()->Index()); })
            .Property(L"UBound",
                      [](ControlArrayBase& a) { return Variant::Long(a.Elements().back()->Index()); })
            .Method(L"Item",
                    [](ControlArrayBase& a, const Call& call) {
                        return Variant::Object(a.Element(ToLong(call.Required(0))).Dispatch().get());
                    })
            .Method(L"_NewEnum", [](ControlArrayBase& a, const Call&) {
                std::vector<Variant> items;
                for (Control* element : a.Elements())
                    items.push_back(Variant::Object(element->Dispatch().get()));
                return automation::Enumerator(std::move(items));
            });
        made.Default(L"Item");
        return made;
    }();
    return info;
}

const automation::ClassInfo& ControlCollection::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Object");
        Members<ControlCollection>(made)
            .Property(L"Count",
                      [](ControlCollection& c) {
                          return Variant::Long(static_cast<LONG>(c.form_.Controls().size()));
                      })
            .Method(L"Item",
                    [](ControlCollection& c, const Call& call) {
                        const VARIANT& key = call.Required(0);
                        const auto& controls = c.form_.Controls();
                        if (key.vt == VT_BSTR) {
                            for (Control* control : controls)
                                if (SameName(control->Name(), support::BstrView(key.bstrVal)))
                                    return Variant::Object(control->Dispatch().get());
                            support::Raise(support::err::ControlNotFound,
                                           L"Control '" + std::wstring(support::BstrView(key.bstrVal)) +
                                               L"' not found");
                        }
                        LONG index = ToLong(key);
                        if (index < 0 || static_cast<size_t>(index) >= controls.size())
                            support::Raise(support::err::SubscriptOutOfRange);
                        return Variant::Object(controls[static_cast<size_t>(index)]->Dispatch().get());
                    })
            .Method(L"_NewEnum", [](ControlCollection& c, const Call&) {
                std::vector<Variant> items;
                for (Control* control : c.form_.Controls())
                    items.push_back(Variant::Object(control->Dispatch().get()));
                return automation::Enumerator(std::move(items));
            });
        made.Default(L"Item");
        return made;
    }();
    return info;
}

} // namespace toolkit
