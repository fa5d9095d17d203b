#include "app/FrameClock.h"

#include "platform/Platform.h"

namespace zamp {

CounterSource systemCounter() { return {performanceFrequency, performanceCounter}; }

void FrameClock::reset() {
    secondsPerTick_ = 1.0 / double(source_.frequency());
    startCount_ = std::int64_t(source_.counter());
    lastTime_ = float(double(std::int64_t(source_.counter()) - startCount_) * secondsPerTick_);
    delta_ = 0;
}

void FrameClock::tick() {
    double t;
    do {
        t = double(std::int64_t(source_.counter()) - startCount_) * secondsPerTick_;
    } while (t == double(lastTime_));
    delta_ = float(t - double(lastTime_));
    lastTime_ = float(t);
}

} // namespace zamp
