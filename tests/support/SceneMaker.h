// Scenes made in code for scene-layer tests: quads facing the camera, cameras, lights.
#pragma once

#include "show/Scene.h"

#include <memory>

namespace zamp::test {

// A w by h quad in the plane z = 0 centred on its origin, facing -z (towards a camera on
// the -z side), wound clockwise as seen from there unless `counterClockwise`.
std::unique_ptr<Mesh> makeFacingQuad(float w, float h, bool counterClockwise = false);

// A box of w by h by d centred on its origin, each face wound clockwise as seen from outside
// (the side Direct3D's default culling keeps), with its face's normal.
std::unique_ptr<Mesh> makeBox(float w, float h, float d);

// A mesh of the scene with one key per curve.
SceneMesh& addMesh(Scene& scene, std::unique_ptr<Mesh> mesh, Vec3 position, Material material);

// A camera with the loader's fixed keys: up (0, 1, 0), fov 45 (as radians), near 1, far 100000.
SceneCamera& addCamera(Scene& scene, Vec3 eye, Vec3 target);

Light directionalLight(Vec3 direction, Vec4 diffuse);

Material plainMaterial(Vec4 diffuse, Vec4 ambient);

} // namespace zamp::test
