#include "import/BoundedRun.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

namespace zamp::sivtool {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kBaseMemory = 1024 * kMiB;
constexpr std::size_t kMemoryPerFileByte = 256;
constexpr double kBaseSeconds = 30;
constexpr double kSecondsPerMiB = 30;
// How often the parent looks whether the child has ended.
constexpr auto kPoll = std::chrono::milliseconds(20);

} // namespace

bool memoryCanBeBounded() { return !kAddressSanitizer; }

ImportBounds boundsForModel(std::uintmax_t fileBytes, double seconds) {
    ImportBounds b;
    const std::uintmax_t most = std::uintmax_t(-1) / 2 / kMemoryPerFileByte;
    b.memoryBytes = memoryCanBeBounded() ? std::size_t(kBaseMemory + std::min(fileBytes, most) * kMemoryPerFileByte) : 0;
    b.seconds = seconds > 0 ? seconds : kBaseSeconds + kSecondsPerMiB * double(fileBytes) / kMiB;
    return b;
}

BoundedOutcome runBounded(const std::function<int()>& work, const ImportBounds& bounds,
                          const std::function<void(double)>& progress) {
    std::cout.flush();
    std::cerr.flush();
    const pid_t child = fork();
    if (child < 0) return {BoundedOutcome::Kind::Exited, work(), 0, 0}; // no child: run here, unbounded
    if (child == 0) {
        if (bounds.memoryBytes) {
            const rlimit limit{rlim_t(bounds.memoryBytes), rlim_t(bounds.memoryBytes)};
            setrlimit(RLIMIT_AS, &limit);
        }
        const int code = work();
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        _exit(code);
    }
    const auto start = std::chrono::steady_clock::now();
    double lastShown = 0;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            if (WIFSIGNALED(status)) return {BoundedOutcome::Kind::Signalled, 0, WTERMSIG(status), child};
            return {BoundedOutcome::Kind::Exited, WEXITSTATUS(status), 0, child};
        }
        if (done < 0 && errno != EINTR) return {BoundedOutcome::Kind::Exited, 1, 0, child};
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (bounds.seconds > 0 && elapsed > bounds.seconds) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return {BoundedOutcome::Kind::TimedOut, 0, 0, child};
        }
        if (elapsed >= 1 && elapsed - lastShown >= 0.5) {
            progress(elapsed);
            lastShown = elapsed;
        }
        std::this_thread::sleep_for(kPoll);
    }
}

} // namespace zamp::sivtool
