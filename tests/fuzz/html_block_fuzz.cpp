// The HTML block: any bytes select parts that lie inside the block's text, and
// a block we build reads back to the pieces it was built from.
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_target.h"
#include "verrick/clipboard/html_block.h"

namespace {

using namespace verrick::clipboard;

constexpr HtmlPart kParts[] = {HtmlPart::Raw,        HtmlPart::Html,     HtmlPart::ContextStart,
                               HtmlPart::ContextEnd, HtmlPart::Fragment, HtmlPart::Selection,
                               HtmlPart::SourceUrl};

void CheckInside(std::string_view block)
{
    const std::size_t textSize = block.substr(0, block.find('\0')).size();
    for (HtmlPart part : kParts) {
        const HtmlSelection selection = SelectHtmlPart(block, part);
        FUZZ_CHECK(selection.offset <= textSize);
        FUZZ_CHECK(selection.length <= textSize - selection.offset);
        if (selection.status != HtmlSelection::Status::Ok) FUZZ_CHECK(selection.length == 0);
    }
}

std::string WithoutNuls(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != '\0') out += c;
    return out;
}

std::string_view Part(std::string_view block, HtmlPart part)
{
    const HtmlSelection selection = SelectHtmlPart(block, part);
    FUZZ_CHECK(selection.status == HtmlSelection::Status::Ok);
    return selection.In(block);
}

void CheckRoundTrip(std::string_view input)
{
    // The input cut in three by its first two bytes.
    if (input.size() < 2) return;
    const std::size_t first = static_cast<unsigned char>(input[0]);
    const std::size_t second = static_cast<unsigned char>(input[1]);
    input.remove_prefix(2);
    const std::string start = WithoutNuls(input.substr(0, first));
    input.remove_prefix(std::min(first, input.size()));
    const std::string end = WithoutNuls(input.substr(0, second));
    input.remove_prefix(std::min(second, input.size()));
    const std::string fragment = WithoutNuls(input);

    std::string block = BuildHtmlBlock(start, fragment, end);
    const std::string opening = start + std::string(kStartFragmentMarker);
    const std::string closing = std::string(kEndFragmentMarker) + end;
    FUZZ_CHECK(block.size() == kHtmlHeaderLength + opening.size() + fragment.size() + closing.size() + 1);
    // A memory block may be larger than what was written into it.
    block.append(3, '\0');
    FUZZ_CHECK(Part(block, HtmlPart::Fragment) == fragment);
    FUZZ_CHECK(Part(block, HtmlPart::ContextStart) == opening);
    FUZZ_CHECK(Part(block, HtmlPart::ContextEnd) == closing);
    FUZZ_CHECK(Part(block, HtmlPart::Html) == opening + fragment + closing);
    FUZZ_CHECK(Part(block, HtmlPart::Raw).size() == block.size() - 4);
    FUZZ_CHECK(Part(block, HtmlPart::Selection).empty());
    FUZZ_CHECK(Part(block, HtmlPart::SourceUrl).empty());
    CheckInside(block);
}

} // namespace

FUZZ_TARGET(html_block)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckInside(input);
    CheckRoundTrip(input);
}
