#pragma once
// What the in-process tests of frmMain share: a loaded main window over real
// or fake drives, its private state, its stored options in the registry of
// the test prefix, real key presses, and the COM apartment Verrick needs.

#include <windows.h>
#include <objbase.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/settings_store.h"
#include "input.h"
#include "pump.h"
#include "toolkit/application.h"
#include "vorlan/frmMain.h"
#include "verrick_server.h"

#include "support/handles.h"

namespace vorlan {

// The private state a test sets up or reads back.
struct frmMainTestAccess {
    frmMain& form;
    bool& ShowFreeSpace() { return form.ShowFreeSpace; }
    bool& ShowSummary() { return form.ShowSummary; }
    bool& ShowNetworkDrives() { return form.ShowNetworkDrives; }
    bool& ShowAdditionalPaths() { return form.ShowAdditionalPaths; }
    std::vector<std::wstring>& AdditionalPaths() { return form.AdditionalPaths; }
    long& PercentMode() { return form.PercentMode; }
    bool BarsBuilt() const { return form.BarsBuilt; }
    HICON MyComputerIcon() const { return form.MyComputerIcon.get(); }
    HICON FolderIcon() const { return form.FolderIcon.get(); }
};

} // namespace vorlan

namespace vorlan_test {

// One apartment for the whole test program: Verrick's object lives as long as the process.
struct ComApartment {
    ComApartment() { ::CoInitialize(nullptr); }
    ~ComApartment() { ::CoUninitialize(); }
};
inline ComApartment apartment;
inline VerrickRegistered verrickRegistered;

using test_pump::PumpFor;
using test_pump::PumpMessages;
using test_pump::PumpUntil;

// The program as these tests run it: its own settings key, apart from the real program's.
inline vorlan::AppDescriptor TestApp()
{
    vorlan::AppDescriptor app = vorlan::AppDescriptor::ForThisProgram();
    app.Title = L"Tollever - Vorlan Tests";
    return app;
}

inline std::wstring SettingsKey()
{
    vorlan::AppDescriptor app = TestApp();
    return components::SettingsStore::KeyPath(L"", {app.Title, app.EXEName});
}

inline void ClearSettings()
{
    LONG result = ::RegDeleteKeyW(HKEY_CURRENT_USER, SettingsKey().c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error("settings key stays");
}

inline void Store(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    support::UniqueRegKey key;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      key.put(), nullptr);
    ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}
inline void StoreNumber(const wchar_t* name, DWORD number)
{
    Store(name, REG_DWORD, &number, sizeof number);
}
inline void StoreText(const wchar_t* name, const std::wstring& text)
{
    Store(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    DWORD Number() const { return data.size() == 4 ? *reinterpret_cast<const DWORD*>(data.data()) : 0xBAD; }
    std::wstring Text() const
    {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
        return text.substr(0, text.find(L'\0'));
    }
};

inline std::optional<StoredValue> Stored(const wchar_t* name)
{
    support::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size + 2);
    ::RegQueryValueExW(key.get(), name, nullptr, &value.type, value.data.data(), &size);
    value.data.resize(size);
    return value;
}

enum class Options { Cleared, AsStored };

// A loaded main window over the given drives: on no stored options, or on
// those the test stored before.
struct MainWindow {
    explicit MainWindow(vorlan::DriveQueries& drives = vorlan::SystemDriveQueries(),
                        Options options = Options::Cleared)
        : cleared(options), form(TestApp(), drives)
    {
        form.Show();
        PumpMessages();
    }
    ~MainWindow()
    {
        form.Unload();
        PumpMessages();
    }
    vorlan::frmMainTestAccess access() { return {form}; }
    int InnerHeightPixels() const
    {
        RECT r{};
        ::GetClientRect(form.hWnd(), &r);
        return r.bottom;
    }
    int Rows() const
    {
        int rows = 0;
        for (auto& [index, bar] : form.picSizeBar)
            rows += bar->Visible() ? 1 : 0;
        return rows;
    }
    struct Start {
        explicit Start(Options options)
        {
            if (options == Options::Cleared) ClearSettings();
        }
    } cleared;
    vorlan::frmMain form;
};

// Queues a key (with modifiers held) in the system's input, as a person types it.
inline void SendKey(WORD key, std::initializer_list<WORD> modifiers = {})
{
    std::vector<WORD> keys(modifiers);
    keys.push_back(key);
    test_input::SendKeys(keys);
}

// Presses a key and waits until every event was taken from the queue and handled.
inline void Press(WORD key, std::initializer_list<WORD> modifiers = {})
{
    SendKey(key, modifiers);
    DWORD start = ::GetTickCount();
    do {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    } while (::GetTickCount() - start < 150);
}

} // namespace vorlan_test
