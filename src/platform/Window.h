// The player's one window with the device it draws with, and its input.
#pragma once

#include "gfx/Device.h"

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
    // No display: nothing is shown, the device draws off screen.
    bool offscreen = false;
};

// The keys the player and the author's mode answer to.
enum class Key { Other, Escape, Space, Left, Right, Home, R, F };

struct WindowEvent {
    bool quit = false;    // a request to close the window
    bool keyDown = false; // a key went down (repeats included)
    Key key = Key::Other;
    bool shift = false;   // with a shift key held
};

class Window {
public:
    virtual ~Window() = default;

    // The device; it lives as long as the window.
    virtual Device& device() = 0;
    // Windows start hidden.
    virtual void show() = 0;
    // Takes one event from the queue; false when there was none.
    virtual bool pollEvent(WindowEvent& event) = 0;
    // Esc down now, or pressed since the previous call.
    virtual bool escapeState() = 0;
    virtual void setTitle(const std::string& title) = 0;
    // Between a window and the whole desktop.
    virtual void toggleFullScreen() = 0;
};

} // namespace zamp
