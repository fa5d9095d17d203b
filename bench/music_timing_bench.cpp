// How well music and picture keep time. Two measurements, printed as a table:
//
//   drift   a show of SECONDS (default 300) plays its music through SDL's `disk` audio driver
//           (which paces itself with sleeps, as a loaded machine's device might fall behind)
//           while a frame loop runs at about 60 frames a second; every second the demo time
//           of the frame clock and the demo time of --sync-music are compared with the
//           demo time the music's position stands for.
//   seek    a tracker module moved to a time, against the same module read on from its
//           beginning up to that time: the offset that lines the two up (0 when the move is
//           exact to the sample) and how long the move took, from the beginning and back from
//           where the music stands later.
//
// usage: music_timing_bench MODULE [SECONDS]   (`make bench` runs it on the example music)
#include "app/MusicPlayer.h"
#include "app/MusicSync.h"
#include "platform/Authoring.h"
#include "platform/Platform.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

using namespace zamp;

namespace {

void writeSilentWav(const std::string& path, double seconds) {
    const std::uint32_t frames = std::uint32_t(seconds * kAudioSampleRate);
    const std::uint32_t bytes = frames * 4;
    std::ofstream out(path, std::ios::binary);
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out.put(char(v >> (8 * i)));
    };
    out.write("RIFF", 4), put(36 + bytes, 4), out.write("WAVEfmt ", 8), put(16, 4), put(1, 2), put(2, 2);
    put(kAudioSampleRate, 4), put(kAudioSampleRate * 4, 4), put(4, 2), put(16, 2), out.write("data", 4), put(bytes, 4);
    std::vector<char> zeros(bytes);
    out.write(zeros.data(), std::streamsize(zeros.size()));
}

void drift(double seconds) {
    const std::string wav = (std::filesystem::temp_directory_path() / "zamp-drift.wav").string();
    const std::string raw = (std::filesystem::temp_directory_path() / "zamp-drift.raw").string();
    writeSilentWav(wav, seconds + 10);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    MusicPlayer music;
    if (!music.load(wav)) {
        std::printf("drift: the music does not load\n");
        return;
    }
    music.play();
    using Clock = std::chrono::steady_clock;
    const auto began = Clock::now();
    auto last = began;
    double clockTime = 0, synced = 0, worstClock = 0, worstSynced = 0;
    int nextReport = 60;
    std::printf("drift over %.0f s (demo time minus the music's, in ms):\n  %8s %12s %12s\n", seconds, "second",
                "frame clock", "--sync-music");
    while (clockTime < seconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
        const auto now = Clock::now();
        const double delta = std::chrono::duration<double>(now - last).count();
        last = now;
        const double musicTime = musicDemoTime(0, 0, music.position());
        clockTime += delta;
        synced = followMusic(synced, delta, musicTime);
        worstClock = std::max(worstClock, std::fabs(clockTime - musicTime));
        worstSynced = std::max(worstSynced, std::fabs(synced - musicTime));
        if (clockTime >= nextReport) {
            std::printf("  %8d %12.1f %12.1f\n", nextReport, (clockTime - musicTime) * 1e3, (synced - musicTime) * 1e3);
            nextReport += 60;
        }
    }
    std::printf("  worst: frame clock %.1f ms, --sync-music %.1f ms\n", worstClock * 1e3, worstSynced * 1e3);
    music.fadeOut();
    std::filesystem::remove(wav);
    std::filesystem::remove(raw);
}

// Frames of `source` from where it stands.
std::vector<float> take(MusicSource& source, std::size_t frames) {
    std::vector<std::int16_t> pcm(frames * 2);
    source.read(pcm.data(), frames);
    std::vector<float> left(frames);
    for (std::size_t i = 0; i < frames; ++i) left[i] = pcm[2 * i] / 32768.0f;
    return left;
}

double secondsSince(std::chrono::steady_clock::time_point began) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

void seekError(const std::string& module) {
    std::printf("module seeking (%s): where a move lands, against reading on from the start\n  %8s %12s\n",
                module.c_str(), "seconds", "error ms");
    for (double t : {1.0, 2.5, 5.0, 10.0, 20.0, 45.0}) {
        auto reference = openMusicSource(module);
        auto moved = openMusicSource(module);
        if (!reference || !moved || reference->kind() != MusicKind::Module) {
            std::printf("  %s is no module\n", module.c_str());
            return;
        }
        const std::size_t window = kAudioSampleRate; // one second either way
        const std::size_t target = std::size_t(t * kAudioSampleRate);
        take(*reference, target - window);
        const std::vector<float> around = take(*reference, 3 * window);
        moved->seek(t);
        const std::vector<float> landed = take(*moved, window / 4);
        // The lag with the smallest difference over a quarter of a second.
        double best = 1e30;
        long bestLag = 0;
        for (std::size_t lag = 0; lag + landed.size() <= around.size(); ++lag) {
            double difference = 0;
            for (std::size_t i = 0; i < landed.size() && difference < best; i += 4)
                difference += std::fabs(around[lag + i] - landed[i]);
            if (difference < best) best = difference, bestLag = long(lag);
        }
        std::printf("  %8.1f %12.1f\n", t, double(bestLag - long(window)) * 1e3 / kAudioSampleRate);
    }
    std::printf("module seeking (%s): time a move takes\n  %8s %16s %16s\n", module.c_str(), "seconds",
                "from start ms", "back 1 s ms");
    for (double t : {12.0, 60.0, 300.0}) {
        auto source = openMusicSource(module);
        if (!source) return;
        auto began = std::chrono::steady_clock::now();
        source->seek(t);
        const double fromStart = secondsSince(began);
        began = std::chrono::steady_clock::now();
        source->seek(t - 1);
        const double back = secondsSince(began);
        std::printf("  %8.1f %16.1f %16.1f\n", t, fromStart * 1e3, back * 1e3);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: music_timing_bench MODULE [SECONDS]\n");
        return 2;
    }
    seekError(argv[1]);
    drift(argc > 2 ? std::atof(argv[2]) : 300);
    return 0;
}
