// From the modelling programs' right-handed coordinates (as Assimp gives them: y up, the
// viewer looking down -z) to the player's left-handed ones (y up, +z into the screen). The
// z axis is mirrored, which keeps every picture the same on screen: a point, a direction
// and a rotation each change in their own way, and a triangle's winding must be reversed
// along with them so that its front stays in front.
#pragma once

#include "core/Values.h"

#include <assimp/matrix4x4.h>
#include <assimp/quaternion.h>
#include <assimp/vector3.h>

#include <cmath>

namespace zamp::sivtool {

inline Vec3 toPlayer(const aiVector3D& v) { return {v.x, v.y, -v.z}; }

// The same rotation seen in the mirrored frame: z mirrored conjugates it, which negates the
// x and y parts of the quaternion.
inline Quaternion toPlayer(const aiQuaternion& q) { return {-q.x, -q.y, q.z, q.w}; }

// A vector's length, in double precision.
inline double length(const aiVector3D& v) { return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z); }

// The 3x3 part of a column-vector transform applied to a direction.
inline aiVector3D transformDirection(const aiMatrix4x4& m, const aiVector3D& d) {
    return {m.a1 * d.x + m.a2 * d.y + m.a3 * d.z, m.b1 * d.x + m.b2 * d.y + m.b3 * d.z,
            m.c1 * d.x + m.c2 * d.y + m.c3 * d.z};
}

} // namespace zamp::sivtool
