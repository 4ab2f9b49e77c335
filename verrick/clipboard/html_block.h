#pragma once
// The "HTML Format" clipboard block: a text header of byte offsets followed by
// UTF-8 HTML. Pure functions over bytes, so foreign blocks can be read (and
// fuzzed) without a clipboard. Every offset is a byte offset from the start of
// the block.

#include <cstddef>
#include <string>
#include <string_view>

namespace verrick::clipboard {

inline constexpr std::string_view kStartFragmentMarker = "<!--StartFragment-->";
inline constexpr std::string_view kEndFragmentMarker = "<!--EndFragment-->";
// "Version:1.0\r\n" and four lines of a key and ten digits.
inline constexpr std::size_t kHtmlHeaderLength = 105;

// The block for a fragment in its contexts, all three already UTF-8. The
// markers go between the contexts and the fragment; the block ends with one
// NUL, which EndHTML counts.
std::string BuildHtmlBlock(std::string_view contextStart, std::string_view fragment,
                           std::string_view contextEnd);

// What GetHTML can select from a block.
enum class HtmlPart {
    Raw = 0,
    Html = 1,
    ContextStart = 2,
    ContextEnd = 3,
    Fragment = 4,
    Selection = 5,
    SourceUrl = 6,
};

struct HtmlSelection {
    enum class Status {
        Ok,
        NotNumeric,     // a header number of the pair is no number
        EndBeforeStart, // the pair's end offset lies below its start
    };
    Status status = Status::Ok;
    // The part: bytes [offset, offset + length) of the block, always inside it.
    std::size_t offset = 0;
    std::size_t length = 0;

    std::string_view In(std::string_view block) const { return block.substr(offset, length); }
};

// Selects a part of a block of any origin. The block's text ends at its first
// NUL or at its size, whichever comes first; nothing past it is read. A key
// missing from the header, an offset of 0 or below, or a source URL without
// line end gives an empty part; offsets past the end of the text are cut at it.
HtmlSelection SelectHtmlPart(std::string_view block, HtmlPart part);

} // namespace verrick::clipboard
