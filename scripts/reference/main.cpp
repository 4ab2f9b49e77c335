// velmora_reference: reads a built type library and writes what is made from it.
//   velmora_reference identities LIBRARY OUT
//       the identity listing (tests/verrick/typelib_identities.txt)
//   velmora_reference reference LIBRARY ERRORS ENUMS OUT
//       the reference page (docs/REFERENCE.md), from the library and the two
//       tables kept beside its IDL; fails, naming them, when a type or member
//       has no help string or a table misses or names a member wrongly.
// LIBRARY is Verrick.dll or a .tlb; output is UTF-8 with LF line ends.
// Exit codes: 0 written, 1 written but a check failed, 2 nothing written.

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "identities.h"
#include "reference_page.h"
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

std::string ReadFile(const wchar_t* path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) support::Raise(support::err::FileNotFound, L"cannot read " + std::wstring(path));
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
    if (arguments.size() == 5 && arguments[0] == L"reference") {
        const reference::Library library = Load(arguments[1].c_str());
        const reference::Notes notes =
            reference::ReadNotes(support::FromUtf8(ReadFile(arguments[2].c_str())),
                                 support::FromUtf8(ReadFile(arguments[3].c_str())));
        const reference::Page page = reference::MakePage(library, notes);
        WriteFile(arguments[4].c_str(), page.text);
        for (const std::wstring& problem : page.problems)
            Print(L"velmora_reference: " + problem + L"\n");
        return page.problems.empty() ? 0 : 1;
    }
    Print(L"usage: velmora_reference identities LIBRARY OUT\n"
          L"       velmora_reference reference LIBRARY ERRORS ENUMS OUT\n");
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
