// What the desktop's author's mode and offline renders need beyond the list in Platform.h:
// text over the picture and music decoded without an output. Back ends that serve only
// playing (the web page) leave these out, and so does the program built on them.
#pragma once

#include "gfx/Pixels.h"
#include "platform/Audio.h"

#include <memory>
#include <optional>
#include <string>

namespace zamp {

// `text` (UTF-8, lines broken at '\n' and wherever a line would be wider than `wrapWidth`
// pixels) as white letters `pixelHeight` high on a transparent picture; nothing when the
// platform has no font to draw it with.
std::optional<ArgbImage> renderText(const std::string& text, int pixelHeight, int wrapWidth);

// The music in the file at `path` as the player would play it, without an output (for
// writing it to a file). Null when it is no music the player can play. No output may be
// open at the time.
std::unique_ptr<MusicSource> openMusicSource(const std::string& path);

} // namespace zamp
