// CPU time in milliseconds, for the benchmarks' per-frame figures: the whole process's (a
// software rasteriser's worker threads included, so a busy machine shifts it less than wall
// time) and the calling thread's alone (the player's own work and what the driver does on it).
#pragma once

#include <ctime>
#include <time.h>

namespace zamp {

inline double processCpuMs() { return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC; }

inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

} // namespace zamp
