// Running another program as a child process, for the player's use of its own tools (the siv
// tool imports models with a library that may fault or hang on a file, so it runs apart: a
// fault ends the child, never the player). No shell is involved: the arguments reach the
// program exactly as given, whatever quotes or spaces they hold. A desktop back end provides
// this (src/platform/posix); the web page has no processes and leaves it out, like the list in
// Authoring.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace zamp {

struct ProgramRun {
    enum class End {
        Exited,    // it ended by itself: `status` is its exit code
        Signalled, // a signal ended it: `status` is the signal's number
        TimedOut,  // it was still running at the time limit and was killed
        Stopped,   // the stop flag was set while it ran, and it was killed
        NotRun,    // it could not be started: `problem` says why
    };
    End end = End::NotRun;
    int status = 0;
    std::string out;     // what it wrote on standard output, at most kMaxProgramOutput bytes
    std::string err;     // the same for standard error
    std::string problem; // NotRun: the system's reason
};

// Output beyond this many bytes on either stream is read and dropped.
inline constexpr std::size_t kMaxProgramOutput = 1 << 20;

// Runs the executable `program` (a path, not looked up on the PATH) with `arguments` and waits
// for it: its standard input reads nothing, both output streams are captured, and it gets no
// open file of the player's. After `timeLimitSeconds`, or once `*stop` is set (null: never),
// the program and every process it started are killed. Never throws for what the program
// does.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      double timeLimitSeconds, const std::atomic<bool>* stop = nullptr);

// The folder that holds the running program's executable file (its tools are installed
// beside it); empty when the system does not tell.
std::string runningProgramFolder();

} // namespace zamp
