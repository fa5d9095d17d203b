// siv import on small models that the tests write themselves: what arrives in the SIV file
// (counts, materials, texture names, cameras, lights) and how the player's own curves replay
// the source's motion.
#include "GltfWriter.h"
#include "import/ImportCommand.h"
#include "import/ModelConversion.h"
#include "import/MotionFit.h"

#include "core/Error.h"
#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"
#include "platform/Platform.h"
#include "show/SivTracks.h"
#include "siv/SivTrackIndex.h"
#include "support/TestSupport.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace zamp {
namespace {

using namespace sivtool;
namespace fs = std::filesystem;

constexpr float kPi = 3.14159265f;

Quaternion aboutY(float angle) { return {0, std::sin(angle / 2), 0, std::cos(angle / 2)}; }

double degreesBetween(const Quaternion& a, const Quaternion& b) {
    const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z + double(a.w) * b.w;
    return 2 * std::acos(std::min(1.0, std::fabs(dot))) * 180 / M_PI;
}

double distance(const Vec3& a, const Vec3& b) {
    return std::sqrt(double(a.x - b.x) * (a.x - b.x) + double(a.y - b.y) * (a.y - b.y) + double(a.z - b.z) * (a.z - b.z));
}

// A quad of side `size` in the z = 0 plane around (cx, cy), facing +z (counter-clockwise).
gltf::Mesh quad(const std::string& name, float cx, float cy, float size, int material) {
    const float h = size / 2;
    gltf::Mesh m;
    m.name = name;
    m.positions = {{cx - h, cy - h, 0}, {cx + h, cy - h, 0}, {cx + h, cy + h, 0}, {cx - h, cy + h, 0}};
    m.uvs = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    m.indices = {0, 1, 2, 0, 2, 3};
    m.material = material;
    return m;
}

// An arm turning a quarter turn a second about y for two seconds while rising two units, and
// a hand held 3 units out along its x axis: the hand's path is curved between the keys.
gltf::Document animatedArm() {
    gltf::Document doc;
    doc.materials = {{"paint", {0.2f, 0.4f, 0.6f, 1}, false, -1}};
    doc.meshes = {quad("hand", 0, 0, 0.5f, 0)};
    doc.nodes = {{"arm", -1, -1, -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {1}},
                 {"hand", 0, -1, -1, {3, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}},
                 {"eye", -1, 0, -1, {0, 1, 10}, {0, 0, 0, 1}, {1, 1, 1}, {}},
                 {"lamp", -1, -1, 0, {1, 5, 2}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    doc.roots = {0, 2, 3};
    doc.cameras = {{1.0177f, 4.0f / 3.0f, 0.1f}};
    doc.lights = {{"point", {0.5f, 0.25f, 1.0f}, 1}};
    gltf::Channel turn{0, "rotation", {0, 1, 2}, {}};
    for (float angle : {0.0f, kPi / 2, kPi}) {
        const Quaternion q = aboutY(angle);
        turn.values.insert(turn.values.end(), {q.x, q.y, q.z, q.w});
    }
    doc.channels = {turn, {0, "translation", {0, 2}, {0, 0, 0, 0, 2, 0}}};
    return doc;
}

class Import : public ::testing::Test {
protected:
    std::unique_ptr<ModelImport> import(const std::string& model, const std::string& out = "",
                                        const std::string& copy = "", ImportOptions options = {}) {
        return importModel((dir.path() / model).string(), options, out.empty() ? "" : (dir.path() / out).string(),
                           copy.empty() ? "" : (dir.path() / copy).string());
    }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
    test::TempDir dir;
};

TEST_F(Import, GltfAnimationPlaysAsTheSourceMovesWithinTolerance) {
    gltf::write(animatedArm(), path("arm.gltf"));
    const auto imported = import("arm.gltf");
    const ConvertedModel& m = imported->model;
    ASSERT_EQ(m.file.meshes.size(), 1u);
    const SivMesh& hand = m.file.meshes[0];
    EXPECT_EQ(hand.vertices.size(), 4u);
    EXPECT_EQ(hand.faces.size(), 2u);
    EXPECT_EQ(m.counts.tracks, 2u);

    // The player's own curves, filled the way the loader fills them.
    TCBCurve<Vec3> position;
    LinearQuaternionCurve rotation;
    const SivTrackIndex tracks(m.file.tracks);
    fillSivCurve(tracks, hand.header.objectId, kSivTrackPosition, position, hand.header.position);
    fillSivCurve(tracks, hand.header.objectId, kSivTrackRotation, rotation, hand.header.rotation);
    const double radius = m.radius;
    double worstDistance = 0, worstDegrees = 0;
    for (int i = 0; i <= 5000; ++i) {
        const float t = 2.5f * float(i) / 5000; // past the last key too
        const float seconds = std::min(t, 2.0f);
        const float angle = kPi / 2 * seconds;
        // Right-handed: the arm's origin rises, the hand is carried round y; then z mirrored.
        const Vec3 expected{3 * std::cos(angle), seconds, 3 * std::sin(angle)};
        const Quaternion turned = aboutY(angle);
        worstDistance = std::max(worstDistance, distance(position.evaluate(t), expected));
        worstDegrees = std::max(worstDegrees, degreesBetween(rotation.evaluate(t), {-turned.x, -turned.y, turned.z, turned.w}));
    }
    EXPECT_LE(worstDistance, 0.001 * radius) << "radius " << radius;
    EXPECT_LE(worstDegrees, 0.1);
    EXPECT_GT(m.file.tracks[0].keys.size(), 3u) << "the curved path needs keys between the source's";
}

TEST_F(Import, GltfCameraAndLightArriveMirroredIntoThePlayersFrame) {
    gltf::write(animatedArm(), path("arm.gltf"));
    const auto imported = import("arm.gltf");
    const ConvertedModel& m = imported->model;
    ASSERT_EQ(m.file.cameras.size(), 1u);
    EXPECT_FALSE(m.counts.madeCamera);
    const SivCamera& c = m.file.cameras[0];
    EXPECT_NEAR(distance(c.position, {0, 1, -10}), 0, 1e-5);
    // Looking down the source's -z is looking down the player's +z.
    EXPECT_NEAR(c.target.x, 0, 1e-5);
    EXPECT_NEAR(c.target.y, 1, 1e-5);
    EXPECT_GT(c.target.z, c.position.z);
    EXPECT_EQ(c.positionTrackId, -1);

    ASSERT_EQ(m.file.lights.size(), 1u);
    EXPECT_FALSE(m.counts.madeLight);
    const SivLight& l = m.file.lights[0];
    EXPECT_EQ(l.kind, kSivLightPoint);
    EXPECT_NEAR(distance(l.position, {1, 5, -2}), 0, 1e-5);
    EXPECT_FLOAT_EQ(l.color.r, 0.5f);
    EXPECT_FLOAT_EQ(l.color.g, 0.25f);
    EXPECT_FLOAT_EQ(l.color.b, 1.0f);

    ASSERT_EQ(m.file.materials.size(), 1u);
    EXPECT_FLOAT_EQ(m.file.materials[0].diffuse.g, 0.4f);
    EXPECT_FLOAT_EQ(m.file.materials[0].ambient.b, 0.6f) << "no ambient colour in glTF: the diffuse one";
    EXPECT_TRUE(m.warnings.empty()) << m.warnings.front();
}

TEST_F(Import, AModelWithoutCameraOrLightGetsThemUnlessAskedNot) {
    gltf::Document doc;
    doc.meshes = {quad("q", 10, 0, 2, -1)};
    doc.nodes = {{"q", 0, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    doc.roots = {0};
    gltf::write(doc, path("plain.gltf"));
    const auto withDefaults = import("plain.gltf");
    const ConvertedModel& made = withDefaults->model;
    ASSERT_EQ(made.file.cameras.size(), 1u);
    ASSERT_EQ(made.file.lights.size(), 1u);
    EXPECT_TRUE(made.counts.madeCamera && made.counts.madeLight);
    const SivCamera& c = made.file.cameras[0];
    EXPECT_NEAR(distance(c.target, {10, 0, 0}), 0, 1e-5) << "aimed at the model's centre";
    EXPECT_LT(c.position.z, -1.0f) << "in front of it: the source's +z";
    EXPECT_EQ(made.file.lights[0].kind, kSivLightDirectional);

    ImportOptions none;
    none.makeCamera = none.makeLight = false;
    const auto without = import("plain.gltf", "", "", none);
    const ConvertedModel& bare = without->model;
    EXPECT_TRUE(bare.file.cameras.empty());
    EXPECT_TRUE(bare.file.lights.empty());
}

std::uint32_t paint(int x, int y) { return (x + y) % 2 ? 0xFF102030u : 0xFFA0B0C0u; }

TEST_F(Import, ObjWithMaterialAndTextureFindsAndCopiesIt) {
    // Written on Windows: a backslash and another case than the disk's.
    test::writeTestPng(dir.path() / "model/textures/paint.png", 2, 2, paint);
    dir.write("model/box.obj", "mtllib box.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                               "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl painted\nf 1/1 2/2 3/3 4/4\n");
    dir.write("model/box.mtl", "newmtl painted\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 0.7 0.8 0.9\nNs 32\n"
                               "map_Kd Textures\\Paint.PNG\n");
    const auto imported = import("model/box.obj", "show/data/box.siv", "show/data");
    ConvertedModel& m = imported->model;
    ASSERT_EQ(m.file.meshes.size(), 1u);
    EXPECT_EQ(m.file.meshes[0].vertices.size(), 4u);
    EXPECT_EQ(m.file.meshes[0].faces.size(), 2u);
    const SivMaterial& mat = m.file.materials.at(0);
    EXPECT_FLOAT_EQ(mat.ambient.g, 0.2f);
    EXPECT_FLOAT_EQ(mat.diffuse.b, 0.6f);
    EXPECT_FLOAT_EQ(mat.specular.r, 0.7f);
    EXPECT_FLOAT_EQ(mat.power, 32.0f);
    ASSERT_EQ(m.file.textures.size(), 1u);
    EXPECT_EQ(mat.textureId, m.file.textures[0].textureId);
    EXPECT_EQ(sivTextureName(m.file.textures[0]).value_or(""), "paint.png");
    for (const SivVertex& v : m.file.meshes[0].vertices) {
        // Normals made where the file had none, facing the viewer (the player's -z); texture
        // rows counted from the top as the player reads them.
        EXPECT_NEAR(v.normal.z, -1, 1e-5);
        if (v.position.x < 0 && v.position.y < 0) {
            EXPECT_FLOAT_EQ(v.v, 1.0f) << "OBJ's v = 0 is the bottom row";
        }
    }
    const auto images = openImageFiles();
    copyTextures(m.textures, *images);
    const auto copied = images->read(path("show/data/paint.png"));
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->pixels[1], paint(1, 0));
}

TEST_F(Import, GlbEmbeddedTextureIsWrittenOutAsPng) {
    test::writeTestPng(dir.path() / "pixels.png", 2, 2, paint);
    std::ifstream in(path("pixels.png"), std::ios::binary);
    gltf::Document doc;
    doc.images = {{"", std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})}};
    doc.materials = {{"skin", {1, 1, 1, 1}, true, 0}};
    doc.meshes = {quad("q", 0, 0, 1, 0)};
    doc.nodes = {{"q", 0, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    doc.roots = {0};
    gltf::write(doc, path("skin.glb"));

    const auto missingCopy = import("skin.glb", "out/skin.siv");
    ASSERT_EQ(missingCopy->model.textures.size(), 1u);
    EXPECT_NE(missingCopy->model.textures[0].problem.find("--copy-textures"), std::string::npos);

    const auto imported = import("skin.glb", "out/skin.siv", "out/pictures");
    ConvertedModel& m = imported->model;
    ASSERT_EQ(m.textures.size(), 1u);
    EXPECT_TRUE(m.textures[0].problem.empty()) << m.textures[0].problem;
    EXPECT_EQ(m.file.materials.at(0).twoSided, 1);
    const std::string name = sivTextureName(m.file.textures.at(0)).value_or("");
    EXPECT_EQ(name.rfind("pictures/", 0), 0u) << name << ": relative to the SIV file's folder";
    EXPECT_EQ(fs::path(name).extension(), ".png");
    const auto images = openImageFiles();
    copyTextures(m.textures, *images);
    const auto written = images->read(path("out/" + name));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->pixels[3], paint(1, 1));

    // A picture whose type names no plain format ("image/../", as long as "image/png") is
    // still written into the copy folder, under a name of its own, and makes no folder.
    std::ifstream glb(path("skin.glb"), std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(glb), {}};
    bytes.replace(bytes.find("image/png"), 9, "image/../");
    std::ofstream(path("odd.glb"), std::ios::binary) << bytes;
    const auto odd = import("odd.glb", "odd/odd.siv", "odd/pictures");
    ASSERT_EQ(odd->model.textures.size(), 1u);
    EXPECT_EQ(fs::path(odd->model.textures[0].copyPath).parent_path(), fs::path(path("odd/pictures")));
    copyTextures(odd->model.textures, *images);
    std::size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(path("odd"))) {
        EXPECT_TRUE(entry.is_regular_file() || entry.path() == fs::path(path("odd/pictures"))) << entry.path();
        ++entries;
    }
    EXPECT_EQ(entries, 2u) << "the copy folder and the one picture";
}

// What the player asks for when a show names a model: files found beside the model keep their
// place and are named from the show folder; only pictures inside the model are written out.
TEST_F(Import, TextureRootNamesFoundFilesWhereTheyLieAndCopiesOnlyEmbeddedPictures) {
    test::writeTestPng(dir.path() / "show/data/models/textures/paint.png", 2, 2, paint);
    dir.write("show/data/models/box.obj", "mtllib box.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                                          "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl painted\nf 1/1 2/2 3/3 4/4\n");
    dir.write("show/data/models/box.mtl", "newmtl painted\nKd 1 1 1\nmap_Kd textures\\Paint.PNG\n");
    ImportOptions options;
    options.textures.textureRoot = path("show");
    const auto found = import("show/data/models/box.obj", "cache/box.siv", "cache/embedded", options);
    ASSERT_EQ(found->model.textures.size(), 1u);
    const TexturePlan& file = found->model.textures[0];
    EXPECT_TRUE(file.problem.empty()) << file.problem;
    EXPECT_EQ(sivTextureName(found->model.file.textures.at(0)).value_or(""), "data/models/textures/paint.png");
    EXPECT_TRUE(file.copyPath.empty()) << "not copied: " << file.copyPath;
    const auto images = openImageFiles();
    copyTextures(found->model.textures, *images);
    EXPECT_FALSE(fs::exists(path("cache/embedded"))) << "nothing to write out";

    std::ifstream in(path("show/data/models/textures/paint.png"), std::ios::binary);
    gltf::Document doc;
    doc.images = {{"", std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})}};
    doc.materials = {{"skin", {1, 1, 1, 1}, false, 0}};
    doc.meshes = {quad("q", 0, 0, 1, 0)};
    doc.nodes = {{"q", 0, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    doc.roots = {0};
    gltf::write(doc, path("show/data/skin.glb"));
    const auto embedded = import("show/data/skin.glb", "cache/skin.siv", "cache/embedded", options);
    ASSERT_EQ(embedded->model.textures.size(), 1u);
    EXPECT_TRUE(embedded->model.textures[0].problem.empty()) << embedded->model.textures[0].problem;
    const std::string name = sivTextureName(embedded->model.file.textures.at(0)).value_or("");
    EXPECT_EQ(name.rfind("embedded/", 0), 0u) << name << ": a copy, relative to the SIV file's folder";
    copyTextures(embedded->model.textures, *images);
    const auto written = images->read(path("cache/" + name));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->pixels[2], paint(0, 1));
}

TEST_F(Import, ThreeDsWrittenByAssimpsExporterKeepsItsMeshAndMaterial) {
    dir.write("box.obj", "mtllib box.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nusemtl painted\nf 1 2 3 4\n");
    dir.write("box.mtl", "newmtl painted\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\n");
    Assimp::Importer importer;
    const aiScene* source = importer.ReadFile(path("box.obj"), importPostProcessing());
    ASSERT_TRUE(source);
    Assimp::Exporter exporter;
    ASSERT_EQ(exporter.Export(source, "3ds", path("box.3ds")), AI_SUCCESS) << exporter.GetErrorString();

    const auto imported = import("box.3ds");
    const ConvertedModel& m = imported->model;
    std::size_t faces = 0;
    for (const SivMesh& mesh : m.file.meshes) faces += mesh.faces.size();
    EXPECT_EQ(faces, 2u);
    const auto painted = std::find_if(m.file.materials.begin(), m.file.materials.end(),
                                      [](const SivMaterial& x) { return std::fabs(x.diffuse.r - 0.4f) < 1e-4; });
    ASSERT_NE(painted, m.file.materials.end());
    EXPECT_NEAR(painted->diffuse.g, 0.5f, 1e-4);
    EXPECT_NEAR(painted->diffuse.b, 0.6f, 1e-4);
}

// A slanted quad (the plane x + y = 1, facing away from the origin) under a node stretched
// four times along x: its normals are carried by the inverse transpose of the node's matrix,
// so they stay square to the stretched surface, and come out of unit length.
TEST_F(Import, NormalsUnderANonUniformlyScaledNodeStaySquareToTheSurface) {
    gltf::Document doc;
    gltf::Mesh roof;
    roof.name = "roof";
    roof.positions = {{1, 0, 0}, {0, 1, 0}, {0, 1, 1}, {1, 0, 1}};
    const float h = std::sqrt(0.5f);
    roof.normals = {{h, h, 0}, {h, h, 0}, {h, h, 0}, {h, h, 0}};
    roof.indices = {0, 1, 2, 0, 2, 3};
    doc.meshes = {roof};
    doc.nodes = {{"stretched", 0, -1, -1, {0, 0, 0}, {0, 0, 0, 1}, {4, 1, 1}, {}}};
    doc.roots = {0};
    gltf::write(doc, path("roof.gltf"));
    const auto imported = import("roof.gltf");
    const ConvertedModel& m = imported->model;
    ASSERT_EQ(m.file.meshes.size(), 1u);
    const SivMesh& mesh = m.file.meshes[0];
    ASSERT_EQ(mesh.vertices.size(), 4u);
    // The stretched plane is x / 4 + y = 1: its normal is (1/4, 1, 0) made unit (z mirrored: 0).
    const float k = 1 / std::sqrt(1 + 1.0f / 16);
    for (const SivVertex& v : mesh.vertices) {
        EXPECT_NEAR(distance(v.normal, {0.25f * k, k, 0}), 0, 1e-4) << v.normal.x << ", " << v.normal.y << ", " << v.normal.z;
        EXPECT_NEAR(distance(v.normal, {}), 1, 1e-5) << "of unit length";
    }
    for (const SivFace& f : mesh.faces) {
        const Vec3 a = mesh.vertices[std::size_t(f.indices[0])].position;
        for (int corner : {1, 2}) {
            const Vec3 b = mesh.vertices[std::size_t(f.indices[corner])].position;
            const Vec3 edge{b.x - a.x, b.y - a.y, b.z - a.z};
            const Vec3 n = mesh.vertices[std::size_t(f.indices[0])].normal;
            EXPECT_NEAR(edge.x * n.x + edge.y * n.y + edge.z * n.z, 0, 1e-4) << "the normal is square to every edge";
        }
    }
}

// A node moved and turned by keys from 1 s to 2 s that rests elsewhere and otherwise turned:
// before its first key it stands as at that key (the source's rest pose is never played),
// and between keys whose quaternions change sign it turns the short way (45 degrees half-way,
// not 135 the other way).
TEST_F(Import, MotionBeforeTheFirstKeyHoldsItAndSignChangingKeysTurnTheShortWay) {
    gltf::Document doc;
    doc.meshes = {quad("lift", 0, 0, 0.5f, -1)};
    doc.nodes = {{"lift", 0, -1, -1, {10, 0, 0}, aboutY(kPi), {1, 1, 1}, {}}};
    doc.roots = {0};
    const Quaternion quarter = aboutY(kPi / 2);
    gltf::Channel turn{0, "rotation", {1, 2}, {0, 0, 0, 1, -quarter.x, -quarter.y, -quarter.z, -quarter.w}};
    gltf::Channel rise{0, "translation", {1, 2}, {0, 0, 0, 0, 2, 0}};
    doc.channels = {turn, rise};
    gltf::write(doc, path("lift.gltf"));
    const auto imported = import("lift.gltf");
    const ConvertedModel& m = imported->model;
    ASSERT_EQ(m.file.meshes.size(), 1u);
    const SivMesh& mesh = m.file.meshes[0];

    TCBCurve<Vec3> position;
    LinearQuaternionCurve rotation;
    const SivTrackIndex tracks(m.file.tracks);
    fillSivCurve(tracks, mesh.header.objectId, kSivTrackPosition, position, mesh.header.position);
    fillSivCurve(tracks, mesh.header.objectId, kSivTrackRotation, rotation, mesh.header.rotation);
    for (float t : {0.0f, 0.5f, 0.99f, 1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 3.0f}) {
        SCOPED_TRACE(t);
        const float into = std::clamp(t - 1, 0.0f, 1.0f);
        EXPECT_NEAR(distance(position.evaluate(t), {0, 2 * into, 0}), 0, 1e-3);
        // Turned about y by a quarter turn times `into`; mirrored into the player's frame.
        const Quaternion turned = aboutY(kPi / 2 * into);
        const Quaternion played = rotation.evaluate(t);
        EXPECT_LE(degreesBetween(played, {-turned.x, -turned.y, turned.z, turned.w}), 0.1);
        // A turn and nothing else: the player's matrix of a longer quaternion would scale too.
        EXPECT_NEAR(std::sqrt(played.x * played.x + played.y * played.y + played.z * played.z + played.w * played.w), 1, 1e-3);
    }
}

TEST(ImportSplit, MeshesPastThePlayersIndexWidthAreSplitKeepingEveryTriangle) {
    // 70000 vertices in separate triangles but fewer than 65535 faces: 16-bit indices.
    std::vector<SivVertex> vertices(69999);
    for (std::size_t i = 0; i < vertices.size(); ++i) vertices[i].position = {float(i), 0, 0};
    std::vector<SivFace> faces;
    for (std::int32_t f = 0; f < 23333; ++f) faces.push_back({{3 * f, 3 * f + 1, 3 * f + 2}, 0});
    const std::vector<SivMesh> parts = splitForPlayer(vertices, faces);
    ASSERT_EQ(parts.size(), 2u);
    std::size_t total = 0;
    for (const SivMesh& part : parts) {
        EXPECT_LE(part.vertices.size(), 65535u);
        for (const SivFace& f : part.faces) {
            // Each triangle keeps its corners in order: x = 3f, 3f + 1, 3f + 2.
            const float first = part.vertices[std::size_t(f.indices[0])].position.x;
            EXPECT_EQ(part.vertices[std::size_t(f.indices[1])].position.x, first + 1);
            EXPECT_EQ(part.vertices[std::size_t(f.indices[2])].position.x, first + 2);
        }
        total += part.faces.size();
    }
    EXPECT_EQ(total, faces.size());
    EXPECT_EQ(splitForPlayer(vertices, std::vector<SivFace>(65535, faces[0])).size(), 1u)
        << "65535 faces get 32-bit indices: no split";
}

// A damaged file can reach the converter with a node naming a mesh the scene lacks or a face
// naming a vertex its mesh lacks (Assimp's readers do not check): a message, not a wild read.
TEST(ImportDamaged, ANodeOrFaceReferringPastWhatTheSceneHoldsIsRefused) {
    const auto scene = [](unsigned nodeMesh, unsigned corner) {
        // The scene owns what it points at: Assimp's types free their arrays themselves.
        auto s = std::make_unique<aiScene>();
        s->mRootNode = new aiNode("root");
        s->mRootNode->mNumMeshes = 1;
        s->mRootNode->mMeshes = new unsigned[1]{nodeMesh};
        s->mNumMaterials = 1;
        s->mMaterials = new aiMaterial*[1]{new aiMaterial()};
        auto* mesh = new aiMesh();
        mesh->mName = "tri";
        mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
        mesh->mNumVertices = 3;
        mesh->mVertices = new aiVector3D[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        mesh->mNumFaces = 1;
        mesh->mFaces = new aiFace[1];
        mesh->mFaces[0].mNumIndices = 3;
        mesh->mFaces[0].mIndices = new unsigned[3]{0, 1, corner};
        s->mNumMeshes = 1;
        s->mMeshes = new aiMesh*[1]{mesh};
        return s;
    };
    const auto failure = [](const aiScene& s) {
        try {
            convertModel(s, {});
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("converted");
    };
    EXPECT_EQ(failure(*scene(0, 2)), "converted");
    EXPECT_EQ(failure(*scene(0, 3)), "mesh \"tri\" of node \"root\": a face refers to vertex 3 of 3");
    EXPECT_EQ(failure(*scene(1, 2)), "node \"root\" refers to mesh 1 of 1");
}

TEST(ImportFit, StraightSegmentKeysReplayLinearMotionExactlyWhateverTheSpacing) {
    const std::vector<std::vector<float>> spacings = {{0, 1, 2, 3}, {0, 0.1f, 2, 2.2f, 5}, {0, 3, 3.5f}, {0, 4}};
    for (const std::vector<float>& times : spacings) {
        TCBCurve<Vec3> curve;
        std::vector<Vec3> values;
        for (std::size_t k = 0; k < times.size(); ++k) {
            values.push_back({float(k * k), float(k % 2) * 5, -float(k)});
            const StraightSegmentParameters p = straightSegmentParameters(times, k);
            curve.addKey({times[k], p.tension, p.continuity, p.bias, values[k]});
        }
        for (std::size_t k = 0; k + 1 < times.size(); ++k)
            for (int i = 0; i <= 50; ++i) {
                const float u = float(i) / 50, t = times[k] + (times[k + 1] - times[k]) * u;
                const Vec3 a = values[k], b = values[k + 1];
                const Vec3 line{a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u};
                EXPECT_LT(distance(curve.evaluate(t), line), 1e-4) << "key spacing from " << times[1] << " at " << t;
            }
    }
}

} // namespace
} // namespace zamp
