// The real executable, run the way users run it.
#include "platform/Platform.h"
#include "siv/SivWriter.h"
#include "support/SivTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

using test::runZamp;
using test::TempDir;

TEST(EndToEnd, MissingScriptSaysScriptError) {
    TempDir show;
    auto r = runZamp({"--render", "out", show.path().string()}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Script Error!\n");
}

TEST(EndToEnd, SyntaxErrorPrintsLuasMessageAndEndsWithoutFrames) {
    TempDir show;
    show.write("data/script.lua", "starttime(1) endtime(\n");
    auto r = runZamp({"--render", "out"}, show.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("script.lua"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(show.path() / "out"));
}

TEST(EndToEnd, RenderWritesOneBlackFramePerStepBeforeTheEnd) {
    TempDir show;
    show.write("data/script.lua", "starttime(5) endtime(5.09)");
    auto r = runZamp({"--render", "out", "--fps", "60"}, show.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> files;
    for (auto& e : std::filesystem::directory_iterator(show.path() / "out")) files.push_back(e.path().filename());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 6u);
    EXPECT_EQ(files.front(), "frame_000000.png");
    EXPECT_EQ(files.back(), "frame_000005.png");
    auto image = openImageFiles()->read((show.path() / "out" / "frame_000003.png").string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 1024);
    EXPECT_EQ(image->height, 768);
    for (std::uint32_t p : image->pixels) ASSERT_EQ(p, 0xFF000000u);
}

TEST(EndToEnd, PathsAreRelativeToTheStartingFolder) {
    TempDir top;
    top.write("show/data/script.lua", "endtime(0.001)");
    auto r = runZamp({"--render", "frames", "--at", "0.5", "--at", "0.25", "show"}, top.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(top.path() / "frames" / "frame_000001.png"));
    EXPECT_FALSE(std::filesystem::exists(top.path() / "show" / "frames"));
}

TEST(EndToEnd, FailingScriptFunctionEndsWithItsMessage) {
    TempDir show;
    show.write("data/script.lua", "random(0)");
    auto r = runZamp({"--render", "out"}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "random: n must not be 0\n");
}

TEST(EndToEnd, SceneMessagesReachStandardErrorAsUtf8) {
    // The message texts are UTF-8, texture names inside SIV files are Windows-1252: both
    // arrive on standard error as UTF-8 (0xE5 is an a with a ring in Windows-1252).
    TempDir show;
    SivFile scene = sivtest::smallScene();
    scene.textures[0] = makeSivTextureEntry(5, "bl\xE5.png"); // the quad's material names texture 5
    const std::vector<std::uint8_t> encoded = encodeSivFile(scene);
    show.write("data/blue.siv", std::string(encoded.begin(), encoded.end()));
    struct Case {
        const char* script;
        std::string err;
    } cases[] = {
        {"loadsiv('data/nope.siv', 'x')", "data/nope.siv kan ikke \xC3\xA5pnes.\n"},
        {"loadsiv('data/blue.siv', 'x')", "Error Loading Texture bl\xC3\xA5.png\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        show.write("data/script.lua", std::string(c.script) + " endtime(1)");
        auto r = runZamp({"--render", "out"}, show.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST(EndToEnd, BadOptionExitsTwoWithUsage) {
    TempDir show;
    auto r = runZamp({"--frobnicate"}, show.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("usage: zamp"), std::string::npos);
}

} // namespace
} // namespace zamp
