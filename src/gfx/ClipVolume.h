// The part of space a draw can reach through a view and a projection: Direct3D's clip volume
// (-w <= x <= w, -w <= y <= w, 0 <= z <= w), widened by the sub-pixel shift a device may apply
// to match Direct3D's pixel centres. A mesh whose bounding box lies wholly beyond one of its
// planes has every triangle clipped away whole, so not drawing it changes no pixel.
#pragma once

#include "gfx/BoundingBox.h"
#include "gfx/D3DTypes.h"

#include <array>

namespace zamp {

class ClipVolume {
public:
    // `targetWidth` and `targetHeight`: the render target's size in pixels (below 1 counts as 1).
    ClipVolume(const Matrix& view, const Matrix& projection, int targetWidth, int targetHeight);

    // True only when no point of `box`, placed by `world`, can come inside the volume: the whole
    // box lies beyond one plane, with room for the rounding of a device that computes in single
    // precision. Works in homogeneous coordinates before any division, so points behind the eye,
    // an eye inside the box, mirroring and any scale, perspective or orthographic projections
    // are all taken as they come. An unbounded box, or anything not finite, is never excluded.
    bool excludes(const BoundingBox& box, const Matrix& world) const;

private:
    // One side of the volume as two planes (the shift at its two extremes), each a linear
    // function of world coordinates (x, y, z, 1) that is negative outside: its coefficients,
    // and the same through the absolute values of the matrices, which bound the rounding.
    struct Side {
        std::array<std::array<double, 4>, 2> plane;
        std::array<std::array<double, 4>, 2> magnitude;
    };
    std::array<Side, 6> sides_;
};

} // namespace zamp
