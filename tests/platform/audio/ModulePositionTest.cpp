// A module moved to a time gives exactly the samples that reading it from its beginning gives
// there: forward, backward, past the end of its first pass, through the real libmodplug.
#include "platform/Authoring.h"
#include "platform/Platform.h"

#include "support/MusicTestAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace zamp {
namespace {

using namespace testaudio;

// `frames` stereo frames of `source` from where it stands.
std::vector<std::int16_t> take(MusicSource& source, std::size_t frames) {
    std::vector<std::int16_t> out(frames * kAudioChannels);
    source.read(out.data(), frames);
    return out;
}

double loudness(const std::vector<std::int16_t>& samples) {
    double sum = 0;
    for (std::int16_t s : samples) sum += double(s) * s;
    return std::sqrt(sum / double(samples.size())) / 32768.0;
}

class ModulePosition : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        writeFile(path_, changingTempoModFile());
    }
    void TearDown() override { std::filesystem::remove(path_); }

    std::unique_ptr<MusicSource> open() {
        auto source = openMusicSource(path_.string());
        EXPECT_NE(source, nullptr);
        if (source) {
            EXPECT_EQ(source->kind(), MusicKind::Module);
        }
        return source;
    }

    // Half a second of the module read on from its beginning, `seconds` in (to the nearest frame).
    std::vector<std::int16_t> readOnTo(double seconds) {
        auto source = open();
        if (!source) return {};
        take(*source, std::size_t(std::lround(seconds * kAudioSampleRate)));
        return take(*source, kWindow);
    }

    static constexpr std::size_t kWindow = kAudioSampleRate / 2;
    std::filesystem::path path_ = tempPath("tempo.mod");
};

TEST_F(ModulePosition, ASeekGivesWhatReadingOnFromTheBeginningGivesThere) {
    // Before and after each change of tempo, between frames, in the second pass (the song
    // ends after about 4 s and starts again).
    for (double seconds : {0.0, 0.37, 1.5, 2.00001, 3.3, 5.25, 9.1}) {
        SCOPED_TRACE(seconds);
        const std::vector<std::int16_t> expected = readOnTo(seconds);
        auto moved = open();
        ASSERT_NE(moved, nullptr);
        moved->seek(seconds);
        const std::vector<std::int16_t> got = take(*moved, kWindow);
        ASSERT_GT(loudness(expected), 0.05) << "the comparison is of music, not of silence";
        ASSERT_EQ(firstDifference(got, expected), "same");
    }
}

TEST_F(ModulePosition, BackwardAndForwardFromWhereverItStands) {
    auto source = open();
    ASSERT_NE(source, nullptr);
    take(*source, kAudioSampleRate * 3); // played on to 3 s
    for (double seconds : {1.25, 2.5, 6.0, 0.5, 0.5}) {
        SCOPED_TRACE(seconds);
        source->seek(seconds);
        const std::vector<std::int16_t> got = take(*source, kWindow);
        ASSERT_EQ(firstDifference(got, readOnTo(seconds)), "same");
    }
}

TEST_F(ModulePosition, AMovedModuleReadsOnAsTheWholeOne) {
    // Many small reads after a seek, against one long read from the beginning.
    auto whole = open();
    auto moved = open();
    ASSERT_NE(whole, nullptr);
    ASSERT_NE(moved, nullptr);
    const std::vector<std::int16_t> all = take(*whole, std::size_t(kAudioSampleRate * 7));
    moved->seek(2.0);
    std::vector<std::int16_t> pieces;
    for (std::size_t size : {1u, 7u, 511u, 4096u, 100000u, 70000u}) {
        const std::vector<std::int16_t> piece = take(*moved, size);
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    const std::size_t from = std::size_t(2 * kAudioSampleRate) * kAudioChannels;
    ASSERT_EQ(firstDifference(pieces, std::vector<std::int16_t>(all.begin() + std::ptrdiff_t(from),
                                                                 all.begin() + std::ptrdiff_t(from + pieces.size()))),
              "same");
}

} // namespace
} // namespace zamp
