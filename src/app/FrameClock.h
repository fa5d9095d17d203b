// The frame timer: seconds since `reset` from a high-resolution counter. A tick never
// yields a zero delta: it reads the counter until the time differs from the last one.
#pragma once

#include <cstdint>
#include <functional>

namespace zamp {

struct CounterSource {
    std::function<std::uint64_t()> frequency;
    std::function<std::uint64_t()> counter;
};

// The platform's performance counter.
CounterSource systemCounter();

class FrameClock {
public:
    explicit FrameClock(CounterSource source = systemCounter()) : source_(std::move(source)) {}

    void reset();
    void tick();

    float delta() const { return delta_; }
    float lastTime() const { return lastTime_; }

private:
    CounterSource source_;
    std::int64_t startCount_ = 0;
    float lastTime_ = 0;
    float delta_ = 0;
    double secondsPerTick_ = 0;
};

} // namespace zamp
