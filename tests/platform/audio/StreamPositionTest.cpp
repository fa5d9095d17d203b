// Where a stream stands after a seek and what it gives from there, through SDL_mixer's real
// decoder: a place past its end is its beginning, and a stream shorter than one buffer or one
// frame of a render loops as any other, without a hang.
#include "platform/Authoring.h"
#include "platform/Platform.h"

#include "support/MusicTestAudio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace zamp {
namespace {

using namespace testaudio;

class StreamPosition : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("SDL_AUDIODRIVER", "dummy", 1); }
    void TearDown() override {
        for (const auto& path : files_) std::filesystem::remove(path);
    }
    // The mono file of `samples` opened as the player opens music.
    std::unique_ptr<MusicSource> open(const std::vector<std::int16_t>& samples) {
        files_.push_back(tempPath("stream.wav"));
        writeFile(files_.back(), wavFileOf(samples));
        return openMusicSource(files_.back().string());
    }
    // The left channel of the next `frames` frames.
    static std::vector<std::int16_t> left(MusicSource& source, std::size_t frames) {
        std::vector<std::int16_t> both(frames * kAudioChannels), out(frames);
        source.read(both.data(), frames);
        for (std::size_t i = 0; i < frames; ++i) out[i] = both[i * kAudioChannels];
        return out;
    }
    std::vector<std::filesystem::path> files_;
};

// Where the left channel's run of the file from `from` on, looping, first differs from `got`
// (one step of rounding allowed): "same" when nowhere.
std::string differenceFromLoop(const std::vector<std::int16_t>& got, const std::vector<std::int16_t>& file,
                               std::size_t from) {
    for (std::size_t i = 0; i < got.size(); ++i) {
        const int expected = file[(from + i) % file.size()];
        if (std::abs(got[i] - expected) > 1)
            return "frame " + std::to_string(i) + ": " + std::to_string(got[i]) + " instead of " + std::to_string(expected);
    }
    return "same";
}

TEST_F(StreamPosition, APlacePastTheEndIsTheBeginningAndReadingLoopsFromThere) {
    const std::vector<std::int16_t> noise = noiseSamples(44100); // one second
    const auto source = open(noise);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->kind(), MusicKind::Stream);
    EXPECT_DOUBLE_EQ(source->duration(), 1.0);
    struct Case {
        double seconds;
        std::size_t frame; // where reading starts
    } cases[] = {
        {0.25, 11025},
        {1.0 - 1.0 / 44100, 44099}, // the last frame, then the beginning
        {1.0, 0},                   // the end is past the last frame
        {1.5, 0},
        {3.75, 0},                  // however many lengths past the end
        {-2.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        source->seek(c.seconds);
        // Well over one length, so that the loop back to the beginning is read too.
        EXPECT_EQ(differenceFromLoop(left(*source, 50000), noise, c.frame), "same");
    }
}

TEST_F(StreamPosition, AStreamShorterThanOneFrameOfARenderLoopsWithoutEnd) {
    // 10 frames: far less than the mixer's buffer (1024) or one frame of a render at 60 fps
    // (735); and one single frame.
    for (std::size_t count : {std::size_t(10), std::size_t(1)}) {
        SCOPED_TRACE(std::to_string(count) + " frames");
        std::vector<std::int16_t> tiny(count);
        for (std::size_t i = 0; i < count; ++i) tiny[i] = std::int16_t(1000 * (int(i) + 1));
        const auto source = open(tiny);
        ASSERT_NE(source, nullptr);
        EXPECT_DOUBLE_EQ(source->duration(), double(count) / 44100);
        EXPECT_EQ(differenceFromLoop(left(*source, 4096), tiny, 0), "same");
        source->seek(double(count - 1) / 44100); // the last frame
        EXPECT_EQ(differenceFromLoop(left(*source, 777), tiny, count - 1), "same");
        source->seek(10.0); // past the end: the beginning
        EXPECT_EQ(differenceFromLoop(left(*source, 735), tiny, 0), "same");
    }
}

TEST_F(StreamPosition, AStreamWithoutASingleFrameIsNoMusic) {
    // Nothing to loop: taken, it would leave playback going round an empty loop for ever.
    EXPECT_EQ(open({}), nullptr);
}

} // namespace
} // namespace zamp
