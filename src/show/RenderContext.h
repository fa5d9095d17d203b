// What drawing one frame passes down to every layer: the device, the back buffer the screen
// layers draw into, and the width-to-height ratio of scene cameras' projections (4/3, except
// while the capture pass draws into a target, when it is that target's ratio).
#pragma once

namespace zamp {

class Device;
class Surface;

inline constexpr float kScreenAspectRatio = 1.3333334f;

struct RenderContext {
    Device& device;
    Surface* backBuffer;
    float aspectRatio = kScreenAspectRatio;
};

} // namespace zamp
