#include <doctest.h>

#include <new>

#include "support/com.h"
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

TEST_CASE("RuntimeError::BoundaryAnswersOneWay")
{
    auto report = [](auto thrower, EXCEPINFO* exception) {
        try {
            thrower();
        } catch (...) {
            return ReportCaughtError(IID_IDispatch, L"Lib.Object", exception);
        }
        return S_OK;
    };
    EXCEPINFO exception{};
    CHECK(report([] { Raise(err::SubscriptOutOfRange, L"", L"Inner"); }, &exception) == DISP_E_EXCEPTION);
    RuntimeError taken = TakeExcepInfo(exception);
    CHECK(taken.Number() == err::SubscriptOutOfRange);
    CHECK(taken.Source() == L"Inner");

    // Without an EXCEPINFO the error goes to the thread's error info, under the boundary's own source.
    CHECK(report([] { throw std::bad_alloc(); }, nullptr) == HresultOfErrorNumber(err::OutOfMemory));
    ComPtr<IErrorInfo> info;
    REQUIRE(::GetErrorInfo(0, info.put()) == S_OK);
    Bstr source, description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    CHECK(source.view() == L"Lib.Object");
    CHECK(description.view() == L"Out of memory");

    CHECK(report([] { throw 1; }, nullptr) == E_UNEXPECTED);
    ::SetErrorInfo(0, nullptr);
    try {
        throw std::bad_alloc();
    } catch (...) {
        CHECK(HresultOfCaughtError() == E_OUTOFMEMORY);
    }
}

TEST_CASE("RuntimeError::FailedCallsRaiseWhatTheCalleeReported")
{
    // A call through an interface: the callee's error info, its source included.
    SetThreadErrorInfo(IID_IDispatch, L"Lib.Object", L"Disk not ready", HresultOfErrorNumber(71));
    try {
        RaiseFailedCall(HresultOfErrorNumber(71), L"Method");
        FAIL("no error raised");
    } catch (const RuntimeError& e) {
        CHECK(e.Number() == 71);
        CHECK(e.Description() == L"Disk not ready");
        CHECK(e.Source() == L"Lib.Object");
    }
    // Nothing left on the thread: the HRESULT's number and text, and the call as the source.
    try {
        RaiseFailedCall(E_INVALIDARG, L"Method");
        FAIL("no error raised");
    } catch (const RuntimeError& e) {
        CHECK(e.Number() == err::InvalidProcedureCall);
        CHECK(e.Description() == L"Invalid procedure call or argument");
        CHECK(e.Source() == L"Method");
    }
    // A late-bound call: a missing member is named, and the thread's error info is not the callee's.
    SetThreadErrorInfo(IID_IDispatch, L"Stale", L"Stale", E_FAIL);
    EXCEPINFO none{};
    try {
        RaiseFailedCall(DISP_E_MEMBERNOTFOUND, L"Caption", &none);
        FAIL("no error raised");
    } catch (const RuntimeError& e) {
        CHECK(e.Number() == err::MethodNotSupported);
        CHECK(e.Description() == L"Object doesn't support this property or method: 'Caption'");
        CHECK(e.Source().empty());
    }
    ::SetErrorInfo(0, nullptr);
}
