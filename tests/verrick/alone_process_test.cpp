#include <doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "support/handles.h"

using namespace verrick_test;

namespace {

constexpr long kNormal = 69, kViaMessage = 70, kTrayHook = 71;

// The first copy of a program: alone, its window marked with the method.
struct FirstCopy {
    ChildProcess process;
    HWND window = nullptr;

    FirstCopy(const std::wstring& scope, const std::wstring& id, long method, const wchar_t* option = L"")
        : process(L"services_child alone-first " + scope + L" " + id + L" " + std::to_wstring(method) + L" " +
                  option)
    {
        REQUIRE(process.Started());
        std::wstring line;
        REQUIRE(process.WaitForLine(L"window ", line));
        CHECK(line.ends_with(L" marked True"));
        window = static_cast<HWND>(LongToHandle(std::stol(line.substr(7))));
        REQUIRE(::IsWindow(window));
    }
    // Closes the window and returns every line the first copy wrote.
    std::vector<std::wstring> End()
    {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        std::vector<std::wstring> lines;
        CHECK(process.Finish(lines) == 0);
        return lines;
    }
};

// What the second copy said, without how long its activation took.
std::vector<std::wstring> SecondCopy(const std::wstring& scope, const std::wstring& id, DWORD* took = nullptr)
{
    ChildProcess second(L"services_child alone-second " + scope + L" " + id);
    REQUIRE(second.Started());
    std::vector<std::wstring> lines;
    REQUIRE(second.Finish(lines) == 0);
    REQUIRE(!lines.empty());
    REQUIRE(lines.back().starts_with(L"took "));
    if (took) *took = static_cast<DWORD>(std::stoul(lines.back().substr(5)));
    lines.pop_back();
    return lines;
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& text)
{
    for (const auto& line : lines)
        if (line == text) return true;
    return false;
}

} // namespace

TEST_CASE("tlvAlone::SecondCopyRestoresAndActivatesTheFirst")
{
    for (const wchar_t* scope : {L"app", L"desktop", L"user"}) {
        CAPTURE(std::wstring(scope));
        const std::wstring id = std::wstring(L"{alone-normal-") + scope + L"}";
        FirstCopy first(scope, id, kNormal);
        ::ShowWindow(first.window, SW_MINIMIZE);
        REQUIRE(::IsIconic(first.window));
        const auto second = SecondCopy(scope, id);
        CHECK(second == std::vector<std::wstring>{L"alone False", L"activated True"});
        CHECK_FALSE(::IsIconic(first.window));
        CHECK(::GetForegroundWindow() == first.window);
        CHECK(Contains(first.End(), L"alone True"));
    }
}

TEST_CASE("tlvAlone::ActivationByMessage")
{
    const std::wstring id = L"{alone-message}";
    FirstCopy first(L"app", id, kViaMessage);
    CHECK(SecondCopy(L"app", id) == std::vector<std::wstring>{L"alone False", L"activated True"});
    CHECK(Contains(first.End(), L"message"));
}

TEST_CASE("tlvAlone::AHungFirstCopyIsNotActivated")
{
    // The first copy's window thread sleeps: the message is given up after five seconds.
    const std::wstring id = L"{alone-hung}";
    FirstCopy first(L"app", id, kViaMessage, L"hung");
    DWORD took = 0;
    CHECK(SecondCopy(L"app", id, &took) == std::vector<std::wstring>{L"alone False", L"activated False"});
    CHECK(took <= 5000 + test_wait::Deadline(1000));
}

TEST_CASE("tlvAlone::HiddenWindows")
{
    // Marked for a plain activation, a hidden window is left alone.
    {
        const std::wstring id = L"{alone-hidden-normal}";
        FirstCopy first(L"app", id, kNormal, L"hidden");
        CHECK(SecondCopy(L"app", id) == std::vector<std::wstring>{L"alone False", L"activated False"});
        CHECK_FALSE(::IsWindowVisible(first.window));
        first.End();
    }
    // Minimised to the notification area (hidden and minimised): restored and activated.
    {
        const std::wstring id = L"{alone-tray}";
        FirstCopy first(L"app", id, kTrayHook);
        ::ShowWindow(first.window, SW_MINIMIZE);
        ::ShowWindow(first.window, SW_HIDE);
        REQUIRE(::IsIconic(first.window));
        CHECK(SecondCopy(L"app", id) == std::vector<std::wstring>{L"alone False", L"activated True"});
        CHECK_FALSE(::IsIconic(first.window));
        CHECK(::GetForegroundWindow() == first.window);
        first.End();
    }
    // Hidden but not minimised: brought forward without being restored.
    {
        const std::wstring id = L"{alone-tray-hidden}";
        FirstCopy first(L"app", id, kTrayHook, L"hidden");
        REQUIRE(::GetForegroundWindow() != first.window);
        CHECK(SecondCopy(L"app", id) == std::vector<std::wstring>{L"alone False", L"activated True"});
        CHECK(::GetForegroundWindow() == first.window);
        first.End();
    }
}

TEST_CASE("tlvAlone::MutexThatAnswersAccessDeniedIsAnotherCopy")
{
    // What a mutex of another user answers: an empty access list lets nobody open it.
    ACL emptyList;
    REQUIRE(::InitializeAcl(&emptyList, sizeof emptyList, ACL_REVISION));
    SECURITY_DESCRIPTOR descriptor;
    REQUIRE(::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    REQUIRE(::SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyList, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    support::UniqueKernelHandle mutex(::CreateMutexW(&attributes, FALSE, L"{alone-denied}"));
    REQUIRE(mutex);
    REQUIRE(::CreateMutexW(nullptr, FALSE, L"{alone-denied}") == nullptr);
    REQUIRE(::GetLastError() == ERROR_ACCESS_DENIED);

    CHECK(SecondCopy(L"app", L"{alone-denied}") ==
          std::vector<std::wstring>{L"alone False", L"activated False"});
}
