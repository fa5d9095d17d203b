#include "app/FrameClock.h"
#include "app/MainLoop.h"

#include <gtest/gtest.h>

#include <deque>

namespace zamp {
namespace {

// A counter that advances by `step` ticks at 1000 ticks per second on every read.
struct ScriptedCounter {
    std::uint64_t now = 0;
    std::uint64_t step = 10;
    CounterSource source() {
        return {[] { return std::uint64_t(1000); }, [this] { return now += step; }};
    }
};

struct ScriptedEvents {
    // One entry per pass: 0 no event, 1 an ordinary event, 2 a quit request.
    std::deque<int> events;
    int escapeAfterTests = -1; // Esc reads as pressed from this test on
    int tests = 0;
    EventSource source() {
        return {[this](bool& quit) {
                    if (events.empty()) return false;
                    int e = events.front();
                    events.pop_front();
                    quit = e == 2;
                    return e != 0;
                },
                [this] { return escapeAfterTests >= 0 && tests++ >= escapeAfterTests; }};
    }
};

struct Loop {
    ScriptedCounter counter;
    FrameClock clock{counter.source()};
    ScriptedEvents events;
    std::vector<float> frameTimes;
    float demoTime = 0;
    float endTime = 0;
    long run() {
        clock.reset();
        EventSource source = events.source();
        return runMainLoop(clock, demoTime, endTime, source, [this] { frameTimes.push_back(demoTime); });
    }
};

TEST(MainLoop, EndTimeZeroDrawsNothing) {
    Loop loop;
    EXPECT_EQ(loop.run(), 0);
    EXPECT_TRUE(loop.frameTimes.empty());
    EXPECT_EQ(loop.demoTime, 0.0f);
}

TEST(MainLoop, EventPassAdvancesTimeButDrawsNothing) {
    Loop loop;
    loop.demoTime = 5;
    loop.endTime = 5.045f;
    loop.events.events = {0, 1, 0};
    loop.run();
    // Each tick reads 10 ms; passes 1 and 3 draw, pass 2 only handles its event.
    ASSERT_GE(loop.frameTimes.size(), 2u);
    EXPECT_NEAR(loop.frameTimes[0], 5.01f, 1e-4);
    EXPECT_NEAR(loop.frameTimes[1], 5.03f, 1e-4);
}

TEST(MainLoop, FirstFrameIsOneDeltaAfterStartAndLastMayPassTheEnd) {
    Loop loop;
    loop.demoTime = 2;
    loop.endTime = 2.025f;
    loop.run();
    ASSERT_EQ(loop.frameTimes.size(), 3u);
    EXPECT_GT(loop.frameTimes.front(), 2.0f); // never drawn at exactly the start time
    EXPECT_GE(loop.frameTimes.back(), loop.endTime);
}

TEST(MainLoop, QuitAndEscapeEndTheLoop) {
    Loop quit;
    quit.endTime = 100;
    quit.events.events = {0, 2, 0, 0};
    EXPECT_EQ(quit.run(), 1); // the quit pass draws nothing and the loop stops before the next

    Loop escape;
    escape.endTime = 100;
    escape.events.escapeAfterTests = 3;
    EXPECT_EQ(escape.run(), 3);
}

TEST(MainLoop, NanTimesEndTheLoop) {
    Loop loop;
    loop.endTime = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(loop.run(), 0);
}

TEST(FrameClock, NeverYieldsAZeroDelta) {
    // The counter repeats each value 50 times. At 1024 ticks a second every time is exact in
    // a float, so a repeated value equals the stored last time and the tick must wait for
    // the counter to move on.
    std::uint64_t reads = 0;
    FrameClock clock({[] { return std::uint64_t(1024); }, [&reads] { return (reads++ / 50) * 7; }});
    clock.reset();
    EXPECT_EQ(clock.delta(), 0.0f);
    for (int i = 0; i < 200; ++i) {
        clock.tick();
        ASSERT_EQ(clock.delta(), 7.0f / 1024) << "tick " << i;
    }
    EXPECT_EQ(clock.lastTime(), 200 * 7.0f / 1024);
}

TEST(FrameClock, RoundingOfTheStoredTimeNeverGivesZero) {
    // With times that a float cannot hold, a repeated counter value differs from the stored
    // (rounded) last time by its rounding: the delta may be a rounding step, never 0.
    std::uint64_t reads = 0;
    FrameClock clock({[] { return std::uint64_t(1000000); }, [&reads] { return (reads++ / 50) * 7; }});
    clock.reset();
    for (int i = 0; i < 200; ++i) {
        clock.tick();
        ASSERT_NE(clock.delta(), 0.0f) << "tick " << i;
    }
}

} // namespace
} // namespace zamp
