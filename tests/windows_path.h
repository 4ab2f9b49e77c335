#pragma once
// Unix paths of the build as programs in the test prefix see them.

#include <string>

namespace test_paths {

// The prefix's Z: drive is the Unix root.
inline std::wstring WindowsPath(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

} // namespace test_paths
