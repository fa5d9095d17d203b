// The author's mode on the real OpenGL device: live reload at the same demo time, a failed
// reload that keeps the picture and shows its message, files the failed attempt looked for
// watched until they appear, a script that never ends stopped, no device objects left behind
// over many reloads, the keys, and picture and music moving together.
#include "app/AuthorSession.h"
#include "app/DemoApp.h"
#include "core/Error.h"
#include "platform/Window.h"
#include "show/Show.h"
#include "siv/SivWriter.h"
#include "support/MusicTestAudio.h"
#include "support/SivTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace zamp {
namespace {

std::string colourShow(int r, int g, int b, const std::string& more = "") {
    return "endtime(30) createtexture(0, 0, 'a') n = layer(2, 'a', 0, 2, 1) start(0, n) stop(30, n) "
           "setimagecolor(0, " + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b) + ", 255, n) " +
           more;
}

class AuthorFixture : public ::testing::Test {
protected:
    AuthorFixture() {
        std::filesystem::current_path(dir.path());
        app.attachDevice(gl.device());
    }
    ~AuthorFixture() override { std::filesystem::current_path(previous); }

    // Writes the script; each write gets a later modification time, as an editor's save does.
    void writeScript(const std::string& source) {
        const auto path = dir.write("data/script.lua", source);
        static int bump = 0;
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(++bump));
    }
    AuthorSession& start(const std::string& source) {
        writeScript(source);
        EXPECT_EQ(app.loadShow("data/script.lua"), ScriptRun::Finished);
        session = std::make_unique<AuthorSession>(app, false);
        return *session;
    }
    test::Rgb pixel(int x, int y) { return test::pixelAt(frame(), x, y); }
    RgbImage frame() {
        session->drawFrame();
        return gl.device().readRenderTarget();
    }
    static WindowEvent key(Key k, bool shift = false) {
        WindowEvent e;
        e.keyDown = true;
        e.key = k;
        e.shift = shift;
        return e;
    }

    test::TempDir dir;
    std::filesystem::path previous = std::filesystem::current_path();
    test::OffscreenGl gl{320, 240};
    DemoApp app;
    std::unique_ptr<AuthorSession> session;
};

TEST_F(AuthorFixture, AnEditedScriptShowsAtTheNextFrameAtTheSameTime) {
    AuthorSession& s = start(colourShow(255, 0, 0));
    s.advance(3.5);
    EXPECT_TRUE(test::near(pixel(160, 120), {255, 0, 0}));
    writeScript(colourShow(0, 255, 0));
    s.checkFiles();
    EXPECT_TRUE(test::near(pixel(160, 120), {0, 255, 0}));
    EXPECT_FLOAT_EQ(app.demoTime, 3.5f) << "the show goes on where it was";
    s.checkFiles();
    EXPECT_TRUE(s.errorText().empty());
}

TEST_F(AuthorFixture, AFailedReloadKeepsThePictureAndShowsTheMessageUntilTheNextGoodOne) {
    AuthorSession& s = start(colourShow(0, 255, 0));
    for (const char* broken : {"endtime(", "createtexture(0, 0, 'a') layer(2, 'nope', 0, 1, 1)"}) {
        SCOPED_TRACE(broken);
        writeScript(broken);
        s.checkFiles();
        EXPECT_FALSE(s.errorText().empty());
        EXPECT_PIXEL_NEAR(frame(), 200, 200, 1, 0, 255, 0); // the last good show plays on
        // The message's box at the top-left: dark red, mostly opaque, over the green.
        EXPECT_PIXEL_NEAR(frame(), 6, 6, 4, 26, 47, 0);
    }
    EXPECT_EQ(s.errorText(), "layer: Image with name nope not found.\n  at data/script.lua:1 (layer)");
    writeScript(colourShow(0, 0, 255));
    s.checkFiles();
    EXPECT_TRUE(s.errorText().empty());
    EXPECT_PIXEL_NEAR(frame(), 6, 6, 1, 0, 0, 255); // the message is gone
}

TEST_F(AuthorFixture, AFileTheFailedReloadDidNotFindReloadsTheShowWhenItAppears) {
    AuthorSession& s = start(colourShow(0, 255, 0));
    const std::string withPicture =
        colourShow(0, 255, 0, "loadimage('pic.png', 'pic') local p = layer(2, 'pic', 2, 1, 0) start(0, p) stop(30, p)");
    writeScript(withPicture);
    s.checkFiles();
    EXPECT_EQ(s.errorText(), "Error Loading Texture pic.png: pic.png does not exist, nor does data/pic.png.\n"
                             "  at data/script.lua:1 (loadimage)");
    s.checkFiles();
    EXPECT_FALSE(s.errorText().empty()) << "nothing changed yet";
    test::writeTestPng(dir.path() / "data" / "pic.png", 8, 8, [](int, int) -> std::uint32_t { return 0xFF2040C0; });
    s.checkFiles();
    EXPECT_TRUE(s.errorText().empty()) << s.errorText();
    EXPECT_EQ(app.show->textures.files(), std::vector<std::string>{"data/pic.png"});
}

TEST_F(AuthorFixture, AFirstLoadThatFailedIsWatchedForWhatItDidNotFind) {
    // As the author's mode starts with a show that fails: the message over an empty show.
    writeScript("loadsiv('data/scene.siv', 'scene') " + colourShow(0, 0, 255));
    try {
        app.loadShow("data/script.lua");
        ADD_FAILURE() << "the show loaded";
    } catch (const Error& e) {
        app.show = std::make_unique<Show>();
        session = std::make_unique<AuthorSession>(app, false);
        session->showError(e.what());
    }
    writeBinaryFile((dir.path() / "data" / "scene.siv").string(), encodeSivFile(sivtest::smallScene()));
    session->checkFiles();
    EXPECT_TRUE(session->errorText().empty()) << session->errorText();
    EXPECT_EQ(app.show->scenes.size(), 1u);
}

// Each file a show found is watched where it was found: a picture named without "data/" and
// found under data/, names written on Windows (backslashes, another case) found on a disk
// that tells case apart, the script itself in a folder of another case. Saving the file loads
// the show again; the script counts its loads in a file of its own, the sign looked for.
TEST_F(AuthorFixture, EveryFileTheShowFoundIsWatchedWhereItLies) {
    struct Case {
        const char* name;
        const char* onDisk;  // where the file lies
        std::string loads;   // what the script does with it
    };
    const std::vector<Case> cases = {
        {"a picture named without data/", "data/pic.png", "loadimage('pic.png', 'pic')"},
        {"a picture named the Windows way", "data/pics/pic.png", "loadimage('Pics\\\\PIC.png', 'pic')"},
        {"a scene named the Windows way", "data/scenes/scene.siv", "loadsiv('DATA\\\\Scenes\\\\Scene.SIV', 'scene')"},
        {"music named the Windows way", "data/tune.wav", "loadmusic('Data\\\\TUNE.wav')"},
        {"the script in a folder of another case", "Data/Script.lua", ""},
    };
    const std::string counting = "local f = io.open('loads.txt', 'a') f:write('x') f:close() ";
    // The file at `path` in its `version`: a picture red, then blue.
    auto writeShowFile = [](const std::filesystem::path& path, int version) {
        std::filesystem::create_directories(path.parent_path());
        const std::string name = path.filename().string();
        if (name == "pic.png")
            test::writeTestPng(path, 4, 4, version == 1 ? +[](int, int) -> std::uint32_t { return 0xFFFF0000; }
                                                         : +[](int, int) -> std::uint32_t { return 0xFF0000FF; });
        else if (name == "scene.siv")
            writeBinaryFile(path.string(), encodeSivFile(sivtest::smallScene()));
        else if (name == "tune.wav")
            testaudio::writeFile(path, testaudio::wavFile({{version == 1 ? 440.0 : 660.0, 0.2}}));
        // As an editor's save: a later modification time than the last.
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::hours(version));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path folder = dir.path() / ("show-" + std::to_string(&c - cases.data()));
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        auto write = [&](const std::string& relative, int version, const std::string& text = "") {
            const std::filesystem::path path = folder / relative;
            std::filesystem::create_directories(path.parent_path());
            if (!text.empty()) {
                std::ofstream(path) << text;
                std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::hours(version));
            } else {
                writeShowFile(path, version);
            }
        };
        const bool scriptCase = std::string(c.onDisk) == "Data/Script.lua";
        const bool picture = std::string(c.loads).find("loadimage") != std::string::npos;
        const std::string shows = picture ? "local p = layer(2, 'pic', 2, 2, 1) start(0, p) stop(30, p) "
                                            "setimagescale(0, 1024, 768, p) "
                                          : "";
        auto script = [&](int r) { return counting + colourShow(r, 0, 0, c.loads + " " + shows); };
        write(scriptCase ? "Data/Script.lua" : "data/script.lua", 1, script(10));
        if (!scriptCase) write(c.onDisk, 1);

        DemoApp authorApp;
        authorApp.attachDevice(gl.device());
        ASSERT_EQ(authorApp.loadShow("data/script.lua"), ScriptRun::Finished);
        AuthorSession author(authorApp, false);
        auto loads = [&] { return test::readText(folder / "loads.txt").size(); };
        auto shown = [&] {
            author.drawFrame();
            return test::pixelAt(gl.device().readRenderTarget(), 160, 120);
        };
        ASSERT_EQ(loads(), 1u);
        if (picture) { EXPECT_TRUE(test::near(shown(), {255, 0, 0})) << test::describe(shown()); }
        author.checkFiles();
        EXPECT_EQ(loads(), 1u) << "nothing changed yet";

        if (scriptCase) write("Data/Script.lua", 2, script(20));
        else write(c.onDisk, 2);
        author.checkFiles();
        EXPECT_EQ(loads(), 2u) << c.onDisk << " was saved: the show loads again";
        EXPECT_TRUE(author.errorText().empty()) << author.errorText();
        if (picture) { EXPECT_TRUE(test::near(shown(), {0, 0, 255})) << test::describe(shown()); }
        if (scriptCase) { EXPECT_TRUE(test::near(shown(), {20, 0, 0})) << test::describe(shown()); }
        std::filesystem::current_path(dir.path());
    }
}

TEST_F(AuthorFixture, AScriptThatNeverEndsIsStoppedAndTheLastGoodShowPlaysOn) {
    app.scriptRules.mostSeconds = 0.5;
    AuthorSession& s = start(colourShow(0, 255, 0));
    const std::string stopped = "The script was stopped: it ran for more than 0.5 s, the most the author's mode allows.";
    writeScript("endtime(30)\nlocal n = 0\nwhile true do n = n + 1 end");
    s.checkFiles();
    EXPECT_EQ(s.errorText(), stopped + "\n  at data/script.lua:3");
    EXPECT_PIXEL_NEAR(frame(), 200, 200, 1, 0, 255, 0);
    // R tries again (and is stopped again); saving a fix builds the show; Esc ends.
    s.handle(key(Key::R));
    EXPECT_EQ(s.errorText().substr(0, stopped.size()), stopped);
    writeScript(colourShow(0, 0, 255));
    s.checkFiles();
    EXPECT_TRUE(s.errorText().empty()) << s.errorText();
    EXPECT_PIXEL_NEAR(frame(), 200, 200, 1, 0, 0, 255);
    s.handle(key(Key::Escape));
    EXPECT_FALSE(s.step());
}

TEST_F(AuthorFixture, AScriptReplacedByWhatIsNoFileIsNamedAsSuch) {
    AuthorSession& s = start(colourShow(0, 255, 0));
    const auto script = dir.path() / "data" / "script.lua";
    std::filesystem::remove(script);
    EXPECT_FALSE(s.reload());
    EXPECT_EQ(s.errorText(), "Script Error! (data/script.lua is gone)");
    std::filesystem::create_directory(script);
    EXPECT_FALSE(s.reload());
    EXPECT_EQ(s.errorText(), "Script Error! (data/script.lua is a folder)");
    std::filesystem::remove(script);
    ASSERT_EQ(mkfifo(script.c_str(), 0644), 0);
    EXPECT_FALSE(s.reload()); // at once: a pipe without a writer is never opened for reading
    EXPECT_EQ(s.errorText(), "Script Error! (data/script.lua is a named pipe)");
    std::filesystem::remove(script);
    std::filesystem::create_symlink("script.lua", script);
    EXPECT_FALSE(s.reload());
    EXPECT_EQ(s.errorText(), "Script Error! (data/script.lua is a loop of symbolic links)");
    EXPECT_PIXEL_NEAR(frame(), 200, 200, 1, 0, 255, 0);
    std::filesystem::remove(script);
    writeScript(colourShow(0, 0, 255));
    s.checkFiles();
    EXPECT_TRUE(s.errorText().empty()) << s.errorText();
}

TEST_F(AuthorFixture, FiftyReloadsLeaveNoDeviceObjectsBehind) {
    test::writeTestPng(dir.path() / "data" / "pic.png", 16, 16, [](int, int) -> std::uint32_t { return 0xFF3060A0; });
    SivFile scene = sivtest::smallScene();
    writeBinaryFile((dir.path() / "data" / "scene.siv").string(), encodeSivFile(scene));
    AuthorSession& s = start(colourShow(10, 20, 30,
                                        "loadimage('pic.png', 'pic') createtexture(64, 64, 'rt') "
                                        "loadsiv('data/scene.siv', 'scene') capture('rt', 0, 30) "
                                        "local p = layer(2, 'pic', 2, 5, 6) start(0, p) stop(30, p) "
                                        "local c = layer(1, 'scene', 0, 0, 20, 2, 1) start(0, c) stop(30, c) "
                                        "local r = layer(2, 'rt', 3, 2, 1) start(0, r) stop(30, r)"));
    ASSERT_TRUE(s.reload());
    s.drawFrame();
    const std::int64_t live = gl.device().counters().liveObjects;
    EXPECT_GE(live, 4) << "the picture, the target, the scene's mesh and the image quads";
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(s.reload()) << s.errorText();
        s.drawFrame();
    }
    EXPECT_EQ(gl.device().counters().liveObjects, live);
}

TEST_F(AuthorFixture, KeysPauseMoveAndEndOnTheLastFrame) {
    AuthorSession& s = start("starttime(2) " + colourShow(1, 1, 1));
    EXPECT_FLOAT_EQ(app.demoTime, 2.0f);
    s.handle(key(Key::Right));
    EXPECT_FLOAT_EQ(app.demoTime, 3.0f);
    s.handle(key(Key::Right, true));
    EXPECT_FLOAT_EQ(app.demoTime, 13.0f);
    s.handle(key(Key::Left, true));
    s.handle(key(Key::Left, true));
    EXPECT_FLOAT_EQ(app.demoTime, 2.0f) << "not before the start";
    s.handle(key(Key::Space));
    EXPECT_TRUE(s.paused());
    s.advance(1.0);
    EXPECT_FLOAT_EQ(app.demoTime, 2.0f) << "time stands while paused";
    s.handle(key(Key::Space));
    s.advance(1.0);
    EXPECT_FLOAT_EQ(app.demoTime, 3.0f);
    s.handle(key(Key::Right, true));
    s.handle(key(Key::Right, true));
    s.handle(key(Key::Right, true));
    EXPECT_LT(app.demoTime, 30.0f);
    EXPECT_GT(app.demoTime, 29.99f);
    EXPECT_TRUE(s.paused()) << "the end pauses on the last frame";
    s.handle(key(Key::Space));
    EXPECT_FLOAT_EQ(app.demoTime, 2.0f) << "going on from the end starts again";
    EXPECT_FALSE(s.paused());
    s.advance(27.5);
    s.advance(1.0);
    EXPECT_FLOAT_EQ(app.demoTime, 29.5f) << "the last frame drawn stays";
    EXPECT_TRUE(s.paused());
    s.handle(key(Key::Home));
    EXPECT_FLOAT_EQ(app.demoTime, 2.0f);
}

TEST_F(AuthorFixture, SeekAndPauseKeepPictureAndMusicTogether) {
    std::filesystem::create_directories(dir.path() / "data");
    testaudio::writeFile(dir.path() / "data" / "tone.wav", testaudio::wavFile({{440.0, 20.0}}));
    testaudio::DiskCapture capture;
    AuthorSession& s = start("starttime(2) loadmusic('data/tone.wav') " + colourShow(1, 1, 1));
    ASSERT_TRUE(app.music.loaded());
    s.handle(key(Key::Right, true)); // to 12 s: the music 12 s in, as it started at 2 s with the show
    EXPECT_FLOAT_EQ(app.demoTime, 12.0f);
    EXPECT_NEAR(app.music.position(), 12.0, 0.05);
    s.handle(key(Key::Space));
    const double paused = app.music.position();
    // The device goes on taking samples (silence) while the music stands: a third of a second
    // of them is the sign that the music had the time to move, had it not been paused.
    ASSERT_TRUE(capture.waitFor(capture.secondsWritten() + 0.3));
    EXPECT_EQ(app.music.position(), paused) << "the music stands with the picture";
    s.handle(key(Key::Left));
    EXPECT_NEAR(app.music.position(), 11.0, 0.05);
    s.handle(key(Key::Space));
    EXPECT_TRUE(test::waitFor([&] { return app.music.position() > 11.1; }, 30)) << "and goes on with it";
    session.reset();
    app.music.fadeOut();
}

TEST_F(AuthorFixture, AModuleStandsWhereThePictureStandsAsAStreamDoes) {
    std::filesystem::create_directories(dir.path() / "data");
    testaudio::writeFile(dir.path() / "data" / "tune.mod", testaudio::changingTempoModFile());
    testaudio::DiskCapture capture;
    AuthorSession& s = start("starttime(2) loadmusic('data/tune.mod') " + colourShow(1, 1, 1));
    ASSERT_TRUE(app.music.loaded());
    ASSERT_EQ(app.music.kind(), MusicKind::Module);
    EXPECT_NEAR(app.music.position(), 2.0, 0.05) << "the module started at 2 s with the show";
    s.handle(key(Key::Right, true));
    EXPECT_FLOAT_EQ(app.demoTime, 12.0f);
    EXPECT_NEAR(app.music.position(), 12.0, 0.05);
    s.handle(key(Key::Left));
    EXPECT_NEAR(app.music.position(), 11.0, 0.05) << "and back";
    s.handle(key(Key::Home));
    EXPECT_NEAR(app.music.position(), 2.0, 0.05);
    session.reset();
    app.music.fadeOut();
}

} // namespace
} // namespace zamp
