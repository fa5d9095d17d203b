// The siv program as a user runs it: exit codes, where messages go, and a build followed by
// info on the file it wrote.
#include "core/Error.h"
#include "platform/Platform.h"
#include "show/Scene.h"
#include "show/TextureRegistry.h"
#include "siv/SivWriter.h"
#include "support/RecordingDevice.h"
#include "support/SivRecords.h"

#include "SivCommandSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

using zamp::test::SivCommand;
using zamp::test::Outcome;

const char* kDescription = R"(
return {
  textures = { { id = 1, file = "crate.png" } },
  materials = { { diffuse = {1, 0.5, 0}, texture = 1 } },
  meshes = { { id = 3, primitive = "torus", radius = 2, tube = 0.5 } },
  cameras = { { position = {0, 2, -8}, positionTrack = 50 } },
  lights = { { kind = "directional", direction = {0, -1, 1} } },
  tracks = { { kind = "position", object = 50, keys = { { time = 0, value = {0, 2, -8} }, { time = 4, value = {8, 2, 0} } } } },
}
)";

} // namespace

TEST_F(SivCommand, WrongUsageExitsWithTwoAndAUsageLine) {
    for (const char* arguments : {"", "frobnicate", "info", "info a b", "info --bogus f", "build only-one"}) {
        const Outcome r = run(arguments);
        EXPECT_EQ(r.exitCode, 2) << arguments;
        EXPECT_EQ(r.err.rfind("Usage: siv ", 0), 0u) << arguments;
        EXPECT_TRUE(r.out.empty()) << arguments;
    }
    const Outcome help = run("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: siv ", 0), 0u);
}

TEST_F(SivCommand, BuildThenInfoShowsWhatTheDescriptionAskedFor) {
    writeText("scene.lua", kDescription);
    const Outcome built = run("build '" + path("scene.lua") + "' '" + path("scene.siv") + "'");
    ASSERT_EQ(built.exitCode, 0) << built.err;
    EXPECT_NE(built.out.find(": 1 mesh, 1 texture, 1 material, 1 camera, 1 light, 1 track ("), std::string::npos) << built.out;

    const Outcome info = run("info --keys '" + path("scene.siv") + "'");
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(info.err.empty()) << info.err;
    for (const char* expected :
         {"header: 1 mesh, 1 texture, 1 material, 1 camera, 1 light, 1 track", "[0] object 3: 325 vertices, 576 faces, material 0, 16-bit indices",
          "[0] id 1: \"crate.png\"", "diffuse (1, 0.5, 0)", "texture id 1, one-sided", "(track id 50)",
          "[0] directional (kind 4)", "[0] position (kind 1) of object 50: 2 keys, times 0 .. 4", "t 4: value (8, 2, 0)"}) {
        EXPECT_NE(info.out.find(expected), std::string::npos) << expected << "\n" << info.out;
    }
}

TEST_F(SivCommand, InfoShowsWindows1252TextureNamesAsUtf8) {
    // Names inside SIV files come from Windows: 0xE5 is an a with a ring there.
    zamp::SivFile file;
    file.textures = {zamp::makeSivTextureEntry(1, "bl\xE5 \x80.png")};
    zamp::writeBinaryFile(path("names.siv"), zamp::encodeSivFile(file));
    const Outcome info = run("info '" + path("names.siv") + "'");
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("[0] id 1: \"bl\xC3\xA5 \xE2\x82\xAC.png\""), std::string::npos) << info.out;
}

TEST_F(SivCommand, BuildWritesNoSceneThePlayerWouldRefuse) {
    // 1025 lights: one more than the player takes in a scene.
    writeText("lights.lua", "local l = {} for i = 1, 1025 do l[i] = { kind = 'point', position = {0, 0, 0}, "
                            "color = {1, 1, 1} } end return { lights = l }");
    const Outcome over = run("build '" + path("lights.lua") + "' '" + path("lights.siv") + "'");
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_EQ(over.err, "File " + path("lights.siv") + ": the scene has 1025 lights, more than the 1024 the player takes.\n");
    EXPECT_FALSE(std::filesystem::exists(path("lights.siv")));
    writeText("lights.lua", "local l = {} for i = 1, 1024 do l[i] = { kind = 'point', position = {0, 0, 0}, "
                            "color = {1, 1, 1} } end return { lights = l }");
    EXPECT_EQ(run("build '" + path("lights.lua") + "' '" + path("lights.siv") + "'").exitCode, 0);
}

TEST_F(SivCommand, BadFilesGiveThePlayersMessageAndExitOne) {
    const Outcome missing = run("info '" + path("nothing.siv") + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, path("nothing.siv") + " kan ikke \xC3\xA5pnes. (It does not exist.)\n")
        << "printed as UTF-8";
    EXPECT_TRUE(missing.out.empty());
    // A file name that is not UTF-8 (0xE5 from Windows-1252) is shown as UTF-8 too.
    const Outcome latin = run("info '" + path("bl\xE5.siv") + "'");
    EXPECT_EQ(latin.exitCode, 1);
    EXPECT_EQ(latin.err, path("bl\xC3\xA5.siv") + " kan ikke \xC3\xA5pnes. (It does not exist.)\n");

    writeText("raw.siv", "PSIV\x07");
    const Outcome raw = run("info '" + path("raw.siv") + "'");
    EXPECT_EQ(raw.exitCode, 1);
    EXPECT_EQ(raw.err, "File " + path("raw.siv") + " is not a SIV file.\n");

    // A readable file whose mesh names a material that does not exist: listed, then refused.
    zamp::SivFile file;
    file.meshes.resize(1);
    file.meshes[0].vertices.resize(3);
    file.meshes[0].faces = {zamp::SivFace{{0, 1, 2}, 4}};
    zamp::writeBinaryFile(path("badmaterial.siv"), zamp::encodeSivFile(file));
    const Outcome badMaterial = run("info '" + path("badmaterial.siv") + "'");
    EXPECT_EQ(badMaterial.exitCode, 1);
    EXPECT_NE(badMaterial.out.find("[0] object 0: 3 vertices, 1 face, material 4"), std::string::npos)
        << badMaterial.out;
    EXPECT_EQ(badMaterial.err, "File " + path("badmaterial.siv") + ": mesh 0 uses material 4, but the file has 0 materials.\n");

    // A position track without keys: the player used to accept it and fail at the first frame
    // naming nothing; info and the player now both refuse it at load, naming it.
    file.meshes[0].faces[0].materialIndex = 0;
    file.materials.resize(1);
    file.tracks.resize(1);
    file.tracks[0].header.kind = 1;
    zamp::writeBinaryFile(path("notrack.siv"), zamp::encodeSivFile(file));
    const Outcome noKeys = run("info '" + path("notrack.siv") + "'");
    EXPECT_EQ(noKeys.exitCode, 1);
    EXPECT_EQ(noKeys.err, "File " + path("notrack.siv") +
                              ": mesh 0 has no position: its position track 0 (object 0) has no keys (key count 0).\n");

    // A named pipe where the file should be: refused at once, not waited on.
    ASSERT_EQ(mkfifo(path("pipe.siv").c_str(), 0600), 0);
    const Outcome pipe = run("info '" + path("pipe.siv") + "'");
    EXPECT_EQ(pipe.exitCode, 1);
    EXPECT_EQ(pipe.err, path("pipe.siv") + " kan ikke \xC3\xA5pnes. (It is not a regular file.)\n");

    writeText("scene2.lua", "return { meshes = { { primitive = 'plane' } } }");
    const Outcome badDescription = run("build '" + path("scene2.lua") + "' '" + path("bad.siv") + "'");
    EXPECT_EQ(badDescription.exitCode, 1);
    EXPECT_EQ(badDescription.err, path("scene2.lua") +
                                      ": meshes[1].material: no material 0 (materials are numbered from 0; there are 0)\n");
    EXPECT_FALSE(std::filesystem::exists(path("bad.siv")));
}

TEST_F(SivCommand, InfoAndThePlayerRefuseABadFileWithTheSameFirstMessage) {
    // Both run the one check pass: for a file with two faults both name the one that the
    // player's order meets first. A texture file that does not load is the player's alone.
    using namespace zamp::sivtest;
    auto playerMessage = [](const std::string& file) -> std::string {
        zamp::test::RecordingDevice device;
        const auto imageFiles = zamp::openImageFiles();
        zamp::TextureRegistry textures;
        zamp::SceneList scenes;
        try {
            scenes.loadSiv(device, *imageFiles, textures, file, "s");
        } catch (const zamp::Error& e) {
            return e.what();
        }
        return "(loaded)";
    };
    struct Case {
        const char* name;
        std::function<void(zamp::SivFile&)> damage;
        std::string first; // after "File PATH: "
    };
    const Case cases[] = {
        {"curves-then-faces.siv",
         [](zamp::SivFile& f) {
             f.meshes[1].faces[0].indices[1] = -2;
             f.tracks.push_back(track(zamp::kSivTrackRotation, 1, {}));
         },
         "mesh 0 has no rotation: its rotation track 1 (object 1) has no keys (key count 0)."},
        {"texture-then-camera.siv",
         [](zamp::SivFile& f) {
             f.tracks[0].keys.clear();
             std::fill(std::begin(f.textures[0].fileName), std::end(f.textures[0].fileName), 'x');
         },
         "texture entry 0 has a file name with no ending zero byte."},
        {"budget-then-faces.siv",
         [](zamp::SivFile& f) {
             f.meshes.assign(20, quadMesh(10));
             f.meshes[0].faces.clear();
         },
         "its meshes and cameras would copy 42 keys from its tracks, more than 4 times the 2 keys the tracks hold "
         "(many meshes or cameras share one object id)."},
    };
    for (const Case& c : cases) {
        zamp::SivFile file = smallScene();
        file.meshes.push_back(quadMesh(2));
        c.damage(file);
        zamp::writeBinaryFile(path(c.name), zamp::encodeSivFile(file));
        const std::string expected = "File " + path(c.name) + ": " + c.first;
        EXPECT_EQ(playerMessage(path(c.name)), expected) << c.name;
        const Outcome info = run("info '" + path(c.name) + "'");
        EXPECT_EQ(info.exitCode, 1) << c.name;
        EXPECT_EQ(info.err, expected + "\n") << c.name;
    }
    zamp::SivFile file = smallScene();
    file.textures[0] = zamp::makeSivTextureEntry(5, path("gone.png"));
    zamp::writeBinaryFile(path("gone.siv"), zamp::encodeSivFile(file));
    EXPECT_EQ(playerMessage(path("gone.siv")).rfind("Error Loading Texture " + path("gone.png") + ": ", 0), 0u);
    const Outcome info = run("info '" + path("gone.siv") + "'");
    EXPECT_EQ(info.exitCode, 0) << info.err;
}
