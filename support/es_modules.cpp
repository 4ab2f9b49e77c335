#include <string>

#include "support/es.h"
#include "support/runtime_error.h"

namespace support {

std::wstring esGetModuleFileName(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) RaiseLastWin32(L"GetModuleFileNameW");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2); // cut short: try a longer buffer
    }
}

} // namespace support
