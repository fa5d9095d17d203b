// What the two kinds of offline render share: the drawing of their frames, each read back
// while the next is drawn, and their music.
#pragma once

#include "app/FrameSequence.h"

#include <functional>
#include <memory>
#include <string>

namespace zamp {

class DemoApp;
class FrameWriter;
class MusicSource;

// Draws frames range.first..range.last of `frames` and hands each to `writer` under
// `name(k)`, with a progress line (frames, frames per second, time left) when stderr is a
// terminal. False when a signal stopped it; the frame drawn last is then handed over too
// when `keepLastOnStop`. Waits for the writer either way; throws its first failure.
bool drawFrames(DemoApp& app, const FrameSequence& frames, FrameRange range, FrameWriter& writer,
                const std::function<std::string(long)>& name, bool keepLastOnStop);

// The show's music from the first frame's demo time, as the player positions it; null (and a
// warning) when the file is no music the player can play.
std::unique_ptr<MusicSource> openRenderMusic(DemoApp& app);

} // namespace zamp
