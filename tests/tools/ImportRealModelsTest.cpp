// siv import on models that modelling programs wrote (the model library's own test files,
// Debian's assimp-testmodels): cameras where the file puts them, the side that was up and
// the file's unit, texture paths as the programs write them, no mesh the file does not have,
// materials that answer the ambient light, cameras that frame what they framed, and
// summaries that say what happened.
#include "SivCommandSupport.h"
#include "import/ImportCommand.h"
#include "import/ImportReport.h"
#include "import/ThreeDsCameras.h"

#include "core/Error.h"
#include "core/FileWrite.h"
#include "platform/Platform.h"
#include "siv/SivParse.h"
#include "siv/SivWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zamp {
namespace {

using namespace sivtool;
namespace fs = std::filesystem;
using test::Outcome;
using test::SivCommand;

std::string models() {
    const char* custom = std::getenv("ZAMP_TEST_MODELS");
    return custom ? custom : "/usr/share/assimp/models";
}

std::string model(const std::string& name) { return models() + "/" + name; }

double distance(const Vec3& a, const Vec3& b) {
    return std::sqrt(double(a.x - b.x) * (a.x - b.x) + double(a.y - b.y) * (a.y - b.y) + double(a.z - b.z) * (a.z - b.z));
}

struct Box {
    Vec3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    Vec3 size() const { return {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z}; }
};

Box boundsOf(const SivFile& file) {
    Box b;
    for (const SivMesh& m : file.meshes)
        for (const SivVertex& v : m.vertices) {
            const Vec3 p{v.position.x + m.header.position.x, v.position.y + m.header.position.y,
                         v.position.z + m.header.position.z};
            b.lo = {std::min(b.lo.x, p.x), std::min(b.lo.y, p.y), std::min(b.lo.z, p.z)};
            b.hi = {std::max(b.hi.x, p.x), std::max(b.hi.y, p.y), std::max(b.hi.z, p.z)};
        }
    return b;
}

class RealModels : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(model("3DS/CameraRollAnim.3ds"))) GTEST_SKIP() << "assimp-testmodels is not installed";
    }
    static std::unique_ptr<ModelImport> import(const std::string& name, ImportOptions options = {},
                                               std::optional<UpAxis> up = std::nullopt) {
        return importModel(model(name), options, "", "", false, up);
    }
    static bool lists(const std::vector<std::string>& lines, const std::string& part) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
};

// The file's camera at (-153.08, 3.27, 22.78), z up, is at (-153.08, 22.78, 3.27) in the
// player's frame, and looks at the target the file keeps for it, not straight up.
TEST_F(RealModels, ThreeDsCamerasStandWhereTheFilePutsThemAndLookAtTheirTargets) {
    const auto roll = import("3DS/CameraRollAnim.3ds");
    ASSERT_EQ(roll->model.file.cameras.size(), 1u);
    const SivCamera& c = roll->model.file.cameras[0];
    const auto raw = readThreeDsCameras(model("3DS/CameraRollAnim.3ds")).at("Camera01");
    const double sourceDistance = distance(raw.position, raw.target);
    const Vec3 target{raw.target.x, raw.target.z, raw.target.y};
    EXPECT_LT(distance(c.target, target), 0.01) << "the file's target, converted";
    // The eye stays on the line from the target through the file's eye, moved to frame the
    // file's 41.3 degrees with the player's 58.3.
    const Vec3 eye{raw.position.x, raw.position.z, raw.position.y};
    const double factor = std::tan(41.28 / 2 * M_PI / 180) / std::tan(58.31 / 2 * M_PI / 180);
    const Vec3 framed{float(target.x + (eye.x - target.x) * factor), float(target.y + (eye.y - target.y) * factor),
                      float(target.z + (eye.z - target.z) * factor)};
    EXPECT_LT(distance(c.position, framed), 0.01 * sourceDistance);
    EXPECT_EQ(c.positionTrackId, -1) << "the camera only rolls: its eye does not move";
    EXPECT_TRUE(lists(roll->model.dropped, "camera \"Camera01\": its roll")) << "the animated roll is reported as dropped";

    // With --keep-eye the eye is exactly where the file has it.
    ImportOptions keep;
    keep.keepEye = true;
    const auto kept = import("3DS/CameraRollAnim.3ds", keep);
    EXPECT_LT(distance(kept->model.file.cameras[0].position, eye), 0.01);

    // A moving target arrives as the camera's target track: at its last key (frame 60) the
    // target of the file.
    const auto moving = import("3DS/TargetCameraAnim.3ds", keep);
    const SivFile& f = moving->model.file;
    ASSERT_EQ(f.cameras.size(), 1u);
    ASSERT_GE(f.cameras[0].targetTrackId, 0);
    const auto track = std::find_if(f.tracks.begin(), f.tracks.end(),
                                    [&](const SivTrackRecord& t) { return t.header.objectId == f.cameras[0].targetTrackId; });
    ASSERT_NE(track, f.tracks.end());
    EXPECT_LT(distance(track->keys.back().value, {100.41f, 0, 28.2159f}), 0.01);
    EXPECT_FALSE(lists(moving->model.dropped, "roll"));
}

TEST_F(RealModels, ThreeDsCameraShowsItsModelInThePlayer) {
    test::TempDir dir;
    fs::create_directories(dir.path() / "show/data");
    const auto imported = importModel(model("3DS/CameraRollAnim.3ds"), {}, (dir.path() / "show/data/m.siv").string(), "");
    writeFileReplacing((dir.path() / "show/data/m.siv").string(), encodeSivFile(imported->model.file));
    std::ofstream(dir.path() / "show/data/script.lua") << R"(
        endtime(1)
        setambientcolor(255, 255, 255)
        loadsiv("data/m.siv", "m")
        local s = layer(1, "m", 0, 0, 0, 2, 1)
        start(0, s) stop(1, s)
    )";
    const auto played = test::runZamp({"--render", "out", "--size", "160x120", "--at", "0", "show"}, dir.path());
    ASSERT_EQ(played.exitCode, 0) << played.err;
    const auto frame = openImageFiles()->read((dir.path() / "out/frame_000000.png").string());
    ASSERT_TRUE(frame);
    std::size_t lit = 0;
    for (std::uint32_t p : frame->pixels) lit += (p & 0xFFFFFF) != 0;
    EXPECT_GT(lit, frame->pixels.size() / 20) << "the box fills part of the frame, as in the file's camera";
}

TEST_F(RealModels, ModelsStandUpInOneScaleWhateverTheProgramThatMadeThem) {
    // Blender works z-up: a human stands along the player's y.
    const auto human = import("BLEND/HUMAN.blend");
    const Vec3 size = boundsOf(human->model.file).size();
    EXPECT_GT(size.y, 2 * size.x);
    EXPECT_GT(size.y, 2 * size.z);
    EXPECT_NE(human->model.frame.find("z up (the file's)"), std::string::npos) << human->model.frame;

    // The same spider from Blender as FBX (centimetres) and OBJ: one size.
    const auto fbx = import("FBX/spider.fbx");
    const auto obj = import("OBJ/spider.obj");
    const Vec3 a = boundsOf(fbx->model.file).size(), b = boundsOf(obj->model.file).size();
    EXPECT_NEAR(a.x / b.x, 1.0, 0.01);
    EXPECT_NEAR(a.y / b.y, 1.0, 0.01);
    EXPECT_NEAR(a.z / b.z, 1.0, 0.01);
    EXPECT_NE(fbx->model.frame.find("1 unit = 0.01 m"), std::string::npos) << fbx->model.frame;

    // --up z turns a model whose file says nothing: its height and depth trade places.
    const auto standing = import("OBJ/WusonOBJ.obj");
    const auto turned = import("OBJ/WusonOBJ.obj", {}, UpAxis::Z);
    const Vec3 s = boundsOf(standing->model.file).size(), t = boundsOf(turned->model.file).size();
    EXPECT_NEAR(s.y, t.z, 1e-3 * s.y);
    EXPECT_NEAR(s.z, t.y, 1e-3 * s.z);
    EXPECT_NE(turned->model.frame.find("z up (--up)"), std::string::npos) << turned->model.frame;
    // And --up y stands a Blender model the other way.
    const auto asIs = import("BLEND/HUMAN.blend", {}, UpAxis::Y);
    EXPECT_GT(boundsOf(asIs->model.file).size().z, 2 * boundsOf(asIs->model.file).size().y);
}

TEST_F(RealModels, TexturesAreFoundAsModellingProgramsWriteTheirPaths) {
    struct Case {
        std::string model, reference, found;
    } cases[] = {
        {"Collada/teapots.DAE", "..\\LWO\\LWO2\\MappingModes\\earthSpherical.jpg", "LWO/LWO2/MappingModes/earthSpherical.jpg"},
        {"Collada/earthCylindrical.DAE", "\\..\\LWO\\LWO2\\MappingModes\\EarthCylindric.jpg",
         "LWO/LWO2/MappingModes/earthCylindric.jpg"},
        {"MD2/faerie.md2", "$texture_dummy.bmp", "MD2/faerie2.bmp"},
    };
    for (const Case& c : cases) {
        const auto imported = import(c.model);
        const auto& plans = imported->model.textures;
        const auto plan = std::find_if(plans.begin(), plans.end(), [&](const TexturePlan& p) { return p.reference == c.reference; });
        ASSERT_NE(plan, plans.end()) << c.model;
        EXPECT_TRUE(plan->problem.empty()) << plan->problem;
        EXPECT_EQ(fs::canonical(plan->sourcePath), fs::canonical(model(c.found))) << c.model;
        EXPECT_GT(imported->model.file.materials[0].textureId + 1, 0) << c.model;
    }

    // An absolute path of the author's machine: found by its name in --textures folders.
    ImportOptions options;
    options.textures.searchFolders = {model("OBJ")};
    const auto spider = import("FBX/spider.fbx", options);
    EXPECT_EQ(spider->model.textures.size(), 4u);
    for (const TexturePlan& t : spider->model.textures) EXPECT_TRUE(t.problem.empty()) << t.problem;
}

TEST_F(SivCommand, AMissingTextureIsAWarningUnlessStrict) {
    if (!fs::exists(model("FBX/spider.fbx"))) GTEST_SKIP() << "assimp-testmodels is not installed";
    const Outcome lenient = run("import '" + model("FBX/spider.fbx") + "' '" + path("spider.siv") + "'");
    ASSERT_EQ(lenient.exitCode, 0) << lenient.err;
    EXPECT_NE(lenient.out.find("0 textures"), std::string::npos) << lenient.out;
    EXPECT_NE(lenient.out.find("4 textures not found: D:\\projects\\"), std::string::npos) << lenient.out;
    EXPECT_NE(lenient.err.find("siv import: warning: 4 textures not found"), std::string::npos) << lenient.err;
    const SivFile file = readSivFile(path("spider.siv"));
    EXPECT_TRUE(file.textures.empty());
    for (const SivMaterial& m : file.materials) EXPECT_EQ(m.textureId, -1);

    const Outcome found = run("import --textures '" + model("OBJ") + "' '" + model("FBX/spider.fbx") + "' '" + path("found.siv") + "'");
    ASSERT_EQ(found.exitCode, 0) << found.err;
    EXPECT_NE(found.out.find("4 textures,"), std::string::npos) << found.out;

    const Outcome strict = run("import --strict '" + model("FBX/spider.fbx") + "' '" + path("strict.siv") + "'");
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_NE(strict.err.find("texture D:\\projects\\assimp_int\\test\\models\\OBJ\\drkwood2.jpg cannot be found"),
              std::string::npos) << strict.err;
    EXPECT_FALSE(fs::exists(path("strict.siv")));
}

TEST_F(SivCommand, AFileWithoutTrianglesIsRefusedNotGivenAMadeUpMesh) {
    if (!fs::exists(model("Collada/cameras.dae"))) GTEST_SKIP() << "assimp-testmodels is not installed";
    for (const char* name : {"Collada/cameras.dae", "Collada/lights.dae"}) {
        const Outcome r = run("import '" + model(name) + "' '" + path("out.siv") + "'");
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find("the model holds no triangles to show"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(path("out.siv")));
    }
    const Outcome cameras = run("import '" + model("Collada/cameras.dae") + "' '" + path("out.siv") + "'");
    EXPECT_NE(cameras.err.find("(3 cameras and 0 lights only"), std::string::npos) << cameras.err;
}

TEST_F(RealModels, BlackAmbientBecomesTheDiffuseColourUnlessKept) {
    const auto duck = import("Collada/duck.dae");
    ASSERT_EQ(duck->model.file.materials.size(), 1u);
    const SivMaterial& m = duck->model.file.materials[0];
    EXPECT_EQ(m.ambient.r, m.diffuse.r);
    EXPECT_EQ(m.ambient.g, m.diffuse.g);
    EXPECT_EQ(m.ambient.b, m.diffuse.b);
    EXPECT_GT(m.ambient.r + m.ambient.g + m.ambient.b, 0.5f);
    EXPECT_TRUE(lists(duck->model.notes, "ambient = diffuse in 1 material")) << "the summary says so";

    ImportOptions keep;
    keep.keepAmbient = true;
    const auto kept = import("Collada/duck.dae", keep);
    const SivMaterial& k = kept->model.file.materials[0];
    EXPECT_EQ(k.ambient.r + k.ambient.g + k.ambient.b, 0.0f);
    EXPECT_FALSE(lists(kept->model.notes, "ambient"));
}

TEST_F(RealModels, TheModelsCameraFramesWhatItFramedInTheSource) {
    // The duck's camera sees 37.85 degrees: the eye moves closer along its view.
    ImportOptions keep;
    keep.keepEye = true;
    const auto far = import("Collada/duck.dae", keep);
    const auto framed = import("Collada/duck.dae");
    const SivCamera& a = far->model.file.cameras[0];
    const SivCamera& b = framed->model.file.cameras[0];
    const double expected = std::tan(37.85 / 2 * M_PI / 180) / std::tan(58.31 / 2 * M_PI / 180);
    EXPECT_NEAR(distance(b.position, b.target) / distance(a.position, a.target), expected, 0.002);
    EXPECT_LT(distance(a.target, b.target), 1e-3) << "the target stays";
    EXPECT_TRUE(lists(framed->model.warnings, "its eye moves to"));

    // Two cameras, the second orthographic: --camera picks camera 0 by number or name, and
    // the orthographic one becomes a perspective camera with a warning.
    const auto both = import("glTF2/cameras/Cameras.gltf");
    ASSERT_EQ(both->model.file.cameras.size(), 2u);
    EXPECT_TRUE(lists(both->model.warnings, "\"nodes[2]\" is orthographic"));
    ImportOptions second;
    second.camera = "1";
    const auto chosen = import("glTF2/cameras/Cameras.gltf", second);
    EXPECT_EQ(chosen->model.file.cameras[0].position.z, both->model.file.cameras[1].position.z);
    second.camera = "nodes[2]";
    const auto byName = import("glTF2/cameras/Cameras.gltf", second);
    EXPECT_EQ(byName->model.file.cameras[0].position.z, both->model.file.cameras[1].position.z);
    second.camera = "7";
    EXPECT_THROW(import("glTF2/cameras/Cameras.gltf", second), Error);
}

TEST_F(RealModels, SummariesTellWhatMovesAndWhatWasDropped) {
    // Testwuson's first animation has tracks of one key: a pose, not motion; its bones'
    // motion is skeletal and dropped.
    const auto wuson = import("X/Testwuson.X");
    EXPECT_EQ(wuson->model.counts.tracks, 0u);
    EXPECT_TRUE(lists(wuson->model.dropped, "its skin (37 bones)"));
    // MD2 animates whole frames of vertices.
    const auto faerie = import("MD2/faerie.md2");
    EXPECT_TRUE(lists(faerie->model.dropped, "vertex animation of 198 frames"));
    // Bones moved by the animation are named as skeletal motion.
    const auto huesitos = import("FBX/huesitos.fbx");
    EXPECT_TRUE(lists(huesitos->model.dropped, "the skeletal motion of 9 bones"));
    // One camera is "1 camera".
    const std::string line = importSummary(faerie->model, "faerie.md2", "faerie.siv");
    EXPECT_NE(line.find("1 camera (made)"), std::string::npos) << line;
    EXPECT_NE(line.find("vertex animation of 198 frames"), std::string::npos) << line;
}

} // namespace
} // namespace zamp
