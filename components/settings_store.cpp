#include "components/settings_store.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "support/handles.h"
#include "support/runtime_error.h"

namespace components {
namespace {

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

std::optional<StoredValue> QueryValue(const std::wstring& path, const std::wstring& name)
{
    support::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    for (;;) {
        // One spare byte keeps data() valid for an empty value.
        value.data.resize(size + 1);
        LONG result =
            ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, value.data.data(), &size);
        if (result == ERROR_MORE_DATA) continue; // it grew in between
        if (result != ERROR_SUCCESS) return std::nullopt;
        value.data.resize(size);
        return value;
    }
}

bool SetValue(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    support::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

VARTYPE TypeOfKind(int kind)
{
    switch (kind) {
    case skString: return VT_BSTR;
    case skNumber: return VT_I4;
    case skBoolean: return VT_BOOL;
    default: support::Raise(support::err::InvalidProcedureCall, {}, L"SettingsStore");
    }
}

support::Variant Converted(const VARIANT& value, VARTYPE type)
{
    support::Variant result;
    HRESULT hr = ::VariantChangeType(result.get(), const_cast<VARIANT*>(&value), 0, type);
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (hr == DISP_E_OVERFLOW) support::Raise(support::err::Overflow, {}, L"SettingsStore");
    if (FAILED(hr)) support::Raise(support::err::TypeMismatch, {}, L"SettingsStore");
    return result;
}

// What the store wrote for the kind, or nothing when the registry holds something else.
std::optional<support::Variant> Decoded(const StoredValue& stored, VARTYPE type)
{
    if (type == VT_BSTR) {
        if (stored.type != REG_SZ) return std::nullopt;
        std::wstring text(stored.data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), stored.data.data(), text.size() * sizeof(wchar_t));
        // A value written by hand may lack its terminator or carry more after it.
        if (size_t end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
        return support::Variant::Text(text);
    }
    if (stored.type != REG_DWORD || stored.data.size() != sizeof(DWORD)) return std::nullopt;
    LONG number = 0;
    std::memcpy(&number, stored.data.data(), sizeof number);
    return type == VT_I4 ? support::Variant::Long(number) : support::Variant::Bool(number != 0);
}

// Bound by name: user32 has the monitor functions from Windows 98 and 2000 on.
RECT WorkAreaNearest(const RECT& place)
{
    using MonitorFromRectProc = HMONITOR(WINAPI*)(LPCRECT, DWORD);
    using GetMonitorInfoProc = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    static const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    static const auto monitorFromRect = reinterpret_cast<MonitorFromRectProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "MonitorFromRect")));
    static const auto getMonitorInfo = reinterpret_cast<GetMonitorInfoProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetMonitorInfoW")));
    if (monitorFromRect && getMonitorInfo) {
        MONITORINFO info{sizeof info};
        HMONITOR monitor = monitorFromRect(&place, MONITOR_DEFAULTTONEAREST);
        if (monitor && getMonitorInfo(monitor, &info)) return info.rcWork;
    }
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Shifts the rectangle onto the area; one larger than the area keeps its top left corner on it.
void MoveOnto(RECT& place, const RECT& area)
{
    LONG dx = 0, dy = 0;
    if (place.right > area.right) dx = area.right - place.right;
    if (place.left + dx < area.left) dx = area.left - place.left;
    if (place.bottom > area.bottom) dy = area.bottom - place.bottom;
    if (place.top + dy < area.top) dy = area.top - place.top;
    ::OffsetRect(&place, dx, dy);
}

std::wstring WithoutBackslashes(std::wstring name)
{
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return name;
}

} // namespace

std::wstring SettingsStore::KeyPath(const std::wstring& section, const SettingsOwner& app)
{
    const std::wstring& name = app.Title.empty() ? app.EXEName : app.Title;
    if (name.empty()) support::Raise(support::err::InvalidProcedureCall, {}, L"SettingsStore");
    std::wstring path = L"Software\\";
    size_t dash = name.find(L" - ");
    if (dash != std::wstring::npos && dash > 0 && dash + 3 < name.size())
        path += WithoutBackslashes(name.substr(0, dash)) + L"\\" + WithoutBackslashes(name.substr(dash + 3));
    else
        path += WithoutBackslashes(name);
    if (!section.empty()) path += L"\\" + section;
    return path;
}

support::Variant SettingsStore::ReadSetting(const std::wstring& section, const std::wstring& key, int kind,
                                            const VARIANT& defaultValue, const SettingsOwner& app)
{
    VARTYPE type = TypeOfKind(kind);
    if (auto stored = QueryValue(KeyPath(section, app), key))
        if (auto value = Decoded(*stored, type)) return std::move(*value);
    return Converted(defaultValue, type);
}

bool SettingsStore::WriteSetting(const std::wstring& section, const std::wstring& key, int kind,
                                 const VARIANT& value, const SettingsOwner& app)
{
    support::Variant typed = Converted(value, TypeOfKind(kind));
    const std::wstring path = KeyPath(section, app);
    if (typed.vt() == VT_BSTR) {
        std::wstring_view text = support::BstrView(typed.get()->bstrVal);
        std::wstring terminated(text);
        return SetValue(path, key, REG_SZ, terminated.c_str(),
                        static_cast<DWORD>((terminated.size() + 1) * sizeof(wchar_t)));
    }
    // Booleans as automation truth values: True is -1.
    LONG number = typed.vt() == VT_I4 ? typed.get()->lVal : typed.get()->boolVal;
    return SetValue(path, key, REG_DWORD, &number, sizeof number);
}

bool SettingsStore::SaveWindowPlacement(const std::wstring& section, const std::wstring& key, HWND window,
                                        const SettingsOwner& app)
{
    RECT place{};
    if (!::GetWindowRect(window, &place)) return false;
    if (::IsIconic(window) || ::IsZoomed(window)) {
        WINDOWPLACEMENT placement{sizeof placement};
        if (!::GetWindowPlacement(window, &placement)) return false;
        place = placement.rcNormalPosition;
        // The normal position is relative to the work area, except for tool windows.
        if (!(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
            RECT area{};
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
            ::OffsetRect(&place, area.left, area.top);
        }
    }
    return SetValue(KeyPath(section, app), key, REG_BINARY, &place, sizeof place);
}

bool SettingsStore::LoadWindowPlacement(const std::wstring& section, const std::wstring& key, HWND window,
                                        const SettingsOwner& app)
{
    auto stored = QueryValue(KeyPath(section, app), key);
    if (!stored || stored->type != REG_BINARY || stored->data.size() != sizeof(RECT)) return false;
    RECT place{};
    std::memcpy(&place, stored->data.data(), sizeof place);
    if (place.right <= place.left || place.bottom <= place.top) return false;
    // Edges past the range the system draws in are no desktop's: sizing or
    // moving such a place overflows and could leave the window out of sight.
    constexpr LONG kFarthest = 0x7FFFFFF;
    for (LONG edge : {place.left, place.top, place.right, place.bottom})
        if (edge < -kFarthest || edge > kFarthest) return false;

    RECT current{};
    if (!::GetWindowRect(window, &current)) return false;
    const bool sizable = (::GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
    if (!sizable) {
        place.right = place.left + (current.right - current.left);
        place.bottom = place.top + (current.bottom - current.top);
    }
    MoveOnto(place, WorkAreaNearest(place));
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (sizable ? 0 : SWP_NOSIZE);
    return ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                          place.bottom - place.top, flags) != FALSE;
}

} // namespace components
