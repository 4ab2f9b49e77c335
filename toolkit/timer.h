#pragma once
// A timer: raises its Timer event every Interval milliseconds while enabled
// and its form is loaded.

#include <functional>

#include "toolkit/control.h"

namespace toolkit {

class Timer : public Control {
public:
    Timer(Form& parent, std::wstring name);
    ~Timer() override;

    // 0 to 65535 ms; 0 stops the ticks. Anything else is error 380.
    void Interval(long milliseconds);
    long Interval() const noexcept { return interval_; }
    void Enabled(bool enabled);
    bool Enabled() const noexcept { return enabled_; }

    std::function<void()> OnTimer;

    void Attach() override;
    void Detach() override;

    const automation::ClassInfo& AutomationClass() const override;

private:
    void Restart();
    static void Tick(void* context);

    long interval_ = 0;
    bool enabled_ = true;
    UINT_PTR id_ = 0;
};

} // namespace toolkit
