#include <doctest.h>

#include <optional>

#include "toolkit/form.h"
#include "toolkit/timer.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

struct TimerForm {
    TimerForm()
    {
        tmrTick.Interval(20);
        tmrTick.OnTimer = [this] { ++ticks; };
    }
    ~TimerForm() { form.Unload(); }

    Form form{L"frmTimer"};
    Timer tmrTick{form, L"tmrTick"};
    int ticks = 0;
};

} // namespace

TEST_CASE("Timer::TicksWhileEnabledAndLoaded")
{
    TimerForm f;
    PumpFor(60);
    CHECK(f.ticks == 0);

    f.form.Load();
    CHECK(PumpUntil([&] { return f.ticks >= 2; }));

    SUBCASE("Enabled false stops it, true starts it again")
    {
        f.tmrTick.Enabled(false);
        f.ticks = 0;
        PumpFor(80);
        CHECK(f.ticks == 0);
        f.tmrTick.Enabled(true);
        CHECK(PumpUntil([&] { return f.ticks >= 1; }));
    }
    SUBCASE("Interval 0 stops it")
    {
        f.tmrTick.Interval(0);
        f.ticks = 0;
        PumpFor(80);
        CHECK(f.ticks == 0);
        CHECK(f.tmrTick.Enabled());
    }
    SUBCASE("unloading the form stops it")
    {
        f.form.Unload();
        f.ticks = 0;
        PumpFor(80);
        CHECK(f.ticks == 0);
    }
}

TEST_CASE("Timer::IntervalRange")
{
    TimerForm f;
    CHECK(ErrorNumberOf([&] { f.tmrTick.Interval(-1); }) == 380);
    CHECK(ErrorNumberOf([&] { f.tmrTick.Interval(65536); }) == 380);
    CHECK(f.tmrTick.Interval() == 20);
    CHECK(ErrorNumberOf([&] { f.tmrTick.Interval(65535); }) == 0);
    CHECK(f.tmrTick.Interval() == 65535);
}

TEST_CASE("Timer::DisabledStaysQuietAfterReload")
{
    TimerForm f;
    Timer tmrOther(f.form, L"tmrOther");
    int otherTicks = 0;
    tmrOther.Interval(20);
    tmrOther.OnTimer = [&] { ++otherTicks; };
    f.tmrTick.Enabled(false);
    f.form.Load();
    f.form.Unload();
    f.form.Load();
    CHECK(PumpUntil([&] { return otherTicks >= 3; }));
    CHECK(f.ticks == 0);
}

TEST_CASE("Timer::ChangesItselfInItsTick")
{
    TimerForm f;
    SUBCASE("disables itself")
    {
        f.tmrTick.OnTimer = [&] {
            ++f.ticks;
            f.tmrTick.Enabled(false);
        };
    }
    SUBCASE("unloads its form")
    {
        f.tmrTick.OnTimer = [&] {
            ++f.ticks;
            f.form.Unload();
        };
    }
    f.form.Load();
    CHECK(PumpUntil([&] { return f.ticks == 1; }));
    PumpFor(80);
    CHECK(f.ticks == 1);
}

TEST_CASE("Timer::DestroyedTimerStopsItsWindowTimer")
{
    Form form(L"frmTimer");
    form.Load();
    std::optional<Timer> timer;
    timer.emplace(form, L"tmrDynamic");
    int ticks = 0;
    timer->OnTimer = [&] { ++ticks; };
    timer->Interval(20);
    CHECK(PumpUntil([&] { return ticks >= 1; }));
    timer.reset();
    // Not pumped: a tick now would reach the destroyed timer.
    ::Sleep(60);
    MSG message;
    CHECK_FALSE(::PeekMessageW(&message, form.hWnd(), WM_TIMER, WM_TIMER, PM_NOREMOVE));
    form.Unload();
}
