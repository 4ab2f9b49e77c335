#pragma once
// Splitting a command line into words, as the maker's programs expect it:
// words are separated by blanks (the space character only); a word that
// starts with a double quote runs to the next double quote, which ends it even
// when letters follow. There is no escape for a quote, tabs do not separate
// words, and an unpaired opening quote takes the rest of the line.
//
// Pure text processing, so it can be tested and fuzzed on its own.

#include <string>
#include <string_view>
#include <vector>

namespace verrick::services {

// The blanks trimmed off the line and off each continuation: space, tab, CR,
// LF and NUL, the same set as support::asTrimEx.
bool IsTrimmedBlank(wchar_t character) noexcept;
std::wstring_view TrimBlanks(std::wstring_view text) noexcept;

// The words of a command line, in order. Never reads outside the view; the
// time taken is linear in its length.
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

} // namespace verrick::services
