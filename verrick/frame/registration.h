#pragma once
// Registration of the server: for every public class its CLSID, ProgID,
// threading model and type library, plus the type library and its
// automation interfaces; unregistration removes exactly those keys.

#include <windows.h>

namespace verrick {

enum class RegistrationScope {
    Machine, // HKEY_LOCAL_MACHINE\Software\Classes: needs administrator rights
    User,    // HKEY_CURRENT_USER\Software\Classes: for the current user only
};

HRESULT RegisterServer(RegistrationScope scope) noexcept;
HRESULT UnregisterServer(RegistrationScope scope) noexcept;

} // namespace verrick
