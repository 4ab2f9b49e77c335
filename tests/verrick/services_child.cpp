// A client program of Verrick.dll that the services tests start as a real
// process of its own. It loads the server from the build, does what its first
// argument names and writes what it saw to its standard output as UTF-16
// lines.
//   services_child cmdline ...   the words of tlvMain.CommandLine, program first

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "Velmora.h"
#include "support/com.h"

namespace {

using support::Bstr;
using support::ComPtr;

template <typename T> ComPtr<T> Create(REFCLSID clsid)
{
    std::wstring path = L"Z:";
    for (const char* c = VERRICK_DLL_PATH; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    HMODULE server = ::LoadLibraryW(path.c_str());
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(server ? ::GetProcAddress(server, "DllGetClassObject") : nullptr));
    ComPtr<IClassFactory> factory;
    ComPtr<T> object;
    if (get && SUCCEEDED(get(clsid, IID_IClassFactory, factory.put_void())))
        factory->CreateInstance(nullptr, __uuidof(T), object.put_void());
    return object;
}

void WriteLine(std::wstring_view text)
{
    std::wstring line(text);
    line += L'\n';
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(),
                static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
}

int CommandLineWords()
{
    auto tlv = Create<_tlvMain>(CLSID_tlvMain);
    if (!tlv) return 2;
    ComPtr<_CommandLineParser> parser;
    if (FAILED(tlv->CommandLine(parser.put()))) return 3;
    LONG count = 0;
    if (FAILED(parser->get_Count(&count))) return 4;
    for (LONG i = -1; i < count; ++i) {
        Bstr word;
        if (FAILED(parser->get_Item(i, word.put()))) return 5;
        WriteLine(word.view());
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (argc < 2) return 1;
    ::CoInitialize(nullptr);
    int status = 1;
    const std::wstring_view mode = argv[1];
    if (mode == L"cmdline") status = CommandLineWords();
    ::CoUninitialize();
    return status;
}
