// Ctrl-C and SIGTERM on the real executable: a render stops within a frame with whole frame
// files, a script that never ends is stopped, and both end with 128 + the signal. Also the
// start-up faults that used to end in an abort.
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zamp {
namespace {

using test::TempDir;

using test::startZamp;

int waitExit(pid_t pid) { return test::waitForExit(pid); }

bool waitForFile(const std::filesystem::path& path) {
    return test::waitFor([&] { return std::filesystem::exists(path); }, 10);
}

TEST(Signals, CtrlCStopsARenderWithinAFrameLeavingWholeFrames) {
    TempDir show;
    show.write("data/script.lua", "endtime(600) createtexture(0, 0, 'a') n = layer(2, 'a', 0, 2, 1) start(0, n) stop(600, n)");
    const pid_t pid = startZamp({"--render", "out", "--fps", "60"}, show.path(), show.path() / "err");
    ASSERT_TRUE(waitForFile(show.path() / "out" / "frame_000003.png"));
    kill(pid, SIGINT);
    EXPECT_EQ(waitExit(pid), 130);
    long frames = 0;
    auto files = openImageFiles();
    for (const auto& entry : std::filesystem::directory_iterator(show.path() / "out")) {
        ++frames;
        EXPECT_TRUE(files->read(entry.path().string())) << entry.path() << " is cut off";
    }
    EXPECT_LT(frames, 36000) << "the render went on";
}

TEST(Signals, AScriptThatNeverEndsIsStoppedBySigterm) {
    TempDir show;
    // The script says it runs (its handlers are installed before it starts) by leaving a
    // file in its folder, then never ends.
    show.write("data/script.lua", "io.open('running', 'w'):close() local n = 0 while true do n = n + 1 end");
    const pid_t pid = startZamp({"--render", "out"}, show.path(), show.path() / "err");
    ASSERT_TRUE(test::waitFor([&] { return std::filesystem::exists(show.path() / "running"); }))
        << test::readText(show.path() / "err");
    kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid), 143);
}

TEST(Signals, AScriptThatNeverEndsInTheAuthorsModeIsStoppedAndAFixPlays) {
    TempDir show;
    show.write("data/script.lua", "local n = 0\nwhile true do n = n + 1 end");
    const auto err = show.path() / "err";
    const pid_t pid = startZamp({"--dev"}, show.path(), err);
    // Whatever happens below, the player does not outlive the test.
    struct Reap {
        pid_t pid;
        bool done = false;
        ~Reap() {
            if (done) return;
            kill(pid, SIGKILL);
            test::waitForExit(pid);
        }
    } reap{pid};
    const std::string stopped = "The script was stopped: it ran for more than 5 s, the most the author's mode allows.\n"
                                "  at data/script.lua:2\n";
    ASSERT_TRUE(test::waitFor([&] { return test::readText(err).find(stopped) != std::string::npos; }))
        << test::readText(err);
    // The author's mode goes on: saving a fix builds the show, which leaves a mark in its folder.
    show.write("data/script.lua", "endtime(600) local f = io.open('data/played.txt', 'w') f:write('yes') f:close()");
    ASSERT_TRUE(test::waitFor([&] { return std::filesystem::exists(show.path() / "data" / "played.txt"); }))
        << test::readText(err);
    kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid), 143);
    reap.done = true;
}

TEST(Signals, StartUpFaultsEndWithMessagesNotAborts) {
    TempDir show;
    show.write("data/script.lua", "endtime(0.05)");
    // An empty render folder is a command-line error.
    auto empty = test::runZamp({"--render", ""}, show.path());
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_NE(empty.err.find("--render needs a folder"), std::string::npos) << empty.err;
    // A relative render folder while the working folder is gone.
    const auto gone = show.path() / "gone";
    std::filesystem::create_directories(gone);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(gone.c_str()) != 0) _exit(127);
        std::filesystem::remove(gone);
        const int fd = open("/dev/null", O_WRONLY);
        dup2(fd, 2);
        execl(ZAMP_EXECUTABLE, ZAMP_EXECUTABLE, "--render", "out", show.path().c_str(), nullptr);
        _exit(127);
    }
    EXPECT_EQ(waitExit(pid), 1);
    // An offline run whatever video driver the environment names.
    setenv("SDL_VIDEODRIVER", "zamp-no-such-driver", 1);
    auto r = test::runZamp({"--render", "out"}, show.path());
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(show.path() / "out" / "frame_000000.png"));
}

} // namespace
} // namespace zamp
