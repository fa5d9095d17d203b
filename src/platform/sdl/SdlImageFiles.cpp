// Image files: PNG through libpng (platform/sdl/PngReader.h), GIF by platform/sdl/GifReader.h,
// JPG, BMP and TGA through SDL2_image's decoder for that one format, converted to 32-bit ARGB;
// PNG out through platform/sdl/PngWriter.h. The format is found from the file's own bytes and
// its declared size checked before anything is decoded; SDL2_image's own sniffing (which would
// also decode XPM, SVG and more) is never used.
#include "gfx/PictureFile.h"
#include "gfx/Texture.h"
#include "platform/Platform.h"
#include "platform/sdl/GifReader.h"
#include "platform/sdl/PngReader.h"
#include "platform/sdl/PngWriter.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace zamp {

namespace {

// The decoders of SDL2_image allocate through SDL, and trust sizes of their own that the header
// check does not see (a GIF frame after a damaged one, say). No single SDL allocation may take
// more than the largest picture's pixels and a margin: one that asks for more fails, and the
// decoder reports it, instead of taking gigabytes.
constexpr std::size_t kMostSdlAllocation = 4ull * kMaxTextureSide * kMaxTextureSide + (std::size_t{16} << 20);

SDL_malloc_func sdlMalloc;
SDL_calloc_func sdlCalloc;
SDL_realloc_func sdlRealloc;

void* boundedMalloc(size_t size) { return size > kMostSdlAllocation ? nullptr : sdlMalloc(size); }
void* boundedCalloc(size_t count, size_t size) {
    return size != 0 && count > kMostSdlAllocation / size ? nullptr : sdlCalloc(count, size);
}
void* boundedRealloc(void* memory, size_t size) {
    return size > kMostSdlAllocation ? nullptr : sdlRealloc(memory, size);
}

// Once, before the first picture: the same heap, with only the bound added, so memory SDL took
// before is freed as before.
void boundSdlAllocations() {
    static const bool bounded = [] {
        SDL_free_func sdlFree;
        SDL_GetOriginalMemoryFunctions(&sdlMalloc, &sdlCalloc, &sdlRealloc, &sdlFree);
        return SDL_SetMemoryFunctions(boundedMalloc, boundedCalloc, boundedRealloc, sdlFree) == 0;
    }();
    (void)bounded;
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// JPG, BMP and TGA: that format's own decoder of SDL2_image, then 32-bit ARGB.
std::optional<ArgbImage> decodeWithSdlImage(ImageFormat format, std::span<const std::uint8_t> bytes,
                                            std::string& problem) {
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source) {
        problem = SDL_GetError();
        return std::nullopt;
    }
    SDL_Surface* decoded = nullptr;
    switch (format) {
    case ImageFormat::Jpeg: decoded = IMG_LoadJPG_RW(source); break;
    case ImageFormat::Bmp: decoded = IMG_LoadBMP_RW(source); break;
    case ImageFormat::Tga: decoded = IMG_LoadTGA_RW(source); break;
    case ImageFormat::Png: // decoded by PngReader and GifReader
    case ImageFormat::Gif: break;
    }
    SDL_RWclose(source);
    SurfacePtr loaded(decoded);
    if (!loaded) {
        problem = SDL_GetError();
        return std::nullopt;
    }
    if (loaded->w > kMaxTextureSide || loaded->h > kMaxTextureSide) {
        problem = "it decodes to " + pictureSizeText(loaded->w, loaded->h) + " pixels";
        return std::nullopt;
    }
    SurfacePtr argb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    loaded.reset();
    if (!argb) {
        problem = SDL_GetError();
        return std::nullopt;
    }
    ArgbImage image;
    image.width = argb->w;
    image.height = argb->h;
    image.pixels.resize(std::size_t(argb->w) * argb->h);
    SDL_LockSurface(argb.get());
    for (int y = 0; y < argb->h; ++y)
        std::memcpy(&image.pixels[std::size_t(y) * argb->w],
                    static_cast<const char*>(argb->pixels) + std::size_t(y) * argb->pitch, std::size_t(argb->w) * 4);
    SDL_UnlockSurface(argb.get());
    return image;
}

class SdlImageFiles final : public ImageFiles {
public:
    ImageLoad load(const std::string& path) override {
        const PictureFile file = readPictureFile(path);
        if (!file.problem.empty()) return ImageLoad::refused(file.problem, file.missing);
        try {
            std::string problem;
            ImageLoad load;
            switch (file.header.format) {
            case ImageFormat::Png: load.image = decodePng(file.bytes, problem); break;
            case ImageFormat::Gif: load.image = decodeGif(file.bytes, problem); break;
            default: load.image = decodeWithSdlImage(file.header.format, file.bytes, problem); break;
            }
            if (!load.image) return ImageLoad::refused(file.damaged(problem));
            return load;
        } catch (const std::bad_alloc&) {
            return ImageLoad::refused("cannot be decoded: there is not enough memory");
        }
    }

    void writePng(const std::string& path, const RgbImage& image) override { writePngFile(path, image); }
    void writePng(const std::string& path, const ArgbImage& image) override { writePngFile(path, image); }
};

} // namespace

std::unique_ptr<ImageFiles> openImageFiles() {
    boundSdlAllocations();
    return std::make_unique<SdlImageFiles>();
}

} // namespace zamp
