// --render's music.wav and --frames, on the real executable: the music is the rendered span of
// the show's music to the sample, parts of a render make the whole render byte for byte (also
// when they run at once into one folder), ranges outside the show are command-line errors,
// music that no WAV file can hold is refused before anything is written, and a signal stops
// the music's writing at once.
#include "support/MusicTestAudio.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace zamp {
namespace {

using test::runZamp;
using test::TempDir;

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

// The frames of a 16-bit stereo WAV written by the player, after checking its header.
std::vector<std::int16_t> wavFrames(const std::filesystem::path& path) {
    const auto b = readBytes(path);
    EXPECT_GE(b.size(), 44u);
    if (b.size() < 44) return {};
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(le32(b, 24), 44100u) << "sample rate";
    EXPECT_EQ(b[22], 2) << "channels";
    EXPECT_EQ(b[34], 16) << "bits";
    EXPECT_EQ(le32(b, 40), b.size() - 44) << "data size";
    std::vector<std::int16_t> samples((b.size() - 44) / 2);
    std::memcpy(samples.data(), b.data() + 44, samples.size() * 2);
    return samples;
}

TEST(RenderMusic, TheMusicWavIsTheRenderedSpanOfAPositionedStreamToTheSample) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    const std::vector<testaudio::Tone> tones = {{440, 0.5}, {660, 0.5}, {880, 0.5}, {1100, 0.5}};
    testaudio::writeFile(show.path() / "data" / "tones.wav", testaudio::wavFile(tones));
    show.write("data/script.lua", "starttime(0.3) loadmusic('data/tones.wav') endtime(1.3)");
    for (double fps : {30.0, 29.97, 7.0}) {
        SCOPED_TRACE(fps);
        std::filesystem::remove_all(show.path() / "out");
        auto r = runZamp({"--render", "out", "--fps", std::to_string(fps)}, show.path());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        long frames = 0;
        while (std::filesystem::exists(show.path() / "out" / test::framePngName(frames))) ++frames;
        const auto samples = wavFrames(show.path() / "out" / "music.wav");
        ASSERT_EQ(samples.size() / 2, std::size_t(std::llround(double(frames) / fps * 44100)))
            << frames << " frames";
        // The mono file played in both ears, from 0.3 s in, sample for sample; past its end
        // the music loops from its beginning. SDL's conversion to stereo rounds by one step
        // at most; one sample early or late would differ by hundreds.
        const std::vector<std::int16_t> source = testaudio::toneSamples(tones, 44100);
        for (std::size_t i = 0; i < samples.size() / 2; ++i) {
            const int expected = source[(i + 13230) % source.size()];
            ASSERT_NEAR(samples[2 * i], expected, 1) << "frame " << i;
            ASSERT_NEAR(samples[2 * i + 1], expected, 1) << "frame " << i;
        }
    }
}

// Every field of music.wav's header, for renders whose length (0.51 s) is no whole number of
// the picture's frames, and at 29.97 fps no whole number of samples either (16 frames are
// 23543.5 samples, written as 23544).
TEST(RenderMusic, EveryFieldOfTheMusicWavHeaderDescribesWhatFollows) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    testaudio::writeFile(show.path() / "data" / "tone.wav", testaudio::wavFile({{440, 0.3}}));
    // A stream shorter than one frame of the picture loops through the render too.
    testaudio::writeFile(show.path() / "data" / "tick.wav", testaudio::wavFileOf({1000, -1000, 500, 7, -3}));
    const auto u16 = [](const std::vector<std::uint8_t>& b, std::size_t at) { return unsigned(b[at] | b[at + 1] << 8); };
    for (const char* music : {"tone.wav", "tick.wav"}) {
        for (double fps : {29.97, 7.0}) {
            SCOPED_TRACE(std::string(music) + " at " + std::to_string(fps) + " fps");
            show.write("data/script.lua", std::string("loadmusic('data/") + music + "') endtime(0.51)");
            std::filesystem::remove_all(show.path() / "out");
            auto r = runZamp({"--render", "out", "--fps", std::to_string(fps)}, show.path());
            ASSERT_EQ(r.exitCode, 0) << r.err;
            long frames = 0;
            while (std::filesystem::exists(show.path() / "out" / test::framePngName(frames))) ++frames;
            ASSERT_GT(frames, 0);
            const auto samples = std::uint32_t(std::llround(double(frames) / fps * 44100));
            const auto b = readBytes(show.path() / "out" / "music.wav");
            ASSERT_EQ(b.size(), 44u + samples * 4u) << frames << " frames";
            EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
            EXPECT_EQ(le32(b, 4), 36u + samples * 4u) << "RIFF size: all that follows it";
            EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
            EXPECT_EQ(le32(b, 16), 16u) << "fmt chunk size";
            EXPECT_EQ(u16(b, 20), 1u) << "PCM";
            EXPECT_EQ(u16(b, 22), 2u) << "channels";
            EXPECT_EQ(le32(b, 24), 44100u) << "sample rate";
            EXPECT_EQ(le32(b, 28), 44100u * 4u) << "bytes a second";
            EXPECT_EQ(u16(b, 32), 4u) << "bytes a frame";
            EXPECT_EQ(u16(b, 34), 16u) << "bits a sample";
            EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
            EXPECT_EQ(le32(b, 40), samples * 4u) << "data size";
            if (std::string(music) == "tick.wav") {
                // Five samples, again and again, in both ears.
                const std::int16_t tick[] = {1000, -1000, 500, 7, -3};
                for (std::uint32_t i = 0; i < samples; ++i) {
                    std::int16_t left, right;
                    std::memcpy(&left, &b[44 + 4 * i], 2);
                    std::memcpy(&right, &b[46 + 4 * i], 2);
                    ASSERT_NEAR(left, tick[i % 5], 1) << "frame " << i;
                    ASSERT_NEAR(right, tick[i % 5], 1) << "frame " << i;
                }
            }
        }
    }
}

TEST(RenderMusic, AModuleStartingLaterIsTheWholeRendersMusicFromThereToTheSample) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    // Its speed and tempo change part-way, and a pass lasts about 4 s: 12 s in lies in its
    // third pass, which no estimate from the first speed and tempo finds.
    testaudio::writeFile(show.path() / "data" / "tune.mod", testaudio::changingTempoModFile());
    show.write("data/script.lua", "starttime(0) loadmusic('data/tune.mod') endtime(14)");
    auto whole = runZamp({"--render", "whole", "--fps", "10", "--size", "64x48"}, show.path());
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    show.write("data/script.lua", "starttime(12) loadmusic('data/tune.mod') endtime(14)");
    auto late = runZamp({"--render", "late", "--fps", "10", "--size", "64x48"}, show.path());
    ASSERT_EQ(late.exitCode, 0) << late.err;
    const auto all = wavFrames(show.path() / "whole" / "music.wav");
    const auto part = wavFrames(show.path() / "late" / "music.wav");
    ASSERT_EQ(all.size() / 2, 14u * 44100);
    ASSERT_EQ(part.size() / 2, 2u * 44100);
    const std::vector<std::int16_t> fromTwelve(all.begin() + 12 * 44100 * 2, all.end());
    ASSERT_TRUE(std::any_of(part.begin(), part.end(), [](std::int16_t s) { return std::abs(s) > 1000; }))
        << "the music plays";
    ASSERT_EQ(testaudio::firstDifference(part, fromTwelve), "same") << "sample for sample";
}

TEST(RenderMusic, PartsOfARenderMakeTheWholeRenderByteForByte) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    testaudio::writeFile(show.path() / "data" / "tone.wav", testaudio::wavFile({{440, 0.7}, {550, 0.6}}));
    show.write("data/script.lua",
               "loadmusic('data/tone.wav') endtime(1.2) createtexture(0, 0, 'a') n = layer(2, 'a', 0, 2, 1) "
               "start(0, n) stop(2, n) setimagecolor(0, 0, 0, 0, 255, n) setimagecolor(1.2, 255, 200, 100, 255, n)");
    ASSERT_EQ(runZamp({"--render", "whole", "--fps", "10"}, show.path()).exitCode, 0);
    ASSERT_EQ(runZamp({"--render", "parts", "--fps", "10", "--frames", "5:11"}, show.path()).exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(show.path() / "parts" / "music.wav")) << "only the part with frame 0 writes it";
    auto r = runZamp({"--render", "parts", "--fps", "10", "--frames", "0:4"}, show.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "") << "the later part's frames are no older frames";
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(show.path() / "whole")) {
        const auto name = entry.path().filename();
        EXPECT_EQ(readBytes(entry.path()), readBytes(show.path() / "parts" / name)) << name;
        ++files;
    }
    EXPECT_EQ(files, 13u) << "12 frames and the music";
}

// The names in `folder`, sorted.
std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RenderMusic, PartsRunningAtOnceIntoOneFolderAllSucceedAndMakeTheWholeRender) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    testaudio::writeFile(show.path() / "data" / "tune.mod", testaudio::modFile(428, 214));
    show.write("data/script.lua",
               "loadmusic('data/tune.mod') endtime(120) createtexture(0, 0, 'a') n = layer(2, 'a', 0, 2, 1) "
               "start(0, n) stop(120, n) setimagecolor(0, 0, 0, 0, 255, n) setimagecolor(120, 255, 200, 100, 255, n)");
    const std::vector<std::string> common{"--fps", "2", "--size", "64x48"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), common.begin(), common.end());
        return args;
    };
    ASSERT_EQ(runZamp(with({"--render", "whole"}), show.path()).exitCode, 0);
    // Four parts that overlap, three of them writing music.wav (21 MB), all at the same time:
    // writers of one name that shared a temporary file failed here in most runs.
    const std::vector<std::string> parts{"0:239", "0:239", "20:239", "0:119"};
    std::vector<int> pids;
    for (std::size_t i = 0; i < parts.size(); ++i)
        pids.push_back(test::startZamp(with({"--render", "parts", "--frames", parts[i]}), show.path(),
                                       show.path() / ("err" + std::to_string(i))));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(test::waitForExit(pids[i]), 0) << parts[i] << ": " << test::readText(show.path() / ("err" + std::to_string(i)));
    }
    const std::vector<std::string> names = namesIn(show.path() / "whole");
    ASSERT_EQ(names.size(), 241u) << "240 frames and the music";
    EXPECT_EQ(namesIn(show.path() / "parts"), names) << "no temporary file is left";
    for (const std::string& name : names)
        EXPECT_EQ(readBytes(show.path() / "whole" / name), readBytes(show.path() / "parts" / name)) << name;
}

TEST(RenderMusic, MusicThatNoWavFileCanHoldIsRefusedBeforeAnythingIsWritten) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    testaudio::writeFile(show.path() / "data" / "tone.wav", testaudio::wavFile({{440, 0.5}}));
    show.write("data/script.lua", "loadmusic('data/tone.wav') endtime(1)");
    // One frame that lasts 10^15 s: its music used to be written without end.
    auto tiny = runZamp({"--render", "out", "--fps", "1e-15"}, show.path());
    EXPECT_EQ(tiny.exitCode, 1);
    EXPECT_NE(tiny.err.find("Cannot write " + (show.path() / "out" / "music.wav").string() + ": 999999999999999"),
              std::string::npos)
        << tiny.err;
    EXPECT_NE(tiny.err.find(" s of music is more than a WAV file can hold\n"), std::string::npos) << tiny.err;
    // Just above what a WAV file holds (24347 s at 44.1 kHz, 16-bit stereo), and frames that
    // no render can number.
    show.write("data/script.lua", "loadmusic('data/tone.wav') endtime(24348)");
    auto longer = runZamp({"--render", "out", "--fps", "1"}, show.path());
    EXPECT_EQ(longer.exitCode, 1);
    EXPECT_EQ(longer.err, "Cannot write " + (show.path() / "out" / "music.wav").string() +
                              ": 24348 s of music is more than a WAV file can hold\n");
    show.write("data/script.lua", "loadmusic('data/tone.wav') endtime(2e6)");
    auto frames = runZamp({"--render", "out", "--fps", "1000", "--frames", "0:0"}, show.path());
    EXPECT_EQ(frames.exitCode, 1);
    EXPECT_NE(frames.err.find("has more frames than a render can write"), std::string::npos) << frames.err;
    EXPECT_FALSE(std::filesystem::exists(show.path() / "out")) << "nothing is written, not even the folder";
}

TEST(RenderMusic, ASignalWhileTheMusicIsWrittenStopsItAtOnceLeavingNoMusicFile) {
    TempDir show;
    std::filesystem::create_directories(show.path() / "data");
    testaudio::writeFile(show.path() / "data" / "tone.wav", testaudio::wavFile({{440, 1.0}}));
    // 12000 s of music for the part that holds frame 0: 2.1 GB, a minute or more of writing.
    show.write("data/script.lua", "loadmusic('data/tone.wav') endtime(12000)");
    const pid_t pid = test::startZamp({"--render", "out", "--fps", "1", "--frames", "0:0"}, show.path(), show.path() / "err");
    // The sign: the music's temporary file holds more than its header.
    auto writing = [&] {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(show.path() / "out", ec))
            if (entry.path().filename().string().rfind("music.wav.", 0) == 0 && entry.file_size(ec) > 44 && !ec) return true;
        return false;
    };
    ASSERT_TRUE(test::waitFor(writing)) << test::readText(show.path() / "err");
    const auto signalled = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    EXPECT_EQ(test::waitForExit(pid), 143);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    EXPECT_LT(seconds, 20.0) << "the whole music was written first";
    EXPECT_EQ(namesIn(show.path() / "out"), std::vector<std::string>{}) << "no music.wav, no temporary file, no frame";
}

TEST(RenderMusic, RangesOutsideTheShowAndFramesWithAtAreCommandLineErrors) {
    TempDir show;
    show.write("data/script.lua", "endtime(1)");
    auto outside = runZamp({"--render", "out", "--fps", "10", "--frames", "8:10"}, show.path());
    EXPECT_EQ(outside.exitCode, 2);
    EXPECT_NE(outside.err.find("--frames 8:10 lies outside the 10 frames of this show (0:9)"), std::string::npos)
        << outside.err;
    EXPECT_FALSE(std::filesystem::exists(show.path() / "out" / "frame_000008.png"));
    for (std::vector<std::string> args : {std::vector<std::string>{"--render", "out", "--at", "1", "--frames", "0:0"},
                                          {"--frames", "0:1"},
                                          {"--render", "out", "--frames", "3:2"},
                                          {"--render", "out", "--fps", "1e300"},
                                          {"--render", "out", "--fps", "0"}}) {
        auto r = runZamp(args, show.path());
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_NE(r.err.find("Usage: zamp"), std::string::npos);
    }
}

TEST(RenderMusic, OlderFramesBeyondTheRenderEarnOneWarningAndStay) {
    TempDir show;
    show.write("data/script.lua", "endtime(0.5)");
    ASSERT_EQ(runZamp({"--render", "out", "--fps", "10"}, show.path()).exitCode, 0);
    show.write("data/script.lua", "endtime(0.3)");
    auto r = runZamp({"--render", "out", "--fps", "10"}, show.path());
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "warning: " + (show.path() / "out").string() +
                         " holds older frames from frame_000003.png on, beyond the 3 this render writes; they are "
                         "left as they are\n");
    EXPECT_TRUE(std::filesystem::exists(show.path() / "out" / "frame_000004.png")) << "a user's files stay";
}

TEST(RenderMusic, AnEndTimeThatIsNoNumberCannotBeRendered) {
    TempDir show;
    show.write("data/script.lua", "endtime(1/0)");
    auto r = runZamp({"--render", "out"}, show.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "endtime(inf) cannot be rendered: the end time must be a number of seconds\n");
}

} // namespace
} // namespace zamp
