// Stands in for the programs the shell starts from the About box (the mail
// program, the browser, the system information tool), so that the tests
// never start a real one: it writes where it was started from and its
// command line, one to a line in UTF-8, to "started.txt" in its own folder.
//   shell_recorder [anything]

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                          nullptr, nullptr);
    return bytes;
}

} // namespace

int wmain()
{
    std::wstring program(MAX_PATH * 2, L'\0');
    program.resize(::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
    std::wstring log = program.substr(0, program.find_last_of(L"\\/") + 1) + L"started.txt";
    // Written whole under another name first: a reader never sees half a record.
    const std::wstring partial = log + L".part";
    FILE* out = _wfopen(partial.c_str(), L"wb");
    if (!out) return 1;
    const std::string record = Utf8(program) + "\n" + Utf8(::GetCommandLineW()) + "\n";
    const bool written = std::fwrite(record.data(), 1, record.size(), out) == record.size();
    std::fclose(out);
    return written && ::MoveFileExW(partial.c_str(), log.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
