#include "verrick/services/stopwatch.h"

#include <windows.h>

#include "support/as.h"
#include "support/runtime_error.h"

namespace verrick::services {
namespace {

class WindowsClock final : public Clock {
public:
    std::uint32_t Ticks() override { return ::GetTickCount(); }
    std::int64_t Counter() override
    {
        LARGE_INTEGER value{};
        ::QueryPerformanceCounter(&value);
        return value.QuadPart;
    }
    std::int64_t Frequency() override
    {
        LARGE_INTEGER value{};
        if (!::QueryPerformanceFrequency(&value)) return 0;
        return value.QuadPart;
    }
    void Beep() override { ::MessageBeep(0xFFFFFFFF); }
};

} // namespace

Clock& SystemClock()
{
    static WindowsClock clock;
    return clock;
}

void TickStopwatch::FirstMark(bool beep)
{
    if (beep) clock_->Beep();
    first_ = clock_->Ticks();
}

void TickStopwatch::LastMark()
{
    last_ = clock_->Ticks();
}

double TickStopwatch::DifferenceMS() const
{
    return static_cast<double>(static_cast<std::uint32_t>(last_ - first_));
}

void CounterStopwatch::FirstMark(bool beep)
{
    if (beep) clock_->Beep();
    first_ = clock_->Counter();
}

void CounterStopwatch::LastMark()
{
    last_ = clock_->Counter();
}

double CounterStopwatch::Difference() const
{
    return static_cast<double>(last_) - static_cast<double>(first_);
}

double CounterStopwatch::FrequencyPerSec() const
{
    return static_cast<double>(clock_->Frequency());
}

double CounterStopwatch::DifferenceMS() const
{
    const double perMS = FrequencyPerMS();
    if (perMS == 0.0) support::Raise(support::err::DivisionByZero);
    return Difference() / perMS;
}

double CounterStopwatch::DifferenceSec() const
{
    const double perSec = FrequencyPerSec();
    if (perSec == 0.0) support::Raise(support::err::DivisionByZero);
    return Difference() / perSec;
}

std::wstring ElapsedText(double elapsed, long iterations, bool integerValues, bool useSeconds)
{
    auto format = integerValues ? support::asFormatInt64 : support::asFormatDouble;
    const wchar_t* unit = useSeconds ? L" sec." : L" ms.";
    if (iterations <= 0) return format(elapsed) + unit;
    return format(elapsed / iterations) + unit + L" / " + support::asFormatLong(iterations) + L" (" +
           format(elapsed) + unit + L")";
}

} // namespace verrick::services
