#include "app/MainLoop.h"

namespace zamp {

long runMainLoop(FrameClock& clock, float& demoTime, const float& endTime, EventSource& events,
                 const std::function<void()>& renderFrame, const TimeStep& step) {
    bool quit = false;
    long frames = 0;
    // The key state is read only when the first two conditions hold.
    while (!quit && demoTime < endTime && !events.escapeState()) {
        clock.tick();
        demoTime = step ? step(demoTime, clock.delta()) : demoTime + clock.delta();
        bool quitEvent = false;
        if (events.pollEvent(quitEvent)) {
            quit = quitEvent;
        } else {
            renderFrame();
            ++frames;
        }
    }
    return frames;
}

} // namespace zamp
