#include "platform/web/WebGlGraphics.h"

#include "core/Error.h"
#include "platform/gl/GlWindowGraphics.h"

#include <emscripten/html5.h>

#include <string>

namespace zamp {

std::unique_ptr<WindowGraphics> openWebGlGraphics(const char* canvas, int backBufferWidth, int backBufferHeight) {
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
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = emscripten_webgl_create_context(canvas, &attributes);
    if (handle <= 0) throw Error("pD3D->CreateDevice() Failed. (this browser has no WebGL2)");
    auto release = [handle] { emscripten_webgl_destroy_context(handle); };
    emscripten_webgl_make_context_current(handle);

    GlDevice::PresentTarget target;
    const std::string name = canvas;
    target.drawableSize = [name](int& w, int& h) { emscripten_get_canvas_element_size(name.c_str(), &w, &h); };
    // The browser shows the canvas when the frame callback returns.
    target.swap = [] {};
    return std::make_unique<GlWindowGraphics>(backBufferWidth, backBufferHeight, std::move(target), std::move(release));
}

} // namespace zamp
