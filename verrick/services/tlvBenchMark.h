#pragma once
// tlvBenchMark and tlvBenchMarkHP: time a stretch of the client's code with
// the millisecond tick count or the performance counter.

#include <windows.h>

#include <string_view>

#include "Velmora.h"
#include "verrick/frame/com_object.h"
#include "verrick/services/stopwatch.h"

namespace verrick {

class tlvBenchMark final : public DispatchObject<tlvBenchMark, _tlvBenchMark> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvBenchMark";

    HRESULT STDMETHODCALLTYPE FirstMark(VARIANT_BOOL DoBeep) override;
    HRESULT STDMETHODCALLTYPE LastMark() override;
    HRESULT STDMETHODCALLTYPE GetTickDifferenceMS(double* Result) override;
    HRESULT STDMETHODCALLTYPE GetTickDifferenceSec(double* Result) override;
    HRESULT STDMETHODCALLTYPE toString(LONG Iterations, VARIANT_BOOL IntegerValues, VARIANT_BOOL UseSeconds,
                                       BSTR* Result) override;

private:
    services::TickStopwatch watch_;
};

class tlvBenchMarkHP final : public DispatchObject<tlvBenchMarkHP, _tlvBenchMarkHP> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvBenchMarkHP";

    HRESULT STDMETHODCALLTYPE FirstMark(VARIANT_BOOL DoBeep) override;
    HRESULT STDMETHODCALLTYPE LastMark() override;
    HRESULT STDMETHODCALLTYPE GetTickDifference(double* Result) override;
    HRESULT STDMETHODCALLTYPE GetTickDifferenceMS(double* Result) override;
    HRESULT STDMETHODCALLTYPE GetTickDifferenceSec(double* Result) override;
    HRESULT STDMETHODCALLTYPE GetTickFrequencyPerSec(double* Result) override;
    HRESULT STDMETHODCALLTYPE GetTickFrequencyPerMS(double* Result) override;
    HRESULT STDMETHODCALLTYPE toString(LONG Iterations, VARIANT_BOOL IntegerValues, VARIANT_BOOL UseSeconds,
                                       BSTR* Result) override;

private:
    services::CounterStopwatch watch_;
};

} // namespace verrick
