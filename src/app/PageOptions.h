// The options a page passes to the web player, taken from its address by the page's script:
// --at T (?at=T: the demo time stays at T) and --size WxH (the back buffer, chosen from the
// canvas). Portable, so that the desktop's tests check it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zamp {

struct PageOptions {
    std::optional<double> at;
    int width = 0; // 0: the canvas's own size
    int height = 0;
};

// Throws an Error with a one-line reason for an option it does not know or a bad value.
PageOptions parsePageOptions(const std::vector<std::string>& args);

} // namespace zamp
