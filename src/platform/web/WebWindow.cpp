#include "platform/web/WebWindow.h"

#include "core/Error.h"
#include "platform/Platform.h"
#include "platform/gl/WindowDevice.h"
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

WebWindow::Context::~Context() { emscripten_webgl_destroy_context(handle); }

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

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The back buffer is a framebuffer of the device's own, blitted into the canvas at
    // present: the canvas needs no depth, no alpha, and no multisampling (a blit cannot
    // write into a multisampled buffer).
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = emscripten_webgl_create_context(kCanvas, &attributes);
    if (handle <= 0) throw Error("pD3D->CreateDevice() Failed. (this browser has no WebGL2)");
    context_ = std::make_unique<Context>(int(handle));
    emscripten_webgl_make_context_current(handle);

    GlDevice::PresentTarget target;
    target.drawableSize = [](int& w, int& h) { emscripten_get_canvas_element_size(kCanvas, &w, &h); };
    // The browser shows the canvas when the frame callback returns.
    target.swap = [] {};
    device_ = openWindowDevice(bbWidth, bbHeight, std::move(target));
    keys_ = std::make_unique<KeyWatch>(escape_);
}

WebWindow::~WebWindow() {
    keys_.reset();
    device_.reset(); // its GL objects need the context
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
