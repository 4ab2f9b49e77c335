// velmora_reference: reads a built type library and writes what is made from it.
//   velmora_reference identities LIBRARY OUT
//       the identity listing (tests/verrick/typelib_identities.txt)
// LIBRARY is Verrick.dll or a .tlb; output is UTF-8 with LF line ends.
// Exit codes: 0 written, 2 nothing written.

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "identities.h"
#include "support/com.h"
#include "support/runtime_error.h"
#include "support/text.h"
#include "type_library.h"

namespace {

struct Com {
    Com() { ::CoInitialize(nullptr); }
    ~Com() { ::CoUninitialize(); }
};

void Print(std::wstring_view text)
{
    std::fputs(support::ToUtf8(text).c_str(), stderr);
}

reference::Library Load(const wchar_t* path)
{
    support::ComPtr<ITypeLib> library;
    const HRESULT hr = ::LoadTypeLibEx(path, REGKIND_NONE, library.put());
    if (FAILED(hr))
        support::Raise(static_cast<long>(hr), L"cannot load the type library " + std::wstring(path));
    return reference::ReadLibrary(library.get());
}

void WriteFile(const wchar_t* path, std::wstring_view text)
{
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    const std::string bytes = support::ToUtf8(text);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) support::Raise(support::err::FileNotFound, L"cannot write " + std::wstring(path));
}

int Run(const std::vector<std::wstring>& arguments)
{
    const Com com;
    if (arguments.size() == 3 && arguments[0] == L"identities") {
        WriteFile(arguments[2].c_str(), reference::IdentityListing(Load(arguments[1].c_str())));
        return 0;
    }
    Print(L"usage: velmora_reference identities LIBRARY OUT\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return Run(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const support::RuntimeError& error) {
        Print(L"velmora_reference: " + error.Description() + L"\n");
    } catch (const std::exception& error) {
        Print(L"velmora_reference: " + support::FromUtf8(error.what()) + L"\n");
    }
    return 2;
}
