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

// A render target `name` of width x height that a capture (from 0 to 100 s) draws the layers
// of order above 10 into, and an image layer of order `order` that shows it on the screen.
TextureRecord& addCaptureShownAsImage(Show& show, Device& device, const std::string& name, int width, int height,
                                      int order);

} // namespace zamp::test
