// Shows drawn in tests the way the player draws them.
#pragma once

#include "gfx/Device.h"
#include "show/Show.h"

namespace zamp::test {

// Draws the frame of `show` at demo time t into the device's back buffer and presents it.
void drawFrame(Show& show, Device& device, float t);

} // namespace zamp::test
