#include "toolkit/timer.h"

#include "toolkit/form.h"

#include "support/runtime_error.h"

namespace toolkit {

Timer::Timer(Form& parent, std::wstring name) : Control(parent, std::move(name)) {}

const automation::ClassInfo& Timer::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Timer");
        DescribeMembers(made);
        automation::Members<Timer>(made)
            .Property(
                L"Interval", [](Timer& t) { return support::Variant::Long(t.Interval()); },
                [](Timer& t, const VARIANT& v) { t.Interval(automation::ToLong(v)); })
            .Property(
                L"Enabled", [](Timer& t) { return support::Variant::Bool(t.Enabled()); },
                [](Timer& t, const VARIANT& v) { t.Enabled(automation::ToBool(v)); });
        return made;
    }();
    return info;
}

// The form's window timer must not outlive the object it calls back.
Timer::~Timer()
{
    Detach();
}

void Timer::Interval(long milliseconds)
{
    if (milliseconds < 0 || milliseconds > 65535) support::Raise(support::err::InvalidPropertyValue);
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Restart();
}

void Timer::Enabled(bool enabled)
{
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Restart();
}

void Timer::Attach()
{
    Restart();
}

void Timer::Detach()
{
    if (id_) Parent().RemoveTimer(id_);
    id_ = 0;
}

void Timer::Restart()
{
    Detach();
    if (enabled_ && interval_ > 0 && Parent().IsLoaded())
        id_ = Parent().AddTimer(static_cast<UINT>(interval_), &Timer::Tick, this);
}

void Timer::Tick(void* context)
{
    auto* timer = static_cast<Timer*>(context);
    if (timer->OnTimer) timer->OnTimer();
}

} // namespace toolkit
