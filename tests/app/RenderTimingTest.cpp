// The pieces of offline rendering and of the author's mode that need no window: the frames a
// render draws, --frames ranges, the files a show is watched by, and --sync-music's pull.
#include "app/FileWatch.h"
#include "app/FrameSequence.h"
#include "app/MusicSync.h"
#include "core/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zamp {
namespace {

// The frames of the original rule, listed one by one: frame k at start + k / fps in float.
long listedFrames(float start, float end, double fps) {
    long k = 0;
    while (float(double(start) + double(k) / fps) < end) ++k;
    return k;
}

TEST(FrameSequence, CountsAsListingEveryFrameWould) {
    struct Case {
        float start, end;
        double fps;
    } cases[] = {{5, 5.09f, 60},    {0, 60, 60},   {0, 1, 29.97}, {1.1f, 61.25f, 24}, {0, 0, 60},
                 {3, 2, 60},        {0, 0.001f, 1000}, {-2.5f, 0.1f, 7}, {1000.3f, 1000.4f, 60}};
    for (const Case& c : cases) {
        const FrameSequence s = FrameSequence::untilEnd(c.start, c.end, c.fps);
        EXPECT_EQ(s.count(), listedFrames(c.start, c.end, c.fps)) << c.start << ".." << c.end << " at " << c.fps;
        if (s.count() > 0) {
            EXPECT_LT(s.timeOf(s.count() - 1), c.end);
            EXPECT_EQ(s.timeOf(0), c.start);
        }
    }
}

TEST(FrameSequence, EndTimesThatCannotBeRenderedAreRefused) {
    EXPECT_THROW(FrameSequence::untilEnd(0, INFINITY, 60), Error);
    EXPECT_THROW(FrameSequence::untilEnd(0, NAN, 60), Error);
    EXPECT_THROW(FrameSequence::untilEnd(0, 1e30f, 60), Error) << "more frames than a render can number";
    const FrameSequence at = FrameSequence::atTimes({2.5, 0.25});
    EXPECT_EQ(at.count(), 2);
    EXPECT_EQ(at.timeOf(1), 0.25f);
    EXPECT_FALSE(at.followsTheClock());
}

TEST(FrameRange, ReadsFirstColonLast) {
    struct Case {
        const char* text;
        bool ok;
        long first, last;
    } cases[] = {{"0:9", true, 0, 9}, {"12:12", true, 12, 12}, {"5:4", false, 0, 0}, {"-1:3", false, 0, 0},
                 {"3", false, 0, 0},  {"1:2:3", false, 0, 0},  {"a:b", false, 0, 0}, {" 1:2", false, 0, 0},
                 {"1:+2", false, 0, 0}, {"", false, 0, 0}};
    for (const Case& c : cases) {
        const auto range = parseFrameRange(c.text);
        ASSERT_EQ(range.has_value(), c.ok) << c.text;
        if (range) {
            EXPECT_EQ(std::pair(range->first, range->last), std::pair(c.first, c.last)) << c.text;
        }
    }
}

TEST(FileWatch, EachChangeOnceAndFilesThatAppearOrGo) {
    test::TempDir dir;
    const auto a = dir.write("a.lua", "one");
    const auto gone = dir.write("gone.png", "x");
    const auto later = dir.path() / "later.siv";
    FileWatch watch;
    watch.watch({a.string(), gone.string(), later.string()});
    EXPECT_FALSE(watch.changed());
    std::filesystem::last_write_time(a, std::filesystem::last_write_time(a) + std::chrono::seconds(1));
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(watch.changed()) << "reported once";
    dir.write("a.lua", "three"); // a size change in the same second still counts
    std::filesystem::last_write_time(a, std::filesystem::last_write_time(a) - std::chrono::seconds(0));
    EXPECT_TRUE(watch.changed());
    std::filesystem::remove(gone);
    EXPECT_TRUE(watch.changed());
    dir.write("later.siv", "y");
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(watch.changed());
}

TEST(MusicSync, FollowsTheMusicNeverBackwardsAndByLittleStepsOnly) {
    // On time: the clock's step.
    EXPECT_DOUBLE_EQ(followMusic(10.0, 0.016, 10.016), 10.016);
    // Music ahead: closes the gap, at most twice the step more.
    EXPECT_DOUBLE_EQ(followMusic(10.0, 0.01, 10.02), 10.02);
    EXPECT_DOUBLE_EQ(followMusic(10.0, 0.01, 11.0), 10.03);
    // Music behind or stopped: slower, and never back.
    EXPECT_DOUBLE_EQ(followMusic(10.0, 0.01, 10.005), 10.005);
    EXPECT_DOUBLE_EQ(followMusic(10.0, 0.01, 5.0), 10.0);
    // Where the music's position stands in demo time.
    EXPECT_DOUBLE_EQ(musicDemoTime(2.0, 2.0, 7.5), 7.5);  // music started at the start time
    EXPECT_DOUBLE_EQ(musicDemoTime(5.0, 0.0, 1.0), 6.0);  // music loaded before starttime(5)
    // Over many steps with music that steps in blocks of 1024 frames the demo time stays
    // within a block of the music and moves on every frame.
    double demo = 0, music = 0, clock = 0;
    for (int frame = 0; frame < 2000; ++frame) {
        clock += 1.0 / 60;
        while (music + 1024.0 / 44100 <= clock) music += 1024.0 / 44100;
        const double next = followMusic(demo, 1.0 / 60, music);
        ASSERT_GE(next, demo);
        demo = next;
    }
    EXPECT_NEAR(demo, music, 1024.0 / 44100);
}

} // namespace
} // namespace zamp
