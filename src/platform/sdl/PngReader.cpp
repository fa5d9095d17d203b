#include "platform/sdl/PngReader.h"

#include "gfx/Texture.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace zamp {

namespace {

// What libpng's callbacks share: the bytes being read and the first error's words.
struct PngSource {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
    char error[160] = {};
};

void onError(png_structp png, png_const_charp text) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::strncpy(source->error, text ? text : "unknown error", sizeof source->error - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {} // warnings change nothing in the picture

void readBytes(png_structp png, png_bytep out, std::size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->bytes.size() - source->position) png_error(png, "the file ends inside the picture");
    std::memcpy(out, source->bytes.data() + source->position, count);
    source->position += count;
}

// The steps that libpng may leave by longjmp run in frames of their own that hold nothing
// needing destruction, so the jump skips no C++ object.
bool readHeader(png_structp png, png_infop info, png_uint_32& width, png_uint_32& height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    const int colourType = png_get_color_type(png, info);
    png_set_strip_16(png);
    png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER); // only where there is no alpha
    png_set_bgr(png);                             // B, G, R, A bytes: 0xAARRGGBB words
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * 4) png_error(png, "unexpected row layout");
    return true;
}

bool readRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

class PngReadStruct {
public:
    explicit PngReadStruct(PngSource& source)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, onError, onWarning)) {
        if (png_) info_ = png_create_info_struct(png_);
    }
    ~PngReadStruct() { png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr); }
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

} // namespace

std::optional<ArgbImage> decodePng(std::span<const std::uint8_t> bytes, std::string& problem) {
    PngSource source{bytes};
    PngReadStruct reader(source);
    if (!reader.png() || !reader.info()) {
        problem = "libpng cannot start";
        return std::nullopt;
    }
    png_set_read_fn(reader.png(), &source, readBytes);
    // libpng refuses larger sizes itself, before it allocates rows for them.
    png_set_user_limits(reader.png(), kMaxTextureSide, kMaxTextureSide);

    png_uint_32 width = 0, height = 0;
    if (!readHeader(reader.png(), reader.info(), width, height)) {
        problem = source.error;
        return std::nullopt;
    }
    ArgbImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(std::size_t{width} * height);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(image.pixels.data() + std::size_t{y} * width);
    if (!readRows(reader.png(), rows.data())) {
        problem = source.error;
        return std::nullopt;
    }
    return image;
}

} // namespace zamp
