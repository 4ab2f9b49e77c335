// The icon control's stream record: any bytes give pictures that lie inside
// the record, which lies inside the bytes; read piece by piece from a stream,
// the record takes no byte past its end and reads as it does whole; and a
// record we build reads back to the values it was built from.
#include <algorithm>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_target.h"
#include "verrick/about/icon_stream.h"

namespace {

using namespace verrick::about;
using Status = IconStreamLayout::Status;

bool Same(const IconStreamLayout& a, const IconStreamLayout& b)
{
    return a.status == b.status && a.hasHeader == b.hasHeader && a.backColor == b.backColor &&
           a.mousePointer == b.mousePointer && a.picture.offset == b.picture.offset &&
           a.picture.size == b.picture.size && a.mouseIcon.offset == b.mouseIcon.offset &&
           a.mouseIcon.size == b.mouseIcon.size && a.used == b.used && a.wanted == b.wanted;
}

std::uint32_t LengthBefore(std::string_view bytes, const PictureBytes& picture)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < kPictureLengthSize; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[picture.offset - 4 + i]))
                 << (8 * i);
    return value;
}

void CheckInside(std::string_view bytes, const IconStreamLayout& layout)
{
    FUZZ_CHECK(layout.used <= bytes.size());
    FUZZ_CHECK(layout.hasHeader == (layout.used >= kIconStreamHeaderSize));
    FUZZ_CHECK(layout.hasHeader ==
               (layout.status != Status::WrongTag && bytes.size() >= kIconStreamHeaderSize));
    if (layout.status == Status::Short) FUZZ_CHECK(layout.wanted > bytes.size());
    if (layout.status == Status::Complete)
        FUZZ_CHECK(layout.used >= kIconStreamHeaderSize + 2 * kPictureLengthSize);
    std::size_t end = kIconStreamHeaderSize;
    for (const PictureBytes* picture : {&layout.picture, &layout.mouseIcon}) {
        if (picture->size == 0) continue;
        FUZZ_CHECK(layout.hasHeader && picture->offset >= end + kPictureLengthSize);
        FUZZ_CHECK(picture->size <= kMaxStreamPictureBytes && picture->size <= layout.used - picture->offset);
        FUZZ_CHECK(LengthBefore(bytes, *picture) == picture->size);
        end = picture->offset + picture->size;
    }
    if (layout.mouseIcon.size != 0)
        FUZZ_CHECK(layout.picture.offset + layout.picture.size < layout.mouseIcon.offset);
}

// A whole record reads the same without the bytes after it; any shorter piece
// of it is short, and asks for no byte past the record.
void CheckRecordEnd(std::string_view bytes, const IconStreamLayout& layout)
{
    if (layout.status != Status::Complete && layout.status != Status::Damaged) return;
    FUZZ_CHECK(Same(ReadIconStream(bytes.substr(0, layout.used)), layout));
    const std::size_t cut = bytes.empty() ? 0 : static_cast<unsigned char>(bytes.back()) % layout.used;
    const IconStreamLayout piece = ReadIconStream(bytes.substr(0, cut));
    FUZZ_CHECK(piece.status == Status::Short && piece.wanted <= layout.used);
}

// A stream that gives what it holds, fewer bytes only at its end.
void CheckFromStream(std::string_view bytes, const IconStreamLayout& whole)
{
    std::size_t position = 0;
    std::string taken;
    const IconStreamLayout layout = ReadIconStream(
        [&](char* buffer, std::size_t n) {
            const std::size_t count = std::min(n, bytes.size() - position);
            std::copy_n(bytes.data() + position, count, buffer);
            position += count;
            return count;
        },
        taken);
    FUZZ_CHECK(taken == bytes.substr(0, position));
    FUZZ_CHECK(Same(layout, whole));
    if (whole.status == Status::Complete || whole.status == Status::Damaged)
        FUZZ_CHECK(position == whole.used);
    if (whole.status == Status::Short) FUZZ_CHECK(position == bytes.size());
}

void CheckRoundTrip(std::string_view input)
{
    // Colour, pointer and where the pictures divide, from the first seven bytes.
    if (input.size() < 7) return;
    std::uint32_t color = 0;
    for (int i = 0; i < 4; ++i)
        color |= static_cast<std::uint32_t>(static_cast<unsigned char>(input[i])) << (8 * i);
    const auto pointer = static_cast<std::int16_t>(static_cast<unsigned char>(input[4]) |
                                                   static_cast<unsigned char>(input[5]) << 8);
    const std::size_t split = static_cast<unsigned char>(input[6]);
    input.remove_prefix(7);
    const std::string_view picture = input.substr(0, std::min(split, input.size()));
    const std::string_view mouseIcon = input.substr(picture.size());

    std::string record = BuildIconStream(color, pointer, picture, mouseIcon);
    FUZZ_CHECK(record.size() == kIconStreamHeaderSize + 2 * kPictureLengthSize + input.size());
    const std::size_t size = record.size();
    record += picture; // whatever a container keeps after the record
    const IconStreamLayout layout = ReadIconStream(record);
    FUZZ_CHECK(layout.status == Status::Complete && layout.used == size);
    FUZZ_CHECK(layout.backColor == color && layout.mousePointer == pointer);
    FUZZ_CHECK(layout.picture.In(record) == picture && layout.mouseIcon.In(record) == mouseIcon);
}

} // namespace

FUZZ_TARGET(icon_stream)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IconStreamLayout layout = ReadIconStream(bytes);
    CheckInside(bytes, layout);
    CheckRecordEnd(bytes, layout);
    CheckFromStream(bytes, layout);
    CheckRoundTrip(bytes);
}
