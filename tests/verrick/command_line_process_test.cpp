#include <doctest.h>

#include "child_process.h"

using namespace verrick_test;

TEST_CASE("CommandLineParser::ReadsItsOwnProcessCommandLine")
{
    const std::wstring program = ChildProgramPath();
    const std::wstring emoji = L"\U0001F600";
    // Double blanks, a tab inside a word, Cyrillic, a character outside the BMP,
    // a trailing backslash and an unpaired quote at the end.
    const std::wstring line =
        L"\"" + program + L"\" cmdline  a \"b c\"  Привет \"" + emoji + L" x\" tab\there back\\ \"open  end";
    ChildProcess child(line);
    REQUIRE(child.Started());
    std::vector<std::wstring> words;
    REQUIRE(child.Finish(words) == 0);
    const std::vector<std::wstring> expected = {
        program, L"cmdline", L"a", L"b c", L"Привет", emoji + L" x", L"tab\there", L"back\\", L"open  end"};
    CHECK(words == expected);
}
