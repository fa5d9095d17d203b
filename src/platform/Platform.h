// What a platform back end provides: the checklist of a port. One back end is linked into a
// program (src/platform/sdl with src/platform/sdl_gl and src/platform/audio on the desktop);
// only the application calls these, and everything else is given the objects they make.
#pragma once

#include "platform/Audio.h"
#include "platform/ImageFiles.h"
#include "platform/Window.h"

#include <cstdint>
#include <memory>
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


// Null only when not even the silent output opens. Never prints anything.
std::unique_ptr<AudioOutput> openAudioOutput(AudioTarget target);


} // namespace zamp
