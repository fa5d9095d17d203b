// The real executable, run the way users run it.
#include "platform/Platform.h"
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

TEST(EndToEnd, BadOptionExitsTwoWithUsage) {
    TempDir show;
    auto r = runZamp({"--frobnicate"}, show.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("usage: zamp"), std::string::npos);
}

} // namespace
} // namespace zamp
