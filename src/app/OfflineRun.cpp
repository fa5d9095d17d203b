#include "app/OfflineRun.h"

#include "app/DemoApp.h"
#include "app/PngFrameWriter.h"
#include "core/Error.h"
#include "gfx/Device.h"
#include "show/Show.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <numeric>
#include <unistd.h>
#include <vector>

namespace zamp {

namespace {

std::string framePath(const std::string& dir, long index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", index);
    return (std::filesystem::path(dir) / name).string();
}

} // namespace

void renderFrames(DemoApp& app, const CommandLine& cl, const std::string& outDir) {
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) throw Error("Cannot create " + outDir + ": " + ec.message());

    std::vector<float> times;
    if (!cl.at.empty()) {
        for (double t : cl.at) times.push_back(float(t));
    } else {
        const double start = app.demoTime;
        for (long k = 0;; ++k) {
            float t = float(start + double(k) / cl.fps);
            if (!(t < app.show->endTime)) break;
            times.push_back(t);
        }
    }

    // Frame k is drawn while frame k - 1 is read back and written on the writer's threads.
    Device& device = *app.device;
    PngFrameWriter writer(PngFrameWriter::suitableWorkers());
    // A readback still running when drawing fails must end before its buffer goes; the
    // failure that ends the run is the one already on its way.
    struct FinishReadbacks {
        Device& device;
        ~FinishReadbacks() {
            try {
                device.finishReadbacks();
            } catch (...) {
            }
        }
    } finishFirst{device};
    const bool progress = isatty(STDERR_FILENO);
    auto began = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < times.size(); ++k) {
        app.demoTime = times[k];
        app.renderFrame();
        device.finishReadbacks();
        if (k > 0) writer.write(framePath(outDir, long(k - 1)));
        device.startReadback(writer.buffer());
        if (progress) {
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            std::fprintf(stderr, "\rframe %zu/%zu  t=%.3f s  %.1f frames/s ", k + 1, times.size(), times[k],
                         seconds > 0 ? double(k + 1) / seconds : 0.0);
        }
    }
    device.finishReadbacks();
    if (!times.empty()) writer.write(framePath(outDir, long(times.size() - 1)));
    writer.finish();
    if (progress && !times.empty()) std::fputc('\n', stderr);
}

void benchFrames(DemoApp& app, long frames) {
    Device& device = *app.device;
    const float start = app.demoTime, end = app.show->endTime;
    // One frame first, untimed: the device makes its GL copies of meshes and its shaders
    // when it first draws with them.
    app.renderFrame();
    device.finish();
    std::vector<double> ms, cpuMs;
    ms.reserve(std::size_t(frames));
    cpuMs.reserve(std::size_t(frames));
    const Device::Counters before = device.counters();
    for (long k = 0; k < frames; ++k) {
        app.demoTime = float(start + (double(end) - start) * double(k) / double(frames));
        auto t0 = std::chrono::steady_clock::now();
        // Process CPU time, the renderer's threads included: a busy machine shifts it less
        // than wall time.
        const std::clock_t c0 = std::clock();
        app.renderFrame();
        device.finish();
        cpuMs.push_back(double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    const Device::Counters after = device.counters();
    const double calls = double(after.backendCalls - before.backendCalls) / double(frames);
    const double deviceCalls = double(after.deviceCalls - before.deviceCalls) / double(frames);
    auto mean = [](const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size()); };
    const double wallMean = mean(ms), cpuMean = mean(cpuMs);
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    auto percentile = [](const std::vector<double>& v, double p) {
        return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
    };
    std::printf("frames %ld, ms/frame mean %.3f median %.3f p95 %.3f, gl calls/frame %.1f\n", frames, wallMean,
                percentile(ms, 0.5), percentile(ms, 0.95), calls);
    // Further lines, so that the first stays the documented one: the state cache's effect
    // and the CPU time.
    std::printf("device calls/frame %.1f, gl calls per device call %.3f\n", deviceCalls,
                deviceCalls > 0 ? calls / deviceCalls : 0.0);
    std::printf("process cpu ms/frame mean %.3f median %.3f\n", cpuMean, percentile(cpuMs, 0.5));
}

} // namespace zamp
