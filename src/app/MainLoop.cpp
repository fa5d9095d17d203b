#include "app/MainLoop.h"

namespace zamp {

bool runMainLoopPass(MainLoopProgress& progress, FrameClock& clock, float& demoTime, const float& endTime,
                     EventSource& events, const std::function<void()>& renderFrame, const TimeStep& step) {
    // The key state is read only when the first two conditions hold.
    if (progress.quit || !(demoTime < endTime) || events.escapeState()) return false;
    clock.tick();
    demoTime = step ? step(demoTime, clock.delta()) : demoTime + clock.delta();
    bool quitEvent = false;
    if (events.pollEvent(quitEvent)) {
        progress.quit = quitEvent;
    } else {
        renderFrame();
        ++progress.frames;
    }
    return true;
}

long runMainLoop(FrameClock& clock, float& demoTime, const float& endTime, EventSource& events,
                 const std::function<void()>& renderFrame, const TimeStep& step) {
    MainLoopProgress progress;
    while (runMainLoopPass(progress, clock, demoTime, endTime, events, renderFrame, step)) {
    }
    return progress.frames;
}

} // namespace zamp
