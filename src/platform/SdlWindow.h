// The player's one window with its OpenGL device, on SDL2. Also the platform's input
// (one event at a time, the Esc key), message boxes and the high-resolution counter.
#pragma once

#include "platform/GlDevice.h"

#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>
#include <string>

namespace zamp {

struct WindowOptions {
    int width = 640;
    int height = 480;
    std::string title;
    bool windowed = false;
    // 0 = the desktop's size full screen, the window's size in a window.
    int backBufferWidth = 0;
    int backBufferHeight = 0;
    // No display: SDL's offscreen driver, nothing shown.
    bool offscreen = false;
};

class SdlWindow {
public:
    // Throws "Direct3DCreate9() Failed." when video does not start, "GetAdapterDisplayMode()
    // Failed." without a desktop mode and "pD3D->CreateDevice() Failed." when the window or
    // its OpenGL 3.3 core context cannot be made. The window starts hidden.
    explicit SdlWindow(const WindowOptions& options);
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    GlDevice& device() { return *device_; }
    void show();

    // Takes one event from the queue; false when there was none. `quit` is set for a
    // request to close the window.
    bool pollEvent(bool& quit);
    // Esc down now, or pressed since the previous call.
    bool escapeState();

private:
    static int watchEvents(void* self, SDL_Event* event);

    struct VideoSubsystem {
        // Offscreen selects SDL's driver that needs no display.
        explicit VideoSubsystem(bool offscreen);
        ~VideoSubsystem();
        bool ok = false;
    } video_;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    std::unique_ptr<GlDevice> device_;
    bool offscreen_;
    bool escapePressed_ = false;
};

// A modal box with the text; false when no display can show it.
bool showMessageBox(const std::string& caption, const std::string& text);
// True once SDL video runs on a driver that can show a box.
bool displayAvailable();

std::uint64_t performanceCounter();
std::uint64_t performanceFrequency();

} // namespace zamp
