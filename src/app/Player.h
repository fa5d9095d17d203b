// The player's run: start-up, the script, then the live main loop or an offline render
// (PNG frames) or benchmark. Every error ends up in one handler here.
#pragma once

#include "app/CommandLine.h"

namespace zamp {

class DemoApp;

// Runs the show in the current folder; returns the process exit code (0 or 1).
int runPlayer(DemoApp& app, const CommandLine& commandLine);

// Writes the message as one line to standard error and, where a display can show it and
// `box` is set, in a message box too.
void reportError(const std::string& text, const std::string& caption, bool box);

} // namespace zamp
