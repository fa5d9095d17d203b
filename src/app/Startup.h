// The start of a live show, shared by the desktop player and the web page's entry: errors
// reported in one place, the window and the script, the music started, the window's events
// for the main loop.
#pragma once

#include "app/MainLoop.h"

#include <functional>
#include <string>

namespace zamp {

class DemoApp;
class Window;
struct WindowOptions;

inline constexpr const char* kScriptPath = "data/script.lua";

// Writes the message to standard error and, where a display can show it and `box` is set,
// in a message box too.
void reportError(const std::string& text, const std::string& caption, bool box);

// Runs `body` and returns its result; every error it throws is reported (in a box when `box`
// is set) and gives 1.
int runReportingErrors(const std::function<int()>& body, bool box);

// "Script Error!", and on standard error where zamp looked and how to name the show folder.
// Returns the exit code, 1.
int reportMissingScript(bool box);

// Makes the window and runs data/script.lua. False, after reporting it (with the folder it
// looked in), when the script file does not open.
bool openShow(DemoApp& app, const WindowOptions& options, bool box);

// The live start: the show's music loaded and positioned, the window shown, the music
// started and the frame clock reset.
void startLive(DemoApp& app);

// The window's events for the main loop.
EventSource windowEvents(Window& window);

// --sync-music: the demo time follows the playing music (nothing without music).
TimeStep musicTimeStep(DemoApp& app);

} // namespace zamp
