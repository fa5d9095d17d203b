// What drawing one frame passes down to every layer: the device, the back buffer the screen
// layers draw into, the width-to-height ratio of scene cameras' projections (4/3, except
// while the capture pass draws into a target, when it is that target's ratio), whether scene
// layers skip the meshes their camera cannot see, and where they count what they drew.
#pragma once

#include <cstdint>

namespace zamp {

class Device;
class Surface;

inline constexpr float kScreenAspectRatio = 1.3333334f;

// Meshes that scene layers drew, and skipped as wholly outside their camera's view.
struct MeshCounts {
    std::uint64_t drawn = 0;
    std::uint64_t skipped = 0;
};

struct RenderContext {
    Device& device;
    Surface* backBuffer;
    float aspectRatio = kScreenAspectRatio;
    // Skip the meshes that lie wholly outside the camera's view; the pictures are the same.
    bool cullMeshes = false;
    // Null: not counted.
    MeshCounts* meshCounts = nullptr;
};

} // namespace zamp
