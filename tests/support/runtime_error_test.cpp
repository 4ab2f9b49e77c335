#include <doctest.h>

#include "support/runtime_error.h"

using namespace support;

TEST_CASE("RuntimeError::StandardNumbers")
{
    RuntimeError error(err::SubscriptOutOfRange);
    CHECK(error.Number() == 9);
    CHECK(error.Description() == L"Subscript out of range");
    CHECK(std::string(error.what()) == "Run-time error 9: Subscript out of range");

    RuntimeError custom(5, L"Путь", L"Vorlan");
    CHECK(custom.Description() == L"Путь");
    CHECK(custom.Source() == L"Vorlan");
}

TEST_CASE("RuntimeError::Win32FailuresCarryTheirHresult")
{
    try {
        RaiseWin32(ERROR_FILE_NOT_FOUND, L"CreateFileW");
        FAIL("no error raised");
    } catch (const RuntimeError& e) {
        CHECK(e.Number() == static_cast<long>(0x80070002));
        CHECK(e.Source() == L"CreateFileW");
        CHECK(!e.Description().empty());
    }
}
