// tlvMain's form helpers on real toolkit forms: the helpers reach them only
// late-bound, by name, as they reach a client program's own forms.
#include <doctest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "server.h"
#include "support/handles.h"
#include "toolkit/combo_box.h"
#include "toolkit/command_button.h"
#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/option_button.h"
#include "toolkit/shape.h"
#include "toolkit/text_box.h"
#include "toolkit/timer.h"

using namespace verrick_test;

namespace {

// What a helper is given: a by-reference object argument.
struct ObjectArgument {
    explicit ObjectArgument(toolkit::Automatable& object)
        : dispatch(object.Dispatch()), pointer(dispatch.get())
    {}
    ComPtr<IDispatch> dispatch;
    IDispatch* pointer;
    IDispatch** operator&() { return &pointer; }
};

class ParentForm : public toolkit::Form {
public:
    ParentForm() : Form(L"frmParent")
    {
        cmdOk.Click = [this] { ++okClicks; };
        cboPath.Move(0, 500, 2400, 315);
        cboMode.Style(toolkit::vbComboDropdownList);
        cboMode.Move(0, 1000, 2400, 315);
        optGroup(0).Value(true);
        optGroup.Load(2).Visible(true);
        optGroup.Load(3).Visible(true);
    }
    ~ParentForm() override { Unload(); }

    toolkit::Label lblTitle{*this, L"lblTitle"};
    toolkit::TextBox txtPaths{*this, L"txtPaths"};
    toolkit::CommandButton cmdOk{*this, L"cmdOk"};
    toolkit::OptionButton optSingle{*this, L"optSingle"};
    toolkit::ControlArray<toolkit::OptionButton> optGroup{*this, L"optGroup"};
    toolkit::ComboBox cboPath{*this, L"cboPath"};
    toolkit::ComboBox cboMode{*this, L"cboMode"};
    toolkit::Shape shpBack{*this, L"shpBack"};
    toolkit::Timer tmrIdle{*this, L"tmrIdle"};
    int okClicks = 0;
};

// Redirects one function that a loaded module imports, for the patch's life:
// the test sees what the module asks of the system.
class ImportPatch {
public:
    ImportPatch(HMODULE module, const char* library, const char* function, const void* replacement)
    {
        auto* base = reinterpret_cast<BYTE*>(module);
        auto* headers =
            reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name; ++entry) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
            auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; name->u1.AddressOfData; ++name, ++slot) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
                auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
                slot_ = reinterpret_cast<ULONG_PTR*>(&slot->u1.Function);
                original_ = *slot_;
                Write(reinterpret_cast<ULONG_PTR>(replacement));
                return;
            }
        }
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch()
    {
        if (slot_) Write(original_);
    }
    explicit operator bool() const noexcept { return slot_ != nullptr; }

private:
    void Write(ULONG_PTR value)
    {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = value;
        ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }
    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

// The cursors the server was given by LoadCursorW, and those it destroyed.
std::vector<HCURSOR> cursorsLoaded, cursorsDestroyed;

HCURSOR WINAPI RecordLoadCursor(HINSTANCE module, LPCWSTR name)
{
    HCURSOR cursor = ::LoadCursorW(module, name);
    // Where user32 has no hand of its own (Wine's), hand out the system's, as Windows' user32 would.
    if (!cursor && module && IS_INTRESOURCE(name)) cursor = ::LoadCursorW(nullptr, IDC_HAND);
    if (cursor) cursorsLoaded.push_back(cursor);
    return cursor;
}

BOOL WINAPI RecordDestroyCursor(HCURSOR cursor)
{
    cursorsDestroyed.push_back(cursor);
    return ::DestroyCursor(cursor);
}

BOOL WINAPI RecordDestroyIcon(HICON icon)
{
    cursorsDestroyed.push_back(icon);
    return ::DestroyIcon(icon);
}

// Shown modally, it notes where its parent is and hides itself.
class ChildForm : public toolkit::Form {
public:
    explicit ChildForm(toolkit::Form& parent) : Form(L"frmChild"), parent_(parent)
    {
        tmrHide.Interval(30);
        tmrHide.OnTimer = [this] {
            tmrHide.Enabled(false);
            parentLeftWhileShown = parent_.Left();
            parentEnabledWhileShown = ::IsWindowEnabled(parent_.hWnd()) != FALSE;
            Hide();
        };
    }
    ~ChildForm() override { Unload(); }

    toolkit::Timer tmrHide{*this, L"tmrHide"};
    double parentLeftWhileShown = 0;
    bool parentEnabledWhileShown = true;

private:
    toolkit::Form& parent_;
};

LOGFONTW WindowFont(HWND window)
{
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The face the system gives for a font asked for by name, in the Cyrillic set.
std::wstring FaceGivenFor(const wchar_t* name)
{
    LOGFONTW asked{};
    asked.lfHeight = -14;
    asked.lfCharSet = RUSSIAN_CHARSET;
    std::wcsncpy(asked.lfFaceName, name, LF_FACESIZE - 1);
    support::UniqueFont font(::CreateFontIndirectW(&asked));
    REQUIRE(font);
    support::WindowDC dc(nullptr);
    support::SelectedObject selected(dc.get(), font.get());
    wchar_t face[LF_FACESIZE] = {};
    REQUIRE(::GetTextFaceW(dc.get(), LF_FACESIZE, face) > 0);
    return face;
}

} // namespace

TEST_CASE("tlvMainForms::ShowModalFormRestoresTheExactLeft")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    ParentForm parent;
    parent.Show();
    parent.Move(1234.5, 600, 4800, 3600);
    ChildForm child(parent);
    ObjectArgument parentArgument(parent), childArgument(child);

    HRESULT hr = tlv->ShowModalForm(&parentArgument, &childArgument);
    CHECK(hr == S_OK);
    // While the child was up the parent stood just off the left edge, still enabled only for its owner's
    // loop.
    CHECK(child.parentLeftWhileShown == -parent.Width() - 1000);
    CHECK_FALSE(child.parentEnabledWhileShown);
    CHECK_FALSE(child.Visible());
    CHECK(parent.Left() == 1234.5);
    Outcome left = CallByName(parentArgument.pointer, L"Left", {});
    REQUIRE(left.hr == S_OK);
    CHECK(left.result.vt() == VT_R4);
    CHECK(left.result.get()->fltVal == 1234.5f);
    CHECK(::IsWindowEnabled(parent.hWnd()));
}

TEST_CASE("tlvMainForms::PressButtonClicksOnlyAnEnabledCommandButton")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    ParentForm form;
    form.Show();
    VARIANT_BOOL pressed = VARIANT_FALSE;

    ObjectArgument button(form.cmdOk);
    REQUIRE(tlv->PressButton(&button, &pressed) == S_OK);
    CHECK(pressed == VARIANT_TRUE);
    CHECK(form.okClicks == 1);

    form.cmdOk.Enabled(false);
    REQUIRE(tlv->PressButton(&button, &pressed) == S_OK);
    CHECK(pressed == VARIANT_FALSE);
    CHECK(form.okClicks == 1);

    ObjectArgument option(form.optSingle);
    REQUIRE(tlv->PressButton(&option, &pressed) == S_OK);
    CHECK(pressed == VARIANT_FALSE);
    CHECK_FALSE(form.optSingle.Value());

    IDispatch* nothing = nullptr;
    REQUIRE(tlv->PressButton(&nothing, &pressed) == S_OK);
    CHECK(pressed == VARIANT_FALSE);
}

TEST_CASE("tlvMainForms::OptionGroupWithAGap")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    ParentForm form;
    form.Show();
    ObjectArgument group(form.optGroup);
    LONG selected = 0;

    form.optGroup(3).Value(true);
    REQUIRE(tlv->GetSelectedOptionButtonIndex(&group, &selected) == S_OK);
    CHECK(selected == 3);
    // optSingle is in the same form, so selecting it clears the array.
    form.optSingle.Value(true);
    REQUIRE(tlv->GetSelectedOptionButtonIndex(&group, &selected) == S_OK);
    CHECK(selected == -1);

    REQUIRE(tlv->SetSelectedOptionButtonIndex(&group, 2) == S_OK);
    CHECK(form.optGroup(2).Value());
    CHECK_FALSE(form.optSingle.Value());
    // Index 1 is the gap: the lowest element is selected instead.
    REQUIRE(tlv->SetSelectedOptionButtonIndex(&group, 1) == S_OK);
    CHECK(form.optGroup(0).Value());
    CHECK_FALSE(form.optGroup(2).Value());

    REQUIRE(tlv->DisableOptionButtonGroup(&group) == S_OK);
    for (int i : {0, 2, 3}) {
        CAPTURE(i);
        CHECK_FALSE(form.optGroup(i).Enabled());
        CHECK_FALSE(::IsWindowEnabled(form.optGroup(i).hWnd()));
    }
    CHECK(form.optSingle.Enabled());
    REQUIRE(tlv->EnableOptionButtonGroup(&group) == S_OK);
    for (int i : {0, 2, 3})
        CHECK(::IsWindowEnabled(form.optGroup(i).hWnd()));
    // Disabling leaves the selection where it was.
    CHECK(form.optGroup(0).Value());
}

TEST_CASE("tlvMainForms::FixFontsChangesEveryControlFont")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    ParentForm form;
    form.Show();
    toolkit::FontSpec formFont = form.Font();
    ObjectArgument argument(form);
    REQUIRE(tlv->FixFonts(&argument) == S_OK);
    const std::wstring face = FaceGivenFor(L"Times New Roman");

    for (toolkit::WindowedControl* control : std::initializer_list<toolkit::WindowedControl*>{
             &form.lblTitle, &form.txtPaths, &form.cmdOk, &form.optGroup(2), &form.cboMode}) {
        CAPTURE(control->Name());
        toolkit::FontSpec font = control->Font();
        CHECK(font.Size == 10.5);
        CHECK(font.Italic);
        CHECK_FALSE(font.Bold);
        CHECK_FALSE(font.Underline);
        CHECK_FALSE(font.Strikethrough);
        CHECK(font.Charset == 204);
        // The name is the face the system gives for Times New Roman, and the font object says so too.
        CHECK(font.Name == face);
        Outcome fontObject = CallByName(control->Dispatch().get(), L"Font", {});
        REQUIRE(fontObject.result.vt() == VT_DISPATCH);
        Outcome name = CallByName(fontObject.result.get()->pdispVal, L"Name", {});
        CHECK(std::wstring(support::BstrView(name.result.get()->bstrVal)) == face);
        if (control == &form.lblTitle) continue;
        LOGFONTW shown = WindowFont(control->hWnd());
        CHECK(shown.lfItalic);
        CHECK(shown.lfCharSet == 204);
        CHECK(std::wstring(shown.lfFaceName) == face);
    }
    CHECK(form.Font() == formFont);
}

TEST_CASE("tlvMainForms::FormHelpersOverControlsThatAreNoObjects")
{
    // A client's form whose Controls is an array of records: nothing to change, nothing read from them.
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    ComPtr<FakeControl> form = FakeControl::Make(L"Form");
    form->Property(L"Controls") = ArrayVariant(VT_RECORD, RecordArray(2));
    REQUIRE(form->Property(L"Controls").get()->parray);
    IDispatch* pointer = form.get();
    CHECK(tlv->FixFonts(&pointer) == S_OK);
    CHECK(tlv->FixCBCursors(&pointer) == S_OK);
    CHECK(form->Log().empty());
}

TEST_CASE("tlvMainForms::FixCBCursorsGivesDropDownListsAHand")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    ParentForm form;
    form.Show();
    ObjectArgument argument(form);
    REQUIRE(tlv->FixCBCursors(&argument) == S_OK);

    CHECK(form.cboMode.MousePointer() == toolkit::vbCustom);
    REQUIRE(form.cboMode.MouseIcon());
    CHECK(form.cboPath.MousePointer() == toolkit::vbDefault);
    CHECK_FALSE(form.cboPath.MouseIcon());
    CHECK(form.txtPaths.MousePointer() == toolkit::vbDefault);

    // Over the list the hand shows.
    HCURSOR hand = toolkit::automation::CursorOf(form.cboMode.MouseIcon().get());
    REQUIRE(hand);
    ::SetCursor(nullptr);
    HWND box = form.cboMode.hWnd();
    ::SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    CHECK(::GetCursor() == hand);
}

TEST_CASE("tlvMainForms::FixCBCursorsLeavesTheSharedCursorsAlone")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    ParentForm form;
    form.Show();
    cursorsLoaded.clear();
    cursorsDestroyed.clear();
    {
        ImportPatch load(Server(), "user32.dll", "LoadCursorW",
                         reinterpret_cast<const void*>(RecordLoadCursor));
        // Either destroys a cursor (where the server imports them at all).
        ImportPatch destroyCursor(Server(), "user32.dll", "DestroyCursor",
                                  reinterpret_cast<const void*>(RecordDestroyCursor));
        ImportPatch destroyIcon(Server(), "user32.dll", "DestroyIcon",
                                reinterpret_cast<const void*>(RecordDestroyIcon));
        REQUIRE(load);
        ObjectArgument argument(form);
        REQUIRE(tlv->FixCBCursors(&argument) == S_OK);
    }
    REQUIRE_FALSE(cursorsLoaded.empty());
    // A cursor from LoadCursorW belongs to the system: whoever destroys it breaks it for everyone.
    for (HCURSOR shared : cursorsLoaded) {
        CAPTURE(shared);
        CHECK(std::count(cursorsDestroyed.begin(), cursorsDestroyed.end(), shared) == 0);
    }
    REQUIRE(form.cboMode.MouseIcon());
    CHECK(toolkit::automation::CursorOf(form.cboMode.MouseIcon().get()) != nullptr);
}

namespace {

// What was seen while the library's timed box showed beside a hidden form of this program.
struct BesideBox {
    HWND hiddenForm = nullptr;
    HWND box = nullptr;
    bool boxTakenHere = true;
    bool hiddenFormEnabled = false;
};
BesideBox g_beside;

BOOL CALLBACK FindShownToolkitForm(HWND window, LPARAM)
{
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (wcscmp(className, L"ToolkitForm") != 0 || !::IsWindowVisible(window)) return TRUE;
    g_beside.box = window;
    return FALSE;
}

void CALLBACK LookAtBoxAndClose(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), FindShownToolkitForm, 0);
    if (!g_beside.box) return;
    g_beside.boxTakenHere = toolkit::WindowObject::FromHandle(g_beside.box) != nullptr;
    g_beside.hiddenFormEnabled = ::IsWindowEnabled(g_beside.hiddenForm) != FALSE;
    ::PostMessageW(g_beside.box, WM_CLOSE, 0, 0);
}

} // namespace

TEST_CASE("tlvMainForms::EachCopyOfTheToolkitKnowsOnlyItsOwnWindows")
{
    // This program's copy of the toolkit and the library's make windows of the same class names. The
    // library's box is no window of this copy; this program's hidden form is none of the library's (its
    // modal box disables the hidden forms of its own, which could show meanwhile).
    Com com;
    auto err = Create<_tlvErr>(CLSID_tlvErr);
    REQUIRE(err);
    ParentForm hidden;
    hidden.Load();
    REQUIRE(toolkit::WindowObject::FromHandle(hidden.hWnd()) == &hidden);
    g_beside = {};
    g_beside.hiddenForm = hidden.hWnd();
    Bstr text(L"Beside another copy");
    Variant title = Variant::Text(L"Title");
    long result = -1;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, LookAtBoxAndClose);
    CHECK(err->ShowErrorBox(text.get(), 0, *title.get(), -1, -1, 60, &result) == S_OK);
    ::KillTimer(nullptr, timer);
    REQUIRE(g_beside.box);
    CHECK_FALSE(g_beside.boxTakenHere);
    CHECK(g_beside.hiddenFormEnabled);
}
