#include "verrick/services/tlvMultiMonitor.h"

#include <cstring>

#include "support/es.h"
#include "support/runtime_error.h"
#include "verrick/com/collection.h"
#include "verrick/services/Monitor.h"

namespace verrick {
namespace {

// The monitor functions, bound by name at the first call so that the library
// also loads where user32 lacks them.
struct MonitorFunctions {
    decltype(&::EnumDisplayMonitors) enumDisplayMonitors = nullptr;
    decltype(&::GetMonitorInfoA) getMonitorInfo = nullptr;
    decltype(&::MonitorFromWindow) fromWindow = nullptr;
    decltype(&::MonitorFromPoint) fromPoint = nullptr;
    decltype(&::MonitorFromRect) fromRect = nullptr;

    bool Complete() const noexcept
    {
        return enumDisplayMonitors && getMonitorInfo && fromWindow && fromPoint && fromRect;
    }
};

template <typename F> void Bind(HMODULE module, const char* name, F& function)
{
    function = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const MonitorFunctions& Functions()
{
    static const MonitorFunctions functions = [] {
        MonitorFunctions bound;
        if (HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
            Bind(user32, "EnumDisplayMonitors", bound.enumDisplayMonitors);
            Bind(user32, "GetMonitorInfoA", bound.getMonitorInfo);
            Bind(user32, "MonitorFromWindow", bound.fromWindow);
            Bind(user32, "MonitorFromPoint", bound.fromPoint);
            Bind(user32, "MonitorFromRect", bound.fromRect);
        }
        return bound;
    }();
    return functions;
}

// Per-thread state: every apartment thread decides once and keeps its own
// collection under construction.
enum class SupportMode { Undecided, Platform, Synthetic };
thread_local SupportMode t_supportMode = SupportMode::Undecided;
thread_local Collection* t_collecting = nullptr;

support::ComPtr<Monitor> MakeMonitor(const MonitorRecord& record)
{
    auto monitor = MakeObject<Monitor>();
    monitor->Store(record);
    return monitor;
}

// The platform functions are to be used (null), or the synthetic monitor to answer with.
support::ComPtr<Monitor> SupportCheck()
{
    if (t_supportMode == SupportMode::Undecided) {
        const bool oldHost =
            support::esIsHostWin95() | support::esIsHostWinNT40() | support::esIsHostWinNT351();
        t_supportMode = !oldHost && Functions().Complete() ? SupportMode::Platform : SupportMode::Synthetic;
    }
    if (t_supportMode == SupportMode::Platform) return {};
    // Built anew on every call, so that a changed work area is seen.
    MonitorRecord record{};
    record.size = sizeof record;
    record.flags = MONITORINFOF_PRIMARY;
    std::memcpy(record.deviceName, "DISPLAY", sizeof "DISPLAY");
    ::GetWindowRect(::GetDesktopWindow(), &record.monitor);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &record.work, 0);
    return MakeMonitor(record);
}

support::ComPtr<Monitor> MonitorOfHandle(HMONITOR handle)
{
    if (!handle) return {};
    MonitorRecord record{};
    record.size = sizeof record;
    if (!Functions().getMonitorInfo(handle, reinterpret_cast<MONITORINFO*>(&record))) return {};
    return MakeMonitor(record);
}

BOOL CALLBACK CollectMonitor(HMONITOR handle, HDC, LPRECT, LPARAM)
{
    try {
        if (auto monitor = MonitorOfHandle(handle); monitor && t_collecting)
            t_collecting->Append(support::Variant::Object(monitor.get()));
    } catch (...) {
        // A monitor that cannot be added is left out; the enumeration goes on.
    }
    return TRUE;
}

// A 32-bit sum: overflow (6) beyond its range.
LONG Sum(LONG a, LONG b)
{
    const long long sum = static_cast<long long>(a) + b;
    if (sum < INT32_MIN || sum > INT32_MAX) support::Raise(support::err::Overflow);
    return static_cast<LONG>(sum);
}

} // namespace

HRESULT tlvMultiMonitor::GetAllMonitors(_Collection** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        auto monitors = MakeObject<Collection>();
        if (auto synthetic = SupportCheck()) {
            monitors->Append(support::Variant::Object(synthetic.get()));
        } else {
            struct Collecting {
                explicit Collecting(Collection* target) { t_collecting = target; }
                ~Collecting() { t_collecting = nullptr; }
            } collecting(monitors.get());
            Functions().enumDisplayMonitors(nullptr, nullptr, &CollectMonitor, 0);
        }
        *Result = monitors.release();
    });
}

template <typename Locate> HRESULT tlvMultiMonitor::Lookup(_Monitor** result, Locate&& find)
{
    return GuardMethod([&] {
        if (!result) support::Raise(support::err::InvalidProcedureCall);
        *result = nullptr;
        support::ComPtr<Monitor> monitor = SupportCheck();
        if (!monitor) monitor = MonitorOfHandle(find());
        // No monitor: Nothing for the client, not an error.
        *result = monitor.release();
    });
}

HRESULT tlvMultiMonitor::MonitorFromWindow(LONG hWnd, MonitorFromFlags Flags, _Monitor** Result)
{
    // The type library fixes a Long for the window: window handles keep their
    // value in 32 bits, so LongToHandle widens it back with its sign.
    return Lookup(Result, [&] {
        return Functions().fromWindow(static_cast<HWND>(LongToHandle(hWnd)), static_cast<DWORD>(Flags));
    });
}

HRESULT tlvMultiMonitor::MonitorFromPoint(LONG X, LONG Y, MonitorFromFlags Flags, _Monitor** Result)
{
    return Lookup(Result, [&] { return Functions().fromPoint(POINT{X, Y}, static_cast<DWORD>(Flags)); });
}

HRESULT tlvMultiMonitor::MonitorFromRect(LONG Left, LONG Top, LONG Right, LONG Bottom, MonitorFromFlags Flags,
                                         _Monitor** Result)
{
    return Lookup(Result, [&] {
        const RECT area{Left, Top, Right, Bottom};
        return Functions().fromRect(&area, static_cast<DWORD>(Flags));
    });
}

HRESULT tlvMultiMonitor::MonitorFromNewRect(LONG Left, LONG Top, LONG Width, LONG Height,
                                            MonitorFromFlags Flags, _Monitor** Result)
{
    return Lookup(Result, [&] {
        const RECT area{Left, Top, Sum(Left, Width), Sum(Top, Height)};
        return Functions().fromRect(&area, static_cast<DWORD>(Flags));
    });
}

} // namespace verrick
