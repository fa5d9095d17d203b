// MusicPlayer against SDL_mixer: what the player really outputs is captured through SDL's
// `disk` driver and measured (level, pitch, timing). All test audio is made here.
#include "app/MusicPlayer.h"
#include "platform/Authoring.h"

#include "support/MusicTestAudio.h"
#include "support/TestSupport.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zamp {
namespace {

using namespace testaudio;
using Clock = std::chrono::steady_clock;

class MusicPlayerTest : public ::testing::Test {
protected:
    // Each test chooses its driver; without one of its own it gets the silent one, so that
    // no test depends on the machine having sound.
    void SetUp() override { ::setenv("SDL_AUDIODRIVER", "dummy", 1); }

    void TearDown() override {
        for (const auto& path : files_) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }

    std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const auto path = tempPath(name);
        writeFile(path, bytes);
        files_.push_back(path);
        return path.string();
    }

    std::string textFile(const std::string& name, const std::string& text) {
        return file(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    // Loads `path`, positions it, plays until the device has written `seconds` of audio,
    // and returns the left channel of all of it.
    static std::vector<float> capturePlaying(const std::string& path, double seconds, float startSeconds = 0.0f) {
        DiskCapture capture;
        {
            MusicPlayer player;
            EXPECT_TRUE(player.load(path));
            player.seek(startSeconds);
            // The capture starts when the output opens, before play; on a busy machine that
            // silence can be long, so the wait counts from play.
            const double beforePlay = capture.secondsWritten();
            player.play();
            EXPECT_TRUE(capture.waitFor(beforePlay + seconds + 0.5));
        }
        return capture.left();
    }

    // Expects the tone of [from, to) seconds after the music's first sound to have `hertz`.
    static void expectPitch(const std::vector<float>& samples, double from, double to, double hertz) {
        const std::size_t start = onset(samples);
        ASSERT_LT(start, samples.size()) << "no sound at all";
        const double measured = pitch(samples, start + frames(from), start + frames(to));
        EXPECT_NEAR(measured, hertz, hertz * 0.02) << "between " << from << " s and " << to << " s";
    }

    std::vector<std::filesystem::path> files_;
};

TEST_F(MusicPlayerTest, StreamTonePlaysAtItsPitchAndLevel) {
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> streams = {
        {"tone.wav", wavFile({{440.0, 2.0}})},
        {"tone-22k.wav", wavFile({{440.0, 2.0}}, 22050)},
        {"tone.flac", flacFile({{440.0, 2.0}})},
    };
    for (const auto& [name, bytes] : streams) {
        SCOPED_TRACE(name);
        const auto samples = capturePlaying(file(name, bytes), 1.0);
        const std::size_t start = onset(samples);
        ASSERT_LT(start, samples.size()) << "the capture is silent";
        // A sine at half of full scale: RMS 0.354 when the music plays at full volume.
        EXPECT_NEAR(rms(samples, start + frames(0.1), start + frames(0.9)), 0.354, 0.03);
        expectPitch(samples, 0.1, 0.9, 440.0);
    }
}

TEST_F(MusicPlayerTest, StreamShorterThanTheShowLoopsFromItsBeginning) {
    // Half a second per pass; four passes are captured, each low then high.
    const auto samples = capturePlaying(file("short.wav", wavFile({{440.0, 0.25}, {880.0, 0.25}})), 2.0);
    for (int pass = 0; pass < 4; ++pass) {
        SCOPED_TRACE(pass);
        const double begin = pass * 0.5;
        expectPitch(samples, begin + 0.02, begin + 0.23, 440.0);
        expectPitch(samples, begin + 0.27, begin + 0.48, 880.0);
    }
}

TEST_F(MusicPlayerTest, SeekPositionsAStreamAndLoopsGoBackToItsBeginning) {
    const std::vector<Tone> tones = {{440.0, 1.0}, {880.0, 1.0}};
    const auto twoPart = file("two-part.wav", wavFile(tones));
    for (const auto& path : {twoPart, file("two-part.flac", flacFile(tones))}) {
        SCOPED_TRACE(path + " one second in: the second half, then the whole file again");
        const auto samples = capturePlaying(path, 2.2, 1.0f);
        expectPitch(samples, 0.05, 0.95, 880.0);
        expectPitch(samples, 1.05, 1.95, 440.0);
    }
    {
        SCOPED_TRACE("past the end: from the beginning");
        const auto samples = capturePlaying(twoPart, 1.2, 10.0f);
        expectPitch(samples, 0.05, 0.95, 440.0);
    }
    {
        SCOPED_TRACE("a seek before load is forgotten");
        DiskCapture capture;
        {
            MusicPlayer player;
            player.seek(1.0f);
            ASSERT_TRUE(player.load(twoPart));
            player.play();
            ASSERT_TRUE(capture.waitFor(1.5));
        }
        expectPitch(capture.left(), 0.05, 0.95, 440.0);
    }
}

TEST_F(MusicPlayerTest, EveryStreamFormatStartsAtTheFrameItIsPositionedTo) {
    // 0.7531 s is frame 33211.7: the music must start with frame 33212 of the file. The mixer's
    // own WAV seeking went to whole seconds.
    const std::vector<std::int16_t> noise = noiseSamples(3 * 44100);
    for (const auto& [name, bytes] : {std::pair{std::string("noise.wav"), wavFileOf(noise)},
                                      std::pair{std::string("noise.flac"), flacFileOf(noise)}}) {
        SCOPED_TRACE(name);
        const auto samples = capturePlaying(file(name, bytes), 0.5, 0.7531f);
        const std::size_t start = onset(samples, 0.0f);
        ASSERT_LT(start + 64, samples.size());
        // Where in the file the first 64 captured frames lie (one step of rounding allowed).
        long found = -1;
        for (std::size_t at = 0; at + 64 <= noise.size() && found < 0; ++at) {
            bool same = true;
            for (std::size_t i = 0; i < 64 && same; ++i)
                same = std::abs(samples[start + i] * 32768.0f - float(noise[at + i])) <= 1.5f;
            if (same) found = long(at);
        }
        EXPECT_EQ(found, 33212);
    }
}

TEST_F(MusicPlayerTest, FadeOutEndsInSilenceAndTakesAtLeast300ms) {
    DiskCapture capture;
    MusicPlayer player;
    ASSERT_TRUE(player.load(file("fade.wav", wavFile({{440.0, 3.0}}))));
    // A second of the tone: the silence written before play, however long, does not count.
    const double beforePlay = capture.secondsWritten();
    player.play();
    ASSERT_TRUE(capture.waitFor(beforePlay + 1.0));

    const auto before = Clock::now();
    player.fadeOut();
    const auto took = Clock::now() - before;
    // At least 300 ms is what fadeOut promises; the upper bound only says it ends.
    EXPECT_GE(took, std::chrono::milliseconds(300));
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_FALSE(player.loaded());
    // The output is closed: SDL's audio is shut down, so its thread has ended and the
    // capture is complete (no wait can show that nothing more is written).
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "the output is still open";

    // The capture is complete. Follow the peak level in 10 ms
    // blocks from the steady tone to the first block of the silence that ends the capture.
    const auto samples = capture.left();
    const std::size_t start = onset(samples);
    ASSERT_LT(start, samples.size());
    const std::size_t block = frames(0.01);
    auto peak = [&](std::size_t at) {
        float most = 0.0f;
        for (std::size_t i = at; i < std::min(at + block, samples.size()); ++i) {
            most = std::max(most, std::fabs(samples[i]));
        }
        return most;
    };
    const float steady = peak(start + frames(0.2));
    ASSERT_GT(steady, 0.4f);
    std::size_t fadeStart = start;
    while (fadeStart < samples.size() && peak(fadeStart) > 0.95f * steady) {
        fadeStart += block;
    }
    std::size_t silence = samples.size();
    while (silence > 0 && samples[silence - 1] == 0.0f) {
        --silence;
    }
    ASSERT_LT(fadeStart, samples.size()) << "the level never fell";
    EXPECT_GT(fadeStart, start + frames(0.5)) << "the fade began before fadeOut";
    const double fadeSeconds = static_cast<double>(silence - fadeStart) / kAudioSampleRate;
    EXPECT_GT(fadeSeconds, 0.15);
    EXPECT_LT(fadeSeconds, 0.26);
    // The fade goes down, not off: half-way through it the tone is still there but quieter.
    const float middle = peak(fadeStart + (silence - fadeStart) / 2);
    EXPECT_GT(middle, 0.1f * steady);
    EXPECT_LT(middle, 0.8f * steady);
    EXPECT_GT(samples.size() - silence, frames(0.1)) << "the output closed before the fade ended";
}

TEST_F(MusicPlayerTest, GeneratedModulePlaysAndLoops) {
    // 428 and 214 are ProTracker's C-2 and C-3; a pass is 0.96 s of each.
    const auto module = file("test.mod", modFile(428, 214));
    const auto samples = capturePlaying(module, 4.0);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        const double begin = pass * 1.92;
        expectPitch(samples, begin + 0.1, begin + 0.85, modHertz(428));
        expectPitch(samples, begin + 1.06, begin + 1.82, modHertz(214));
    }
}

TEST_F(MusicPlayerTest, AModuleStartsWhereItIsPlacedSampleForSample) {
    // Its tempo changes part-way and a pass lasts about 4 s: 10.5 s in is in its third pass.
    const auto module = file("tempo.mod", changingTempoModFile());
    const double start = 10.5;
    std::vector<std::int16_t> expected;
    {
        // What playing from the beginning gives there, read on without a seek.
        auto source = openMusicSource(module);
        ASSERT_NE(source, nullptr);
        std::vector<std::int16_t> skipped(frames(start) * kAudioChannels);
        source->read(skipped.data(), frames(start));
        expected.resize(frames(0.5) * kAudioChannels);
        source->read(expected.data(), frames(0.5));
    }
    DiskCapture capture;
    double position = 0;
    {
        MusicPlayer player;
        ASSERT_TRUE(player.load(module));
        player.seek(float(start));
        const double beforePlay = capture.secondsWritten();
        player.play();
        EXPECT_GE(player.position(), start) << "the music stands where it started, not at its beginning";
        // Positioning may take a while on a loaded machine, the device writing silence
        // meanwhile: the sign is the music's own progress, then its samples in the file.
        ASSERT_TRUE(capture.waitFor(beforePlay + 0.1));
        ASSERT_TRUE(test::waitFor([&] { return player.position() > start + 0.6; }, 120)) << player.position();
        position = player.position();
    }
    EXPECT_GT(position, start + 0.5) << "and went on from there";
    EXPECT_LT(position, start + 10.0);
    // The device wrote silence until play; from the music's first frame on, it is the module
    // from 10.5 s in, exactly.
    std::vector<std::int16_t> written;
    std::size_t offset = 0;
    const bool whole = test::waitFor([&] {
        written = capture.samples();
        const auto first = std::find_if(written.begin(), written.end(), [](std::int16_t s) { return s != 0; });
        offset = std::size_t(first - written.begin()) / kAudioChannels * kAudioChannels;
        return first != written.end() && written.size() >= offset + expected.size();
    }, 120);
    ASSERT_TRUE(whole) << "half a second of music was written";
    const std::vector<std::int16_t> heard(written.begin() + std::ptrdiff_t(offset),
                                          written.begin() + std::ptrdiff_t(offset + expected.size()));
    const auto expectedFirst = std::find_if(expected.begin(), expected.end(), [](std::int16_t s) { return s != 0; });
    ASSERT_LT(expectedFirst - expected.begin(), kAudioChannels) << "the module sounds there, so its first frame marks the start";
    EXPECT_EQ(firstDifference(heard, expected), "same");
}

TEST_F(MusicPlayerTest, AModuleMovedWhilePlayingGoesOnFromItsNewPlaceSampleForSample) {
    const auto module = file("tempo.mod", changingTempoModFile());
    std::vector<std::int16_t> expected;
    {
        auto source = openMusicSource(module);
        ASSERT_NE(source, nullptr);
        std::vector<std::int16_t> skipped(frames(10.5) * kAudioChannels);
        source->read(skipped.data(), frames(10.5));
        expected.resize(frames(0.5) * kAudioChannels);
        source->read(expected.data(), frames(0.5));
    }
    DiskCapture capture;
    {
        MusicPlayer player;
        ASSERT_TRUE(player.load(module));
        player.play();
        ASSERT_TRUE(capture.waitFor(0.5));
        player.moveTo(10.5); // forward, past the end of its first pass
        EXPECT_GE(player.position(), 10.5);
        const double moved = capture.secondsWritten();
        ASSERT_TRUE(capture.waitFor(moved + 1.0));
    }
    // Somewhere after the first half second the module from 10.5 s in begins, and goes on
    // exactly as reading on from the beginning gives it.
    const std::vector<std::int16_t> written = capture.samples();
    const std::size_t needle = 4096;
    const auto found = std::search(written.begin(), written.end(), expected.begin(), expected.begin() + needle);
    ASSERT_NE(found, written.end()) << "the module's samples from 10.5 s in are nowhere in what was played";
    const auto at = std::size_t(found - written.begin());
    EXPECT_EQ(at % kAudioChannels, 0u) << "left and right stay in their places";
    ASSERT_GE(written.size(), at + expected.size());
    EXPECT_EQ(firstDifference(std::vector<std::int16_t>(found, found + std::ptrdiff_t(expected.size())), expected), "same");
}

TEST_F(MusicPlayerTest, AStreamMovedPastItsEndGoesOnWhereItsLoopsStandThere) {
    // Four seconds of noise moved to 11 s: two whole loops and 3 s in. (Started from 11 s it
    // would begin at its beginning; moved, it stands where playing on through the loops would.)
    const std::vector<std::int16_t> noise = noiseSamples(4 * 44100);
    const auto stream = file("noise.wav", wavFileOf(noise));
    std::vector<std::int16_t> expected;
    {
        auto source = openMusicSource(stream);
        ASSERT_NE(source, nullptr);
        source->seek(3.0);
        expected.resize(frames(0.25) * kAudioChannels);
        source->read(expected.data(), frames(0.25));
    }
    DiskCapture capture;
    {
        MusicPlayer player;
        ASSERT_TRUE(player.load(stream));
        player.play();
        ASSERT_TRUE(capture.waitFor(0.25));
        player.moveTo(11.0);
        EXPECT_DOUBLE_EQ(player.position(), 11.0) << "the place counts on through the loops";
        const double moved = capture.secondsWritten();
        ASSERT_TRUE(capture.waitFor(moved + 0.5));
    }
    // Played from the beginning, the music reaches 3 s in only after 3 s of capture: these
    // samples are there only when the move placed them.
    const std::vector<std::int16_t> written = capture.samples();
    const std::size_t needle = 4096;
    const auto found = std::search(written.begin(), written.end(), expected.begin(), expected.begin() + needle,
                                   [](std::int16_t a, std::int16_t b) { return std::abs(a - b) <= 1; });
    ASSERT_NE(found, written.end()) << "the stream's samples from 3 s in are nowhere in what was played";
    EXPECT_EQ(std::size_t(found - written.begin()) % kAudioChannels, 0u) << "left and right stay in their places";
}

TEST_F(MusicPlayerTest, FileThatIsNoMusicLeavesThePlayerUnloadedWithoutAMessage) {
    const std::vector<std::string> notMusic = {
        textFile("notes.txt", "This is not music, only a line of text.\n"),
        // A text file that libmodplug would take for a tune in ABC notation.
        textFile("tune.txt", "X:1\nT:Not music\nK:C\nCDEF GABc|\n"),
        file("empty.ogg", {}),
        file("noise.mod", std::vector<std::uint8_t>(4000, 0xA5)),
        (std::filesystem::temp_directory_path() / "zamp-no-such-music.ogg").string(),
    };
    for (const auto& path : notMusic) {
        SCOPED_TRACE(path);
        ::testing::internal::CaptureStderr();
        MusicPlayer player;
        EXPECT_FALSE(player.load(path));
        EXPECT_FALSE(player.loaded());
        player.seek(1.0f);
        player.play();
        const auto before = Clock::now();
        player.fadeOut();
        EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(100)) << "fadeOut waited with nothing loaded";
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
}

TEST_F(MusicPlayerTest, SecondLoadReplacesTheFirstMusic) {
    const auto first = file("first.wav", wavFile({{440.0, 2.0}}));
    const auto second = file("second.wav", wavFile({{880.0, 2.0}}));
    {
        SCOPED_TRACE("load, load, play");
        DiskCapture capture;
        {
            MusicPlayer player;
            ASSERT_TRUE(player.load(first));
            ASSERT_TRUE(player.load(second));
            player.play();
            ASSERT_TRUE(capture.waitFor(1.5));
        }
        expectPitch(capture.left(), 0.05, 0.95, 880.0);
    }
    {
        SCOPED_TRACE("a failed second load leaves nothing playing");
        DiskCapture capture;
        {
            MusicPlayer player;
            ASSERT_TRUE(player.load(first));
            player.play();
            ASSERT_TRUE(capture.waitFor(0.3));
            // The output is opened afresh (its capture starts again) and stays silent.
            EXPECT_FALSE(player.load(textFile("second.txt", "no music\n")));
            EXPECT_FALSE(player.loaded());
            player.play();
            ASSERT_TRUE(capture.waitFor(0.5));
        }
        const auto samples = capture.left();
        EXPECT_EQ(onset(samples, 0.0f), samples.size()) << "music after a failed load";
    }
}

TEST_F(MusicPlayerTest, WithoutADeviceTheSilentDriverStandsIn) {
    ::setenv("SDL_AUDIODRIVER", "zamp-no-such-driver", 1);
    MusicPlayer player;
    ASSERT_TRUE(player.load(file("tone.wav", wavFile({{440.0, 0.5}}))));
    player.seek(0.25f);
    player.play();
    const auto before = Clock::now();
    player.fadeOut();
    EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(300));
    EXPECT_FALSE(player.loaded());
}

TEST_F(MusicPlayerTest, SilentPlayerOpensNoDevice) {
    const auto tone = file("tone.wav", wavFile({{440.0, 1.0}}));
    for (bool byConstructor : {true, false}) {
        SCOPED_TRACE(byConstructor ? "constructor" : "setSilent");
        DiskCapture capture;  // the device that must stay closed
        MusicPlayer player(byConstructor);
        if (!byConstructor) {
            player.setSilent(true);
        }
        ASSERT_TRUE(player.load(tone));
        player.play();
        player.fadeOut();
        EXPECT_FALSE(player.loaded());
        EXPECT_FALSE(std::filesystem::exists(capture.path()));
    }
}

} // namespace
} // namespace zamp
