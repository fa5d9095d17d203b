#include "app/OfflineRun.h"

#include "app/DemoApp.h"
#include "app/FrameSequence.h"
#include "app/Interrupt.h"
#include "app/MusicWav.h"
#include "app/FrameWriter.h"
#include "app/RenderLoop.h"
#include "app/VideoRender.h"
#include "core/CpuTime.h"
#include "core/Error.h"
#include "core/ShowFiles.h"
#include "gfx/Device.h"
#include "platform/Authoring.h"
#include "platform/Platform.h"
#include "show/Show.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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

namespace {

// Frames of an earlier, longer render that this one does not overwrite: the user's files,
// left as they are, but worth a word.
void warnAboutOlderFrames(DemoApp& app, const std::string& outDir, long count) {
    std::error_code ec;
    long oldest = -1;
    for (const auto& entry : std::filesystem::directory_iterator(outDir, ec)) {
        const std::string name = entry.path().filename().string();
        long number = 0;
        int used = 0;
        if (std::sscanf(name.c_str(), "frame_%ld.png%n", &number, &used) == 1 && std::size_t(used) == name.size() &&
            number >= count && (oldest < 0 || number < oldest))
            oldest = number;
    }
    if (oldest >= 0)
        app.show->warnings.add(outDir + " holds older frames from " + std::filesystem::path(framePath(outDir, oldest)).filename().string() +
                               " on, beyond the " + std::to_string(count) + " this render writes; they are left as they are");
}

std::string musicWavPath(const std::string& outDir) { return (std::filesystem::path(outDir) / "music.wav").string(); }

// The show's music from the first frame's demo time, `audioFrames` long. False when a signal
// stopped it.
bool writeRenderMusic(DemoApp& app, const std::string& outDir, std::uint64_t audioFrames) {
    std::unique_ptr<MusicSource> source = openRenderMusic(app);
    return !source || writeMusicWav(musicWavPath(outDir), *source, audioFrames, Interrupt::requested());
}

} // namespace

int renderFrames(DemoApp& app, const CommandLine& cl, const std::string& outDir) {
    if (cl.renderVideo()) return renderVideo(app, cl, outDir);
    const FrameSequence frames = cl.at.empty() ? FrameSequence::untilEnd(app.demoTime, app.show->endTime, cl.fps)
                                               : FrameSequence::atTimes(cl.at);
    FrameRange range{0, frames.count() - 1};
    if (cl.frames) {
        if (cl.frames->last >= frames.count()) {
            std::cerr << "zamp: --frames " << cl.frames->first << ":" << cl.frames->last << " lies outside the "
                      << frames.count() << " frames of this show (0:" << frames.count() - 1 << ")\n"
                      << kUsage << '\n';
            return 2;
        }
        range = *cl.frames;
    }

    // The music lasts as long as all the frames; its length is checked before anything is
    // written.
    const bool withMusic = app.show->music && frames.followsTheClock() && range.first == 0;
    const std::uint64_t audioFrames = withMusic ? musicWavFrames(musicWavPath(outDir), frames.count(), frames.fps()) : 0;

    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) throw Error("Cannot create " + outDir + ": " + ec.message());
    warnAboutOlderFrames(app, outDir, frames.count());
    if (withMusic && !writeRenderMusic(app, outDir, audioFrames)) return Interrupt::exitCode();

    PngFrameWriter writer(PngFrameWriter::suitableWorkers());
    // A stop writes the frame drawn last whole: the frames written are the render's first.
    const bool whole = drawFrames(app, frames, range, writer, [&](long k) { return framePath(outDir, k); }, true);
    return whole ? 0 : Interrupt::exitCode();
}

void benchFrames(DemoApp& app, long frames) {
    Device& device = *app.device;
    const float start = app.demoTime, end = app.show->endTime;
    // One frame first, untimed: the device makes its GL copies of meshes and its shaders
    // when it first draws with them.
    app.renderFrame();
    device.finish();
    std::vector<double> ms, cpuMs, threadMs;
    ms.reserve(std::size_t(frames));
    cpuMs.reserve(std::size_t(frames));
    threadMs.reserve(std::size_t(frames));
    const Device::Counters before = device.counters();
    const MeshCounts meshesBefore = app.meshCounts;
    for (long k = 0; k < frames; ++k) {
        app.demoTime = float(start + (double(end) - start) * double(k) / double(frames));
        auto t0 = std::chrono::steady_clock::now();
        const double cpu0 = processCpuMs(), thread0 = threadCpuMs();
        app.renderFrame();
        device.finish();
        cpuMs.push_back(processCpuMs() - cpu0);
        threadMs.push_back(threadCpuMs() - thread0);
        if (Interrupt::requested()) return;
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    const Device::Counters after = device.counters();
    const MeshCounts meshesAfter = app.meshCounts;
    const double calls = double(after.backendCalls - before.backendCalls) / double(frames);
    const double deviceCalls = double(after.deviceCalls - before.deviceCalls) / double(frames);
    auto mean = [](const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size()); };
    const double wallMean = mean(ms), cpuMean = mean(cpuMs), threadMean = mean(threadMs);
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    std::sort(threadMs.begin(), threadMs.end());
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
    std::printf("player thread cpu ms/frame mean %.3f median %.3f\n", threadMean, percentile(threadMs, 0.5));
    std::printf("scene meshes/frame drawn %.1f, skipped out of view %.1f (culling %s)\n",
                double(meshesAfter.drawn - meshesBefore.drawn) / double(frames),
                double(meshesAfter.skipped - meshesBefore.skipped) / double(frames), app.cullMeshes ? "on" : "off");
}

} // namespace zamp
