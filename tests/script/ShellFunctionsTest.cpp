#include "app/DemoApp.h"
#include "app/MusicTestAudio.h"
#include "support/RecordingDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <set>

namespace zamp {
namespace {

using test::hex;

struct ScriptFixture : ::testing::Test {
    test::RecordingDevice device;
    DemoApp app;
    ScriptFixture() {
        app.attachDevice(device);
        app.script.open(app);
    }
    int run(const std::string& source) { return app.script.runString(source); }
    std::vector<std::string> states() { return device.calls("SetRenderState"); }
};

TEST_F(ScriptFixture, AmbientAndFogColoursPackTheirBytes) {
    run("setambientcolor(255, 128, 0) setfogcolor(255, 128, 0)");
    EXPECT_EQ(states(), (std::vector<std::string>{"SetRenderState(139, 0x00ff8000)", "SetRenderState(34, 0xffff8000)"}));
}

TEST_F(ScriptFixture, ColourBytesWrapAndTruncate) {
    run("setambientcolor(256, 127.9, -1)");
    EXPECT_EQ(device.renderState(D3DRS_AMBIENT), 0x00007FFFu);
    run("setambientcolor(300, 0, 0)");
    EXPECT_EQ(device.renderState(D3DRS_AMBIENT), 0x002C0000u);
}

TEST_F(ScriptFixture, EnableFogPutsDefaultColourAndRangeBack) {
    run("setfogcolor(1, 2, 3) setfogrange(5, 6) enablefog()");
    std::vector<std::string> s = states();
    ASSERT_EQ(s.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(s.begin() + 3, s.end()),
              (std::vector<std::string>{"SetRenderState(28, 0x00000001)", "SetRenderState(48, 0x00000001)",
                                        "SetRenderState(34, 0xff808080)", "SetRenderState(140, 0x00000003)",
                                        "SetRenderState(36, 0x42c80000)", "SetRenderState(37, 0x447a0000)"}));
    device.clearLog();
    run("disablefog()");
    EXPECT_EQ(states(), (std::vector<std::string>{"SetRenderState(28, 0x00000000)", "SetRenderState(48, 0x00000000)"}));
    EXPECT_EQ(device.renderState(D3DRS_FOGCOLOR), 0xFF808080u); // colour and range stay
}

TEST_F(ScriptFixture, FogRangeStoresFloatBits) {
    run("setfogrange(0.1, 2500.5)");
    EXPECT_EQ(device.renderState(D3DRS_FOGSTART), floatBits(0.1f));
    EXPECT_EQ(device.renderState(D3DRS_FOGEND), floatBits(2500.5f));
}

TEST_F(ScriptFixture, StartAndEndTimesAreFloats) {
    run("starttime(1.1) endtime(61.25)");
    EXPECT_EQ(app.script.demoTime, 1.1f);
    EXPECT_EQ(app.script.endTime, 61.25f);
}

TEST(ScriptRandom, StaysInRangeAndRepeatsAcrossRuns) {
    auto draw = [] {
        test::RecordingDevice device;
        DemoApp app;
        app.attachDevice(device);
        app.script.open(app);
        // Every run starts the generator afresh, as a new process does.
        std::srand(1);
        app.script.runString("values = {} for i = 1, 200 do values[i] = random(6) end "
                             "function at(i) return values[i] end");
        std::vector<int> values;
        lua_State* L = app.script.state();
        for (int i = 1; i <= 200; ++i) {
            app.script.runString("current = at(" + std::to_string(i) + ")");
            lua_getglobal(L, "current");
            values.push_back(int(lua_tonumber(L, -1)));
            lua_pop(L, 1);
        }
        return values;
    };
    std::vector<int> first = draw(), second = draw();
    EXPECT_EQ(first, second);
    std::set<int> seen(first.begin(), first.end());
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(ScriptFixture, RandomOfZeroEndsTheRunWithAMessage) {
    try {
        run("random(0)");
        FAIL() << "no failure";
    } catch (const std::string& message) {
        EXPECT_EQ(message, "random: n must not be 0");
    }
}

} // namespace
} // namespace zamp

namespace zamp {
namespace {

TEST_F(ScriptFixture, LoadMusicIsSilentAboutFilesThatAreNoMusic) {
    test::TempDir dir;
    auto text = dir.write("notes.txt", "this is not music, only words\n");
    app.music.setSilent(true);
    EXPECT_EQ(run("starttime(30) loadmusic('" + text.string() + "')"), 0);
    EXPECT_FALSE(app.music.loaded());
    testaudio::writeFile(dir.path() / "tone.wav", testaudio::wavFile({{440, 0.5}}));
    EXPECT_EQ(run("loadmusic('" + (dir.path() / "tone.wav").string() + "')"), 0);
    EXPECT_TRUE(app.music.loaded());
}

} // namespace
} // namespace zamp
