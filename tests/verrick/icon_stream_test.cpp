#include <doctest.h>

#include <algorithm>
#include <string>

#include "verrick/about/icon_stream.h"

using namespace verrick::about;
using Status = IconStreamLayout::Status;
using namespace std::string_literals;

TEST_CASE("IconStream::RecordBytes")
{
    CHECK(BuildIconStream(0x8000000F, -1, "ab", "") == "UIC1\x0F\0\0\x80\xFF\xFF\x02\0\0\0ab\0\0\0\0"s);
    // A picture past the limit is written as none rather than as a record no one reads.
    const std::string huge(kMaxStreamPictureBytes + 1, 'x');
    CHECK(BuildIconStream(0, 0, huge, "i") == "UIC1\0\0\0\0\0\0\0\0\0\0\x01\0\0\0i"s);
}

TEST_CASE("IconStream::ReadingStopsAtDamage")
{
    const std::string record = BuildIconStream(0x00808000, 3, "picture", "icon");
    IconStreamLayout layout = ReadIconStream(record + "more");
    CHECK(layout.status == Status::Complete);
    CHECK(layout.used == record.size());
    CHECK(layout.picture.In(record) == "picture");
    CHECK(layout.mouseIcon.In(record) == "icon");

    // Cut in the mouse icon: the picture stays, and the reader says how much it wanted.
    layout = ReadIconStream(std::string_view(record).substr(0, record.size() - 1));
    CHECK(layout.status == Status::Short);
    CHECK(layout.picture.In(record) == "picture");
    CHECK(layout.mouseIcon.size == 0);
    CHECK(layout.wanted == record.size());

    std::string damaged = record;
    damaged[13] = '\x7F'; // the picture's length, far past the limit
    layout = ReadIconStream(damaged);
    CHECK(layout.status == Status::Damaged);
    CHECK((layout.hasHeader && layout.backColor == 0x00808000 && layout.mousePointer == 3));
    CHECK((layout.picture.size == 0 && layout.mouseIcon.size == 0 && layout.used == 14));

    CHECK(ReadIconStream("UIC2"s + record.substr(4)).status == Status::WrongTag);
    CHECK_FALSE(ReadIconStream(record.substr(0, 9)).hasHeader);
}

TEST_CASE("IconStream::StreamOnlyGivesWhatItHolds")
{
    // A record that announces 16 MB and holds 3 bytes: read in pieces, never all at once.
    std::string announced = BuildIconStream(0, 0, "", "").substr(0, 10) + "\0\0\0\x01xyz"s;
    std::size_t position = 0, largest = 0, calls = 0;
    auto source = [&](char* buffer, std::size_t n) {
        ++calls;
        largest = std::max(largest, n);
        const std::size_t count = std::min(n, announced.size() - position);
        std::copy_n(announced.data() + position, count, buffer);
        position += count;
        return count;
    };
    std::string bytes;
    IconStreamLayout layout = ReadIconStream(source, bytes);
    CHECK(layout.status == Status::Short);
    CHECK(layout.hasHeader);
    CHECK(bytes == announced);
    CHECK(largest <= 64 * 1024);
    CHECK(calls == 3);

    // Another format: no more than the header is taken.
    announced = "XXXX"s + std::string(100, '\0');
    position = 0;
    layout = ReadIconStream(source, bytes);
    CHECK(layout.status == Status::WrongTag);
    CHECK(position == kIconStreamHeaderSize);
}
