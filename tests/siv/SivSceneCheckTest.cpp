// The check pass: every fault of a parsed file is found by it alone, the first in its order
// is the one reported, and what it returns holds what building needs, viewing the file's
// records instead of copying them.
#include "support/SivTestSupport.h"

#include "siv/SivSceneCheck.h"

#include <algorithm>

using namespace zamp;
using namespace zamp::sivtest;

namespace {

// Three meshes (objects 1 to 3) with a material each, the third textured, and two cameras
// whose eyes follow tracks.
SivFile threeMeshes() {
    SivFile file;
    file.meshes = {quadMesh(1, 0), quadMesh(2, 1), quadMesh(3, 2)};
    file.materials = {material(1), material(0.5f), material(0.25f, 7)};
    file.textures = {makeSivTextureEntry(7, "wall.png")};
    file.cameras = {camera({0, 0, -5}, {}, 10, 11), camera({0, 0, -9}, {}, 12, 13)};
    file.lights = {light(kSivLightPoint), light(kSivLightSpot)};
    file.tracks = {track(kSivTrackPosition, 10, {key(0, {})}), track(kSivTrackPosition, 12, {key(0, {})}),
                   track(kSivTrackRotation, 2, {key(0, {0, 0, 0}, 1), key(1, {0, 1, 0}, 0)})};
    return file;
}

SivTrackRecord keyless(std::int32_t kind, std::int32_t objectId) { return track(kind, objectId, {}); }

} // namespace

TEST(SivSceneCheck, TheFirstFaultInThePassOrderIsReportedAndEveryFaultAloneIsFound) {
    // Each pair of faults: the one the pass meets first is the message; with it mended, the other
    // is. Meshes are checked one after the other (building, material, texture name, curves),
    // then the cameras; the curve key budget before anything.
    using Damage = std::function<void(SivFile&)>;
    struct Fault {
        Damage damage;
        std::string message;
    };
    // Seven more meshes of object 2 take its two rotation keys each: 18 keys for 4 held.
    const Fault budget{[](SivFile& f) { f.meshes.resize(10, f.meshes[1]); },
                       "its meshes and cameras would copy 18 keys from its tracks, more than 4 times the 4 keys the "
                       "tracks hold (many meshes or cameras share one object id)."};
    const Fault noFaces{[](SivFile& f) { f.meshes[0].faces.clear(); },
                        "D3DXCreateMeshFVF failed. (File s.siv, mesh 0: it has no faces.)"};
    const Fault faceOutside{[](SivFile& f) { f.meshes[0].faces[1].indices[2] = 4; },
                            "mesh 0 face 1 uses vertex 4, but the mesh has 4 vertices."};
    const Fault material0{[](SivFile& f) { f.meshes[0].faces[0].materialIndex = 3; },
                          "mesh 0 uses material 3, but the file has 3 materials."};
    const Fault position0{[](SivFile& f) { f.tracks.push_back(keyless(kSivTrackPosition, 1)); },
                          "mesh 0 has no position: its position track 3 (object 1) has no keys (key count 0)."};
    const Fault vertices1{[](SivFile& f) { f.meshes[1].vertices.clear(); },
                          "D3DXCreateMeshFVF failed. (File s.siv, mesh 1: it has no vertices.)"};
    const Fault material1{[](SivFile& f) { f.meshes[1].faces[0].materialIndex = -1; },
                          "mesh 1 uses material -1, but the file has 3 materials."};
    const Fault rotation1{[](SivFile& f) { f.tracks[2].keys.clear(); },
                          "mesh 1 has no rotation: its rotation track 2 (object 2) has no keys (key count 0)."};
    const Fault textureName2{[](SivFile& f) { std::fill(std::begin(f.textures[0].fileName), std::end(f.textures[0].fileName), 'w'); },
                             "texture entry 0 has a file name with no ending zero byte."};
    const Fault position2{[](SivFile& f) { f.tracks.push_back(keyless(kSivTrackPosition, 3)); },
                          "mesh 2 has no position: its position track 3 (object 3) has no keys (key count 0)."};
    const Fault eye0{[](SivFile& f) { f.tracks[0].keys.clear(); },
                     "camera 0 has no position: its position track 0 (object 10) has no keys (key count 0)."};
    const Fault target1{[](SivFile& f) { f.tracks.push_back(keyless(kSivTrackPosition, 13)); },
                        "camera 1 has no target: its target track 3 (object 13) has no keys (key count 0)."};
    struct Pair {
        const char* what;
        const Fault& first;
        const Fault& second;
    };
    const Pair pairs[] = {
        {"the budget before building", budget, noFaces},
        {"a mesh built before its material is looked up", faceOutside, material0},
        {"a mesh's material before its curves", material0, position0},
        {"a mesh's curves before the next mesh", position0, vertices1},
        {"a mesh's faces before its material", vertices1, material1},
        {"a mesh's material before a later mesh's texture", material1, textureName2},
        {"a mesh's curves before a later mesh's", rotation1, position2},
        {"a mesh's texture name before its curves", textureName2, position2},
        {"the last mesh before the first camera", position2, eye0},
        {"cameras in file order", eye0, target1},
    };
    auto messageOf = [](const Fault& fault) {
        const std::string& m = fault.message;
        return m.rfind("D3DX", 0) == 0 ? m : "File s.siv: " + m;
    };
    for (const Pair& p : pairs) {
        SivFile both = threeMeshes();
        ASSERT_EQ(failureOf([&] { checkSivScene(both, "s.siv"); }).kind, Failure::None) << p.what;
        SivFile onlySecond = both;
        p.first.damage(both);
        p.second.damage(both);
        p.second.damage(onlySecond);
        EXPECT_EQ(failureOf([&] { checkSivScene(both, "s.siv"); }).text, messageOf(p.first)) << p.what;
        EXPECT_EQ(failureOf([&] { checkSivScene(onlySecond, "s.siv"); }).text, messageOf(p.second)) << p.what;
    }
}

TEST(SivSceneCheck, ACheckedSceneHoldsTheBuiltMeshesAndViewsTheFilesRecords) {
    SivFile file = threeMeshes();
    file.meshes[2].vertices[3].position = {4, -2, 0.5f};
    file.tracks.push_back(track(kSivTrackPosition, 12, {key(3, {})})); // a second track for camera 1's eye
    const CheckedSivScene checked = checkSivScene(file, "s.siv");
    using Tracks = std::vector<std::uint32_t>;
    auto positions = [](SivCurveTracks tracks) { return Tracks(tracks.begin(), tracks.end()); };
    ASSERT_EQ(checked.meshes.size(), 3u);
    for (std::size_t m = 0; m < 3; ++m) {
        const CheckedSivMesh& mesh = checked.meshes[m];
        ASSERT_NE(mesh.mesh, nullptr) << m;
        EXPECT_EQ(mesh.mesh->faceCount(), 2u) << m;
        EXPECT_EQ(mesh.header, &file.meshes[m].header) << m;
        EXPECT_EQ(mesh.material, &file.materials[m]) << "the record the first face names, not a copy";
        EXPECT_TRUE(mesh.curves.position.empty()) << m;
    }
    EXPECT_EQ(checked.meshes[0].textureName, "");
    EXPECT_EQ(checked.meshes[2].textureName, "wall.png");
    EXPECT_EQ(checked.meshes[2].bounds.min, (Vec3{0, -2, 0}));
    EXPECT_EQ(checked.meshes[2].bounds.max, (Vec3{4, 1, 0.5f}));
    EXPECT_EQ(positions(checked.meshes[1].curves.rotation), Tracks{2});
    EXPECT_TRUE(checked.meshes[0].curves.rotation.empty());
    ASSERT_EQ(checked.cameras.size(), 2u);
    EXPECT_EQ(checked.cameras[1].record, &file.cameras[1]);
    EXPECT_EQ(positions(checked.cameras[0].curves.position), Tracks{0});
    EXPECT_EQ(positions(checked.cameras[1].curves.position), (Tracks{1, 3})) << "file order";
    EXPECT_TRUE(checked.cameras[1].curves.target.empty());
    EXPECT_EQ(checked.lights.data(), file.lights.data());
    EXPECT_EQ(checked.lights.size(), 2u);
    EXPECT_EQ(checked.tracks.tracks().data(), file.tracks.data());
}
