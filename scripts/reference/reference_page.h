#pragma once
// The reference page of a type library (Markdown), and the checks that keep
// it whole: every type and member carries a help string, every enumeration
// member a description, every documented member a line in the errors table,
// and neither table names anything the library does not have.

#include <string>
#include <string_view>
#include <vector>

#include "type_library.h"

namespace reference {

// What the type library cannot say, from the two tables beside the IDL.
struct Notes {
    struct Errors {
        std::wstring member; // "Class.Member"
        std::vector<long> numbers;
        int line = 0;
    };
    struct Meaning {
        std::wstring member; // "Enumeration.member"
        std::wstring text;
        int line = 0;
    };
    std::vector<Errors> errors;
    std::vector<Meaning> meanings;
    std::vector<std::wstring> problems;
};

// errors: lines "Class.Member: 9 13" or "Class.Member: none"; meanings: lines
// "Enumeration.member: text". Blank lines and lines starting with # are skipped.
Notes ReadNotes(std::wstring_view errors, std::wstring_view meanings);

struct Page {
    std::wstring text;
    std::vector<std::wstring> problems;
};

Page MakePage(const Library& library, const Notes& notes);

} // namespace reference
