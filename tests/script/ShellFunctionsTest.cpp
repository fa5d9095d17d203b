#include "core/Error.h"
#include "support/RecordingDevice.h"
#include "support/ScriptedShow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <set>

namespace zamp {
namespace {

using test::hex;

struct ScriptFixture : ::testing::Test {
    test::RecordingDevice device;
    test::ScriptedShow s{device};
    ScriptRun run(const std::string& source) { return s.run(source); }
    std::vector<std::string> states() { return device.calls("SetRenderState"); }
};

TEST_F(ScriptFixture, AmbientAndFogColoursPackTheirBytesAndReachTheDevice) {
    run("setambientcolor(255, 128, 0) setfogcolor(255, 128, 0)");
    EXPECT_EQ(s.show.renderStates.get(ScriptRenderStates::State::Ambient), 0x00FF8000u);
    EXPECT_EQ(s.show.renderStates.get(ScriptRenderStates::State::FogColor), 0xFFFF8000u);
    EXPECT_EQ(device.renderState(D3DRS_AMBIENT), 0x00FF8000u);
    EXPECT_EQ(device.renderState(D3DRS_FOGCOLOR), 0xFFFF8000u);
}

TEST_F(ScriptFixture, ColourBytesWrapAndTruncate) {
    run("setambientcolor(256, 127.9, -1)");
    EXPECT_EQ(device.renderState(D3DRS_AMBIENT), 0x00007FFFu);
    run("setambientcolor(300, 0, 0)");
    EXPECT_EQ(device.renderState(D3DRS_AMBIENT), 0x002C0000u);
}

TEST_F(ScriptFixture, EnableFogPutsDefaultColourAndRangeBack) {
    run("setfogcolor(1, 2, 3) setfogrange(5, 6) enablefog()");
    using State = ScriptRenderStates::State;
    const ScriptRenderStates& r = s.show.renderStates;
    EXPECT_EQ(r.get(State::FogEnable), 1u);
    EXPECT_EQ(r.get(State::RangeFogEnable), 1u);
    EXPECT_EQ(r.get(State::FogColor), 0xFF808080u);
    EXPECT_EQ(r.get(State::FogVertexMode), DWORD(D3DFOG_LINEAR));
    EXPECT_EQ(r.get(State::FogStart), floatBits(100.0f));
    EXPECT_EQ(r.get(State::FogEnd), floatBits(1000.0f));
    run("disablefog()");
    EXPECT_EQ(device.renderState(D3DRS_FOGENABLE), 0u);
    EXPECT_EQ(device.renderState(D3DRS_RANGEFOGENABLE), 0u);
    EXPECT_EQ(device.renderState(D3DRS_FOGCOLOR), 0xFF808080u); // colour and range stay
    EXPECT_EQ(device.renderState(D3DRS_FOGEND), floatBits(1000.0f));
}

TEST_F(ScriptFixture, FogRangeStoresFloatBits) {
    run("setfogrange(0.1, 2500.5)");
    EXPECT_EQ(device.renderState(D3DRS_FOGSTART), floatBits(0.1f));
    EXPECT_EQ(device.renderState(D3DRS_FOGEND), floatBits(2500.5f));
}

TEST_F(ScriptFixture, StartAndEndTimesAreFloats) {
    run("starttime(1.1) endtime(61.25)");
    EXPECT_EQ(s.show.startTime, 1.1f);
    EXPECT_EQ(s.show.endTime, 61.25f);
}

TEST(ScriptRandom, StaysInRangeAndRepeatsAcrossRuns) {
    auto draw = [] {
        test::RecordingDevice device;
        test::ScriptedShow s(device);
        // Every run starts the generator afresh, as a new process does.
        std::srand(1);
        s.run("values = {} for i = 1, 200 do values[i] = random(6) end "
              "function at(i) return values[i] end");
        std::vector<int> values;
        for (int i = 1; i <= 200; ++i) {
            s.run("current = at(" + std::to_string(i) + ")");
            values.push_back(int(s.global("current")));
        }
        return values;
    };
    std::vector<int> first = draw(), second = draw();
    EXPECT_EQ(first, second);
    std::set<int> seen(first.begin(), first.end());
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(ScriptFixture, RandomOfZeroEndsTheRunWithAMessage) {
    EXPECT_EQ(s.failure("random(0)"), "random: n must not be 0");
}

} // namespace
} // namespace zamp

namespace zamp {
namespace {

TEST_F(ScriptFixture, LoadMusicChoosesTheFileAndTheStartTimeThatStandsThen) {
    EXPECT_EQ(run("starttime(30) loadmusic('first.ogg') starttime(12) loadmusic('tune.mod') starttime(40)"), ScriptRun::Finished);
    ASSERT_TRUE(s.show.music.has_value());
    EXPECT_EQ(s.show.music->path, "tune.mod") << "the last choice wins";
    EXPECT_EQ(s.show.music->startSeconds, 12.0f);
}

TEST(ScriptFileNames, AZeroByteInAFileNameIsRefusedNotCutAt) {
    // The file system would read the name only up to the zero byte and open another file.
    const struct {
        const char* call;
        const char* message;
    } cases[] = {
        {"loadsiv('a.siv\\0b', 'x')", "loadsiv: argument 1 (file path) \"a.siv\\0b\" holds a zero byte, so it names no file"},
        {"loadimage('pic.png\\0.txt', 'n')",
         "loadimage: argument 1 (file name) \"pic.png\\0.txt\" holds a zero byte, so it names no file"},
        {"loadmusic('\\0')", "loadmusic: argument 1 (file path) \"\\0\" holds a zero byte, so it names no file"},
    };
    for (const auto& c : cases) {
        test::RecordingDevice device;
        test::ScriptedShow show(device);
        EXPECT_EQ(show.failure(c.call), c.message) << c.call;
        EXPECT_FALSE(show.show.music) << c.call;
    }
}

} // namespace
} // namespace zamp
