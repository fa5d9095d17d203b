// The desktop player's run: start-up, the script, then the live main loop, the author's mode,
// an offline render (PNG frames and music) or a benchmark. Every error ends up in one handler.
#pragma once

#include "app/CommandLine.h"

namespace zamp {

class DemoApp;

// Runs the show in the current folder; returns the process exit code (0, 1, or 2 for a
// --frames range outside the show).
int runPlayer(DemoApp& app, const CommandLine& commandLine);

} // namespace zamp
