// Drawing a show without a display: PNG frames for --render, timings for --bench.
#pragma once

#include "app/CommandLine.h"

namespace zamp {

class DemoApp;

// Frame k at demo time start + k / fps while below the end time, or one frame per --at
// time; writes OUT_DIR/frame_%06d.png.
void renderFrames(DemoApp& app, const CommandLine& commandLine, const std::string& outDir);

// Draws N frames at demo times spread evenly from the start to the end time and prints one
// line of timings.
void benchFrames(DemoApp& app, long frames);

} // namespace zamp
