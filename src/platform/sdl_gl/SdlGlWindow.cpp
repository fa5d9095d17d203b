// The desktop's window: SDL's, drawn with OpenGL.
#include "core/Error.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl_gl/SdlGlApi.h"

namespace zamp {

std::unique_ptr<Window> openWindow(const WindowOptions& options) {
    return std::make_unique<SdlWindow>(options, SdlGlApi());
}

} // namespace zamp
