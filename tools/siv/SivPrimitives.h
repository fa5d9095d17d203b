// Built-in shapes for `siv build`: vertices with unit normals and texture coordinates, and
// faces wound clockwise when seen from outside (the front faces of a left-handed scene drawn
// with counter-clockwise culling). Every shape is centred on the origin; the mesh header's
// position and rotation place it.
#pragma once

#include "siv/SivFile.h"

namespace zamp::sivtool {

struct Geometry {
    std::vector<SivVertex> vertices;
    std::vector<SivFace> faces; // material index 0; the caller sets the mesh's material
};

// An axis-aligned box of the given edge lengths, each side a grid of segments x segments
// quads with its own vertices (sharp edges). segments >= 1.
Geometry makeBox(const Vec3& size, int segments);

// A UV sphere: `segments` slices around y (>= 3) and `rings` stacks from pole to pole (>= 2).
Geometry makeSphere(float radius, int segments, int rings);

// A torus around the y axis: `radius` to the tube's centre, `tube` the tube's radius,
// `segments` steps around y (>= 3), `sides` steps around the tube (>= 3).
Geometry makeTorus(float radius, float tube, int segments, int sides);

// A rectangle in the y = 0 plane facing +y: width along x, depth along z, a grid of
// segments x segments quads (>= 1).
Geometry makePlane(float width, float depth, int segments);

// Per-vertex normals from the faces (area-weighted, normalised) for every vertex whose normal
// is (0, 0, 0).
void fillMissingNormals(Geometry& geometry);

} // namespace zamp::sivtool
