// The real executable, run the way users run it.
#include "platform/Platform.h"
#include "siv/SivWriter.h"
#include "support/SivTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zamp {
namespace {

using test::runZamp;
using test::TempDir;

TEST(EndToEnd, MissingScriptSaysScriptError) {
    TempDir show;
    auto r = runZamp({"--render", "out", show.path().string()}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Script Error!\n  zamp looked for data/script.lua in " + show.path().string() +
                         "; give the show's folder (the one holding data/script.lua): zamp SHOW_DIR\n");
}

TEST(EndToEnd, AScriptThatIsNoRegularFileIsRefusedAtOnce) {
    // A named pipe without a writer used to block the player for ever.
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    ASSERT_EQ(::mkfifo((show.path() / "data/script.lua").c_str(), 0600), 0);
    auto r = runZamp({"--render", "out"}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Script Error!\n  data/script.lua in " + show.path().string() + " is not a regular file\n");
}

TEST(EndToEnd, AFirstLineStartingWithHashIsSkippedAndLinesStayTheFiles) {
    TempDir show;
    show.write("data/script.lua", "#!/usr/bin/env zamp\nendtime(1)\nlayer(2, 'none', 0, 1, 0)\n");
    auto r = runZamp({"--render", "out"}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "layer: Image with name none not found.\n  at data/script.lua:3 (layer)\n");
}

TEST(EndToEnd, SyntaxErrorIsAnErrorWithLuasMessage) {
    TempDir show;
    show.write("data/script.lua", "starttime(1) endtime(\n");
    auto r = runZamp({"--render", "out"}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "data/script.lua:2: unexpected symbol near '<eof>'\n");
    EXPECT_FALSE(std::filesystem::exists(show.path() / "out" / "frame_000000.png"));
}

TEST(EndToEnd, AFailingFunctionNamesTheScriptLine) {
    TempDir show;
    show.write("data/script.lua", "endtime(5)\nfunction title()\n  return layer(2, 'titel', 0, 5, 6)\nend\ntitle()\n");
    auto r = runZamp({"--render", "out"}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "layer: Image with name titel not found.\n  at data/script.lua:3 (layer)\n");
}

TEST(EndToEnd, WarningsComeOnceEachAndChangeNoPixel) {
    const std::string base = "createtexture(0, 0, 'a') n = layer(2, 'a', 0, 1, 1) start(0, n) stop(9, n) "
                             "setimagecolor(0, 200, 100, 50, 255, n) setimagescale(0, 300, 200, n)\n";
    TempDir quiet, noisy;
    quiet.write("data/script.lua", base + "endtime(5)\n");
    // A layer never started with keys, kinds that make no layer, no end time.
    noisy.write("data/script.lua", base + "m = layer(2, 'a', 0, 1, 1) setimagepos(0, 1, 1, m) setimagepos(1, 2, 2, m)\n"
                                          "layer(3) layer(3)\n");
    auto q = runZamp({"--render", "out", "--at", "1"}, quiet.path());
    auto w = runZamp({"--render", "out", "--at", "1"}, noisy.path());
    ASSERT_EQ(q.exitCode, 0) << q.err;
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_EQ(q.err, "");
    EXPECT_EQ(w.err,
              "warning: setimagepos: layer 1 has no start time yet, so its keys get no time and the layer shows its "
              "last key throughout; call start before adding keys\n"
              "warning: layer: kind 3 is neither 1 (a scene) nor 2 (an image): no layer is made and the result is -1\n"
              "warning: the end time (0 s) is not above the start time (0 s), so the show ends at once; set it with "
              "endtime\n");
    auto files = openImageFiles();
    auto a = files->read((quiet.path() / "out" / "frame_000000.png").string());
    auto b = files->read((noisy.path() / "out" / "frame_000000.png").string());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->pixels, b->pixels);
}

TEST(EndToEnd, MusicThatCannotPlaySaysWhetherItIsMissingOrNoMusic) {
    TempDir show;
    show.write("data/noise.bin", std::string(2000, 'x'));
    show.write("data/script.lua", "loadmusic('data/music.xm') endtime(0.02)\n");
    auto missing = runZamp({"--render", "out", "--fps", "50"}, show.path());
    ASSERT_EQ(missing.exitCode, 0) << missing.err;
    EXPECT_EQ(missing.err, "warning: data/music.xm does not exist, so the show plays without music\n");
    show.write("data/script.lua", "loadmusic('data/noise.bin') endtime(0.02)\n");
    auto noise = runZamp({"--render", "out2", "--fps", "50"}, show.path());
    ASSERT_EQ(noise.exitCode, 0) << noise.err;
    EXPECT_EQ(noise.err, "warning: data/noise.bin is neither a music stream nor a module that can be played, so the show "
                         "plays without music\n");
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
    EXPECT_EQ(r.err, "random: n must not be 0\n  at data/script.lua:1 (random)\n");
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
        {"loadsiv('data/nope.siv', 'x')", "data/nope.siv kan ikke \xC3\xA5pnes. (It does not exist.)\n  at data/script.lua:1 (loadsiv)\n"},
        {"loadsiv('data/blue.siv', 'x')", "Error Loading Texture bl\xC3\xA5.png: bl\xC3\xA5.png does not exist, nor does data/bl\xC3\xA5.png.\n"
                                          "  at data/script.lua:1 (loadsiv)\n"},
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
    EXPECT_NE(r.err.find("Usage: zamp"), std::string::npos);
}

} // namespace
} // namespace zamp
