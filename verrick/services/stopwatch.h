#pragma once
// The marks and arithmetic behind tlvBenchMark and tlvBenchMarkHP, over a
// clock that tests can replace.

#include <cstdint>
#include <string>

namespace verrick::services {

// Where the marks come from: the millisecond tick count, the performance
// counter and its frequency, and the simple beep.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t Ticks() = 0;
    virtual std::int64_t Counter() = 0;
    virtual std::int64_t Frequency() = 0;
    virtual void Beep() = 0;
};

// GetTickCount, QueryPerformanceCounter / Frequency and MessageBeep(-1).
Clock& SystemClock();

// Marks of the millisecond tick count.
class TickStopwatch {
public:
    explicit TickStopwatch(Clock& clock = SystemClock()) : clock_(&clock) {}

    // The beep comes before the reading, so its own time is not measured.
    void FirstMark(bool beep);
    void LastMark();
    // The unsigned 32-bit difference: right also when the count wrapped
    // between the marks (every 49.7 days).
    double DifferenceMS() const;
    double DifferenceSec() const { return DifferenceMS() / 1000.0; }

private:
    Clock* clock_;
    std::uint32_t first_ = 0;
    std::uint32_t last_ = 0;
};

// Marks of the performance counter.
class CounterStopwatch {
public:
    explicit CounterStopwatch(Clock& clock = SystemClock()) : clock_(&clock) {}

    void FirstMark(bool beep);
    void LastMark();
    // In counter units.
    double Difference() const;
    // Read anew on every call.
    double FrequencyPerSec() const;
    double FrequencyPerMS() const { return FrequencyPerSec() / 1000.0; }
    // Run-time error 11 (division by zero) without a performance counter.
    double DifferenceMS() const;
    double DifferenceSec() const;

private:
    Clock* clock_;
    std::int64_t first_ = 0;
    std::int64_t last_ = 0;
};

// The text of an elapsed time (seconds or milliseconds as useSeconds says):
// "T sec." or, with iterations above 0, "T/n sec. / n (T sec.)", numbers as
// whole ones or with their fraction.
std::wstring ElapsedText(double elapsed, long iterations, bool integerValues, bool useSeconds);

} // namespace verrick::services
