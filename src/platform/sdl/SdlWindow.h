// The player's window on SDL2, its input, and the graphics a graphics API makes on it (the
// OpenGL device through platform/sdl_gl). Every SDL handle is owned from the moment it exists,
// so a constructor that fails half-way releases what it had made.
#pragma once

#include "platform/Window.h"
#include "platform/sdl/SdlGraphicsApi.h"

#include <memory>

struct SDL_Window;
union SDL_Event;

namespace zamp {

class SdlWindow final : public Window {
public:
    // Throws "Direct3DCreate9() Failed." when video does not start, "GetAdapterDisplayMode()
    // Failed." without a desktop mode and "pD3D->CreateDevice() Failed." (with the reason)
    // when the window, its context or the device cannot be made. The window starts hidden.
    SdlWindow(const WindowOptions& options, const SdlGraphicsApi& api);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    Device& device() override { return graphics_->device(); }
    // What the graphics API made on the window (for code that knows which API it asked for).
    WindowGraphics& graphics() { return *graphics_; }
    void show() override;
    bool pollEvent(WindowEvent& event) override;
    bool escapeState() override;
    void setTitle(const std::string& title) override;
    void toggleFullScreen() override;

private:
    static int watchEvents(void* self, SDL_Event* event);

    struct VideoSubsystem {
        // Offscreen selects SDL's driver that needs no display.
        explicit VideoSubsystem(bool offscreen);
        ~VideoSubsystem();
        VideoSubsystem(const VideoSubsystem&) = delete;
        VideoSubsystem& operator=(const VideoSubsystem&) = delete;
        bool ok = false;
    };
    struct DestroyWindow {
        void operator()(SDL_Window* window) const;
    };

    // Declared in the order they are made, so they are released in the reverse one.
    VideoSubsystem video_;
    std::unique_ptr<SDL_Window, DestroyWindow> window_;
    std::unique_ptr<WindowGraphics> graphics_;
    bool offscreen_;
    bool watching_ = false;
    bool escapePressed_ = false;
};

} // namespace zamp
