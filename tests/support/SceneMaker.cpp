#include "support/SceneMaker.h"

#include <algorithm>

namespace zamp::test {

std::unique_ptr<Mesh> makeFacingQuad(float w, float h, bool counterClockwise) {
    auto m = Mesh::create(2, 4, D3DXMESH_SYSTEMMEM);
    auto v = m->vertices();
    const Vec3 n{0, 0, -1};
    // Seen from -z with y up and x to the right: 0 top-left, 1 top-right, 2 bottom-right.
    v[0] = {{-w / 2, h / 2, 0}, n, 0, 0};
    v[1] = {{w / 2, h / 2, 0}, n, 1, 0};
    v[2] = {{w / 2, -h / 2, 0}, n, 1, 1};
    v[3] = {{-w / 2, -h / 2, 0}, n, 0, 1};
    const std::uint16_t cw[] = {0, 1, 2, 0, 2, 3}, ccw[] = {0, 2, 1, 0, 3, 2};
    std::copy_n(counterClockwise ? ccw : cw, 6, m->indices16().begin());
    m->changed();
    return m;
}

std::unique_ptr<Mesh> makeBox(float w, float h, float d) {
    auto m = Mesh::create(12, 24, D3DXMESH_SYSTEMMEM);
    auto v = m->vertices();
    auto index = m->indices16();
    // Each face: its outward normal n, and right and up as seen from outside (right x up = -n).
    struct Face {
        Vec3 n, r, u;
    };
    const Face faces[6] = {{{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
                           {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                           {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}}};
    const Vec3 half{w / 2, h / 2, d / 2};
    auto corner = [&](const Face& f, float a, float b) {
        return Vec3{(f.n.x + a * f.r.x + b * f.u.x) * half.x, (f.n.y + a * f.r.y + b * f.u.y) * half.y,
                    (f.n.z + a * f.r.z + b * f.u.z) * half.z};
    };
    for (int i = 0; i < 6; ++i) {
        const Face& f = faces[i];
        const std::uint16_t b = static_cast<std::uint16_t>(i * 4);
        v[b + 0] = {corner(f, -1, 1), f.n, 0, 0};
        v[b + 1] = {corner(f, 1, 1), f.n, 1, 0};
        v[b + 2] = {corner(f, 1, -1), f.n, 1, 1};
        v[b + 3] = {corner(f, -1, -1), f.n, 0, 1};
        const std::uint16_t face[6] = {b, std::uint16_t(b + 1), std::uint16_t(b + 2), b, std::uint16_t(b + 2),
                                       std::uint16_t(b + 3)};
        std::copy_n(face, 6, index.begin() + i * 6);
    }
    m->changed();
    return m;
}

SceneMesh& addMesh(Scene& scene, std::unique_ptr<Mesh> mesh, Vec3 position, Material material) {
    auto sm = std::make_unique<SceneMesh>();
    sm->mesh = std::move(mesh);
    sm->bounds = boundingBoxOf(*sm->mesh);
    sm->material = material;
    sm->position.addKey({0, 1, 0, 0, position});
    sm->rotation.addKey({0, {0, 0, 0, 1}});
    scene.meshes.push_back(std::move(sm));
    return *scene.meshes.back();
}

SceneCamera& addCamera(Scene& scene, Vec3 eye, Vec3 target) {
    SceneCamera c;
    c.fov.addKey({0, 1, 0, 0, 45.0f});
    c.up.addKey({0, 1, 0, 0, {0, 1, 0}});
    c.position.addKey({0, 1, 0, 0, eye});
    c.target.addKey({0, 1, 0, 0, target});
    scene.cameras.push_back(std::move(c));
    return scene.cameras.back();
}

Light directionalLight(Vec3 direction, Vec4 diffuse) {
    Light l{};
    l.type = D3DLIGHT_DIRECTIONAL;
    l.direction = direction;
    l.diffuse = diffuse;
    l.range = 1000;
    l.attenuation0 = 1;
    return l;
}

Material plainMaterial(Vec4 diffuse, Vec4 ambient) {
    Material m{};
    m.diffuse = diffuse;
    m.ambient = ambient;
    return m;
}

} // namespace zamp::test
