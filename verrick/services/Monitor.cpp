#include "verrick/services/Monitor.h"

#include <cstring>
#include <string_view>

#include "support/as.h"
#include "support/com.h"
#include "support/es.h"
#include "support/runtime_error.h"

namespace verrick {
namespace {

// right - left in signed 32-bit arithmetic: overflow (6) beyond its range.
LONG Extent(LONG from, LONG to)
{
    const long long extent = static_cast<long long>(to) - from;
    if (extent < INT32_MIN || extent > INT32_MAX) support::Raise(support::err::Overflow);
    return static_cast<LONG>(extent);
}

} // namespace

void Monitor::Store(const MonitorRecord& record) noexcept
{
    record_ = record;
    support::esNormalizeRect(record_.monitor);
    support::esNormalizeRect(record_.work);
}

template <typename Read> HRESULT Monitor::Get(LONG* result, Read&& read)
{
    return GuardMethod([&] {
        if (!result) support::Raise(support::err::InvalidProcedureCall);
        *result = read(record_);
    });
}

HRESULT Monitor::get_Primary(VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = (record_.flags & MONITORINFOF_PRIMARY) ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

HRESULT Monitor::get_Flags(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return static_cast<LONG>(r.flags); });
}

HRESULT Monitor::get_DeviceName(BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        // A name that fills all 32 bytes ends at the 31st.
        char name[sizeof record_.deviceName];
        std::memcpy(name, record_.deviceName, sizeof name);
        name[sizeof name - 1] = '\0';
        *Result =
            support::Bstr(support::asGetStringFromPointerA(std::string_view(name, sizeof name))).release();
    });
}

HRESULT Monitor::get_MonitorLeft(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.monitor.left; });
}

HRESULT Monitor::get_MonitorTop(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.monitor.top; });
}

HRESULT Monitor::get_MonitorWidth(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return Extent(r.monitor.left, r.monitor.right); });
}

HRESULT Monitor::get_MonitorHeight(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return Extent(r.monitor.top, r.monitor.bottom); });
}

HRESULT Monitor::get_MonitorRight(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.monitor.right; });
}

HRESULT Monitor::get_MonitorBottom(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.monitor.bottom; });
}

HRESULT Monitor::get_WorkAreaLeft(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.work.left; });
}

HRESULT Monitor::get_WorkAreaTop(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.work.top; });
}

HRESULT Monitor::get_WorkAreaWidth(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return Extent(r.work.left, r.work.right); });
}

HRESULT Monitor::get_WorkAreaHeight(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return Extent(r.work.top, r.work.bottom); });
}

HRESULT Monitor::get_WorkAreaRight(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.work.right; });
}

HRESULT Monitor::get_WorkAreaBottom(LONG* Result)
{
    return Get(Result, [](const MonitorRecord& r) { return r.work.bottom; });
}

} // namespace verrick
