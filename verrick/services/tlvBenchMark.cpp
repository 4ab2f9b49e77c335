#include "verrick/services/tlvBenchMark.h"

namespace verrick {

HRESULT tlvBenchMarkHP::GetTickDifference(double* Result)
{
    return GuardMethod([&] { Out(Result) = watch_.Difference(); });
}

HRESULT tlvBenchMarkHP::GetTickFrequencyPerSec(double* Result)
{
    return GuardMethod([&] { Out(Result) = watch_.FrequencyPerSec(); });
}

HRESULT tlvBenchMarkHP::GetTickFrequencyPerMS(double* Result)
{
    return GuardMethod([&] { Out(Result) = watch_.FrequencyPerMS(); });
}

} // namespace verrick
