// Runs the import in a child process with a memory bound and a time limit, so that a model
// library that hangs on a damaged file, or grows without end on a file that declares billions
// of vertices, ends in one clear message instead of taking the machine's memory or the
// author's afternoon. The child writes its output and messages itself; the parent only waits,
// shows progress on a terminal, and stops it at the limit.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace zamp::sivtool {

struct ImportBounds {
    std::size_t memoryBytes = 0; // address space of the child; 0: unbounded
    double seconds = 0;          // wall-clock limit; 0: none
};

// The bounds for a model file of `fileBytes`: generous for real models (memory: 1 GiB and 256
// bytes for each byte of the file; time: 30 s and 30 s per MB), `seconds` when it is above 0.
ImportBounds boundsForModel(std::uintmax_t fileBytes, double seconds);

struct BoundedOutcome {
    enum class Kind { Exited, TimedOut, Signalled } kind = Kind::Exited;
    int exitCode = 0; // Exited
    int signal = 0;   // Signalled
    int childPid = 0;
};

// Runs `work` (returning an exit code) in a child within `bounds`. `progress` is called on
// the parent's side about twice a second once a second has passed, with the seconds spent.
BoundedOutcome runBounded(const std::function<int()>& work, const ImportBounds& bounds,
                          const std::function<void(double)>& progress);

// Whether this build can bound the child's memory (not under AddressSanitizer, which reserves
// far more address space than any bound).
bool memoryCanBeBounded();

} // namespace zamp::sivtool
