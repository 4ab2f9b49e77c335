// The settings store against the registry of the test prefix: where it
// keeps a program's values, each kind there and back, defaults for what is
// missing or damaged, and window placements.

#include <doctest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "components/settings_store.h"

#include "support/handles.h"
#include "support/runtime_error.h"

using components::SettingsOwner;
using components::SettingsStore;
using support::Variant;

namespace {

const SettingsOwner kOwner{L"Tollever - Settings Store Test", L"settings_store_tests"};

HKEY OpenKey()
{
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, SettingsStore::KeyPath(L"", kOwner).c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

struct CleanKey {
    CleanKey() { Clear(); }
    ~CleanKey() { Clear(); }
    static void Clear()
    {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, (SettingsStore::KeyPath(L"", kOwner) + L"\\Section").c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, SettingsStore::KeyPath(L"", kOwner).c_str());
    }
};

void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    support::UniqueRegKey key(OpenKey());
    REQUIRE(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
            ERROR_SUCCESS);
}

DWORD StoredType(const wchar_t* name)
{
    support::UniqueRegKey key(OpenKey());
    DWORD type = REG_NONE;
    ::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, nullptr);
    return type;
}

Variant Short(SHORT number)
{
    Variant value;
    value.get()->vt = VT_I2;
    value.get()->iVal = number;
    return value;
}

long Number(SettingsStore& store, const wchar_t* key, const Variant& defaultValue)
{
    Variant value = store.ReadSetting(L"", key, components::skNumber, *defaultValue, kOwner);
    REQUIRE(value.vt() == VT_I4);
    return value.get()->lVal;
}

bool Flag(SettingsStore& store, const wchar_t* key, bool defaultValue)
{
    Variant value = store.ReadSetting(L"", key, components::skBoolean, *Variant::Bool(defaultValue), kOwner);
    REQUIRE(value.vt() == VT_BOOL);
    return value.get()->boolVal != VARIANT_FALSE;
}

std::wstring Text(SettingsStore& store, const wchar_t* key, const wchar_t* defaultValue)
{
    Variant value = store.ReadSetting(L"", key, components::skString, *Variant::Text(defaultValue), kOwner);
    REQUIRE(value.vt() == VT_BSTR);
    return std::wstring(support::BstrView(value.get()->bstrVal));
}

long RaisedNumber(auto&& call)
{
    try {
        call();
    } catch (const support::RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

} // namespace

TEST_CASE("SettingsStore::KeyFromTheApplication")
{
    CHECK(SettingsStore::KeyPath(L"", {L"Tollever - Vorlan", L"Vorlan"}) == L"Software\\Tollever\\Vorlan");
    CHECK(SettingsStore::KeyPath(L"Window", {L"Tollever - Vorlan", L"Vorlan"}) ==
          L"Software\\Tollever\\Vorlan\\Window");
    CHECK(SettingsStore::KeyPath(L"", {L"Vorlan", L"x"}) == L"Software\\Vorlan");
    CHECK(SettingsStore::KeyPath(L"", {L"", L"Vorlan"}) == L"Software\\Vorlan");
    // A title never reaches into keys of its own making.
    CHECK(SettingsStore::KeyPath(L"", {L"A\\B - C\\D", L"x"}) == L"Software\\A/B\\C/D");
    CHECK(RaisedNumber([] { SettingsStore::KeyPath(L"", {L"", L""}); }) == 5);
}

TEST_CASE("SettingsStore::EachKindThereAndBack")
{
    CleanKey clean;
    SettingsStore store;
    CHECK(store.WriteSetting(L"", L"Name", components::skString, *Variant::Text(L"Диск C:\r\nD:"), kOwner));
    CHECK(store.WriteSetting(L"", L"Empty", components::skString, *Variant::Text(L""), kOwner));
    CHECK(store.WriteSetting(L"", L"Count", components::skNumber, *Variant::Long(-70000), kOwner));
    CHECK(store.WriteSetting(L"", L"Small", components::skNumber, *Short(75), kOwner));
    CHECK(store.WriteSetting(L"", L"On", components::skBoolean, *Variant::Bool(true), kOwner));
    CHECK(store.WriteSetting(L"", L"Off", components::skBoolean, *Variant::Bool(false), kOwner));

    SettingsStore fresh;
    CHECK(Text(fresh, L"Name", L"-") == L"Диск C:\r\nD:");
    CHECK(Text(fresh, L"Empty", L"-") == L"");
    CHECK(Number(fresh, L"Count", Short(1)) == -70000);
    CHECK(Number(fresh, L"Small", Short(1)) == 75);
    CHECK(Flag(fresh, L"On", false));
    CHECK_FALSE(Flag(fresh, L"Off", true));
    CHECK(StoredType(L"Name") == REG_SZ);
    CHECK(StoredType(L"Count") == REG_DWORD);
    CHECK(StoredType(L"On") == REG_DWORD);

    // True is stored as the automation truth value, -1.
    support::UniqueRegKey key(OpenKey());
    DWORD stored = 0, size = sizeof stored;
    ::RegQueryValueExW(key.get(), L"On", nullptr, nullptr, reinterpret_cast<BYTE*>(&stored), &size);
    CHECK(stored == 0xFFFFFFFF);

    // Sections are keys of their own.
    CHECK(store.WriteSetting(L"Section", L"Name", components::skString, *Variant::Text(L"inner"), kOwner));
    CHECK(Text(fresh, L"Name", L"-") == L"Диск C:\r\nD:");
}

TEST_CASE("SettingsStore::MissingValuesReadAsTheDefaultInTheKindAskedFor")
{
    CleanKey clean;
    SettingsStore store;
    CHECK(Number(store, L"Transparency Percent", Short(75)) == 75);
    CHECK(Number(store, L"Show Percent", Variant::Bool(false)) == 0);
    CHECK_FALSE(Flag(store, L"Topmost", false));
    CHECK(Text(store, L"Additional Paths", L"") == L"");
    // A default that is no number is the caller's mistake.
    CHECK(RaisedNumber([&] { Number(store, L"x", Variant::Text(L"abc")); }) == 13);
    CHECK(RaisedNumber([&] { store.ReadSetting(L"", L"x", 2, *Variant::Long(0), kOwner); }) == 5);
}

TEST_CASE("SettingsStore::ValuesOfAnotherTypeReadAsTheDefault")
{
    CleanKey clean;
    SettingsStore store;
    const wchar_t abc[] = L"abc", five[] = L"5";
    const BYTE bytes[] = {1, 0, 0, 0};
    const WORD shortNumber = 1;
    const ULONGLONG wide = 1;
    const DWORD one = 1;
    StoreRaw(L"Text for a number", REG_SZ, abc, sizeof abc);
    StoreRaw(L"Digits for a number", REG_SZ, five, sizeof five);
    StoreRaw(L"Binary for a flag", REG_BINARY, bytes, sizeof bytes);
    StoreRaw(L"Short number", REG_DWORD, &shortNumber, sizeof shortNumber);
    StoreRaw(L"Wide number", REG_QWORD, &wide, sizeof wide);
    StoreRaw(L"Number for a text", REG_DWORD, &one, sizeof one);
    StoreRaw(L"Expandable text", REG_EXPAND_SZ, abc, sizeof abc);

    CHECK(Number(store, L"Text for a number", Short(75)) == 75);
    CHECK(Number(store, L"Digits for a number", Short(75)) == 75);
    CHECK(Flag(store, L"Binary for a flag", false) == false);
    CHECK(Number(store, L"Short number", Short(2500)) == 2500);
    CHECK(Number(store, L"Wide number", Short(2500)) == 2500);
    CHECK(Text(store, L"Number for a text", L"default") == L"default");
    CHECK(Text(store, L"Expandable text", L"default") == L"default");

    // Text written by hand without its terminator still reads.
    StoreRaw(L"Unterminated", REG_SZ, abc, 3 * sizeof(wchar_t));
    CHECK(Text(store, L"Unterminated", L"default") == L"abc");
}

namespace {

HWND MakeWindow(DWORD style, DWORD exStyle)
{
    return ::CreateWindowExW(exStyle, L"STATIC", L"placed", style, 50, 60, 300, 200, nullptr, nullptr,
                             nullptr, nullptr);
}

RECT RectOf(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

RECT WorkArea()
{
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

void StorePlacement(RECT place)
{
    StoreRaw(L"Placement", REG_BINARY, &place, sizeof place);
}

} // namespace

TEST_CASE("SettingsStore::WindowPlacement")
{
    CleanKey clean;
    SettingsStore store;
    support::UniqueWindow fixed(
        MakeWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, WS_EX_TOOLWINDOW));
    support::UniqueWindow sizable(MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0));

    CHECK_FALSE(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
    CHECK(RectOf(fixed.get()).left == 50);

    SUBCASE("there and back")
    {
        ::SetWindowPos(fixed.get(), nullptr, 120, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CHECK(store.SaveWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        ::SetWindowPos(fixed.get(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CHECK(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        RECT place = RectOf(fixed.get());
        CHECK(place.left == 120);
        CHECK(place.top == 140);
        CHECK(place.right - place.left == 300);
    }
    SUBCASE("a minimised window stores where it stands when restored")
    {
        ::SetWindowPos(sizable.get(), nullptr, 130, 110, 320, 210, SWP_NOZORDER);
        ::ShowWindow(sizable.get(), SW_MINIMIZE);
        CHECK(store.SaveWindowPlacement(L"", L"Placement", sizable.get(), kOwner));
        ::ShowWindow(sizable.get(), SW_RESTORE);
        ::SetWindowPos(sizable.get(), nullptr, 0, 0, 100, 100, SWP_NOZORDER);
        CHECK(store.LoadWindowPlacement(L"", L"Placement", sizable.get(), kOwner));
        RECT place = RectOf(sizable.get());
        CHECK(place.left == 130);
        CHECK(place.top == 110);
        CHECK(place.right - place.left == 320);
    }
    SUBCASE("only a sizable window takes the stored size")
    {
        StorePlacement({200, 100, 700, 500});
        CHECK(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        CHECK(store.LoadWindowPlacement(L"", L"Placement", sizable.get(), kOwner));
        RECT a = RectOf(fixed.get()), b = RectOf(sizable.get());
        CHECK(a.left == 200);
        CHECK(a.right - a.left == 300);
        CHECK(a.bottom - a.top == 200);
        CHECK(b.left == 200);
        CHECK(b.right - b.left == 500);
        CHECK(b.bottom - b.top == 400);
    }
    SUBCASE("a place off every monitor comes back onto the work area")
    {
        RECT area = WorkArea();
        StorePlacement({5000, -3000, 5300, -2800});
        CHECK(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        RECT place = RectOf(fixed.get());
        CHECK(place.right == area.right);
        CHECK(place.top == area.top);

        StorePlacement({area.left - 100, area.bottom - 50, area.left + 200, area.bottom + 150});
        CHECK(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        place = RectOf(fixed.get());
        CHECK(place.left == area.left);
        CHECK(place.bottom == area.bottom);

        // Larger than the work area: the top left corner stays reachable.
        StorePlacement({-500, -500, area.right + 500, area.bottom + 500});
        CHECK(store.LoadWindowPlacement(L"", L"Placement", sizable.get(), kOwner));
        place = RectOf(sizable.get());
        CHECK(place.left == area.left);
        CHECK(place.top == area.top);
    }
    SUBCASE("a damaged placement restores nothing")
    {
        const BYTE shortBlock[] = {1, 2, 3, 4};
        StoreRaw(L"Placement", REG_BINARY, shortBlock, sizeof shortBlock);
        CHECK_FALSE(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        StorePlacement({300, 300, 100, 100});
        CHECK_FALSE(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        const wchar_t text[] = L"10,10,300,100";
        StoreRaw(L"Placement", REG_SZ, text, sizeof text);
        CHECK_FALSE(store.LoadWindowPlacement(L"", L"Placement", fixed.get(), kOwner));
        CHECK(RectOf(fixed.get()).left == 50);

        // Edges no desktop has, where the size or the move onto the work area overflows.
        const RECT huge[] = {{LONG_MAX - 100, 0, LONG_MAX, 100},
                             {LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX},
                             {0, LONG_MIN + 10, 300, LONG_MIN + 200}};
        const RECT area = WorkArea();
        for (const RECT& place : huge)
            for (HWND window : {fixed.get(), sizable.get()}) {
                StorePlacement(place);
                const RECT before = RectOf(window);
                const bool restored = store.LoadWindowPlacement(L"", L"Placement", window, kOwner);
                const RECT after = RectOf(window);
                CAPTURE(place.left);
                CAPTURE(place.top);
                CAPTURE(after.left);
                CAPTURE(after.top);
                if (!restored) {
                    CHECK(std::memcmp(&before, &after, sizeof before) == 0);
                } else {
                    CHECK(after.right > after.left);
                    CHECK(after.bottom > after.top);
                    CHECK(after.left >= area.left);
                    CHECK(after.left < area.right);
                    CHECK(after.top >= area.top);
                    CHECK(after.top < area.bottom);
                }
            }
    }
}
