#pragma once
// A program's options and window placement, kept per user in the registry:
// HKEY_CURRENT_USER\Software\<maker>\<product> for a title "Maker - Product",
// HKEY_CURRENT_USER\Software\<title> for any other title (the executable's
// name when there is none); a non-empty section is a subkey of that.
//
// Values are automation values of one of three kinds: strings (REG_SZ),
// 32-bit numbers and Booleans (REG_DWORD; True is -1). A stored value the
// store did not write the way it reads it (another registry type, a wrong
// size) reads as the default, so a damaged value never stops the program.

#include <windows.h>

#include <string>

#include "support/com.h"

namespace components {

// Whose settings they are: from the program's application descriptor.
struct SettingsOwner {
    std::wstring Title;
    std::wstring EXEName;
};

// The kind codes of ReadSetting and WriteSetting.
enum SettingKind { skString = 0, skNumber = 1, skBoolean = 3 };

class SettingsStore {
public:
    // The key below HKEY_CURRENT_USER that holds the section.
    static std::wstring KeyPath(const std::wstring& section, const SettingsOwner& app);

    // The stored value as VT_BSTR, VT_I4 or VT_BOOL by kind; the default,
    // converted to that kind, when nothing usable is stored. A kind code other
    // than 0, 1 or 3 is error 5; a default that does not convert is error 13.
    support::Variant ReadSetting(const std::wstring& section, const std::wstring& key, int kind,
                                 const VARIANT& defaultValue, const SettingsOwner& app);
    // False when the registry refused the write. Error 5 and 13 as above.
    bool WriteSetting(const std::wstring& section, const std::wstring& key, int kind, const VARIANT& value,
                      const SettingsOwner& app);

    // The window's rectangle on the desktop (its normal one while minimised
    // or maximised); false when it could not be stored.
    bool SaveWindowPlacement(const std::wstring& section, const std::wstring& key, HWND window,
                             const SettingsOwner& app);
    // Moves the window to the stored place and returns true; false when
    // nothing usable is stored. A window with a sizing border also gets the
    // stored size; a fixed-size one keeps the size it has. A place that is
    // not wholly on the work area of the nearest monitor is moved onto it.
    bool LoadWindowPlacement(const std::wstring& section, const std::wstring& key, HWND window,
                             const SettingsOwner& app);
};

} // namespace components
