// The PNG files of the fast encoder decode, with the platform's image decoder, to exactly
// the pixels encoded: pictures of odd sizes, flat and noisy, one after another with the
// same encoder.
#include "gfx/PngEncoder.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace zamp {
namespace {

RgbImage picture(int width, int height, unsigned seed) {
    RgbImage image{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        // Noise in the lower half, smooth ramps above: both kinds of rows the filter meets.
        image.pixels[i] = i >= image.pixels.size() / 2 ? std::uint8_t(random()) : std::uint8_t(i * 7 / 3);
    return image;
}

TEST(PngEncoder, FilesDecodeToThePixelsEncoded) {
    test::TempDir dir;
    PngEncoder encoder;
    const auto files = openImageFiles();
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 2}, {37, 5}, {64, 64}, {1024, 3}, {5, 300}};
    unsigned seed = 1;
    for (auto [w, h] : sizes) {
        const RgbImage image = picture(w, h, seed++);
        const std::vector<std::uint8_t>& bytes = encoder.encode(image);
        const auto path = dir.path() / ("p" + std::to_string(w) + "x" + std::to_string(h) + ".png");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        const auto decoded = files->read(path.string());
        ASSERT_TRUE(decoded) << w << "x" << h;
        ASSERT_EQ(decoded->width, w);
        ASSERT_EQ(decoded->height, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = decoded->pixels[std::size_t(y) * w + x];
                const std::uint8_t* e = &image.pixels[(std::size_t(y) * w + x) * 3];
                ASSERT_EQ(p, 0xFF000000u | std::uint32_t(e[0]) << 16 | std::uint32_t(e[1]) << 8 | e[2])
                    << w << "x" << h << " at " << x << "," << y;
            }
    }
}

} // namespace
} // namespace zamp
