#include "app/CommandLine.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zamp {
namespace {

TEST(CommandLine, ParsesEveryOption) {
    CommandLine cl = parseCommandLine({"--windowed", "--size", "800x600", "--render", "out", "--fps", "30", "--at",
                                       "1.5", "--at", "2", "--trust", "show"});
    EXPECT_TRUE(cl.windowed);
    EXPECT_TRUE(cl.trust);
    EXPECT_EQ(cl.width, 800);
    EXPECT_EQ(cl.height, 600);
    EXPECT_EQ(cl.renderDir.value(), "out");
    EXPECT_EQ(cl.fps, 30);
    EXPECT_EQ(cl.at, (std::vector<double>{1.5, 2}));
    EXPECT_EQ(cl.showDir, "show");
    EXPECT_TRUE(cl.offline());
}

TEST(CommandLine, AScriptIsTrustedOnlyWhenAsked) {
    EXPECT_FALSE(parseCommandLine({"show"}).trust);
    EXPECT_FALSE(parseCommandLine({"--dev", "show"}).trust);
    EXPECT_TRUE(parseCommandLine({"--dev", "--trust", "show"}).trust);
    EXPECT_TRUE(parseCommandLine({"--trust", "--render", "out"}).trust);
    EXPECT_THROW(parseCommandLine({"--trust=yes"}), Error);
}

TEST(CommandLine, RefusesBadInput) {
    for (auto args : std::vector<std::vector<std::string>>{{"--size", "800"},
                                                           {"--size", "0x600"},
                                                           {"--size", "axb"},
                                                           {"--fps", "0"},
                                                           {"--render"},
                                                           {"--at", "1"},
                                                           {"--bench", "-3"},
                                                           {"--render", "a", "--bench", "3"},
                                                           {"--frobnicate"},
                                                           {"a", "b"}}) {
        EXPECT_THROW(parseCommandLine(args), Error) << args[0];
    }
}

TEST(CommandLine, AVideoFileIsTheWholeShowAndTakesItsOwnOptions) {
    for (const char* name : {"show.mp4", "a/b.MKV", "x.webm", "clip.Mov"}) EXPECT_TRUE(isVideoFileName(name)) << name;
    for (const char* name : {"out", "show.mp4/", "show.mp4/frames", "mp4", "show.avi", ".mp4.d/x"})
        EXPECT_FALSE(isVideoFileName(name)) << name;

    CommandLine cl = parseCommandLine({"--render", "show.webm", "--quality", "90", "--codec", "libaom-av1"});
    EXPECT_TRUE(cl.renderVideo());
    EXPECT_EQ(cl.quality, 90);
    EXPECT_EQ(cl.codec, "libaom-av1");
    EXPECT_FALSE(parseCommandLine({"--render", "out"}).renderVideo());

    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    for (const Case& c : std::vector<Case>{
             {{"--render", "show.mp4", "--frames", "0:9"},
              "--frames renders part of a show into a folder; a video file is made of the whole show (render the "
              "parts into one folder, then make the video from it)"},
             {{"--render", "show.mp4", "--at", "3"}, "--at renders single frames into a folder, not into a video file"},
             {{"--render", "out", "--quality", "50"}, "--quality goes with --render to a video file (.mp4, .mkv, .webm or .mov)"},
             {{"--codec", "libx265"}, "--codec goes with --render to a video file (.mp4, .mkv, .webm or .mov)"},
             {{"--render", "a.mp4", "--quality", "101"}, "--quality needs a whole number from 0 to 100"},
             {{"--render", "a.mp4", "--quality", "2.5"}, "--quality needs a whole number from 0 to 100"},
             {{"--render", "a.mp4", "--codec", ""}, "--codec needs the name of a video encoder"},
         }) {
        try {
            parseCommandLine(c.args);
            ADD_FAILURE() << c.message;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(CommandLine, CullingIsSwitchedOffByAnyValueButNothingAndZero) {
    EXPECT_FALSE(cullingSwitchedOff(nullptr));
    EXPECT_FALSE(cullingSwitchedOff(""));
    EXPECT_FALSE(cullingSwitchedOff("0"));
    EXPECT_TRUE(cullingSwitchedOff("1"));
    EXPECT_TRUE(cullingSwitchedOff("yes"));
    EXPECT_TRUE(cullingSwitchedOff("00"));
    EXPECT_EQ(std::string(kNoCullingVariable), "ZAMP_NO_CULLING");
}

} // namespace
} // namespace zamp
