#include "gfx/BoundingBox.h"

#include "gfx/Mesh.h"

#include <algorithm>
#include <cmath>

namespace zamp {

BoundingBox boundingBoxOf(const Mesh& mesh) {
    const auto vertices = mesh.vertices();
    if (vertices.empty()) return {};
    BoundingBox box{vertices[0].position, vertices[0].position, true};
    for (const MeshVertex& v : vertices) {
        const Vec3& p = v.position;
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return {};
        box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z)};
        box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z)};
    }
    return box;
}

} // namespace zamp
