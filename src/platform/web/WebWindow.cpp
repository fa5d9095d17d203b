#include "platform/web/WebWindow.h"

#include "core/Error.h"
#include "platform/Platform.h"
#include "platform/web/WebGlGraphics.h"
#include "platform/web/WebLibrary.h"

#include <emscripten/html5.h>

#include <cstring>

namespace zamp {

namespace {

constexpr const char* kCanvas = "#canvas";

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* event, void* user) {
    if (std::strcmp(event->key, "Escape") != 0) return EM_FALSE;
    auto* escape = static_cast<WebWindow::EscapeKey*>(user);
    escape->down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    if (escape->down) escape->pressed = true;
    return EM_TRUE;
}

} // namespace

WebWindow::KeyWatch::KeyWatch(EscapeKey& escape) {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &escape, EM_TRUE, onKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &escape, EM_TRUE, onKey);
}

WebWindow::KeyWatch::~KeyWatch() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
}

WebWindow::WebWindow(const WindowOptions& options) {
    int bbWidth = options.backBufferWidth, bbHeight = options.backBufferHeight;
    if (bbWidth <= 0 || bbHeight <= 0) {
        if (emscripten_get_canvas_element_size(kCanvas, &bbWidth, &bbHeight) != EMSCRIPTEN_RESULT_SUCCESS)
            throw Error("pD3D->CreateDevice() Failed. (the page has no canvas)");
    }
    if (bbWidth <= 0 || bbHeight <= 0) bbWidth = options.width, bbHeight = options.height;
    emscripten_set_canvas_element_size(kCanvas, bbWidth, bbHeight);

    graphics_ = openWebGlGraphics(kCanvas, bbWidth, bbHeight);
    keys_ = std::make_unique<KeyWatch>(escape_);
}

WebWindow::~WebWindow() {
    keys_.reset();
}

void WebWindow::show() { zamp_page_show(); }

bool WebWindow::pollEvent(WindowEvent&) { return false; }

void WebWindow::setTitle(const std::string& title) { emscripten_set_window_title(title.c_str()); }

void WebWindow::toggleFullScreen() {
    EmscriptenFullscreenChangeEvent state;
    if (emscripten_get_fullscreen_status(&state) == EMSCRIPTEN_RESULT_SUCCESS && state.isFullscreen)
        emscripten_exit_fullscreen();
    else
        emscripten_request_fullscreen(kCanvas, EM_TRUE);
}

bool WebWindow::escapeState() {
    const bool pressed = escape_.pressed;
    escape_.pressed = false;
    return escape_.down || pressed;
}

std::unique_ptr<Window> openWindow(const WindowOptions& options) { return std::make_unique<WebWindow>(options); }

} // namespace zamp
