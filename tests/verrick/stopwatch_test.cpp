#include <doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/as.h"
#include "support/runtime_error.h"
#include "verrick/services/stopwatch.h"

using namespace verrick::services;

namespace {

// Hands out the readings it is given, in order, and records the beeps among them.
class FakeClock final : public Clock {
public:
    std::vector<std::uint32_t> ticks;
    std::vector<std::int64_t> counters;
    std::int64_t frequency = 1000;
    std::vector<std::string> events;

    std::uint32_t Ticks() override
    {
        events.push_back("read");
        return ticks.at(nextTick_++);
    }
    std::int64_t Counter() override
    {
        events.push_back("read");
        return counters.at(nextCounter_++);
    }
    std::int64_t Frequency() override { return frequency; }
    void Beep() override { events.push_back("beep"); }

private:
    size_t nextTick_ = 0;
    size_t nextCounter_ = 0;
};

} // namespace

TEST_CASE("TickStopwatch::Difference")
{
    FakeClock clock;
    clock.ticks = {1000, 3000, 4294967290u, 10, 500};
    TickStopwatch watch(clock);
    watch.FirstMark(false);
    watch.LastMark();
    CHECK(watch.DifferenceMS() == 2000.0);
    CHECK(watch.DifferenceSec() == 2.0);

    // The tick count wrapped between the marks: 6 ticks up to the wrap, 10 after it.
    watch.FirstMark(false);
    watch.LastMark();
    CHECK(watch.DifferenceMS() == 16.0);

    // A new first mark keeps the last one.
    watch.FirstMark(false);
    CHECK(watch.DifferenceMS() == 4294966806.0); // 10 - 500 read unsigned
}

TEST_CASE("TickStopwatch::BeepsOnlyWhenAskedAndBeforeTheReading")
{
    FakeClock clock;
    clock.ticks = {1, 2, 3};
    TickStopwatch watch(clock);
    watch.FirstMark(false);
    watch.LastMark();
    CHECK(clock.events == std::vector<std::string>{"read", "read"});
    watch.FirstMark(true);
    CHECK(clock.events == std::vector<std::string>{"read", "read", "beep", "read"});
}

TEST_CASE("CounterStopwatch::Figures")
{
    FakeClock clock;
    clock.counters = {10'000, 40'000};
    clock.frequency = 10'000'000;
    CounterStopwatch watch(clock);
    watch.FirstMark(true);
    watch.LastMark();
    CHECK(clock.events == std::vector<std::string>{"beep", "read", "read"});
    CHECK(watch.Difference() == 30'000.0);
    CHECK(watch.FrequencyPerSec() == 10'000'000.0);
    CHECK(watch.FrequencyPerMS() == 10'000.0);
    CHECK(watch.DifferenceMS() == doctest::Approx(3.0));
    CHECK(watch.DifferenceSec() == doctest::Approx(0.003));

    // The frequency is read anew on every call.
    clock.frequency = 0;
    CHECK(watch.FrequencyPerSec() == 0.0);
    for (auto read : {&CounterStopwatch::DifferenceMS, &CounterStopwatch::DifferenceSec}) {
        try {
            (watch.*read)();
            FAIL("no error without a performance counter");
        } catch (const support::RuntimeError& error) {
            CHECK(error.Number() == support::err::DivisionByZero);
        }
    }
}

TEST_CASE("CounterStopwatch::AgainstTheRealCounter")
{
    CounterStopwatch watch;
    REQUIRE(watch.FrequencyPerSec() > 0.0);
    watch.FirstMark(false);
    ::Sleep(200);
    watch.LastMark();
    // Generous bounds: this checks the units, not the speed of the machine.
    CHECK(watch.DifferenceMS() >= 150.0);
    CHECK(watch.DifferenceMS() < 5000.0);
    CHECK(watch.DifferenceSec() == doctest::Approx(watch.DifferenceMS() / 1000.0));

    TickStopwatch ticks;
    ticks.FirstMark(false);
    ::Sleep(200);
    ticks.LastMark();
    CHECK(ticks.DifferenceMS() >= 150.0);
    CHECK(ticks.DifferenceMS() < 5000.0);
}

TEST_CASE("ElapsedText::Forms")
{
    const std::wstring point = support::asFormatDouble(0.5).substr(1, 1);
    CHECK(ElapsedText(2.0, 0, false, true) == L"2 sec.");
    CHECK(ElapsedText(1.5, 0, false, true) == L"1" + point + L"5 sec.");
    // No iterations, or a negative count: the count is ignored.
    CHECK(ElapsedText(1.5, -5, false, true) == ElapsedText(1.5, 0, false, true));
    CHECK(ElapsedText(1500.4, 0, true, false) == L"1500 ms.");
    CHECK(ElapsedText(1.5, 250, false, true) == L"0" + point + L"006 sec. / 250 (1" + point + L"5 sec.)");
    CHECK(ElapsedText(1500.0, 250, true, false) == L"6 ms. / 250 (1500 ms.)");
}

TEST_CASE("asFormat::Numbers")
{
    CHECK(support::asFormatLong(-2147483647L - 1) == L"-2147483648");
    CHECK(support::asFormatInt64(2.5) == L"3");
    CHECK(support::asFormatInt64(-2.5) == L"-3");
    CHECK(support::asFormatInt64(4294967295.0) == L"4294967295");
    CHECK(support::asFormatDouble(2.0) == L"2");
    CHECK(support::asFormatDouble(-0.0000001) == L"0");
    CHECK(support::asFormatDouble(0.000123).size() == 8);
    CHECK(support::asLongToUnsignedLong(-1) == 4294967295.0);
}
