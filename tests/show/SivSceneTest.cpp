// Building scenes from parsed files: meshes with their index width, geometry, material and
// texture; the scene list's ownership and lookup; and the faults that end a load with a
// message instead of a bad scene, all found by the check pass before anything is built.
#include "support/SivTestSupport.h"

#include "platform/Platform.h"
#include "show/TextureRegistry.h"
#include "support/RecordingDevice.h"
#include "show/Scene.h"
#include "show/SivSceneBuilder.h"
#include "siv/SivSceneCheck.h"
#include "support/PictureBytes.h"

#include <algorithm>
#include <array>
#include <fstream>

#include <sys/stat.h>

using namespace zamp;
using namespace zamp::sivtest;

namespace {

class SivScene : public ::testing::Test {
protected:
    std::unique_ptr<Scene> build(const SivFile& file, const std::string& name = "scene") {
        return buildSivScene(device, *imageFiles, textures, checkSivScene(file, "f.siv"), name);
    }
    Failure buildFailure(const SivFile& file) {
        return failureOf([&] { build(file); });
    }
    // Loads through the file system and the scene list, as the script function does.
    Failure loadFailure(const SivFile& file, const std::string& name = "scene") {
        lastPath = dir.write(name + ".siv", encodeSivFile(file));
        return failureOf([&] { scenes.loadSiv(device, *imageFiles, textures, lastPath, name); });
    }

    test::RecordingDevice device;
    std::unique_ptr<ImageFiles> imageFiles = openImageFiles();
    TextureRegistry textures;
    SceneList scenes;
    ScratchDir dir;
    std::string lastPath;
};

// A strip of quads 256 wide, row after row, cut off after `faceCount` faces: every vertex is
// shared by a few faces only, as in real meshes.
SivMesh gridMesh(std::size_t faceCount) {
    constexpr std::int32_t kWidth = 256;
    SivMesh mesh;
    mesh.header.rotation = {0, 0, 0, 1};
    const auto rows = static_cast<std::int32_t>((faceCount + 2 * kWidth - 1) / (2 * kWidth));
    for (std::int32_t y = 0; y <= rows; ++y)
        for (std::int32_t x = 0; x <= kWidth; ++x) mesh.vertices.push_back(vertex(float(x), float(y), 0));
    auto at = [](std::int32_t x, std::int32_t y) { return y * (kWidth + 1) + x; };
    for (std::int32_t y = 0; y < rows && mesh.faces.size() < faceCount; ++y)
        for (std::int32_t x = 0; x < kWidth && mesh.faces.size() < faceCount; ++x) {
            mesh.faces.push_back(face(at(x, y), at(x, y + 1), at(x + 1, y + 1)));
            if (mesh.faces.size() < faceCount) mesh.faces.push_back(face(at(x, y), at(x + 1, y + 1), at(x + 1, y)));
        }
    return mesh;
}

using Triangle = std::array<std::array<float, 8>, 3>;

std::array<float, 8> corner(const MeshVertex& v) {
    return {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z, v.u, v.v};
}

// The mesh's triangles as vertex contents, each turned to start at its smallest corner (which
// keeps the winding), sorted: independent of face and vertex order.
std::vector<Triangle> triangles(const Mesh& mesh) {
    std::vector<Triangle> out;
    for (DWORD f = 0; f < mesh.faceCount(); ++f) {
        Triangle t;
        for (DWORD k = 0; k < 3; ++k) t[k] = corner(mesh.vertices()[mesh.index(f * 3 + k)]);
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Triangle> triangles(const SivMesh& mesh) {
    std::vector<Triangle> out;
    for (const SivFace& f : mesh.faces) {
        Triangle t;
        for (int k = 0; k < 3; ++k) {
            const SivVertex& v = mesh.vertices[static_cast<std::size_t>(f.indices[k])];
            t[static_cast<std::size_t>(k)] = {v.position.x, v.position.y, v.position.z, v.normal.x,
                                              v.normal.y,   v.normal.z,   v.u,          v.v};
        }
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST_F(SivScene, AFileWithNothingInItStillBecomesANamedScene) {
    EXPECT_EQ(loadFailure(SivFile{}, "empty").kind, Failure::None);
    ASSERT_EQ(scenes.size(), 1u);
    EXPECT_EQ(scenes[0].name, "empty");
    EXPECT_TRUE(scenes[0].meshes.empty() && scenes[0].cameras.empty() && scenes[0].lights.empty());
}

TEST_F(SivScene, ScenesAreAppendedInLoadOrderAndFoundByFirstExactName) {
    ASSERT_EQ(loadFailure(smallScene(), "a").kind, Failure::None);
    SivFile two = smallScene();
    two.cameras.push_back(two.cameras[0]);
    const std::string path = dir.write("two.siv", encodeSivFile(two));
    scenes.loadSiv(device, *imageFiles, textures, path, "b");
    scenes.loadSiv(device, *imageFiles, textures, path, "a"); // same name again: a second entry
    ASSERT_EQ(scenes.size(), 3u);
    EXPECT_EQ(scenes.find("a"), 0);
    EXPECT_EQ(scenes.find("b"), 1);
    EXPECT_EQ(scenes.find("A"), -1) << "names are compared case-sensitively";
    EXPECT_EQ(scenes.find("a "), -1);
    EXPECT_EQ(scenes[2].cameras.size(), 2u);
    EXPECT_EQ(&scenes.at(1), &scenes[1]);
    EXPECT_TRUE(device.log.empty()) << "loading sets no device state: " << device.log.front();
    EXPECT_THROW(scenes.at(3), std::out_of_range);
}

TEST_F(SivScene, AFailedLoadLeavesTheListUnchanged) {
    ASSERT_EQ(loadFailure(smallScene(), "good").kind, Failure::None);
    SivFile bad = smallScene();
    bad.meshes.push_back(quadMesh(2));
    bad.meshes[1].faces.clear(); // the mesh library refuses a mesh without faces
    const Failure f = loadFailure(bad, "bad");
    EXPECT_EQ(f.kind, Failure::Message);
    EXPECT_EQ(f.text, "D3DXCreateMeshFVF failed. (File " + lastPath + ", mesh 1: it has no faces.)");
    EXPECT_EQ(scenes.size(), 1u);
    EXPECT_EQ(scenes.find("bad"), -1);
    // Texture names of a failed file are the registry's; an unreadable one fails the load too.
    const Failure missing = failureOf([&] { scenes.loadSiv(device, *imageFiles, textures, dir.file("nope.siv"), "x"); });
    EXPECT_EQ(missing.text, dir.file("nope.siv") + " kan ikke åpnes. (It does not exist.)");
    EXPECT_EQ(scenes.size(), 1u);
}

TEST_F(SivScene, NamedPipesWhereFilesShouldBeAreRefusedNotWaitedOn) {
    // A pipe without a writer used to block the open for ever, for the scene file and for a
    // texture that a material names.
    const std::string pipe = dir.file("pipe.siv"), texturePipe = dir.file("pipe.png");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(texturePipe.c_str(), 0600), 0);
    EXPECT_EQ(failureOf([&] { scenes.loadSiv(device, *imageFiles, textures, pipe, "p"); }).text,
              pipe + " kan ikke åpnes. (It is not a regular file.)");
    SivFile file = smallScene();
    file.textures[0] = makeSivTextureEntry(5, texturePipe);
    EXPECT_EQ(loadFailure(file).text, "Error Loading Texture " + texturePipe + ": " + texturePipe +
                                          " is not a regular file.");
    EXPECT_EQ(scenes.size(), 0u);
}

TEST_F(SivScene, IndexWidthFollowsTheFaceCountAlone) {
    for (const std::size_t faces : {std::size_t{1}, std::size_t{65534}, std::size_t{65535}, std::size_t{70000}}) {
        SivFile file;
        file.meshes.push_back(gridMesh(faces));
        file.materials.push_back(material(1));
        const auto scene = build(file);
        const Mesh& mesh = *scene->meshes[0]->mesh;
        EXPECT_EQ(mesh.has32BitIndices(), faces >= 65535) << faces;
        EXPECT_EQ(mesh.options(), faces >= 65535 ? 0x111u : 0x110u) << faces;
        EXPECT_EQ(mesh.faceCount(), faces);
        EXPECT_EQ(triangles(mesh), triangles(file.meshes[0])) << faces;
    }
}

TEST_F(SivScene, MeshesKeepTheirTrianglesAndDropUnusedVertices) {
    SivFile file;
    SivMesh mesh;
    // A 3 x 3 grid of quads with one vertex that no face uses, in the middle of the array.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) mesh.vertices.push_back(vertex(float(x), float(y), 0, x / 3.0f, y / 3.0f));
    mesh.vertices.insert(mesh.vertices.begin() + 7, vertex(50, 50, 50));
    auto at = [](int x, int y) { return std::int32_t(y * 4 + x >= 7 ? y * 4 + x + 1 : y * 4 + x); };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            mesh.faces.push_back(face(at(x, y), at(x, y + 1), at(x + 1, y + 1)));
            mesh.faces.push_back(face(at(x, y), at(x + 1, y + 1), at(x + 1, y)));
        }
    file.meshes.push_back(mesh);
    file.materials.push_back(material(1));

    const auto scene = build(file);
    const Mesh& built = *scene->meshes[0]->mesh;
    EXPECT_EQ(built.vertexCount(), 16u) << "the unused vertex is compacted away";
    EXPECT_EQ(built.faceCount(), 18u);
    EXPECT_EQ(triangles(built), triangles(mesh));
    EXPECT_TRUE(std::all_of(built.attributes().begin(), built.attributes().end(), [](DWORD a) { return a == 0; }));
}

TEST_F(SivScene, ReservedBytesChangeNothing) {
    SivFile plain = smallScene();
    plain.meshes.push_back(quadMesh(10));
    plain.lights.push_back(light(kSivLightSpot));
    SivFile noisy = plain;
    std::uint8_t fill = 0x5A;
    for (auto& r : noisy.mainHeader.reserved) r = -1;
    for (SivMesh& m : noisy.meshes) {
        m.header.reserved0 = 99;
        for (auto& r : m.header.reserved1) r = 0x12345678;
        for (SivVertex& v : m.vertices) std::fill(std::begin(v.reserved), std::end(v.reserved), fill++);
    }
    for (SivMaterial& m : noisy.materials) {
        m.reserved0 = 1;
        m.reserved1 = 2;
        m.reserved2[0] = m.reserved2[1] = 3;
        m.reserved3[0] = m.reserved3[1] = m.reserved3[2] = 4;
    }
    for (SivCamera& c : noisy.cameras) std::fill(std::begin(c.reserved), std::end(c.reserved), 77);
    for (SivLight& l : noisy.lights) {
        l.reserved0 = 5;
        std::fill(std::begin(l.reserved1), std::end(l.reserved1), 6);
        std::fill(std::begin(l.reserved2), std::end(l.reserved2), 7);
        l.positionTrackId = 10; // a light's track ids are not used: a track 10 exists
        l.targetTrackId = 1;
    }
    for (SivTrackRecord& t : noisy.tracks) {
        t.header.reserved0 = 8;
        t.header.reserved1[0] = t.header.reserved1[1] = 9;
        t.header.reserved2 = 0x7FFFFFFF;
    }
    for (auto& name : noisy.sectionNames) name.fill('#');

    ASSERT_EQ(loadFailure(plain, "plain").kind, Failure::None);
    ASSERT_EQ(loadFailure(noisy, "noisy").kind, Failure::None);
    const Scene& a = scenes[0];
    const Scene& b = scenes[1];
    ASSERT_EQ(a.meshes.size(), b.meshes.size());
    for (std::size_t m = 0; m < a.meshes.size(); ++m) {
        const Mesh& ma = *a.meshes[m]->mesh;
        const Mesh& mb = *b.meshes[m]->mesh;
        EXPECT_TRUE(std::equal(ma.vertices().begin(), ma.vertices().end(), mb.vertices().begin(), mb.vertices().end()));
        EXPECT_TRUE(std::equal(ma.indices16().begin(), ma.indices16().end(), mb.indices16().begin(), mb.indices16().end()));
        EXPECT_EQ(a.meshes[m]->material, b.meshes[m]->material);
        EXPECT_EQ(a.meshes[m]->position.keyCount(), b.meshes[m]->position.keyCount());
    }
    ASSERT_EQ(a.lights.size(), b.lights.size());
    for (std::size_t l = 0; l < a.lights.size(); ++l)
        EXPECT_EQ(std::memcmp(&a.lights[l].light, &b.lights[l].light, sizeof(Light)), 0) << l;
    EXPECT_EQ(b.cameras[0].position.keyCount(), 2u);
}

TEST_F(SivScene, TheFirstFaceChoosesTheMaterialOfTheWholeMesh) {
    SivFile file;
    file.materials = {material(1.0f, -1, 0), material(0.5f, -1, 9), material(0.25f)};
    file.materials[1].diffuse = {0.1f, 0.2f, 0.3f};
    file.meshes.push_back(quadMesh(1));
    file.meshes[0].faces[0].materialIndex = 1;
    file.meshes[0].faces[1].materialIndex = 2;

    const auto scene = build(file);
    const SceneMesh& mesh = *scene->meshes[0];
    const Material expected{{0.1f, 0.2f, 0.3f, 1.0f},
                            {0.05f, 0.1f, 0.15f, 1.0f},
                            {0.35f, 0.4f, 0.45f, 1.0f},
                            {0, 0, 0, 0},
                            4.0f};
    EXPECT_EQ(mesh.material, expected) << "alpha 1 for every colour, black emissive, the record's power";
    EXPECT_TRUE(mesh.twoSided) << "any nonzero byte asks for both faces";
    EXPECT_FALSE(mesh.hasTexture);
    EXPECT_EQ(mesh.texture, nullptr);
}

TEST_F(SivScene, TheFirstTextureEntryWithTheMaterialsIdDecides) {
    TextureRecord& target = textures.createRenderTarget(device, "target.png", 8, 4);
    SivFile file;
    file.meshes = {quadMesh(1, 0), quadMesh(2, 1), quadMesh(3, 2), quadMesh(4, 3)};
    file.materials = {material(1, 7), material(1, 8), material(1, 9), material(1, 7)};
    // Id 7: a name that the registry knows. Id 8: first entry empty, the second would fail to
    // load if it were tried. Id 9: no entry at all.
    file.textures = {makeSivTextureEntry(8, ""), makeSivTextureEntry(7, "target.png"),
                     makeSivTextureEntry(8, "no-such-file.png"), makeSivTextureEntry(7, "other.png")};

    const auto scene = build(file);
    EXPECT_TRUE(scene->meshes[0]->hasTexture);
    EXPECT_EQ(scene->meshes[0]->texture, &target);
    EXPECT_FALSE(scene->meshes[1]->hasTexture);
    EXPECT_EQ(scene->meshes[1]->texture, nullptr);
    EXPECT_FALSE(scene->meshes[2]->hasTexture);
    EXPECT_EQ(scene->meshes[3]->texture, &target);
    EXPECT_EQ(textures.size(), 1u) << "nothing else was loaded";

    // A name that the registry cannot load ends the load with the registry's message.
    file.textures[1] = makeSivTextureEntry(7, "no-such-file.png");
    const Failure f = buildFailure(file);
    EXPECT_EQ(f.kind, Failure::Message);
    EXPECT_EQ(f.text, "Error Loading Texture no-such-file.png: no-such-file.png does not exist, nor does "
                      "data/no-such-file.png.");
}

TEST_F(SivScene, MendedFaultsEndTheLoadWithAMessage) {
    struct Case {
        const char* what;
        std::function<void(SivFile&)> damage;
        std::string message;
    };
    const Case cases[] = {
        {"negative material", [](SivFile& f) { f.meshes[1].faces[0].materialIndex = -1; },
         "File f.siv: mesh 1 uses material -1, but the file has 1 materials."},
        {"material past the end", [](SivFile& f) { f.meshes[1].faces[0].materialIndex = 1; },
         "File f.siv: mesh 1 uses material 1, but the file has 1 materials."},
        {"no materials", [](SivFile& f) { f.materials.clear(); },
         "File f.siv: mesh 0 uses material 0, but the file has 0 materials."},
        {"index equal to the vertex count", [](SivFile& f) { f.meshes[1].faces[1].indices[2] = 4; },
         "File f.siv: mesh 1 face 1 uses vertex 4, but the mesh has 4 vertices."},
        {"negative index", [](SivFile& f) { f.meshes[0].faces[0].indices[0] = -3; },
         "File f.siv: mesh 0 face 0 uses vertex -3, but the mesh has 4 vertices."},
        // 65536 + 1 would name vertex 1 once cut to 16 bits.
        {"index that 16 bits would wrap", [](SivFile& f) { f.meshes[0].faces[1].indices[1] = 65537; },
         "File f.siv: mesh 0 face 1 uses vertex 65537, but the mesh has 4 vertices."},
        {"texture name without end",
         [](SivFile& f) {
             f.textures[0] = makeSivTextureEntry(5, "");
             std::fill(std::begin(f.textures[0].fileName), std::end(f.textures[0].fileName), 'a');
         },
         "File f.siv: texture entry 0 has a file name with no ending zero byte."},
        {"no vertices",
         [](SivFile& f) {
             f.meshes[1].vertices.clear();
         },
         "D3DXCreateMeshFVF failed. (File f.siv, mesh 1: it has no vertices.)"},
        {"too many vertices for 16-bit indices",
         [](SivFile& f) { f.meshes[1].vertices.resize(65536, vertex(0, 0, 0)); },
         "D3DXCreateMeshFVF failed. (File f.siv, mesh 1: it has 65536 vertices, more than the 65535 that 16-bit "
         "indices (fewer than 65535 faces) can name.)"},
    };
    for (const Case& c : cases) {
        SivFile file = smallScene();
        file.meshes.push_back(quadMesh(2));
        c.damage(file);
        const Failure f = loadFailure(file);
        EXPECT_EQ(f.kind, Failure::Message) << c.what;
        std::string expected = c.message;
        if (const std::size_t at = expected.find("File f.siv"); at != std::string::npos)
            expected.replace(at + 5, 5, lastPath);
        EXPECT_EQ(f.text, expected) << c.what;
        // The device-free check that tools use finds the same fault.
        EXPECT_EQ(failureOf([&] { checkSivScene(file, "f.siv"); }).text, c.message) << c.what;
        EXPECT_EQ(scenes.size(), 0u) << c.what;
    }
    // Just inside every limit the same file loads.
    SivFile file = smallScene();
    file.meshes.push_back(quadMesh(2));
    file.meshes[1].vertices.resize(65535, vertex(0, 0, 0));
    file.meshes[1].faces[1].indices[2] = 65534;
    EXPECT_EQ(loadFailure(file).kind, Failure::None);
    EXPECT_EQ(failureOf([&] { checkSivScene(file, "f.siv"); }).kind, Failure::None);
}

TEST_F(SivScene, EveryFaultOfTheFileIsFoundBeforeATextureIsLoaded) {
    // Mesh 0 names a picture that loads, mesh 1 one that does not exist. The check pass runs
    // whole before building starts: a fault of the file, wherever it is, leaves the registry
    // untouched and is the message, and a texture is the one thing left to fail once it passes.
    const std::string picture = dir.file("tex.png");
    std::ofstream(picture, std::ios::binary) << test::pngPicture(2, 2, 0xFF336699);
    SivFile file = smallScene();
    file.textures = {makeSivTextureEntry(5, picture), makeSivTextureEntry(6, dir.file("missing.png"))};
    file.materials.push_back(material(1, 6));
    file.meshes.push_back(quadMesh(2, 1));
    struct Case {
        const char* what;
        std::function<void(SivFile&)> damage;
        std::string message;
    };
    const Case cases[] = {
        {"a face of the last mesh", [](SivFile& f) { f.meshes[1].faces[1].indices[0] = 9; },
         "mesh 1 face 1 uses vertex 9, but the mesh has 4 vertices."},
        {"a camera's track", [](SivFile& f) { f.tracks[0].keys.clear(); },
         "camera 0 has no position: its position track 0 (object 10) has no keys (key count 0)."},
    };
    for (const Case& c : cases) {
        SivFile damaged = file;
        c.damage(damaged);
        const Failure f = loadFailure(damaged);
        EXPECT_EQ(f.text, "File " + lastPath + ": " + c.message) << c.what;
        EXPECT_EQ(textures.size(), 0u) << c.what << ": no texture is loaded for a file that fails its checks";
    }
    const Failure texture = loadFailure(file);
    EXPECT_EQ(texture.text.rfind("Error Loading Texture " + dir.file("missing.png") + ": ", 0), 0u) << texture.text;
    EXPECT_EQ(textures.size(), 1u) << "mesh 0's texture was loaded before mesh 1's failed";
    EXPECT_EQ(scenes.size(), 0u);
}
