#include <doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "support/handles.h"

using namespace verrick_test;

namespace {

// Wine's per-program Windows version, read when a program starts.
class ReportedVersion {
public:
    explicit ReportedVersion(const wchar_t* version)
    {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key_.put(),
                          nullptr);
        ::RegSetValueExW(key_.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                         static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    }
    ~ReportedVersion()
    {
        key_.reset();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    }

private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\services_child.exe";
    support::UniqueRegKey key_;
};

std::vector<std::wstring> RunMonitors()
{
    ChildProcess child(L"services_child monitors");
    REQUIRE(child.Started());
    std::vector<std::wstring> lines;
    REQUIRE(child.Finish(lines) == 0);
    return lines;
}

std::wstring Expected(const wchar_t* name, const RECT& monitor, const RECT& work)
{
    std::wstring text = name;
    text += L" primary 1";
    for (LONG value : {monitor.left, monitor.top, monitor.right, monitor.bottom, monitor.right - monitor.left,
                       monitor.bottom - monitor.top, work.left, work.top, work.right, work.bottom,
                       work.right - work.left, work.bottom - work.top})
        text += L" " + std::to_wstring(value);
    return text;
}

} // namespace

TEST_CASE("tlvMultiMonitor::PlatformMonitors")
{
    RECT desktop{}, work{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const auto lines = RunMonitors();
    REQUIRE(lines.size() >= 2);
    // Wine's one monitor under a plain display: the screen, its work area the same.
    CHECK(lines.front() == Expected(L"\\\\.\\DISPLAY1", desktop, work));
    CHECK(lines.back() == L"far: nothing");
}

TEST_CASE("tlvMultiMonitor::SyntheticMonitorOnWindowsNT4")
{
    RECT desktop{}, work{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ReportedVersion nt4(L"nt40");
    const auto lines = RunMonitors();
    // One monitor, named "DISPLAY"; every lookup answers with it, whatever the arguments.
    REQUIRE(lines.size() == 2);
    CHECK(lines[0] == Expected(L"DISPLAY", desktop, work));
    CHECK(lines[1] == L"far: " + Expected(L"DISPLAY", desktop, work));
}
