// The frame loop: each pass advances the demo time by the clock's delta, then either
// handles one waiting event (and draws nothing) or draws one frame. The desktop runs the
// passes in a loop; the browser runs one pass per frame callback.
#pragma once

#include "app/FrameClock.h"

#include <functional>

namespace zamp {

struct EventSource {
    // Takes one waiting event; false when none waits. Sets `quit` for a close request.
    std::function<bool(bool& quit)> pollEvent;
    // Esc down now or pressed since the last call.
    std::function<bool()> escapeState;
};

// Where each pass takes the demo time: by default on by the clock's delta.
using TimeStep = std::function<float(float demoTime, float delta)>;

struct MainLoopProgress {
    bool quit = false;
    long frames = 0;
};

// One pass, made while no quit was taken, demoTime < endTime and Esc is not pressed (tested
// in that order). Returns false, doing nothing, when the loop is over.
bool runMainLoopPass(MainLoopProgress& progress, FrameClock& clock, float& demoTime, const float& endTime,
                     EventSource& events, const std::function<void()>& renderFrame, const TimeStep& step = {});

// Runs passes until the loop is over. Returns the number of frames drawn.
long runMainLoop(FrameClock& clock, float& demoTime, const float& endTime, EventSource& events,
                 const std::function<void()>& renderFrame, const TimeStep& step = {});

} // namespace zamp
