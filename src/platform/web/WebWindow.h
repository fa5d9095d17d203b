// The player's window in a browser: the page's canvas (#canvas) with the graphics made on it
// (WebGL2 and the OpenGL device, WebGlGraphics.h), and Esc from the keyboard. The browser delivers input through callbacks and
// calls the frame function itself, so no event ever waits in a queue here.
#pragma once

#include "platform/Window.h"
#include "platform/WindowGraphics.h"

#include <memory>

namespace zamp {

class WebWindow final : public Window {
public:
    // Throws "pD3D->CreateDevice() Failed." (with the reason) without WebGL2 or the device.
    // The back buffer has the options' size, else the canvas's; the canvas's drawing buffer
    // gets the same size and the page scales it to the window.
    explicit WebWindow(const WindowOptions& options);
    ~WebWindow() override;
    WebWindow(const WebWindow&) = delete;
    WebWindow& operator=(const WebWindow&) = delete;

    Device& device() override { return graphics_->device(); }
    void show() override;
    bool pollEvent(WindowEvent& event) override;
    bool escapeState() override;
    void setTitle(const std::string& title) override;
    void toggleFullScreen() override;

    // What the keyboard callbacks record of Esc.
    struct EscapeKey {
        bool down = false;    // now
        bool pressed = false; // since the last read
    };

private:
    struct KeyWatch {
        explicit KeyWatch(EscapeKey& escape);
        ~KeyWatch();
        KeyWatch(const KeyWatch&) = delete;
        KeyWatch& operator=(const KeyWatch&) = delete;
    };

    // Declared in the order they are made, so they are released in the reverse one.
    EscapeKey escape_;
    std::unique_ptr<WindowGraphics> graphics_;
    std::unique_ptr<KeyWatch> keys_;
};

} // namespace zamp
