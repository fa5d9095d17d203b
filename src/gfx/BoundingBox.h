// The box, along a mesh's own axes, that holds every vertex of the mesh: what deciding whether
// a mesh can reach the screen needs to know of its shape.
#pragma once

#include "core/Values.h"

namespace zamp {

class Mesh;

struct BoundingBox {
    Vec3 min, max;
    // False: nothing is known of the mesh's extent, and it is never taken to be out of view.
    bool bounded = false;
};

// Every vertex of `mesh`, used by a face or not. Unbounded when a coordinate is not finite.
BoundingBox boundingBoxOf(const Mesh& mesh);

} // namespace zamp
