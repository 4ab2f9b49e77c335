#include "verrick/services/tlvBenchMark.h"

#include "support/com.h"
#include "support/runtime_error.h"

namespace verrick {
namespace {

template <typename T> T& Out(T* result)
{
    if (!result) support::Raise(support::err::InvalidProcedureCall);
    return *result;
}

} // namespace

HRESULT tlvBenchMark::FirstMark(VARIANT_BOOL DoBeep)
{
    return Guard([&] { watch_.FirstMark(DoBeep != VARIANT_FALSE); });
}

HRESULT tlvBenchMark::LastMark()
{
    return Guard([&] { watch_.LastMark(); });
}

HRESULT tlvBenchMark::GetTickDifferenceMS(double* Result)
{
    return Guard([&] { Out(Result) = watch_.DifferenceMS(); });
}

HRESULT tlvBenchMark::GetTickDifferenceSec(double* Result)
{
    return Guard([&] { Out(Result) = watch_.DifferenceSec(); });
}

HRESULT tlvBenchMark::toString(LONG Iterations, VARIANT_BOOL IntegerValues, VARIANT_BOOL UseSeconds,
                               BSTR* Result)
{
    return Guard([&] {
        Out(Result) = nullptr;
        const bool seconds = UseSeconds != VARIANT_FALSE;
        const double elapsed = seconds ? watch_.DifferenceSec() : watch_.DifferenceMS();
        *Result =
            support::Bstr(services::ElapsedText(elapsed, Iterations, IntegerValues != VARIANT_FALSE, seconds))
                .release();
    });
}

HRESULT tlvBenchMarkHP::FirstMark(VARIANT_BOOL DoBeep)
{
    return Guard([&] { watch_.FirstMark(DoBeep != VARIANT_FALSE); });
}

HRESULT tlvBenchMarkHP::LastMark()
{
    return Guard([&] { watch_.LastMark(); });
}

HRESULT tlvBenchMarkHP::GetTickDifference(double* Result)
{
    return Guard([&] { Out(Result) = watch_.Difference(); });
}

HRESULT tlvBenchMarkHP::GetTickDifferenceMS(double* Result)
{
    return Guard([&] { Out(Result) = watch_.DifferenceMS(); });
}

HRESULT tlvBenchMarkHP::GetTickDifferenceSec(double* Result)
{
    return Guard([&] { Out(Result) = watch_.DifferenceSec(); });
}

HRESULT tlvBenchMarkHP::GetTickFrequencyPerSec(double* Result)
{
    return Guard([&] { Out(Result) = watch_.FrequencyPerSec(); });
}

HRESULT tlvBenchMarkHP::GetTickFrequencyPerMS(double* Result)
{
    return Guard([&] { Out(Result) = watch_.FrequencyPerMS(); });
}

HRESULT tlvBenchMarkHP::toString(LONG Iterations, VARIANT_BOOL IntegerValues, VARIANT_BOOL UseSeconds,
                                 BSTR* Result)
{
    return Guard([&] {
        Out(Result) = nullptr;
        const bool seconds = UseSeconds != VARIANT_FALSE;
        const double elapsed = seconds ? watch_.DifferenceSec() : watch_.DifferenceMS();
        *Result =
            support::Bstr(services::ElapsedText(elapsed, Iterations, IntegerValues != VARIANT_FALSE, seconds))
                .release();
    });
}

} // namespace verrick
