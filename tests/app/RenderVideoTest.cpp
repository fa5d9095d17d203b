// --render into a video file, on the real executable and read back with FFmpeg's own tools: the
// picture and the music stay together, the file holds the frames and the music of the render
// into a folder, everything that can be refused is refused before drawing, and a file cut
// short never appears.
#include "platform/Platform.h"
#include "platform/Programs.h"
#include "support/MusicTestAudio.h"
#include "support/PictureBytes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>

namespace zamp {
namespace {

using test::runZamp;
using test::TempDir;

constexpr int kWidth = 64, kHeight = 48, kFps = 25;
constexpr const char* kSize = "64x48";

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// FFmpeg's command-line tool, decoding `input` into `output` in the raw format of `args`.
void decode(const std::filesystem::path& input, const std::vector<std::string>& args, const std::filesystem::path& output) {
    std::vector<std::string> all = {"-v", "error", "-nostdin", "-y", "-i", input.string()};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(output.string());
    const ProgramRun run = runProgram("/usr/bin/ffmpeg", all, 300);
    ASSERT_EQ(run.end, ProgramRun::End::Exited) << run.problem;
    ASSERT_EQ(run.status, 0) << run.err;
}

std::string probe(const std::filesystem::path& file, const std::string& entries) {
    const ProgramRun run = runProgram("/usr/bin/ffprobe", {"-v", "error", "-show_entries", entries, "-of",
                                                           "default=noprint_wrappers=1", file.string()},
                                      60);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

// The frames of a video as RGB pictures of kWidth x kHeight.
std::vector<std::vector<std::uint8_t>> videoFrames(const std::filesystem::path& video) {
    const auto raw = video.string() + ".rgb";
    decode(video, {"-map", "0:v", "-f", "rawvideo", "-pix_fmt", "rgb24"}, raw);
    const auto bytes = readBytes(raw);
    const std::size_t frameBytes = std::size_t(kWidth) * kHeight * 3;
    EXPECT_EQ(bytes.size() % frameBytes, 0u);
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::size_t at = 0; at + frameBytes <= bytes.size(); at += frameBytes)
        frames.emplace_back(bytes.begin() + long(at), bytes.begin() + long(at + frameBytes));
    return frames;
}

// The left channel of the video's music at 44.1 kHz.
std::vector<float> videoMusic(const std::filesystem::path& video) {
    const auto raw = video.string() + ".pcm";
    decode(video, {"-map", "0:a", "-f", "s16le", "-ac", "2", "-ar", "44100"}, raw);
    const auto bytes = readBytes(raw);
    std::vector<float> left;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        std::int16_t s;
        std::memcpy(&s, &bytes[at], 2);
        left.push_back(float(s) / 32768.0f);
    }
    return left;
}

// The frames of a render into a folder, as RGB.
std::vector<std::vector<std::uint8_t>> folderFrames(const std::filesystem::path& folder) {
    const auto files = openImageFiles();
    std::vector<std::vector<std::uint8_t>> frames;
    for (long k = 0;; ++k) {
        const auto path = folder / test::framePngName(k);
        if (!std::filesystem::exists(path)) return frames;
        const auto image = files->read(path.string());
        EXPECT_TRUE(image) << path;
        if (!image) return frames;
        std::vector<std::uint8_t> rgb;
        for (std::uint32_t p : image->pixels) rgb.insert(rgb.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
        frames.push_back(std::move(rgb));
    }
}

double meanLevel(const std::vector<std::uint8_t>& frame) {
    double sum = 0;
    for (std::uint8_t v : frame) sum += v;
    return sum / double(frame.size());
}

long brightestFrame(const std::vector<std::vector<std::uint8_t>>& frames) {
    long best = -1;
    for (std::size_t k = 0; k < frames.size(); ++k)
        if (best < 0 || meanLevel(frames[k]) > meanLevel(frames[std::size_t(best)])) best = long(k);
    return best;
}

// Peak signal-to-noise ratio over every pixel of every frame, in dB.
double psnr(const std::vector<std::vector<std::uint8_t>>& a, const std::vector<std::vector<std::uint8_t>>& b) {
    double squares = 0, count = 0;
    for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k)
        for (std::size_t i = 0; i < a[k].size(); ++i) {
            const double d = double(a[k][i]) - double(b[k][i]);
            squares += d * d;
            ++count;
        }
    return squares == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / (squares / count));
}

// A show of three seconds: a slow colour ramp, one white frame at 2 s, and music that is
// quiet but for a click at 2 s.
void writeFlashShow(const TempDir& show) {
    std::vector<std::int16_t> music(3 * 44100);
    for (std::size_t i = 0; i < music.size(); ++i) music[i] = std::int16_t(300 * std::sin(double(i) * 0.05));
    for (std::size_t i = 0; i < 44; ++i) music[2 * 44100 + i] = i % 2 ? 24000 : -24000;
    std::filesystem::create_directories(show.path() / "data");
    testaudio::writeFile(show.path() / "data" / "click.wav", testaudio::wavFileOf(music));
    show.write("data/script.lua",
               "loadmusic('data/click.wav') endtime(3)\n"
               "createtexture(0, 0, 'plain')\n"
               "bg = layer(2, 'plain', 0, 2, 1) start(0, bg) stop(3, bg)\n"
               "setimagecolor(0, 20, 40, 80, 255, bg) setimagecolor(3, 120, 60, 30, 255, bg)\n"
               "flash = layer(2, 'plain', 1, 2, 1) start(2, flash) stop(2.02, flash)\n"
               "setimagecolor(2, 255, 255, 255, 255, flash)\n");
}

TEST(RenderVideo, ThePictureAndTheMusicStayTogetherAndMatchTheRenderIntoAFolder) {
    TempDir show;
    writeFlashShow(show);
    const std::vector<std::string> common = {"--fps", std::to_string(kFps), "--size", kSize};
    auto args = common;
    args.insert(args.begin(), {"--render", "frames"});
    ASSERT_EQ(runZamp(args, show.path()).exitCode, 0);
    const auto pngs = folderFrames(show.path() / "frames");
    ASSERT_EQ(pngs.size(), 75u);
    ASSERT_EQ(brightestFrame(pngs), 2 * kFps) << "the flash is frame 50 of the folder";
    const std::size_t wavSamples = (std::filesystem::file_size(show.path() / "frames" / "music.wav") - 44) / 4;

    // The audio codecs' frames: what decoding may add at the end, in 44.1 kHz samples. AAC's
    // last frame is whole (measured: 820 samples more than music.wav); Opus's end is trimmed
    // in a WebM file (measured: none).
    const std::map<std::string, std::size_t> padding = {{"mp4", 1024}, {"webm", 960}};
    for (const auto& [type, pad] : padding) {
        SCOPED_TRACE(type);
        const auto video = show.path() / ("show." + type);
        args = common;
        args.insert(args.begin(), {"--render", video.string()});
        const auto r = runZamp(args, show.path());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("75 frames at 25 frames/s"), std::string::npos) << r.out;

        const auto frames = videoFrames(video);
        ASSERT_EQ(frames.size(), pngs.size());
        const long flash = brightestFrame(frames);
        EXPECT_EQ(flash, 2 * kFps);
        // Measured: 45.4 dB for H.264 and for VP9 at the default quality.
        EXPECT_GT(psnr(frames, pngs), 40.0);

        const std::vector<float> music = videoMusic(video);
        EXPECT_GE(music.size(), wavSamples);
        EXPECT_LE(music.size(), wavSamples + pad) << "no more than one codec frame of padding";
        float peak = 0;
        for (float s : music) peak = std::max(peak, std::abs(s));
        std::size_t click = 0;
        while (click < music.size() && std::abs(music[click]) < peak / 2) ++click;
        const double clickSeconds = double(click) / 44100, flashSeconds = double(flash) / kFps;
        EXPECT_LT(std::abs(clickSeconds - flashSeconds), 1.0 / kFps)
            << "click at " << clickSeconds << " s, flash at " << flashSeconds << " s";
    }
    EXPECT_NE(probe(show.path() / "show.mp4", "stream=codec_name,pix_fmt").find("codec_name=h264\npix_fmt=yuv420p\ncodec_name=aac"),
              std::string::npos);
    EXPECT_NE(probe(show.path() / "show.webm", "stream=codec_name").find("codec_name=vp9\ncodec_name=opus"),
              std::string::npos);
}

TEST(RenderVideo, AShowWithoutMusicHasNoAudioStreamAndAnotherCodecCanBeAsked) {
    TempDir show;
    show.write("data/script.lua", "endtime(0.5) createtexture(0, 0, 'p') n = layer(2, 'p', 0, 2, 1) start(0, n) stop(1, n)");
    auto r = runZamp({"--render", "out/silent.mkv", "--fps", "10", "--size", kSize, "--codec", "ffv1"}, show.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(probe(show.path() / "out" / "silent.mkv", "stream=codec_type,codec_name"), "codec_name=ffv1\ncodec_type=video\n");
    EXPECT_EQ(videoFrames(show.path() / "out" / "silent.mkv").size(), 5u);
}

TEST(RenderVideo, WhatCannotBeWrittenIsRefusedBeforeDrawingAndLeavesNothing) {
    TempDir show;
    // A show of a day: had any of these runs begun to draw, it would not end for hours.
    const std::string picture = test::pngPicture(2, 2, 0xFF336699);
    show.write("data/pic.mov", picture);
    show.write("data/script.lua", "endtime(86400) loadimage('pic.mov', 'p') n = layer(2, 'p', 0, 2, 1) start(0, n) stop(9, n)");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string out = (show.path() / "out").string();
    const std::vector<Case> cases = {
        {{"--render", "out/odd.mp4", "--size", "65x48"},
         "Cannot write " + out + "/odd.mp4: H.264 in yuv420p needs an even width and height, and this render is 65x48 "
                                 "(give --size an even width and height)\n"},
        {{"--render", "out/x.webm", "--size", kSize, "--codec", "libx264"},
         "Cannot write " + out + "/x.webm: a WebM file cannot hold libx264's video (try another --codec, or a .mkv file)\n"},
        {{"--render", "out/x.mp4", "--size", kSize, "--codec", "no-such-encoder"},
         "Cannot write " + out + "/x.mp4: this FFmpeg has no encoder no-such-encoder\n"},
        {{"--render", "out/x.mp4", "--size", kSize, "--codec", "aac"}, "Cannot write " + out + "/x.mp4: aac encodes no video\n"},
        {{"--render", "data/pic.mov", "--size", kSize},
         "Cannot write " + (show.path() / "data" / "pic.mov").string() + ": it is the show's own data/pic.mov\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const auto r = runZamp(c.args, show.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.message);
    }
    EXPECT_EQ(test::readText(show.path() / "data" / "pic.mov"), picture) << "the show's file is untouched";
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(show.path() / "out"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{}) << "no video and no temporary file";
}

TEST(RenderVideo, ASignalLeavesNoVideoBehind) {
    TempDir show;
    show.write("data/script.lua", "endtime(86400) createtexture(0, 0, 'p') n = layer(2, 'p', 0, 2, 1) start(0, n) stop(9, n)");
    const int pid = test::startZamp({"--render", "long.mp4", "--size", kSize}, show.path(), show.path() / "err");
    // The temporary file has the container's header once the encoders are open: drawing is
    // under way.
    auto partial = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(show.path()))
            if (entry.path().extension() == ".partial" && entry.file_size() > 0) return true;
        return false;
    };
    ASSERT_TRUE(test::waitFor(partial, 120)) << test::readText(show.path() / "err");
    ::kill(pid, SIGTERM);
    EXPECT_EQ(test::waitForExit(pid), 143);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(show.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"data", "err"}));
}

} // namespace
} // namespace zamp
