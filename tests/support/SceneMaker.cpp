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

SceneMesh& addMesh(Scene& scene, std::unique_ptr<Mesh> mesh, Vec3 position, Material material) {
    auto sm = std::make_unique<SceneMesh>();
    sm->mesh = std::move(mesh);
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
