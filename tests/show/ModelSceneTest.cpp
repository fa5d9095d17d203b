// Scenes from model names: what a model's entry (the SIV file an import made, the pictures that
// were inside the model, the warnings) becomes in the show, through the web page's importer,
// which finds the entries that tools/web-pack wrote; and the names the player refuses to import.
#include "platform/Platform.h"
#include "show/ModelImport.h"
#include "show/Scene.h"
#include "show/TextureRegistry.h"
#include "show/Warnings.h"
#include "siv/SivWriter.h"
#include "support/RecordingDevice.h"
#include "support/SivRecords.h"
#include "support/SivTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace zamp {
namespace {

namespace fs = std::filesystem;
using sivtest::Failure;
using sivtest::failureOf;

std::uint32_t red(int, int) { return 0xFFFF0000; }
std::uint32_t blue(int, int) { return 0xFF0000FF; }

class PackedModelScene : public ::testing::Test {
protected:
    PackedModelScene() { fs::current_path(show.path()); }
    ~PackedModelScene() override { fs::current_path(previous); }

    // An entry as tools/web-pack writes it beside the model `model`: its scene names `texture`.
    void packEntry(const std::string& model, const std::string& texture, const std::string& warnings) {
        show.write(model, "the model's own bytes: never read by the page");
        SivFile scene = sivtest::smallScene();
        scene.textures[0] = makeSivTextureEntry(5, texture);
        show.write(model + ".import/" + kModelWarningsFile, warnings);
        writeBinaryFile(model + ".import/" + kModelSceneFile, encodeSivFile(scene));
    }
    Failure loadFailure(const std::string& path) {
        return failureOf([&] { load(path, "m"); });
    }
    void load(const std::string& path, const std::string& name) {
        scenes.loadModel(device, *imageFiles, textures, packed, warnings, path, name);
    }
    // The texture of the first mesh of scene `i`, by the registry's name for it.
    std::string textureNameOf(std::size_t i) {
        const TextureRecord* record = scenes[i].meshes.at(0)->texture;
        for (std::size_t t = 0; t < textures.size(); ++t)
            if (&textures.record(t) == record) return textures.name(t);
        return "(none)";
    }

    test::TempDir show;
    fs::path previous = fs::current_path();
    test::RecordingDevice device;
    std::unique_ptr<ImageFiles> imageFiles = openImageFiles();
    TextureRegistry textures;
    SceneList scenes;
    Warnings warnings;
    PackedModels packed;
};

TEST_F(PackedModelScene, AModelsEntryBecomesItsSceneWithItsPicturesAndWarnings) {
    packEntry("data/ship.glb", "embedded/hull.png", "camera: field of view\nlight dropped\n");
    test::writeTestPng(show.path() / "data/ship.glb.import/embedded/hull.png", 4, 4, red);
    // A file of the same name in the show folder is not the model's picture.
    test::writeTestPng(show.path() / "embedded/hull.png", 8, 8, blue);
    packEntry("data/models/Box.gltf", "data/models/wood.png", "");
    test::writeTestPng(show.path() / "data/models/wood.png", 2, 2, blue);

    load("data/ship.glb", "ship");
    load("Data\\Models\\BOX.gltf", "box"); // a show written on Windows
    ASSERT_EQ(scenes.size(), 2u);
    EXPECT_EQ(scenes[0].name, "ship");
    EXPECT_EQ(scenes.find("box"), 1);
    EXPECT_EQ(textureNameOf(0), "data/ship.glb.import/embedded/hull.png");
    EXPECT_EQ(scenes[0].meshes[0]->texture->width, 4) << "the entry's picture, not the show's";
    EXPECT_EQ(textureNameOf(1), "data/models/wood.png") << "a texture file is found from the show folder";
    EXPECT_EQ(scenes.files(), (std::vector<std::string>{"data/ship.glb", "data/models/Box.gltf"}))
        << "the models themselves are the files a reload watches";
    EXPECT_EQ(warnings.all(), (std::vector<std::string>{"data/ship.glb: camera: field of view",
                                                        "data/ship.glb: light dropped"}));
}

TEST_F(PackedModelScene, AnEmbeddedNameTheEntryLacksIsFoundFromTheShowFolder) {
    packEntry("data/a.obj", "embedded/hull.png", "");
    test::writeTestPng(show.path() / "embedded/hull.png", 8, 8, blue);
    load("data/a.obj", "a");
    EXPECT_EQ(textureNameOf(0), "embedded/hull.png");
    EXPECT_EQ(modelTextureName("", "embedded/hull.png"), "embedded/hull.png") << "a SIV file's names stay";
}

TEST_F(PackedModelScene, ModelsOutsideTheShowFolderMissingOrUnconvertedAreRefusedWithTheirName) {
    packEntry("data/fine.gltf", "", "");
    show.write("data/bare.gltf", "{}");
    fs::create_directories(show.path() / "data/folder.gltf");
    ASSERT_EQ(mkfifo((show.path() / "data/pipe.gltf").c_str(), 0600), 0);
    // The same model one folder up, reached by climbing and by its absolute name.
    fs::create_directories(show.path() / "sub");
    fs::current_path(show.path() / "sub");
    const std::string absolute = (show.path() / "data/fine.gltf").string();
    struct Case {
        std::string path, message;
    } cases[] = {
        {"../data/fine.gltf", "loadsiv: ../data/fine.gltf: a model is imported only from inside the show folder"},
        {absolute, "loadsiv: " + absolute + ": a model is imported only from inside the show folder"},
        {"missing.gltf", "missing.gltf kan ikke åpnes. (It does not exist.)"},
    };
    for (const Case& c : cases) EXPECT_EQ(loadFailure(c.path).text, c.message) << c.path;
    fs::current_path(show.path());
    EXPECT_EQ(loadFailure("data/bare.gltf").text,
              "loadsiv: data/bare.gltf: the model was not converted when the page was made (tools/web-pack converts "
              "every model in the show folder; it said why it could not)");
    EXPECT_EQ(loadFailure("data/folder.gltf").text, "data/folder.gltf kan ikke åpnes. (It is not a regular file.)");
    EXPECT_EQ(loadFailure("data/pipe.gltf").text, "data/pipe.gltf kan ikke åpnes. (It is not a regular file.)")
        << "a pipe would block the import";
    EXPECT_EQ(scenes.size(), 0u);
    EXPECT_TRUE(scenes.files().empty());
    load("data/fine.gltf", "fine");
    EXPECT_EQ(scenes.size(), 1u);
}

TEST_F(PackedModelScene, ADamagedEntryFailsWithTheLoadersMessageNamingTheModel) {
    show.write("data/x.gltf", "model");
    show.write(std::string("data/x.gltf.import/") + kModelSceneFile, "not a scene at all");
    EXPECT_EQ(loadFailure("data/x.gltf").text, "File data/x.gltf is not a SIV file.");
    EXPECT_EQ(scenes.size(), 0u);
}

} // namespace
} // namespace zamp
