// Shows drawn in tests the way the player draws them.
#pragma once

#include "gfx/Device.h"
#include "show/RenderContext.h"
#include "show/Show.h"

namespace zamp::test {

// Draws the frame of `show` at demo time t into the device's back buffer and presents it.
void drawFrame(Show& show, Device& device, float t);
// The same with scene layers skipping the meshes out of their camera's view when
// `cullMeshes`, counting what they drew and skipped into `counts` (when not null).
void drawFrame(Show& show, Device& device, float t, bool cullMeshes, MeshCounts* counts);

} // namespace zamp::test
