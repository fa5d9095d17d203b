#include "import/ReaderCrashGuard.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace zamp::sivtool {

namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGABRT};

// The handler may only write and exit, so the text is made before the reader runs, and the
// real stderr is kept aside while the reader's goes nowhere. One guard at a time: the tool
// reads one model.
constexpr std::size_t kMaxMessage = 4096;
char faultMessage[kMaxMessage];
std::atomic<std::size_t> faultMessageSize{0};
std::atomic<int> realStderr{-1};

} // namespace

ReaderCrashGuard::ReaderCrashGuard(const std::string& message) : alternateStack_(std::max<std::size_t>(SIGSTKSZ, 65536)) {
    const std::string line = message.substr(0, kMaxMessage - 1) + "\n";
    std::memcpy(faultMessage, line.data(), line.size());
    faultMessageSize.store(line.size());

    std::fflush(stderr);
    realStderr.store(dup(STDERR_FILENO));
    if (realStderr.load() >= 0) {
        const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere >= 0) {
            dup2(nowhere, STDERR_FILENO);
            close(nowhere);
        }
    }

    static_assert(std::size(kFaults) == kFaultCount, "one saved action per fault signal");
    // A stack overflow leaves no stack for the handler: give it its own.
    stack_t stack{};
    stack.ss_sp = alternateStack_.data();
    stack.ss_size = alternateStack_.size();
    sigaltstack(&stack, &previousStack_);

    struct sigaction action {};
    action.sa_handler = &ReaderCrashGuard::onFault;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kFaults); ++i) sigaction(kFaults[i], &action, &previous_[i]);
}

ReaderCrashGuard::~ReaderCrashGuard() {
    for (std::size_t i = 0; i < std::size(kFaults); ++i) sigaction(kFaults[i], &previous_[i], nullptr);
    sigaltstack(&previousStack_, nullptr);
    std::fflush(stderr);
    if (const int saved = realStderr.exchange(-1); saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
}

void ReaderCrashGuard::onFault(int) {
    const int saved = realStderr.load();
    const ssize_t written = write(saved >= 0 ? saved : STDERR_FILENO, faultMessage, faultMessageSize.load());
    (void)written;
    _exit(1);
}

} // namespace zamp::sivtool
