#include "platform/sdl/PngWriter.h"

#include "core/Error.h"
#include "core/FileWrite.h"

#include <png.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

namespace zamp {

namespace {

struct ImageEnd {
    void operator()(png_image* image) const { png_image_free(image); }
};

// `format` says how `pixels` are laid out: PNG_FORMAT_RGB, or PNG_FORMAT_BGRA for 32-bit
// ARGB words on a little-endian machine.
void write(const std::string& path, int width, int height, const void* pixels, png_uint_32 format) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    const std::unique_ptr<png_image, ImageEnd> ending(&image);
    png_alloc_size_t size = 0;
    // The first call measures, the second writes.
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr))
        throw Error("Cannot write " + path + ": " + image.message);
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, nullptr))
        throw Error("Cannot write " + path + ": " + image.message);
    bytes.resize(size);
    writeFileReplacing(path, bytes);
}

} // namespace

void writePngFile(const std::string& path, const RgbImage& image) {
    write(path, image.width, image.height, image.pixels.data(), PNG_FORMAT_RGB);
}

void writePngFile(const std::string& path, const ArgbImage& image) {
    static_assert(std::endian::native == std::endian::little, "ARGB words are B, G, R, A in memory");
    write(path, image.width, image.height, image.pixels.data(), PNG_FORMAT_BGRA);
}

} // namespace zamp
