#include "verrick/services/command_line_split.h"

namespace verrick::services {

bool IsTrimmedBlank(wchar_t character) noexcept
{
    return character == L' ' || character == L'\t' || character == L'\r' || character == L'\n' ||
           character == L'\0';
}

std::wstring_view TrimBlanks(std::wstring_view text) noexcept
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsTrimmedBlank(text[first]))
        ++first;
    while (last > first && IsTrimmedBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line)
{
    std::vector<std::wstring> words;
    std::wstring_view rest = TrimBlanks(line);
    while (!rest.empty()) {
        std::wstring_view continuation;
        if (rest.front() == L'"') {
            rest.remove_prefix(1);
            const size_t close = rest.find(L'"');
            if (close == std::wstring_view::npos) {
                words.emplace_back(rest);
                break;
            }
            words.emplace_back(rest.substr(0, close));
            continuation = rest.substr(close + 1);
        } else {
            const size_t blank = rest.find(L' ');
            if (blank == std::wstring_view::npos) {
                words.emplace_back(rest);
                break;
            }
            words.emplace_back(rest.substr(0, blank));
            continuation = rest.substr(blank);
        }
        rest = TrimBlanks(continuation);
    }
    return words;
}

} // namespace verrick::services
