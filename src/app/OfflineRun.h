// Drawing a show without a display: PNG frames for --render, timings for --bench.
#pragma once

#include "app/CommandLine.h"

namespace zamp {

class DemoApp;

// Frame k at demo time start + k / fps while below the end time (frames FIRST..LAST of them
// with --frames), or one frame per --at time; writes OUT_DIR/frame_%06d.png and, for a show
// with music rendered from its first frame, OUT_DIR/music.wav. Returns the exit code: 0, 2
// for a --frames range outside the show, or the interrupt's after a signal.
int renderFrames(DemoApp& app, const CommandLine& commandLine, const std::string& outDir);

// Draws N frames at demo times spread evenly from the start to the end time and prints one
// line of timings; a signal ends it early, printing nothing.
void benchFrames(DemoApp& app, long frames);

} // namespace zamp
