// While a model reader runs: its own output (Assimp prints its failed assertions) stays off
// stderr, and a fault inside it (a bad pointer, a stack overflow from a deeply nested file,
// an abort) ends the tool with one line on stderr and exit code 1 instead of a signal. The
// reader is a library that we cannot mend; its faults on hostile files are known.
#pragma once

#include <csignal>
#include <string>
#include <vector>

namespace zamp::sivtool {

class ReaderCrashGuard {
public:
    // `message` is written (with a newline) if the reader faults.
    explicit ReaderCrashGuard(const std::string& message);
    ~ReaderCrashGuard();
    ReaderCrashGuard(const ReaderCrashGuard&) = delete;
    ReaderCrashGuard& operator=(const ReaderCrashGuard&) = delete;

private:
    static void onFault(int signal);
    static constexpr int kFaultCount = 4; // SIGSEGV, SIGBUS, SIGFPE, SIGABRT

    std::vector<char> alternateStack_;
    stack_t previousStack_{};
    struct sigaction previous_[kFaultCount]{};
};

} // namespace zamp::sivtool
