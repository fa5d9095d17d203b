#include "platform/sdl/SdlWindow.h"

#include "core/Error.h"

#include <SDL2/SDL.h>

namespace zamp {

SdlWindow::VideoSubsystem::VideoSubsystem(bool offscreen) {
    // Drawing without a display needs the driver that draws off screen, whatever
    // SDL_VIDEODRIVER asks for.
    if (offscreen) SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    // Ctrl-C and SIGTERM are the player's own business (it stops within a frame): SDL must
    // not turn them into quit events that an offline run never reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ok = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

SdlWindow::VideoSubsystem::~VideoSubsystem() {
    if (ok) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlWindow::DestroyWindow::operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }

SdlWindow::SdlWindow(const WindowOptions& options, const SdlGraphicsApi& api) : video_(options.offscreen), offscreen_(options.offscreen) {
    if (!video_.ok) throw Error(std::string("Direct3DCreate9() Failed. (") + SDL_GetError() + ")");
    // Without a display SDL falls back to drivers that show nothing: a window there would
    // play unseen. Asked for by name (SDL_VIDEODRIVER), they are the user's choice.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!options.offscreen && !SDL_getenv("SDL_VIDEODRIVER") && driver &&
        (std::string(driver) == "offscreen" || std::string(driver) == "dummy"))
        throw Error("Direct3DCreate9() Failed. (no display could be opened; --render draws a show without one)");
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) throw Error("GetAdapterDisplayMode() Failed.");

    int bbWidth = options.backBufferWidth, bbHeight = options.backBufferHeight;
    if (bbWidth <= 0 || bbHeight <= 0) {
        bbWidth = options.windowed ? options.width : mode.w;
        bbHeight = options.windowed ? options.height : mode.h;
    }
    // Full screen, the window covers the desktop from the start: without a window manager
    // nothing would resize a smaller one.
    const bool fullScreen = !options.windowed && !options.offscreen;
    int windowWidth = options.windowed ? bbWidth : fullScreen ? mode.w : options.width;
    int windowHeight = options.windowed ? bbHeight : fullScreen ? mode.h : options.height;

    Uint32 flags = api.prepareWindow() | SDL_WINDOW_HIDDEN;
    if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_.reset(SDL_CreateWindow(options.title.c_str(), 0, 0, windowWidth, windowHeight, flags));
    if (!window_) throw Error(std::string("pD3D->CreateDevice() Failed. (no window: ") + SDL_GetError() + ")");
    graphics_ = api.attach(window_.get(), bbWidth, bbHeight, options.offscreen);
    SDL_AddEventWatch(&SdlWindow::watchEvents, this);
    watching_ = true;
}

SdlWindow::~SdlWindow() {
    if (watching_) SDL_DelEventWatch(&SdlWindow::watchEvents, this);
}

void SdlWindow::show() {
    if (!offscreen_) SDL_ShowWindow(window_.get());
}

int SdlWindow::watchEvents(void* self, SDL_Event* event) {
    if (event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_ESCAPE)
        static_cast<SdlWindow*>(self)->escapePressed_ = true;
    return 0;
}

namespace {

Key keyOf(SDL_Keycode code) {
    switch (code) {
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_SPACE: return Key::Space;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_HOME: return Key::Home;
    case SDLK_r: return Key::R;
    case SDLK_f: return Key::F;
    default: return Key::Other;
    }
}

} // namespace

bool SdlWindow::pollEvent(WindowEvent& out) {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    out = WindowEvent{};
    out.quit = event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
    if (event.type == SDL_KEYDOWN) {
        out.keyDown = true;
        out.key = keyOf(event.key.keysym.sym);
        out.shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
    }
    return true;
}

void SdlWindow::setTitle(const std::string& title) { SDL_SetWindowTitle(window_.get(), title.c_str()); }

void SdlWindow::toggleFullScreen() {
    const bool full = (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(window_.get(), full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool SdlWindow::escapeState() {
    SDL_PumpEvents();
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    bool down = keys[SDL_SCANCODE_ESCAPE] != 0;
    bool pressed = escapePressed_;
    escapePressed_ = false;
    return down || pressed;
}

} // namespace zamp
