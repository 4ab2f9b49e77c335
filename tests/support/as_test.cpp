#include <doctest.h>

#include <windows.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "support/as.h"
#include "support/runtime_error.h"
#include "support/text.h"
#include "test_helpers.h"

using namespace support;
using namespace support_test;
using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

// The expected text with the user's decimal separator in place of '.'.
std::wstring Localised(std::wstring text)
{
    wchar_t separator[8] = L".";
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    if (const size_t dot = text.find(L'.'); dot != std::wstring::npos) text.replace(dot, 1, separator);
    return text;
}

constexpr double KB = 1024.0;
constexpr double MB = KB * 1024;
constexpr double GB = MB * 1024;
constexpr double TB = GB * 1024;
constexpr double PB = TB * 1024;

SIZE IconSize(HICON icon)
{
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return {0, 0};
    UniqueBitmap mask(info.hbmMask), color(info.hbmColor);
    BITMAP bitmap{};
    ::GetObjectW(color ? color.get() : mask.get(), sizeof bitmap, &bitmap);
    // A monochrome icon keeps its AND and XOR masks in one bitmap of double height.
    return {bitmap.bmWidth, color ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

} // namespace

// Text -------------------------------------------------------------------------

TEST_CASE("As::TrimExRemovesBlanksAtBothEnds")
{
    CHECK(asTrimEx(L" D:\\Music ") == L"D:\\Music");
    CHECK(asTrimEx(L"\t\tC:\\Data\t") == L"C:\\Data");
    CHECK(asTrimEx(L"\r\n \tC:\\My Data\r\n"sv) == L"C:\\My Data");
    CHECK(asTrimEx(L"C:\\Data\0\0"sv) == L"C:\\Data");
    CHECK(asTrimEx(L"\0 x\0"sv) == L"x");
    CHECK(asTrimEx(L"a \t b") == L"a \t b");
    CHECK(asTrimEx(L" \t\r\n ") == L"");
    CHECK(asTrimEx(L"") == L"");
    CHECK(asTrimEx(L"\u00A0x\u00A0") == L"\u00A0x\u00A0");
}

TEST_CASE("As::TrimEx2WithTheCallersOptions")
{
    auto trim = [](std::wstring_view text) {
        return asTrimEx2(text, true, true, true, true, true, false, false, false, false, false);
    };
    CHECK(trim(L" D:\\Music ") == L"D:\\Music");
    CHECK(trim(L"\t C:\\Data \t") == L"C:\\Data");
    CHECK(trim(L"\r\nX\r\n") == L"X");
    CHECK(trim(L"   ") == L"");
    // NUL, no-break space, vertical tab, form feed and zero-width space stay.
    CHECK(trim(L"\0x\0"sv) == L"\0x\0"s);
    CHECK(trim(L"\u00A0x\u00A0") == L"\u00A0x\u00A0");
    CHECK(trim(L"\vx\f") == L"\vx\f");
    CHECK(trim(L"\u200Bx\u200B") == L"\u200Bx\u200B");
    // A kept character stops the trimming behind it.
    CHECK(trim(L" \u00A0 x") == L"\u00A0 x");
}

TEST_CASE("As::TrimEx2OptionsOneByOne")
{
    const std::wstring_view text = L" x ";
    CHECK(asTrimEx2(text, true, false, true, false, false, false, false, false, false, false) == L"x ");
    CHECK(asTrimEx2(text, false, true, true, false, false, false, false, false, false, false) == L" x");
    CHECK(asTrimEx2(text, false, false, true, false, false, false, false, false, false, false) == L" x ");
    CHECK(asTrimEx2(text, true, true, false, true, true, true, true, true, true, true) == L" x ");

    auto only = [](std::wstring_view s, int option) {
        bool o[8] = {};
        o[option] = true;
        return asTrimEx2(s, true, true, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7]);
    };
    CHECK(only(L"\tx\t", 1) == L"x");
    CHECK(only(L"\tx\t", 0) == L"\tx\t");
    CHECK(only(L"\r\nx\n\r", 2) == L"x");
    CHECK(only(L"\0x\0"sv, 3) == L"x");
    CHECK(only(L"\u00A0\u202Fx\u00A0", 4) == L"x");
    CHECK(only(L"\vx\v", 5) == L"x");
    CHECK(only(L"\fx\f", 6) == L"x");
    CHECK(only(L"\u200B\uFEFFx\u2060", 7) == L"x");
    CHECK(only(L"\u200Bx", 0) == L"\u200Bx");
}

TEST_CASE("As::TrimCRLFTakesLineBreaksAtTheEndsOnly")
{
    CHECK(asTrimCRLF(L"\r\n\r\na\r\nb \r\n") == L"a\r\nb ");
    CHECK(asTrimCRLF(L" \r\n") == L" ");
    CHECK(asTrimCRLF(L"\n\r") == L"");
}

TEST_CASE("As::ErrorNumbersAndTexts")
{
    CHECK(asGetErrorNumber(0) == L"0");
    CHECK(asGetErrorNumber(12002) == L"12002");
    CHECK(asGetErrorNumber(65536) == L"65536 (0x00010000)");
    CHECK(asGetErrorNumber(-2147024891) == L"-2147024891 (0x80070005)");

    const std::wstring denied = support_test::SystemErrorText(ERROR_ACCESS_DENIED);
    REQUIRE_FALSE(denied.empty());
    CHECK(asGetAPIErrorDescription(ERROR_ACCESS_DENIED) == denied);
    CHECK(asGetAPIErrorDescription(0x7654321) == L"");
    // Inserts are left for the reader, not filled from whatever lies on the stack.
    CHECK(asGetAPIErrorDescription(ERROR_BAD_EXE_FORMAT).find(L"%1") != std::wstring::npos);

    REQUIRE_FALSE(support_test::WaveOutErrorText(MMSYSERR_BADDEVICEID).empty());
    CHECK(asGetWinMMErrorDescription(2) == support_test::WaveOutErrorText(MMSYSERR_BADDEVICEID));
    CHECK_FALSE(asGetWinMMErrorDescription(263).empty()); // MCIERR_INVALID_DEVICE_NAME
    CHECK(asGetWinMMErrorDescription(9999) == L"");

    CHECK(asGetModuleErrorDescription(nullptr, 5) == L"");
    UniqueModule noTable(::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE(noTable);
    CHECK(asGetModuleErrorDescription(noTable.get(), 5) == L"");
}

TEST_CASE("As::CutLeftAndRight")
{
    CHECK(asCutLeft(L"abcdef", 2) == L"cdef");
    CHECK(asCutRight(L"abcdef", 2) == L"abcd");
    CHECK(asCutLeft(L"abcdef", 0) == L"abcdef");
    CHECK(asCutRight(L"abcdef", 0) == L"abcdef");
    CHECK(asCutLeft(L"abcdef", 5) == L"f");
    CHECK(asCutRight(L"abcdef", 5) == L"a");
    CHECK(asCutLeft(L"abcdef", 6) == L"");
    CHECK(asCutRight(L"abcdef", 6) == L"");
    CHECK(asCutLeft(L"abcdef", 100) == L"");
    CHECK(asCutRight(L"abcdef", 100) == L"");
    CHECK(asCutLeft(L"", 0) == L"");
    CHECK(asCutRight(L"", 3) == L"");
    CHECK(asCutRight(L"C:\\Data\\", 1) == L"C:\\Data");
}

TEST_CASE("As::CutWithANegativeCountIsError5")
{
    CHECK(ErrorNumberOf([] { asCutLeft(L"abc", -1); }) == 5);
    CHECK(ErrorNumberOf([] { asCutRight(L"abc", -1); }) == 5);
    CHECK(ErrorNumberOf([] { asCutRight(L"", -2147483647L - 1); }) == 5);
}

// Buffers ----------------------------------------------------------------------

TEST_CASE("As::StringFromPointerStopsAtTheFirstNul")
{
    CHECK(asGetStringFromPointerA("abc\0def"sv) == L"abc");
    CHECK(asGetStringFromPointerA("abc"sv) == L"abc");
    CHECK(asGetStringFromPointerA(""sv) == L"");
    CHECK(asGetStringFromPointerA("\0abc"sv) == L"");
    CHECK(asGetStringFromPointerA(std::string(260, '\0')) == L"");

    CHECK(asGetStringFromPointerW(L"abc\0def"sv) == L"abc");
    CHECK(asGetStringFromPointerW(L"Путь"sv) == L"Путь");
    CHECK(asGetStringFromPointerW(L""sv) == L"");
    CHECK(asGetStringFromPointerW(L"\0abc"sv) == L"");
}

TEST_CASE("Text::TooLongToConvertIsErrorNotACutText")
{
    // Views longer than the system's conversions take (2^31 - 1 units), over
    // a short buffer: refused before anything is read. 2^32 + 5 would read as
    // 5 units where the length is cut to 32 bits.
    const std::wstring wide(8, L'x');
    const std::string narrow(8, 'x');
    std::vector<std::size_t> lengths{std::size_t{0x80000005u}};
    if constexpr (sizeof(std::size_t) > 4) lengths.push_back(static_cast<std::size_t>(0x100000005ull));
    for (std::size_t length : lengths) {
        const std::wstring_view text(wide.data(), length);
        const std::string_view bytes(narrow.data(), length);
        CHECK(ErrorNumberOf([&] { ToUtf8(text); }) == 7);
        CHECK(ErrorNumberOf([&] { ToAnsi(text); }) == 7);
        CHECK(ErrorNumberOf([&] { ToOem(text); }) == 7);
        CHECK(ErrorNumberOf([&] { FromUtf8(bytes); }) == 7);
        CHECK(ErrorNumberOf([&] { FromAnsi(bytes); }) == 7);
    }
}

// Each run says which code page it was started for (SUPPORT_TESTS_ANSI_CODE_PAGE)
// and gets it, so that the checks below that depend on it really run.
TEST_CASE("As::RunsUnderTheCodePageItWasStartedFor")
{
    wchar_t codePage[16] = {};
    REQUIRE_MESSAGE(::GetEnvironmentVariableW(L"SUPPORT_TESTS_ANSI_CODE_PAGE", codePage, 16),
                    "SUPPORT_TESTS_ANSI_CODE_PAGE names the code page this run was started for");
    CHECK(std::to_wstring(::GetACP()) == codePage);
}

TEST_CASE("As::StringFromPointerAReadsTheAnsiCodePage")
{
    // "Путь" in code page 1251, then a NUL and what a buffer leaves behind it.
    const std::wstring text = asGetStringFromPointerA("\xCF\xF3\xF2\xFC\0\xCF\xF3"sv);
    CHECK(text.size() == 4);
    switch (::GetACP()) {
    case 1251: CHECK(text == L"Путь"); break;
    case 1252: CHECK(text == L"\u00CF\u00F3\u00F2\u00FC"); break;
    default: MESSAGE("ANSI code page ", ::GetACP(), ": only the length is checked");
    }
}

TEST_CASE("As::StringFrom2NullBufferJoinsItemsWithSingleNuls")
{
    CHECK(asGetStringFrom2NullBufferA("A:\\\0C:\\\0\0"sv) == L"A:\\\0C:\\"s);
    // What GetLogicalDriveStringsA leaves in a larger buffer.
    CHECK(asGetStringFrom2NullBufferA("A:\\\0C:\\\0D:\\\0\0\0\0X:\\\0\0"sv) == L"A:\\\0C:\\\0D:\\"s);
    CHECK(asGetStringFrom2NullBufferA("C:\\\0\0"sv) == L"C:\\");
    CHECK(asGetStringFrom2NullBufferA("a\0\0b\0\0"sv) == L"a");
}

TEST_CASE("As::StringFrom2NullBufferEdgeCases")
{
    // No double NUL: the buffer's end ends the last item.
    CHECK(asGetStringFrom2NullBufferA("A:\\\0C:\\"sv) == L"A:\\\0C:\\"s);
    CHECK(asGetStringFrom2NullBufferA("A:\\\0C:\\\0"sv) == L"A:\\\0C:\\"s);
    CHECK(asGetStringFrom2NullBufferA("abc"sv) == L"abc");
    // Empty, and empty lists.
    CHECK(asGetStringFrom2NullBufferA(""sv) == L"");
    CHECK(asGetStringFrom2NullBufferA("\0"sv) == L"");
    CHECK(asGetStringFrom2NullBufferA("\0\0"sv) == L"");
    CHECK(asGetStringFrom2NullBufferA("\0A:\\\0\0"sv) == L"");
}

TEST_CASE("As::StringFrom2NullBufferReadsTheAnsiCodePage")
{
    // "C:\Папка" and "D:\" in code page 1251.
    const std::wstring items = asGetStringFrom2NullBufferA("C:\\\xCF\xE0\xEF\xEA\xE0\0D:\\\0\0"sv);
    CHECK(items.size() == 12);
    CHECK(items.substr(8) == L"\0D:\\"s);
    if (::GetACP() == 1251) CHECK(items == L"C:\\Папка\0D:\\"s);
}

// Numbers ----------------------------------------------------------------------

TEST_CASE("As::FormatByteSizeBytes")
{
    CHECK(asFormatByteSize(0) == L"0 B");
    CHECK(asFormatByteSize(1) == L"1 B");
    CHECK(asFormatByteSize(999) == L"999 B");
    CHECK(asFormatByteSize(1023) == L"1023 B");
    CHECK(asFormatByteSize(1023.4) == L"1023 B");
    CHECK(asFormatByteSize(1023.5) == Localised(L"1.00 KB"));
    CHECK(asFormatByteSize(1024) == Localised(L"1.00 KB"));
}

TEST_CASE("As::FormatByteSizeHasThreeSignificantDigits")
{
    CHECK(asFormatByteSize(1536) == Localised(L"1.50 KB"));
    CHECK(asFormatByteSize(9.99 * KB) == Localised(L"9.99 KB"));
    CHECK(asFormatByteSize(9.996 * KB) == Localised(L"10.0 KB"));
    CHECK(asFormatByteSize(10 * KB) == Localised(L"10.0 KB"));
    CHECK(asFormatByteSize(99.94 * KB) == Localised(L"99.9 KB"));
    CHECK(asFormatByteSize(99.96 * KB) == L"100 KB");
    CHECK(asFormatByteSize(512 * KB) == L"512 KB");
    CHECK(asFormatByteSize(1023 * KB) == L"1023 KB");
    CHECK(asFormatByteSize(97.63 * GB) == Localised(L"97.6 GB"));
    CHECK(asFormatByteSize(232.4 * GB) == L"232 GB");
    CHECK(asFormatByteSize(232.5 * GB) == L"233 GB");
    CHECK(asFormatByteSize(1.5 * MB) == Localised(L"1.50 MB"));
}

TEST_CASE("As::FormatByteSizeGoesUpAUnitRatherThanShow1024")
{
    CHECK(asFormatByteSize(1023.99 * KB) == Localised(L"1.00 MB"));
    CHECK(asFormatByteSize(1023.5 * KB) == Localised(L"1.00 MB"));
    CHECK(asFormatByteSize(1023.49 * KB) == L"1023 KB");
    CHECK(asFormatByteSize(MB - 1) == Localised(L"1.00 MB"));
    CHECK(asFormatByteSize(GB - 1) == Localised(L"1.00 GB"));
    CHECK(asFormatByteSize(1023.7 * GB) == Localised(L"1.00 TB"));
}

TEST_CASE("As::FormatByteSizeTerabytesAndPetabytes")
{
    CHECK(asFormatByteSize(TB) == Localised(L"1.00 TB"));
    CHECK(asFormatByteSize(2.5 * TB) == Localised(L"2.50 TB"));
    CHECK(asFormatByteSize(18.19 * TB) == Localised(L"18.2 TB"));
    CHECK(asFormatByteSize(PB) == Localised(L"1.00 PB"));
    // No unit beyond PB.
    CHECK(asFormatByteSize(1024 * PB) == L"1024 PB");
    CHECK(asFormatByteSize(20000 * PB) == L"20000 PB");
    CHECK(asFormatByteSize(1e30).ends_with(L" PB"));
}

TEST_CASE("As::FormatByteSizeExHasTwoDecimalsFromKilobytesUp")
{
    CHECK(asFormatByteSizeEx(0) == L"0 B");
    CHECK(asFormatByteSizeEx(1023) == L"1023 B");
    CHECK(asFormatByteSizeEx(1024) == Localised(L"1.00 KB"));
    CHECK(asFormatByteSizeEx(1023.99 * KB) == Localised(L"1023.99 KB"));
    CHECK(asFormatByteSizeEx(1023.999 * KB) == Localised(L"1.00 MB"));
    CHECK(asFormatByteSizeEx(97.63 * GB) == Localised(L"97.63 GB"));
    CHECK(asFormatByteSizeEx(232.4 * GB) == Localised(L"232.40 GB"));
    CHECK(asFormatByteSizeEx(1.006 * TB) == Localised(L"1.01 TB"));
    CHECK(asFormatByteSizeEx(3 * PB) == Localised(L"3.00 PB"));
    CHECK(asFormatByteSizeEx(2048 * PB) == Localised(L"2048.00 PB"));
}

TEST_CASE("As::FormatByteSizeUsesTheUsersDecimalSeparator")
{
    if (PRIMARYLANGID(::GetUserDefaultLangID()) == LANG_RUSSIAN) {
        CHECK(asFormatByteSize(1536) == L"1,50 KB");
        CHECK(asFormatByteSizeEx(97.63 * GB) == L"97,63 GB");
    } else if (::GetUserDefaultLangID() == MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) {
        CHECK(asFormatByteSize(1536) == L"1.50 KB");
        CHECK(asFormatByteSizeEx(97.63 * GB) == L"97.63 GB");
    }
    CHECK(asFormatByteSize(1536).size() == 7);
}

TEST_CASE("As::FormatByteSizeOfNoNumberIsError5")
{
    const double bad[] = {-1.0, -0.5, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (double bytes : bad) {
        CHECK(ErrorNumberOf([&] { asFormatByteSize(bytes); }) == 5);
        CHECK(ErrorNumberOf([&] { asFormatByteSizeEx(bytes); }) == 5);
    }
}

// Icons ------------------------------------------------------------------------

TEST_CASE("As::SetWindowResIconAllGivesBigAndSmallIcons")
{
    TestWindow window;
    for (const wchar_t* name : {L"A_MAIN", L"#100"}) {
        const std::wstring resourceName = name;
        CAPTURE(resourceName);
        asSetWindowResIconAll(window.get(), name);
        auto bigIcon = reinterpret_cast<HICON>(::SendMessageW(window.get(), WM_GETICON, ICON_BIG, 0));
        auto smallIcon = reinterpret_cast<HICON>(::SendMessageW(window.get(), WM_GETICON, ICON_SMALL, 0));
        REQUIRE(bigIcon != nullptr);
        REQUIRE(smallIcon != nullptr);
        const SIZE bigSize = IconSize(bigIcon), smallSize = IconSize(smallIcon);
        CHECK(bigSize.cx == ::GetSystemMetrics(SM_CXICON));
        CHECK(bigSize.cy == ::GetSystemMetrics(SM_CYICON));
        CHECK(smallSize.cx == ::GetSystemMetrics(SM_CXSMICON));
        CHECK(smallSize.cy == ::GetSystemMetrics(SM_CYSMICON));
        CHECK(smallIcon != bigIcon);
        // Shared icons: the same handles as a shared load of the same group.
        CHECK(bigIcon == ::LoadImageW(::GetModuleHandleW(nullptr), name, IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                      LR_SHARED));
        ::SendMessageW(window.get(), WM_SETICON, ICON_BIG, 0);
        ::SendMessageW(window.get(), WM_SETICON, ICON_SMALL, 0);
    }
}

TEST_CASE("As::SetWindowResIconAllFailures")
{
    TestWindow window;
    const long missing = ErrorNumberOf([&] { asSetWindowResIconAll(window.get(), L"NO_SUCH_ICON"); });
    CHECK(missing != 0);
    CHECK((static_cast<unsigned long>(missing) & 0xFFFF0000UL) == 0x80070000UL);
    CHECK(ErrorNumberOf([&] { asSetWindowResIconAll(window.get(), L"#4321"); }) != 0);
    CHECK(::SendMessageW(window.get(), WM_GETICON, ICON_BIG, 0) == 0);

    CHECK(ErrorNumberOf([&] { asSetWindowResIconAll(window.get(), L""); }) == 5);
    const HWND gone = window.get();
    window.destroy();
    CHECK(ErrorNumberOf([&] { asSetWindowResIconAll(gone, L"A_MAIN"); }) ==
          Win32ErrorNumber(ERROR_INVALID_WINDOW_HANDLE));
    CHECK(ErrorNumberOf([&] { asSetWindowResIconAll(nullptr, L"A_MAIN"); }) ==
          Win32ErrorNumber(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_CASE("As::LoadResIconSmallExFromShell32")
{
    HMODULE shell32 = ::LoadLibraryW(L"shell32.dll");
    REQUIRE(shell32 != nullptr);
    UniqueIcon folder = asLoadResIconSmallEx(L"#4", shell32);
    UniqueIcon missing = asLoadResIconSmallEx(L"NO_SUCH_ICON", shell32);
    UniqueIcon missingNumber = asLoadResIconSmallEx(L"#65000", shell32);
    ::FreeLibrary(shell32);

    REQUIRE(folder);
    const SIZE size = IconSize(folder.get());
    CHECK(size.cx == ::GetSystemMetrics(SM_CXSMICON));
    CHECK(size.cy == ::GetSystemMetrics(SM_CYSMICON));
    CHECK_FALSE(missing);
    CHECK_FALSE(missingNumber);
}

TEST_CASE("As::LoadResIconSmallExOutlivesItsModule")
{
    // The test program mapped a second time as data: FreeLibrary really unmaps it.
    HMODULE copy = ::LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(copy != nullptr);
    UniqueIcon icon = asLoadResIconSmallEx(L"A_MAIN", copy);
    UniqueIcon numbered = asLoadResIconSmallEx(L"#100", copy);
    CHECK_FALSE(asLoadResIconSmallEx(L"NO_SUCH_ICON", copy));
    ::FreeLibrary(copy);
    REQUIRE(icon);
    CHECK(numbered);

    // Still drawable: the icon is opaque black on a white background.
    WindowDC screen(nullptr);
    UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 16, 16));
    SelectedObject selected(dc.get(), bitmap.get());
    RECT all{0, 0, 16, 16};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    CHECK(::DrawIconEx(dc.get(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL));
    CHECK(::GetPixel(dc.get(), 8, 8) == RGB(0, 0, 0));
}

TEST_CASE("As::LoadResIconSmallExOfTheRunningProgram")
{
    CHECK(asLoadResIconSmallEx(L"A_MAIN", nullptr));
    CHECK(asLoadResIconSmallEx(L"#100", ::GetModuleHandleW(nullptr)));
    CHECK_FALSE(asLoadResIconSmallEx(L"#101", nullptr));
    CHECK(ErrorNumberOf([] { asLoadResIconSmallEx(L"", nullptr); }) == 5);
}
