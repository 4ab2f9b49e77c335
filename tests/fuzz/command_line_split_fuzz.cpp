// The command-line splitter: the words of any line are pieces of it, in
// order; a line written back from its words (each quoted where it can be)
// splits into the same words; and any words without a quote, quoted and
// joined, come back whole.
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/fuzz_target.h"
#include "verrick/services/command_line_split.h"

namespace {

using verrick::services::SplitCommandLine;
using Words = std::vector<std::wstring>;

// The input as UTF-16 code units, two bytes each, little-endian: lone
// surrogates and NULs included, as a command line may hold them.
std::wstring Units(const std::uint8_t* data, std::size_t size)
{
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    return text;
}

void CheckPiecesInOrder(std::wstring_view line, const Words& words)
{
    std::size_t from = 0;
    for (const std::wstring& word : words) {
        const std::size_t at = line.find(word, from);
        FUZZ_CHECK(at != std::wstring_view::npos);
        from = at + word.size();
        if (word.find(L'"') != std::wstring::npos) {
            // Only a word that did not start with a quote keeps one, and it ends at a blank.
            FUZZ_CHECK(word.front() != L'"' && word.find(L' ') == std::wstring::npos);
        }
    }
}

// The words written back as a command line: a word without a quote in double
// quotes, one with a quote (which has no space) as it is.
std::wstring Join(const Words& words)
{
    std::wstring line;
    for (const std::wstring& word : words) {
        if (!line.empty()) line += L' ';
        if (word.find(L'"') == std::wstring::npos)
            line += L'"' + word + L'"';
        else
            line += word;
    }
    return line;
}

void CheckWrittenBack(const Words& words)
{
    const Words again = SplitCommandLine(Join(words));
    FUZZ_CHECK(again == words);
}

// Words cut from the text at line feeds, quotes left out: quoted and joined by
// runs of spaces (their count from the text), they split into themselves.
void CheckQuotedWords(std::wstring_view text)
{
    Words words(1);
    for (wchar_t c : text) {
        if (c == L'\n')
            words.emplace_back();
        else if (c != L'"')
            words.back() += c;
    }
    std::wstring line;
    for (std::size_t i = 0; i < words.size(); ++i)
        line += std::wstring(1 + i % 3, L' ') + L'"' + words[i] + L'"';
    FUZZ_CHECK(SplitCommandLine(line) == words);
}

} // namespace

FUZZ_TARGET(command_line_split)
{
    const std::wstring line = Units(data, size);
    const Words words = SplitCommandLine(line);
    CheckPiecesInOrder(line, words);
    // Blanks at the ends of a line change nothing.
    FUZZ_CHECK(SplitCommandLine(verrick::services::TrimBlanks(line)) == words);
    CheckWrittenBack(words);
    CheckQuotedWords(line);
}
