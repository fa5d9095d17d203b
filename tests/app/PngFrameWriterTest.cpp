// The writer of --render's frames: every frame handed over ends up in its file with exactly
// its pixels, however many frames pass through its few buffers, and a file that cannot be
// written ends the run with a message naming it.
#include "app/FrameWriter.h"
#include "core/Error.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

void fill(RgbImage& image, int frame) {
    image.width = 40;
    image.height = 30;
    image.pixels.resize(40 * 30 * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = std::uint8_t(i * 13 + frame * 29);
}

TEST(PngFrameWriter, EveryFrameGoesToItsFileWithItsPixels) {
    test::TempDir dir;
    constexpr int kFrames = 25;
    for (int workers : {1, 3}) {
        PngFrameWriter writer(workers);
        for (int k = 0; k < kFrames; ++k) {
            fill(writer.buffer(), k);
            writer.write((dir.path() / ("w" + std::to_string(workers) + "_" + std::to_string(k) + ".png")).string());
        }
        writer.finish();
        const auto files = openImageFiles();
        for (int k = 0; k < kFrames; ++k) {
            const auto image = files->read((dir.path() / ("w" + std::to_string(workers) + "_" + std::to_string(k) + ".png")).string());
            ASSERT_TRUE(image) << k;
            RgbImage expected;
            fill(expected, k);
            for (std::size_t p = 0; p < image->pixels.size(); ++p) {
                const std::uint8_t* e = &expected.pixels[p * 3];
                ASSERT_EQ(image->pixels[p], 0xFF000000u | std::uint32_t(e[0]) << 16 | std::uint32_t(e[1]) << 8 | e[2])
                    << "frame " << k << ", pixel " << p;
            }
        }
    }
}

TEST(PngFrameWriter, AFileThatCannotBeWrittenEndsTheRunWithItsName) {
    test::TempDir dir;
    const std::string bad = (dir.path() / "missing" / "frame.png").string();
    PngFrameWriter writer(2);
    fill(writer.buffer(), 0);
    writer.write(bad);
    // The failure surfaces at the next call that waits for the writer: taking the next buffer
    // when the worker has failed already, else finishing.
    try {
        fill(writer.buffer(), 1);
        writer.write((dir.path() / "after.png").string());
        writer.finish();
        FAIL() << "no failure reported";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + bad + ": No such file or directory");
    }
    // Frames after the failure are not written, and the writer keeps refusing.
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "after.png"));
    EXPECT_THROW(writer.buffer(), Error);
}

} // namespace
} // namespace zamp
