// Scene descriptions: every section's fields reach the file, defaults fill the rest, and a
// faulty description names the field at fault.
#include "LuaTable.h"
#include "SivDescription.h"

#include "siv/SivParse.h"
#include "siv/SivSceneCheck.h"
#include "siv/SivWriter.h"

#include <gtest/gtest.h>

using namespace zamp;
using namespace zamp::sivtool;

namespace {

std::string errorOf(const std::string& text) {
    try {
        parseSivDescription(text, "scene.lua");
    } catch (const DescriptionError& e) {
        return e.what();
    }
    return "(no error)";
}

const char* kFullScene = R"(
local s = 2
return {
  textures = { { id = 4, file = "pic.png" } },
  materials = {
    { ambient = {0.1, 0.2, 0.3}, diffuse = {0.4, 0.5, 0.6}, specular = {0.7, 0.8, 0.9}, power = 12,
      texture = 4, twoSided = true },
    {},
  },
  meshes = {
    { id = 7, primitive = "box", size = s, segments = 2, position = {1, 2, 3}, rotation = {0, 1, 0, 0}, material = 1 },
    { vertices = { { position = {0, 0, 0}, uv = {0, 1} }, { position = {0, 1, 0} }, { position = {1, 1, 0}, normal = {0, 0, 1} } },
      faces = { {0, 1, 2} } },
    { primitive = "plane", size = {4, 8} },
  },
  cameras = { { position = {0, 0, -10}, target = {0, 1, 0}, positionTrack = 100, targetTrack = 101 } },
  lights = { { kind = "spot", position = {1, 1, 1}, direction = {0, -1, 0}, color = {1, 0.5, 0.25} }, { kind = 3 }, {} },
  tracks = {
    { kind = "position", object = 100, keys = { { time = 0, value = {0, 0, -10} },
                                                { time = 5, value = {0, 2, -10}, tension = 0.5, continuity = -0.5, bias = 0.25 } } },
    { kind = "rotation", object = 7, keys = { { time = 1, value = {0, 0, 0, 1} }, { time = 2, value = {0, 1, 0}, w = 0 } } },
    { kind = 9, object = 1, keys = {} },
  },
}
)";

} // namespace

TEST(SivDescription, EverySectionReachesTheFile) {
    const SivFile file = parseSivDescription(kFullScene, "scene.lua");
    ASSERT_EQ(file.textures.size(), 1u);
    EXPECT_EQ(file.textures[0].textureId, 4);
    EXPECT_EQ(sivTextureName(file.textures[0]), "pic.png");

    ASSERT_EQ(file.materials.size(), 2u);
    const SivMaterial& m = file.materials[0];
    EXPECT_EQ(m.ambient.g, 0.2f);
    EXPECT_EQ(m.diffuse.b, 0.6f);
    EXPECT_EQ(m.specular.r, 0.7f);
    EXPECT_EQ(m.power, 12.0f);
    EXPECT_EQ(m.textureId, 4);
    EXPECT_EQ(m.twoSided, 1);
    EXPECT_EQ(file.materials[1].diffuse.r, 1.0f) << "default diffuse is white";
    EXPECT_EQ(file.materials[1].textureId, -1) << "no texture unless asked";
    EXPECT_EQ(file.materials[1].twoSided, 0);

    ASSERT_EQ(file.meshes.size(), 3u);
    const SivMesh& box = file.meshes[0];
    EXPECT_EQ(box.header.objectId, 7);
    EXPECT_EQ(box.header.position, (Vec3{1, 2, 3}));
    EXPECT_EQ(box.header.rotation, (Quaternion{0, 1, 0, 0}));
    EXPECT_EQ(box.vertices.size(), 6u * 9u);
    EXPECT_EQ(box.faces.size(), 6u * 8u);
    for (const SivFace& f : box.faces) EXPECT_EQ(f.materialIndex, 1);
    EXPECT_EQ(box.vertices[0].position.x * box.vertices[0].position.x, 1.0f) << "size 2: a cube from -1 to 1";

    const SivMesh& triangle = file.meshes[1];
    EXPECT_EQ(triangle.header.objectId, 2) << "default id: position in the list, from 1";
    EXPECT_EQ(triangle.header.rotation, (Quaternion{0, 0, 0, 1}));
    ASSERT_EQ(triangle.faces.size(), 1u);
    EXPECT_EQ(triangle.faces[0].materialIndex, 0);
    EXPECT_EQ(triangle.vertices[0].v, 1.0f);
    EXPECT_EQ(triangle.vertices[0].normal, (Vec3{0, 0, -1})) << "computed from the face";
    EXPECT_EQ(triangle.vertices[2].normal, (Vec3{0, 0, 1})) << "given normals stay";
    EXPECT_EQ(file.meshes[2].vertices.size(), 4u);

    ASSERT_EQ(file.cameras.size(), 1u);
    EXPECT_EQ(file.cameras[0].target, (Vec3{0, 1, 0}));
    EXPECT_EQ(file.cameras[0].positionTrackId, 100);
    EXPECT_EQ(file.cameras[0].targetTrackId, 101);

    ASSERT_EQ(file.lights.size(), 3u);
    EXPECT_EQ(file.lights[0].kind, kSivLightSpot);
    EXPECT_EQ(file.lights[0].color.b, 0.25f);
    EXPECT_EQ(file.lights[1].kind, 3) << "numbers pass through, even unknown kinds";
    EXPECT_EQ(file.lights[2].kind, kSivLightPoint) << "default kind";
    EXPECT_EQ(file.lights[0].direction, (Vec3{0, -1, 0}));
    EXPECT_EQ(file.lights[2].direction, (Vec3{0, 0, 1})) << "default direction";
    EXPECT_EQ(file.lights[2].position, (Vec3{0, 0, 0})) << "default position";
    EXPECT_EQ(file.lights[2].color.g, 1.0f) << "default colour white";

    ASSERT_EQ(file.tracks.size(), 3u);
    EXPECT_EQ(file.tracks[0].header.kind, kSivTrackPosition);
    EXPECT_EQ(file.tracks[0].header.objectId, 100);
    ASSERT_EQ(file.tracks[0].keys.size(), 2u);
    EXPECT_EQ(file.tracks[0].keys[1].time, 5.0f);
    EXPECT_EQ(file.tracks[0].keys[1].tension, 0.5f);
    EXPECT_EQ(file.tracks[0].keys[1].continuity, -0.5f);
    EXPECT_EQ(file.tracks[0].keys[1].bias, 0.25f);
    ASSERT_EQ(file.tracks[1].keys.size(), 2u);
    EXPECT_EQ(file.tracks[1].keys[0].w, 1.0f) << "a rotation value of four numbers carries w";
    EXPECT_EQ(file.tracks[1].keys[1].value, (Vec3{0, 1, 0}));
    EXPECT_EQ(file.tracks[2].header.kind, 9);
    EXPECT_TRUE(file.tracks[2].keys.empty());

    // What the tool writes, the player reads back and accepts.
    const SivFile back = parseSivFile(encodeSivFile(file), "x.siv");
    EXPECT_EQ(back.meshes.size(), 3u);
    EXPECT_EQ(back.tracks[0].keys[1].bias, 0.25f);
    EXPECT_NO_THROW(checkSivScene(back, "x.siv"));
}

TEST(SivDescription, FaultsNameTheirField) {
    EXPECT_EQ(errorOf("return 5"), "scene.lua: the description must return a table (return { meshes = ..., ... })");
    EXPECT_EQ(errorOf("return {"), "scene.lua:1: unexpected symbol near '<eof>'");
    EXPECT_EQ(errorOf("error('boom')"), "scene.lua:1: boom");
    EXPECT_EQ(errorOf("return { mesh = {} }"),
              "scene.lua: mesh: unknown field (expected one of: meshes, materials, textures, cameras, lights, tracks)");
    EXPECT_EQ(errorOf("return { materials = {{}}, meshes = { { primitive = 'cone' } } }"),
              "scene.lua: meshes[1].primitive: unknown primitive \"cone\" (expected box, sphere, torus or plane)");
    EXPECT_EQ(errorOf("return { materials = {{}}, meshes = { { primitive = 'box', size = {1, 2} } } }"),
              "scene.lua: meshes[1].size: expected a list of 3 numbers, found 2");
    EXPECT_EQ(errorOf("return { materials = {{}}, meshes = { { primitive = 'sphere', radius = -1 } } }"),
              "scene.lua: meshes[1].radius: must be greater than 0");
    EXPECT_EQ(errorOf("return { meshes = { { primitive = 'box' } } }"),
              "scene.lua: meshes[1].material: no material 0 (materials are numbered from 0; there are 0)");
    EXPECT_EQ(errorOf("return { materials = {{}}, meshes = { { vertices = { {position = {0,0,0}} }, faces = { {0, 0, 1} } } } }"),
              "scene.lua: meshes[1].faces[1]: vertex index 1 is not one of the 1 vertices (indices start at 0)");
    EXPECT_EQ(errorOf("return { materials = {{}}, meshes = { { vertices = { {position = {0,0,0}} }, faces = {} } } }"),
              "scene.lua: meshes[1].faces: a mesh needs at least one face");
    EXPECT_EQ(errorOf("return { materials = { { power = 'high' } } }"),
              "scene.lua: materials[1].power: expected a number, found string");
    EXPECT_EQ(errorOf("return { textures = { { id = 1.5, file = 'a.png' } } }"),
              "scene.lua: textures[1].id: expected a 32-bit integer");
    EXPECT_EQ(errorOf("return { textures = { { id = 1, file = string.rep('a', 80) } } }"),
              "scene.lua: textures[1].file: a file name has at most 79 bytes");
    EXPECT_EQ(errorOf("return { lights = { { kind = 'area' } } }"),
              "scene.lua: lights[1].kind: unknown value \"area\" (expected a number or one of: point, spot, directional)");
    EXPECT_EQ(errorOf("return { tracks = { { kind = 'position', object = 1, keys = { { time = 0 } } } } }"),
              "scene.lua: tracks[1].keys[1].value: expected a list of 3 numbers");
    EXPECT_EQ(errorOf("return { cameras = { 5 } }"), "scene.lua: cameras[1]: expected a table");
    EXPECT_EQ(errorOf("return { cameras = { { position = {0, 0, 1e39} } } }"),
              "scene.lua: cameras[1].position: a number does not fit a 32-bit float");
}
