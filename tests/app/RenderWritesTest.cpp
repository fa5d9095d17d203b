// What --render leaves on disk when writing fails: a message naming the file, exit code 1, and
// never a cut-off frame or music file under its name.
#include "platform/Platform.h"
#include "support/MusicTestAudio.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zamp {
namespace {

using test::TempDir;

const char* const kShow = "endtime(1) createtexture(0, 0, 'a') n = layer(2, 'a', 0, 2, 1) start(0, n) stop(1, n) "
                          "setimagecolor(0, 0, 0, 0, 255, n) setimagecolor(1, 255, 255, 255, 255, n)";

// Runs zamp with files limited to `maxBytes`, as a nearly full disk would; returns the exit
// code and leaves standard error in `err`.
int renderWithFileLimit(const std::filesystem::path& show, rlim_t maxBytes, const std::filesystem::path& err) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(show.c_str()) != 0) _exit(127);
        const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 2);
        std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        const rlimit limit{maxBytes, maxBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        execl(ZAMP_EXECUTABLE, ZAMP_EXECUTABLE, "--render", "out", "--fps", "10", nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RenderWrites, AFullDiskEndsTheRunNamingTheFrameAndLeavesOnlyWholeFrames) {
    TempDir show;
    show.write("data/script.lua", kShow);
    // Enough for the first frames of a black picture, too little for the brighter later ones.
    const int code = renderWithFileLimit(show.path(), 6000, show.path() / "err");
    EXPECT_EQ(code, 1);
    const std::string err = readText(show.path() / "err");
    EXPECT_NE(err.find("Cannot write " + (show.path() / "out" / "frame_").string()), std::string::npos) << err;
    EXPECT_NE(err.find("File too large"), std::string::npos) << err;
    auto files = openImageFiles();
    for (const auto& entry : std::filesystem::directory_iterator(show.path() / "out")) {
        EXPECT_NE(entry.path().extension(), ".partial") << entry.path();
        EXPECT_TRUE(files->read(entry.path().string())) << entry.path() << " is cut off";
    }
}

TEST(RenderWrites, MusicThatCannotBeWrittenLeavesNoCutOffFile) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    testaudio::writeFile(show.path() / "data" / "tone.wav", testaudio::wavFile({{440, 2}}));
    show.write("data/script.lua", std::string("loadmusic('data/tone.wav') ") + kShow);
    EXPECT_EQ(renderWithFileLimit(show.path(), 100000, show.path() / "err"), 1); // music.wav needs 176 KB
    EXPECT_NE(readText(show.path() / "err").find("Cannot write " + (show.path() / "out" / "music.wav").string()),
              std::string::npos);
    // Neither music.wav nor its temporary file (music.wav.PID-N.partial) is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(show.path() / "out"), {}), 0);
}

TEST(RenderWrites, AFolderInTheWayOfAFrameOrTheOutputIsAFile) {
    TempDir show;
    show.write("data/script.lua", kShow);
    std::filesystem::create_directories(show.path() / "out" / "frame_000004.png");
    auto r = test::runZamp({"--render", "out", "--fps", "10"}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Cannot write " + (show.path() / "out" / "frame_000004.png").string() + ": Is a directory"),
              std::string::npos)
        << r.err;
    show.write("file", "not a folder");
    auto f = test::runZamp({"--render", "file", "--fps", "10"}, show.path());
    EXPECT_EQ(f.exitCode, 1);
    EXPECT_NE(f.err.find("Cannot create " + (show.path() / "file").string()), std::string::npos) << f.err;
}

} // namespace
} // namespace zamp
