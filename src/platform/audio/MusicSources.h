// Music files decoded into the frames the player plays: streams in full through SDL_mixer's
// own decoders (so they can be positioned to the frame, which its WAV seeking cannot do),
// modules frame by frame through libmodplug with the settings SDL_mixer plays them with.
#pragma once

#include "platform/Audio.h"

#include <memory>
#include <string>

namespace zamp {

// The music in the file at `path`, or null when it is none the player can play (a text
// file, an unknown format, a stream longer than an hour). SDL_mixer must be open.
std::unique_ptr<MusicSource> loadMusicSource(const std::string& path);

} // namespace zamp
