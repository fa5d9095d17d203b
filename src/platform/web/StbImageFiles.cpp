// Image files through stb_image: the same five formats, checked the same way before decoding
// (gfx/PictureFile.h), converted to 32-bit ARGB; PNG out through stb_image_write.
#include "core/Error.h"
#include "gfx/PictureFile.h"
#include "platform/Platform.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <memory>
#include <vector>

namespace zamp {

namespace {

struct FreeImage {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

void writeRows(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba) {
    if (!stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4))
        throw Error("Cannot write " + path);
}

class StbImageFiles final : public ImageFiles {
public:
    ImageLoad load(const std::string& path) override {
        const PictureFile file = readPictureFile(path);
        if (!file.problem.empty()) return ImageLoad::refused(file.problem, file.missing);
        int w = 0, h = 0, channels = 0;
        std::unique_ptr<stbi_uc, FreeImage> rgba(
            stbi_load_from_memory(file.bytes.data(), int(file.bytes.size()), &w, &h, &channels, 4));
        if (!rgba) {
            const char* why = stbi_failure_reason();
            return ImageLoad::refused(file.damaged(why ? why : "it cannot be decoded"));
        }
        ArgbImage image;
        image.width = w;
        image.height = h;
        image.pixels.resize(std::size_t(w) * std::size_t(h));
        const stbi_uc* p = rgba.get();
        for (std::uint32_t& px : image.pixels) {
            px = std::uint32_t(p[3]) << 24 | std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
            p += 4;
        }
        ImageLoad load;
        load.image = std::move(image);
        return load;
    }

    void writePng(const std::string& path, const RgbImage& image) override {
        std::vector<std::uint8_t> rgba(std::size_t(image.width) * std::size_t(image.height) * 4, 0xFF);
        for (std::size_t i = 0; i * 3 < image.pixels.size(); ++i)
            for (int c = 0; c < 3; ++c) rgba[4 * i + std::size_t(c)] = image.pixels[3 * i + std::size_t(c)];
        writeRows(path, image.width, image.height, rgba);
    }

    void writePng(const std::string& path, const ArgbImage& image) override {
        std::vector<std::uint8_t> rgba(image.pixels.size() * 4);
        for (std::size_t i = 0; i < image.pixels.size(); ++i) {
            const std::uint32_t px = image.pixels[i];
            rgba[4 * i] = std::uint8_t(px >> 16);
            rgba[4 * i + 1] = std::uint8_t(px >> 8);
            rgba[4 * i + 2] = std::uint8_t(px);
            rgba[4 * i + 3] = std::uint8_t(px >> 24);
        }
        writeRows(path, image.width, image.height, rgba);
    }
};

} // namespace

std::unique_ptr<ImageFiles> openImageFiles() { return std::make_unique<StbImageFiles>(); }

} // namespace zamp
