// What a platform back end provides: the checklist of a port. One back end is linked into a
// program (src/platform/sdl with src/platform/audio on the desktop); only the application
// calls these, and everything else is given the objects they make.
#pragma once

#include "platform/Audio.h"
#include "platform/ImageFiles.h"
#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zamp {

// The window with its device, hidden. Throws an Error with the device set-up's messages.
std::unique_ptr<Window> openWindow(const WindowOptions& options);

// A modal box with the text; false when no display can show it.
bool showMessageBox(const std::string& caption, const std::string& text);

// The high-resolution counter and its ticks per second.
std::uint64_t performanceCounter();
std::uint64_t performanceFrequency();

// The image decoder and PNG writer.
std::unique_ptr<ImageFiles> openImageFiles();

// `text` (UTF-8, lines broken at '\n' and wherever a line would be wider than `wrapWidth`
// pixels) as white letters `pixelHeight` high on a transparent picture; nothing when the
// platform has no font to draw it with.
std::optional<ArgbImage> renderText(const std::string& text, int pixelHeight, int wrapWidth);

// Null only when not even the silent output opens. Never prints anything.
std::unique_ptr<AudioOutput> openAudioOutput(AudioTarget target);

// The music in the file at `path` as the player would play it, without an output (for
// writing it to a file). Null when it is no music the player can play. No output may be
// open at the time.
std::unique_ptr<MusicSource> openMusicSource(const std::string& path);

} // namespace zamp
