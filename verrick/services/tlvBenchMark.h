#pragma once
// tlvBenchMark and tlvBenchMarkHP: time a stretch of the client's code with
// the millisecond tick count or the performance counter.

#include <windows.h>

#include <string_view>

#include "Velmora.h"
#include "support/com.h"
#include "support/runtime_error.h"
#include "verrick/com/com_object.h"
#include "verrick/services/stopwatch.h"

namespace verrick {

// The members both classes answer alike, each over its own clock.
template <typename Derived, typename Interface, typename Watch>
class StopwatchObject : public DispatchObject<Derived, Interface> {
public:
    HRESULT STDMETHODCALLTYPE FirstMark(VARIANT_BOOL DoBeep) override
    {
        return this->GuardMethod([&] { watch_.FirstMark(DoBeep != VARIANT_FALSE); });
    }
    HRESULT STDMETHODCALLTYPE LastMark() override
    {
        return this->GuardMethod([&] { watch_.LastMark(); });
    }
    HRESULT STDMETHODCALLTYPE GetTickDifferenceMS(double* Result) override
    {
        return this->GuardMethod([&] { Out(Result) = watch_.DifferenceMS(); });
    }
    HRESULT STDMETHODCALLTYPE GetTickDifferenceSec(double* Result) override
    {
        return this->GuardMethod([&] { Out(Result) = watch_.DifferenceSec(); });
    }
    HRESULT STDMETHODCALLTYPE toString(LONG Iterations, VARIANT_BOOL IntegerValues, VARIANT_BOOL UseSeconds,
                                       BSTR* Result) override
    {
        return this->GuardMethod([&] {
            Out(Result) = nullptr;
            const bool seconds = UseSeconds != VARIANT_FALSE;
            const double elapsed = seconds ? watch_.DifferenceSec() : watch_.DifferenceMS();
            *Result = support::Bstr(
                          services::ElapsedText(elapsed, Iterations, IntegerValues != VARIANT_FALSE, seconds))
                          .release();
        });
    }

protected:
    template <typename T> static T& Out(T* result)
    {
        if (!result) support::Raise(support::err::InvalidProcedureCall);
        return *result;
    }

    Watch watch_;
};

class tlvBenchMark final : public StopwatchObject<tlvBenchMark, _tlvBenchMark, services::TickStopwatch> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvBenchMark";
};

class tlvBenchMarkHP final
    : public StopwatchObject<tlvBenchMarkHP, _tlvBenchMarkHP, services::CounterStopwatch> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvBenchMarkHP";

    HRESULT STDMETHODCALLTYPE GetTickDifference(double* Result) override;
    HRESULT STDMETHODCALLTYPE GetTickFrequencyPerSec(double* Result) override;
    HRESULT STDMETHODCALLTYPE GetTickFrequencyPerMS(double* Result) override;
};

} // namespace verrick
