#include "platform/sdl_gl/SdlGlApi.h"

#include "core/Error.h"
#include "platform/gl/GlWindowGraphics.h"

#include <SDL2/SDL.h>

namespace zamp {

std::uint32_t SdlGlApi::prepareWindow() const {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    return SDL_WINDOW_OPENGL;
}

std::unique_ptr<WindowGraphics> SdlGlApi::attach(SDL_Window* window, int backBufferWidth, int backBufferHeight,
                                                 bool offscreen) const {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
        throw Error(std::string("pD3D->CreateDevice() Failed. (no OpenGL 3.3 context: ") + SDL_GetError() + ")");
    auto release = [context] { SDL_GL_DeleteContext(context); };
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(0); // present immediately, no wait for the vertical blank

    GlDevice::PresentTarget target;
    if (!offscreen) {
        target.drawableSize = [window](int& w, int& h) { SDL_GL_GetDrawableSize(window, &w, &h); };
        target.swap = [window] { SDL_GL_SwapWindow(window); };
    }
    return std::make_unique<GlWindowGraphics>(backBufferWidth, backBufferHeight, std::move(target), std::move(release));
}

} // namespace zamp
