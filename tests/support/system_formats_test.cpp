#include <doctest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "support/as.h"
#include "support/es.h"
#include "support/pe_header.h"
#include "test_helpers.h"

using namespace support;
using namespace support_test;

namespace {

// The first bytes of an image: DOS header, "PE\0\0", file header and the
// optional header's magic and ImageBase.
std::string ImageHeaders(std::uint16_t magic, std::uint64_t imageBase, std::uint32_t ntOffset = 0x80)
{
    std::string bytes(ntOffset + 24 + 32, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    std::memcpy(&bytes[0x3C], &ntOffset, 4);
    std::memcpy(&bytes[ntOffset], "PE\0\0", 4);
    const std::size_t optional = ntOffset + 24;
    std::memcpy(&bytes[optional], &magic, 2);
    if (magic == 0x10B) {
        const auto base = static_cast<std::uint32_t>(imageBase);
        std::memcpy(&bytes[optional + 28], &base, 4);
    } else {
        std::memcpy(&bytes[optional + 24], &imageBase, 8);
    }
    return bytes;
}

} // namespace

TEST_CASE("PeHeader::ImageBaseOfBothWidths")
{
    CHECK(PeImageBase(ImageHeaders(0x10B, 0x00400000)) == 0x00400000u);
    CHECK(PeImageBase(ImageHeaders(0x20B, 0x0000000140000000ull)) == 0x0000000140000000ull);
}

TEST_CASE("PeHeader::DamagedHeadersGiveNothing")
{
    std::string bytes = ImageHeaders(0x20B, 0x180000000ull);
    CHECK_FALSE(PeImageBase(bytes.substr(0, bytes.size() - 1)).has_value()); // cut inside ImageBase
    CHECK_FALSE(PeImageBase(bytes.substr(0, 0x3E)).has_value());             // cut inside the offset
    CHECK_FALSE(PeImageBase("").has_value());
    CHECK_FALSE(PeImageBase(ImageHeaders(0x107, 1)).has_value()); // a ROM image's magic
    const std::uint32_t pastTheEnd = 0xFFFFFFF0u;
    std::memcpy(&bytes[0x3C], &pastTheEnd, 4);
    CHECK_FALSE(PeImageBase(bytes).has_value());
    bytes[0] = 'Z';
    CHECK_FALSE(PeImageBase(bytes).has_value());
}

TEST_CASE("As::PreferredBaseOfLoadedModules")
{
    const HMODULE program = ::GetModuleHandleW(nullptr);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(program);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(program) + dos->e_lfanew);
    CHECK(asGetModulePreferredBaseAddr(::GetCurrentProcessId(), reinterpret_cast<std::uintptr_t>(program)) ==
          nt->OptionalHeader.ImageBase);
    // Not the start of an image: error 5, whether the memory is readable or not.
    CHECK(ErrorNumberOf([&] {
              asGetModulePreferredBaseAddr(::GetCurrentProcessId(),
                                           reinterpret_cast<std::uintptr_t>(program) + 16);
          }) == 5);
    CHECK(ErrorNumberOf([] { asGetModulePreferredBaseAddr(::GetCurrentProcessId(), 0x1000); }) == 5);
}

TEST_CASE("As::SystemFigures")
{
    const std::wstring name = asGetHostOSFullName(true, true);
    CHECK(name.rfind(L"Windows ", 0) == 0);
    CHECK(name.find(L" (build ") != std::wstring::npos);
    CHECK(asGetHostOSFullName(false, false).find(L'(') == std::wstring::npos);

    // The system's own figures, as they stand (an emulated 32-bit system may
    // report more memory available than there is in all).
    MemoryStatus memory;
    asGlobalMemoryStatus(memory);
    MEMORYSTATUSEX system{};
    system.dwLength = sizeof system;
    REQUIRE(::GlobalMemoryStatusEx(&system));
    CHECK(memory.MemoryLoad == static_cast<long>(system.dwMemoryLoad));
    CHECK(memory.TotalPhys == static_cast<double>(system.ullTotalPhys));
    CHECK(memory.TotalPageFile == static_cast<double>(system.ullTotalPageFile));
    CHECK(memory.TotalVirtual == static_cast<double>(system.ullTotalVirtual));
    CHECK(memory.AvailVirtual <= memory.TotalVirtual);

    CHECK(asLargeIntegerToDouble(FILETIME{0xFFFFFFFFu, 0x1u}) == 8589934591.0);
}

TEST_CASE("As::ToolHelpListsThisProgramFirst")
{
    const UniqueFileHandle snapshot = asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, ::GetCurrentProcessId());
    REQUIRE(snapshot);
    MODULEENTRY32W entry{};
    REQUIRE(asModule32First(snapshot.get(), entry));
    CHECK(entry.hModule == ::GetModuleHandleW(nullptr));
    int count = 1;
    while (asModule32Next(snapshot.get(), entry))
        ++count;
    CHECK(count > 2);
    CHECK_FALSE(asModule32Next(nullptr, entry));
}

TEST_CASE("Es::HexTexts")
{
    CHECK(esHex2(0x409) == L"0409");
    CHECK(esHex2(0xFFFF) == L"FFFF");
    CHECK(esHexEx4(0x00400000u) == L"0x00400000");
    CHECK(esHexEx4(0xABCDEF01u) == L"0xABCDEF01");
    CHECK(esHexAddress(0x10) == (sizeof(void*) == 4 ? L"0x00000010" : L"0x0000000000000010"));
}

TEST_CASE("Es::FileNames")
{
    CHECK(esBuildFileName(L"C:\\Tools", L"MSINFO32.EXE") == L"C:\\Tools\\MSINFO32.EXE");
    CHECK(esBuildFileName(L"C:\\Tools\\", L"MSINFO32.EXE") == L"C:\\Tools\\MSINFO32.EXE");
    CHECK(esBuildFileName(L"", L"MSINFO32.EXE") == L"MSINFO32.EXE");

    wchar_t shortPath[MAX_PATH] = {};
    REQUIRE(::GetShortPathNameW(ProgramPath().c_str(), shortPath, MAX_PATH) > 0);
    CHECK(esGetLongFileName(shortPath) == ProgramPath());
    CHECK(esGetLongFileName(L"C:\\no such folder\\file.txt") == L"C:\\no such folder\\file.txt");
}

TEST_CASE("Es::DatesAndTimes")
{
    // The runner puts the program in a zone of its own (TZ), away from UTC and
    // without summer time, so that a conversion that does nothing shows.
    TIME_ZONE_INFORMATION zone{};
    REQUIRE(::GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID);
    REQUIRE(zone.Bias != 0);
    SYSTEMTIME time{2024, 2, 4, 29, 13, 5, 9, 0};
    // The local time as the system converts file times.
    FILETIME utcFile{}, localFile{};
    SYSTEMTIME expected{};
    REQUIRE(::SystemTimeToFileTime(&time, &utcFile));
    REQUIRE(::FileTimeToLocalFileTime(&utcFile, &localFile));
    REQUIRE(::FileTimeToSystemTime(&localFile, &expected));

    SYSTEMTIME local{};
    esSystemTimeToLocalSystemTime(time, local);
    CHECK(local.wDay == expected.wDay);
    CHECK(local.wHour == expected.wHour);
    CHECK(local.wMinute == expected.wMinute);
    wchar_t date[64] = {}, clock[64] = {};
    REQUIRE(::GetDateFormatW(LOCALE_USER_DEFAULT, 0, &expected, nullptr, date, 64) > 0);
    REQUIRE(::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &expected, nullptr, clock, 64) > 0);
    CHECK(esFormatDate(local, 0, 0) == date);
    CHECK(esFormatTime(local, 0, 0) == clock);
    esSystemTimeToLocalSystemTime(time, time); // in place
    CHECK(time.wHour == expected.wHour);
    CHECK(time.wMinute == expected.wMinute);

    const SYSTEMTIME invalid{2024, 13, 0, 40, 0, 0, 0, 0};
    CHECK(ErrorNumberOf([&] { esFormatDate(invalid); }) != 0);
}
