// Ctrl-C and SIGTERM: the player stops within a frame (after finishing the frame file it is
// writing) or, while the script runs, at the script's next few thousand instructions, and
// ends with exit code 128 + the signal (130 for Ctrl-C). A signal handler can reach only
// static storage, so the request lives here, outside the application object.
#pragma once

#include <atomic>

namespace zamp {

class Interrupt {
public:
    // Installs the handlers for SIGINT and SIGTERM.
    static void watch();
    // Set once a signal arrived; stays set.
    static const std::atomic<bool>& requested() { return requested_; }
    // 128 + the signal that arrived, or 0.
    static int exitCode() { return signal_.load() == 0 ? 0 : 128 + signal_.load(); }

private:
    static void handle(int signal);
    static std::atomic<bool> requested_;
    static std::atomic<int> signal_;
};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

} // namespace zamp
