// SIV records made in a line each, for the tests and the fuzz targets' seeds (no test
// framework needed): a vertex, a face, a quad mesh, a material, a key, a track, a camera, a
// light, and a small scene with one record of every kind.
#pragma once

#include "siv/SivFile.h"

#include <cstdint>
#include <vector>

namespace zamp::sivtest {

inline SivVertex vertex(float x, float y, float z, float u = 0, float v = 0) {
    SivVertex out{};
    out.position = {x, y, z};
    out.normal = {0, 0, -1};
    out.u = u;
    out.v = v;
    return out;
}

inline SivFace face(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t material = 0) {
    return SivFace{{a, b, c}, material};
}

// A unit quad in the z = 0 plane: four vertices, two faces of material `material`.
inline SivMesh quadMesh(std::int32_t objectId, std::int32_t material = 0) {
    SivMesh mesh;
    mesh.header.objectId = objectId;
    mesh.header.position = {1, 2, 3};
    mesh.header.rotation = {0, 0, 0, 1};
    mesh.vertices = {vertex(0, 0, 0, 0, 1), vertex(0, 1, 0, 0, 0), vertex(1, 1, 0, 1, 0), vertex(1, 0, 0, 1, 1)};
    mesh.faces = {face(0, 1, 2, material), face(0, 2, 3, material)};
    return mesh;
}

inline SivMaterial material(float shade, std::int32_t textureId = -1, std::uint8_t twoSided = 0) {
    SivMaterial m{};
    m.ambient = {shade * 0.1f, shade * 0.2f, shade * 0.3f};
    m.diffuse = {shade * 0.4f, shade * 0.5f, shade * 0.6f};
    m.specular = {shade * 0.7f, shade * 0.8f, shade * 0.9f};
    m.power = 8 * shade;
    m.textureId = textureId;
    m.twoSided = twoSided;
    return m;
}

inline SivKey key(float time, Vec3 value, float w = 0, float tension = 0, float continuity = 0, float bias = 0) {
    return SivKey{time, value, w, tension, continuity, bias};
}

inline SivTrackRecord track(std::int32_t kind, std::int32_t objectId, std::vector<SivKey> keys) {
    SivTrackRecord t;
    t.header.kind = kind;
    t.header.objectId = objectId;
    t.keys = std::move(keys);
    return t;
}

inline SivCamera camera(Vec3 position, Vec3 target, std::int32_t positionTrackId, std::int32_t targetTrackId) {
    SivCamera c{};
    c.position = position;
    c.target = target;
    c.positionTrackId = positionTrackId;
    c.targetTrackId = targetTrackId;
    return c;
}

inline SivLight light(std::int32_t kind, Vec3 position = {1, 2, 3}, Vec3 direction = {0, -1, 0},
                      SivRgb color = {0.25f, 0.5f, 0.75f}) {
    SivLight l{};
    l.kind = kind;
    l.position = position;
    l.direction = direction;
    l.color = color;
    return l;
}

// One record of every kind: a quad (object 1) without texture, a material, a texture entry, a
// camera (tracks 10 and 11), a point light and a position track of two keys for the camera.
inline SivFile smallScene() {
    SivFile file;
    file.meshes.push_back(quadMesh(1));
    file.textures.push_back(makeSivTextureEntry(5, ""));
    file.materials.push_back(material(1.0f, 5));
    file.cameras.push_back(camera({0, 0, -10}, {0, 0, 0}, 10, 11));
    file.lights.push_back(light(kSivLightPoint));
    file.tracks.push_back(track(kSivTrackPosition, 10, {key(0, {0, 0, -10}), key(2, {0, 5, -10})}));
    return file;
}

} // namespace zamp::sivtest
