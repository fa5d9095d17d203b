// Child processes on the real system: arguments that reach the program untouched (no shell),
// both streams captured without blocking on full pipes, the exit code or the signal that ended
// it, the time limit and the stop flag killing the child with everything it started, and
// nothing of the player's open files reaching it.
#include "platform/Programs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

namespace zamp {
namespace {

constexpr const char* kShell = "/bin/sh";

// Whether process `pid` still runs (a zombie, or no process at all, does not).
bool running(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const std::size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// Waits (at most a minute) until `pid` no longer runs.
bool endsSoon(const std::string& pid) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (running(pid)) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(Programs, ArgumentsArriveAsGivenAndBothStreamsAndTheExitCodeComeBack) {
    const std::vector<std::string> words = {"two words", "it's \"quoted\"", "$HOME; rm -rf x", "*", "", "-n"};
    std::vector<std::string> arguments = {"-c", "printf '[%s]\\n' \"$@\"; echo oops >&2; exit 3", "sh"};
    arguments.insert(arguments.end(), words.begin(), words.end());
    const ProgramRun run = runProgram(kShell, arguments, 60);
    EXPECT_EQ(run.end, ProgramRun::End::Exited);
    EXPECT_EQ(run.status, 3);
    std::string expected;
    for (const std::string& w : words) expected += "[" + w + "]\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "oops\n");

    const ProgramRun quiet = runProgram(kShell, {"-c", "cat; echo read-nothing"}, 60);
    EXPECT_EQ(quiet.end, ProgramRun::End::Exited);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "read-nothing\n") << "standard input gives nothing, at once";
}

TEST(Programs, MuchOutputOnBothStreamsNeverBlocksAndIsCutAtTheLimit) {
    const ProgramRun run =
        runProgram(kShell, {"-c", "head -c 3000000 /dev/zero; head -c 3000000 /dev/zero >&2; echo done >&2"}, 600);
    EXPECT_EQ(run.end, ProgramRun::End::Exited);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.size(), kMaxProgramOutput);
    EXPECT_EQ(run.err.size(), kMaxProgramOutput);
}

TEST(Programs, ASignalATimeLimitAndAMissingProgramEachSaySo) {
    const ProgramRun faulted = runProgram(kShell, {"-c", "kill -SEGV $$"}, 60);
    EXPECT_EQ(faulted.end, ProgramRun::End::Signalled);
    EXPECT_EQ(faulted.status, SIGSEGV);

    const ProgramRun hung = runProgram(kShell, {"-c", "exec sleep 1000"}, 0.2);
    EXPECT_EQ(hung.end, ProgramRun::End::TimedOut);

    const ProgramRun missing = runProgram("/no/such/program", {}, 60);
    EXPECT_EQ(missing.end, ProgramRun::End::NotRun);
    EXPECT_NE(missing.problem.find("No such file"), std::string::npos) << missing.problem;
}

TEST(Programs, TheStopFlagEndsTheChildAndWhatItStarted) {
    test::TempDir dir;
    const std::string pidFile = (dir.path() / "pid").string();
    std::atomic<bool> stop{false};
    // Sets the flag once the child has started a process of its own and said which.
    std::thread stopper([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!std::filesystem::exists(dir.path() / "written") && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stop = true;
    });
    const ProgramRun run = runProgram(
        kShell, {"-c", "sleep 1000 & echo $! > \"$1/pid\"; touch \"$1/written\"; wait", "sh", dir.path().string()}, 600,
        &stop);
    stopper.join();
    ASSERT_TRUE(std::filesystem::exists(dir.path() / "written"));
    EXPECT_EQ(run.end, ProgramRun::End::Stopped);
    std::ifstream in(pidFile);
    std::string pid;
    in >> pid;
    ASSERT_FALSE(pid.empty());
    EXPECT_TRUE(endsSoon(pid)) << "the child's own child was killed with it";
}

TEST(Programs, TheChildGetsNoneOfThePlayersOpenFiles) {
    test::TempDir dir;
    const std::string file = (dir.path() / "open").string();
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY, 0600); // no close-on-exec
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::dup2(fd, 100), 100);
    const ProgramRun run = runProgram(kShell, {"-c", "[ -e /proc/self/fd/100 ] && echo inherited || echo closed"}, 60);
    ::close(100);
    ::close(fd);
    EXPECT_EQ(run.out, "closed\n");
}

TEST(Programs, TheRunningProgramsFolderHoldsItsExecutable) {
    const std::string folder = runningProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "test_platform")) << folder;
}

} // namespace
} // namespace zamp
