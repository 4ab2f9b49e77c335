#include <doctest.h>

#include <random>
#include <string>
#include <vector>

#include "verrick/services/command_line_split.h"

using verrick::services::SplitCommandLine;
using Words = std::vector<std::wstring>;

TEST_CASE("SplitCommandLine::WordsAndQuotes")
{
    CHECK(SplitCommandLine(L"prog.exe  a \"b c\"  d") == Words{L"prog.exe", L"a", L"b c", L"d"});
    // Two quotes side by side make an empty word.
    CHECK(SplitCommandLine(L"p \"\" x") == Words{L"p", L"", L"x"});
    // A closing quote ends the word even when letters follow.
    CHECK(SplitCommandLine(L"p \"a\"b") == Words{L"p", L"a", L"b"});
    // Quotes inside an unquoted word stay in it; there is no escape for a quote.
    CHECK(SplitCommandLine(L"p a\"b c\"d") == Words{L"p", L"a\"b", L"c\"d"});
    CHECK(SplitCommandLine(L"p \"a\\\" b\"") == Words{L"p", L"a\\", L"b\""});
    // A last quoted word without its closing quote takes the rest, inner blanks included.
    CHECK(SplitCommandLine(L"p \"open  end  ") == Words{L"p", L"open  end"});
    CHECK(SplitCommandLine(L"p \"") == Words{L"p", L""});
}

TEST_CASE("SplitCommandLine::Blanks")
{
    CHECK(SplitCommandLine(L"").empty());
    CHECK(SplitCommandLine(L"   \t \r\n ").empty());
    // Only the space separates; other blanks are trimmed off the ends of the pieces only.
    CHECK(SplitCommandLine(L"p a\tb") == Words{L"p", L"a\tb"});
    CHECK(SplitCommandLine(L"\tp \t a \t") == Words{L"p", L"a"});
    CHECK(SplitCommandLine(std::wstring(L"p\0 a", 4)) == Words{std::wstring(L"p\0", 2), L"a"});
    // A trailing backslash is an ordinary character.
    CHECK(SplitCommandLine(L"p C:\\dir\\ x\\") == Words{L"p", L"C:\\dir\\", L"x\\"});
}

TEST_CASE("SplitCommandLine::AnyCharacters")
{
    const std::wstring emoji = L"\U0001F600"; // a surrogate pair
    CHECK(emoji.size() == 2);
    CHECK(SplitCommandLine(L"прог.exe \"Мои документы\" ёж " + emoji) ==
          Words{L"прог.exe", L"Мои документы", L"ёж", emoji});
    // A lone surrogate is kept as it is.
    CHECK(SplitCommandLine(L"p \xD800 \"\xDC00\"") == Words{L"p", L"\xD800", L"\xDC00"});
}

TEST_CASE("SplitCommandLine::NeverReadsPastTheText")
{
    // The closing quote lies just past the view: the word must not reach it.
    const std::wstring buffer = L"p \"abc\" tail";
    CHECK(SplitCommandLine(std::wstring_view(buffer).substr(0, 6)) == Words{L"p", L"abc"});
    CHECK(SplitCommandLine(std::wstring_view(buffer).substr(0, 1)) == Words{L"p"});
    CHECK(SplitCommandLine(std::wstring_view(buffer).substr(0, 3)) == Words{L"p", L""});
}

TEST_CASE("SplitCommandLine::LongLines")
{
    // The Windows limit: one word of 32,767 characters.
    const std::wstring longest(32767, L'я');
    REQUIRE(SplitCommandLine(longest).size() == 1);
    CHECK(SplitCommandLine(longest).front() == longest);

    std::wstring many = L"p";
    for (int i = 0; i < 10000; ++i)
        many += L" " + std::to_wstring(i % 10);
    const Words words = SplitCommandLine(many);
    REQUIRE(words.size() == 10001);
    CHECK(words[1] == L"0");
    CHECK(words[10000] == L"9");
}

TEST_CASE("SplitCommandLine::QuotedWordsComeBackWhole")
{
    // Any words without a quote, each quoted and joined by runs of blanks, split back into themselves.
    const wchar_t alphabet[] = {L'a', L' ', L'\t', L'\\', L'я', L'\xD83D', L'\xDE00', L'\0', L'-'};
    std::mt19937 random(12);
    for (int round = 0; round < 2000; ++round) {
        Words expected;
        std::wstring line;
        const int count = static_cast<int>(random() % 6);
        for (int w = 0; w < count; ++w) {
            std::wstring word;
            const int length = static_cast<int>(random() % 8);
            for (int c = 0; c < length; ++c)
                word += alphabet[random() % std::size(alphabet)];
            line += std::wstring(1 + random() % 3, L' ') + L'"' + word + L'"';
            expected.push_back(word);
        }
        line += std::wstring(random() % 3, L' ');
        CAPTURE(round);
        CHECK(SplitCommandLine(line) == expected);
    }
}
