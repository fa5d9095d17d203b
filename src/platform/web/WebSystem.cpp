// Messages and the counter in a browser: a message box is the page's own message (shown in
// place of the picture and written to the console); the counter is performance.now() in
// microseconds.
#include "platform/Platform.h"
#include "platform/web/WebLibrary.h"

#include <emscripten/emscripten.h>

namespace zamp {

bool showMessageBox(const std::string& caption, const std::string& text) {
    zamp_page_message(caption.c_str(), text.c_str());
    return true;
}

std::uint64_t performanceCounter() { return std::uint64_t(emscripten_get_now() * 1000.0); }
std::uint64_t performanceFrequency() { return 1000000; }

} // namespace zamp
