// Image files through SDL2_image: any format it decodes, converted to 32-bit ARGB; PNG out.
#include "core/Error.h"
#include "platform/Platform.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstring>
#include <memory>

namespace zamp {

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

void save(SDL_Surface* surface, const std::string& path) {
    SurfacePtr owned(surface);
    if (!surface || IMG_SavePNG(surface, path.c_str()) != 0)
        throw Error("Cannot write " + path + ": " + SDL_GetError());
}

class SdlImageFiles final : public ImageFiles {
public:
    std::optional<ArgbImage> read(const std::string& path) override {
        SurfacePtr loaded(IMG_Load(path.c_str()));
        if (!loaded) return std::nullopt;
        SurfacePtr argb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
        if (!argb) return std::nullopt;
        ArgbImage image;
        image.width = argb->w;
        image.height = argb->h;
        image.pixels.resize(std::size_t(argb->w) * argb->h);
        SDL_LockSurface(argb.get());
        for (int y = 0; y < argb->h; ++y)
            std::memcpy(&image.pixels[std::size_t(y) * argb->w],
                        static_cast<const char*>(argb->pixels) + y * argb->pitch, std::size_t(argb->w) * 4);
        SDL_UnlockSurface(argb.get());
        return image;
    }

    void writePng(const std::string& path, const RgbImage& image) override {
        save(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(image.pixels.data()), image.width,
                                                image.height, 24, image.width * 3, SDL_PIXELFORMAT_RGB24),
             path);
    }

    void writePng(const std::string& path, const ArgbImage& image) override {
        save(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(image.pixels.data()), image.width,
                                                image.height, 32, image.width * 4, SDL_PIXELFORMAT_ARGB8888),
             path);
    }
};

} // namespace

std::unique_ptr<ImageFiles> openImageFiles() { return std::make_unique<SdlImageFiles>(); }

} // namespace zamp
