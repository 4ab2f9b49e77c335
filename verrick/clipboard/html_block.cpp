#include "verrick/clipboard/html_block.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace verrick::clipboard {
namespace {

using Status = HtmlSelection::Status;

void AppendHeaderLine(std::string& header, std::string_view key, std::size_t value)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "%010llu", static_cast<unsigned long long>(value));
    header += key;
    header += digits;
    header += "\r\n";
}

struct HeaderNumber {
    Status status = Status::Ok;
    std::int64_t value = 0; // 0 when the key is absent
};

// The number after the first occurrence of key: at most the ten characters a
// header number takes, ending early at a line break (other writers may write
// fewer digits). Blanks around it are allowed, a sign too; anything else is no number.
HeaderNumber ReadHeaderNumber(std::string_view text, std::string_view key)
{
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos) return {};
    std::string_view field = text.substr(at + key.size(), 10);
    field = field.substr(0, field.find_first_of("\r\n"));
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!field.empty() && blank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && blank(field.back()))
        field.remove_suffix(1);
    bool negative = false;
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty()) return {Status::NotNumeric};
    std::int64_t value = 0; // at most ten digits: no overflow
    for (char c : field) {
        if (c < '0' || c > '9') return {Status::NotNumeric};
        value = value * 10 + (c - '0');
    }
    return {Status::Ok, negative ? -value : value};
}

HtmlSelection Between(std::string_view text, std::string_view header, std::string_view startKey,
                      std::string_view endKey)
{
    const HeaderNumber start = ReadHeaderNumber(header, startKey);
    if (start.status != Status::Ok) return {start.status};
    const HeaderNumber end = ReadHeaderNumber(header, endKey);
    if (end.status != Status::Ok) return {end.status};
    if (start.value < 1 || end.value < 1) return {};
    if (end.value < start.value) return {Status::EndBeforeStart};
    // Offsets past the end of the text are cut at it.
    const std::size_t size = text.size();
    const std::size_t offset = std::min<std::uint64_t>(static_cast<std::uint64_t>(start.value), size);
    const std::size_t length =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(end.value - start.value), size - offset);
    return {Status::Ok, offset, length};
}

HtmlSelection SourceUrl(std::string_view text, std::string_view header)
{
    const HeaderNumber startHtml = ReadHeaderNumber(header, "StartHTML:");
    if (startHtml.status != Status::Ok) return {startHtml.status};
    constexpr std::string_view key = "SourceURL:";
    const std::size_t at = header.find(key);
    if (at == std::string_view::npos) return {};
    // A key inside the HTML is page text, not the header's.
    if (startHtml.value >= 1 && static_cast<std::int64_t>(at) + 1 > startHtml.value) return {};
    const std::size_t begin = at + key.size();
    const std::size_t lineEnd = text.find("\r\n", begin);
    if (lineEnd == std::string_view::npos) return {};
    return {Status::Ok, begin, lineEnd - begin};
}

// The header: the lines before the HTML, which starts at StartHTML or, where
// that is missing, at the first tag. Keys are looked for there only, so page
// text that happens to read "EndSelection:" is not taken for a header field.
std::string_view HeaderOf(std::string_view text)
{
    std::string_view header = text.substr(0, text.find('<'));
    const HeaderNumber startHtml = ReadHeaderNumber(header, "StartHTML:");
    if (startHtml.status == Status::Ok && startHtml.value >= 1 &&
        static_cast<std::uint64_t>(startHtml.value) < header.size())
        header = header.substr(0, static_cast<std::size_t>(startHtml.value));
    return header;
}

} // namespace

std::string BuildHtmlBlock(std::string_view contextStart, std::string_view fragment,
                           std::string_view contextEnd)
{
    const std::size_t startFragment = kHtmlHeaderLength + contextStart.size() + kStartFragmentMarker.size();
    const std::size_t endFragment = startFragment + fragment.size();
    const std::size_t endHtml = endFragment + kEndFragmentMarker.size() + contextEnd.size() + 1;

    std::string block;
    block.reserve(endHtml);
    block += "Version:1.0\r\n";
    AppendHeaderLine(block, "StartHTML:", kHtmlHeaderLength);
    AppendHeaderLine(block, "EndHTML:", endHtml);
    AppendHeaderLine(block, "StartFragment:", startFragment);
    AppendHeaderLine(block, "EndFragment:", endFragment);
    block += contextStart;
    block += kStartFragmentMarker;
    block += fragment;
    block += kEndFragmentMarker;
    block += contextEnd;
    block += '\0';
    return block;
}

HtmlSelection SelectHtmlPart(std::string_view block, HtmlPart part)
{
    const std::string_view text = block.substr(0, block.find('\0'));
    const std::string_view header = HeaderOf(text);
    switch (part) {
    case HtmlPart::Raw: return {Status::Ok, 0, text.size()};
    case HtmlPart::Html: return Between(text, header, "StartHTML:", "EndHTML:");
    case HtmlPart::ContextStart: return Between(text, header, "StartHTML:", "StartFragment:");
    case HtmlPart::ContextEnd: return Between(text, header, "EndFragment:", "EndHTML:");
    case HtmlPart::Fragment: return Between(text, header, "StartFragment:", "EndFragment:");
    case HtmlPart::Selection: return Between(text, header, "StartSelection:", "EndSelection:");
    case HtmlPart::SourceUrl: return SourceUrl(text, header);
    }
    return {};
}

} // namespace verrick::clipboard
