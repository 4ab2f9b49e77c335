#include <doctest.h>

#include "components/shell_icon_reader.h"
#include "leak_probe.h"
#include "support/handles.h"

using components::ShellIconReader;

namespace {

SIZE IconSize(HICON icon)
{
    ICONINFO info{};
    REQUIRE(::GetIconInfo(icon, &info));
    support::UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    if (color) {
        ::GetObjectW(color.get(), sizeof bitmap, &bitmap);
        return {bitmap.bmWidth, bitmap.bmHeight};
    }
    // A monochrome icon stacks its AND and XOR masks in one bitmap.
    ::GetObjectW(mask.get(), sizeof bitmap, &bitmap);
    return {bitmap.bmWidth, bitmap.bmHeight / 2};
}

} // namespace

TEST_CASE("ShellIconReader::SmallIconOfADriveRoot")
{
    ShellIconReader reader;
    CHECK(reader.SmallIcon() == nullptr);

    REQUIRE(reader.Read(L"C:\\"));
    REQUIRE(reader.SmallIcon() != nullptr);
    const SIZE size = IconSize(reader.SmallIcon());
    CHECK(size.cx == 16);
    CHECK(size.cy == 16);

    SUBCASE("a drive that is not there gives no icon")
    {
        CHECK_FALSE(reader.Read(L"Q:\\"));
        CHECK(reader.SmallIcon() == nullptr);
    }
    SUBCASE("a path that is no drive root gives no icon")
    {
        CHECK_FALSE(reader.Read(L""));
        CHECK(reader.SmallIcon() == nullptr);
    }
}

TEST_CASE("ShellIconReader::RepeatedReadsKeepNothing")
{
    // The shell builds its image lists on first use; those stay for the process.
    ShellIconReader{}.Read(L"C:\\");
    const int gdiBefore = CountGdiObjects();
    const int handlesBefore = CountKernelHandles();
    int answered = 0;
    {
        ShellIconReader reader;
        for (int i = 0; i < 200; ++i) {
            answered += reader.Read(L"C:\\");
            answered += reader.Read(L"Q:\\");
            reader.Read(L"C:\\");
        }
    }
    CHECK(answered == 200);
    CHECK(CountGdiObjects() == gdiBefore);
    CHECK(CountKernelHandles() == handlesBefore);
}
