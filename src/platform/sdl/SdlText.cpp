// Text as a picture, through SDL2_ttf with a monospaced font from the system's fonts.
#include "platform/Authoring.h"
#include "platform/Platform.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <cstring>
#include <memory>

namespace zamp {

namespace {

// Debian's fonts-dejavu-core puts the font here; other systems keep it in one of the others.
constexpr const char* kFontPaths[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/dejavu/DejaVuSansMono.ttf",
    "/usr/local/share/fonts/DejaVuSansMono.ttf",
};

class TtfLibrary {
public:
    TtfLibrary() : ok_(TTF_Init() == 0) {}
    ~TtfLibrary() {
        if (ok_) TTF_Quit();
    }
    TtfLibrary(const TtfLibrary&) = delete;
    TtfLibrary& operator=(const TtfLibrary&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

struct CloseFont {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
struct FreeSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

} // namespace

std::optional<ArgbImage> renderText(const std::string& text, int pixelHeight, int wrapWidth) {
    TtfLibrary library;
    if (!library.ok() || text.empty()) return std::nullopt;
    std::unique_ptr<TTF_Font, CloseFont> font;
    for (const char* path : kFontPaths) {
        font.reset(TTF_OpenFont(path, pixelHeight));
        if (font) break;
    }
    if (!font) return std::nullopt;
    std::unique_ptr<SDL_Surface, FreeSurface> drawn(
        TTF_RenderUTF8_Blended_Wrapped(font.get(), text.c_str(), SDL_Color{255, 255, 255, 255}, Uint32(wrapWidth)));
    if (!drawn) return std::nullopt;
    std::unique_ptr<SDL_Surface, FreeSurface> argb(SDL_ConvertSurfaceFormat(drawn.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) return std::nullopt;
    ArgbImage image;
    image.width = argb->w;
    image.height = argb->h;
    image.pixels.resize(std::size_t(argb->w) * std::size_t(argb->h));
    for (int y = 0; y < argb->h; ++y)
        std::memcpy(&image.pixels[std::size_t(y) * std::size_t(argb->w)],
                    static_cast<const char*>(argb->pixels) + y * argb->pitch, std::size_t(argb->w) * 4);
    return image;
}

} // namespace zamp
