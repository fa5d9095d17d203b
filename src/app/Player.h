// The player's run: start-up, the script, then the live main loop or an offline render
// (PNG frames) or benchmark. Every error ends up in one handler here. The parts of a live
// start are shared with the page's entry, which runs the main loop one pass per frame.
#pragma once

#include "app/CommandLine.h"
#include "app/MainLoop.h"

#include <functional>
#include <string>

namespace zamp {

class DemoApp;
class Window;
struct WindowOptions;

// Runs the show in the current folder; returns the process exit code (0 or 1).
int runPlayer(DemoApp& app, const CommandLine& commandLine);

// Writes the message as one line to standard error and, where a display can show it and
// `box` is set, in a message box too.
void reportError(const std::string& text, const std::string& caption, bool box);

// Runs `body` and returns its result; every error it throws is reported (in a box when `box`
// is set) and gives 1.
int runReportingErrors(const std::function<int()>& body, bool box);

// Makes the window and runs data/script.lua. False, after reporting it, when the script file
// does not open.
bool openShow(DemoApp& app, const WindowOptions& options, bool box);

// The live start: the show's music loaded and positioned, the window shown, the music
// started and the frame clock reset.
void startLive(DemoApp& app);

// The window's events for the main loop.
EventSource windowEvents(Window& window);

} // namespace zamp
