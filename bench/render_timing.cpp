// Offline rendering as a user sees it, timed from outside the process: from exec to the first
// frame file written (`--render OUT --at 0`), from the last frame file written to the
// process's exit, and the frames per second of a whole --render run of a show.
//
//   render_timing --zamp EXE --show DIR [--runs N] [--fps F]
//
// A frame counts as written when its file is closed after writing (inotify's
// IN_CLOSE_WRITE), so frames written by other threads or renamed into place count alike.
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    std::string zamp, show;
    int runs = 10;
    double fps = 10;
};

struct RunTimes {
    double toFirstMs = 0, lastToExitMs = 0, totalS = 0, cpuS = 0;
    long frames = 0;
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Runs zamp with `args` (the output folder first) and watches the output folder.
RunTimes timeRun(const Options& o, const fs::path& out, const std::vector<std::string>& args) {
    fs::remove_all(out);
    fs::create_directories(out);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, out.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0)
        throw std::runtime_error("inotify: " + std::string(std::strerror(errno)));

    std::vector<std::string> argv{o.zamp, "--render", out.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(o.show);
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(raw[0], raw.data());
        _exit(127);
    }
    RunTimes t;
    Clock::time_point first{}, last{};
    int status = 0;
    rusage usage{};
    for (;;) {
        pollfd p{watch, POLLIN, 0};
        poll(&p, 1, 1);
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
            for (char* e = buffer; e < buffer + n;) {
                auto* event = reinterpret_cast<inotify_event*>(e);
                if (event->len && std::strncmp(event->name, "frame_", 6) == 0 &&
                    std::strstr(event->name, ".png") != nullptr &&
                    std::strlen(std::strstr(event->name, ".png")) == 4) {
                    last = Clock::now();
                    if (t.frames++ == 0) first = last;
                }
                e += sizeof(inotify_event) + event->len;
            }
        }
        if (wait4(child, &status, WNOHANG, &usage) == child) break;
    }
    const auto end = Clock::now();
    close(watch);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("zamp failed");
    if (t.frames == 0) throw std::runtime_error("zamp wrote no frame");
    t.toFirstMs = ms(first - start);
    t.lastToExitMs = ms(end - last);
    t.totalS = ms(end - start) / 1000;
    t.cpuS = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
             double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) try {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i], v = argv[i + 1];
        if (a == "--zamp") o.zamp = fs::absolute(v).string();
        else if (a == "--show") o.show = fs::absolute(v).string();
        else if (a == "--runs") o.runs = std::max(1, std::atoi(v.c_str()));
        else if (a == "--fps") o.fps = std::atof(v.c_str());
        else throw std::runtime_error("unknown option " + a);
    }
    if (o.zamp.empty() || o.show.empty()) throw std::runtime_error("--zamp and --show are needed");
    const fs::path out = fs::temp_directory_path() / ("zamp-render-timing-" + std::to_string(getpid()));

    std::vector<double> toFirst, toExit;
    for (int r = 0; r < o.runs; ++r) {
        RunTimes t = timeRun(o, out, {"--at", "0"});
        toFirst.push_back(t.toFirstMs);
        toExit.push_back(t.lastToExitMs);
    }
    std::printf("--render --at 0, %d runs: exec to first frame written median %.1f ms (min %.1f; budget 150), "
                "last frame written to exit median %.1f ms (max %.1f; budget 20)\n",
                o.runs, median(toFirst), *std::min_element(toFirst.begin(), toFirst.end()), median(toExit),
                *std::max_element(toExit.begin(), toExit.end()));

    char fps[32];
    std::snprintf(fps, sizeof fps, "%g", o.fps);
    RunTimes whole = timeRun(o, out, {"--fps", fps});
    std::printf("--render --fps %s: %ld frames in %.2f s, %.1f frames/s, process cpu %.2f s (%.1f ms/frame), "
                "last frame written to exit %.1f ms\n",
                fps, whole.frames, whole.totalS, double(whole.frames) / whole.totalS, whole.cpuS,
                whole.cpuS * 1000 / double(whole.frames), whole.lastToExitMs);
    fs::remove_all(out);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "render_timing: %s\n", e.what());
    return 1;
}
