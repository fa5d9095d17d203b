// A layer of the show's timeline: visible from `start` up to (not including) `end`, drawn
// at a local time that runs from zero at its start. Orders of 10 and less draw on the
// screen, larger orders into capture targets.
#pragma once

#include <limits>

namespace zamp {

struct RenderContext;

class Layer {
public:
    virtual ~Layer() = default;
    virtual void render(float localTime, RenderContext& context) = 0;
    // Called right before each render; no layer kind does anything here.
    virtual void update(float) {}

    bool visibleAt(float t) const { return start <= t && t < end; }

    // Until the script sets them, a layer is never visible: comparisons with NaN are false.
    float start = std::numeric_limits<float>::quiet_NaN();
    float end = std::numeric_limits<float>::quiet_NaN();
    int order = 0;
};

} // namespace zamp
