// A show folder written on Windows plays unchanged: its script, pictures, scenes and the
// textures that scenes name are found whatever their case and however their paths are
// written, and only inside the show folder.
#include "platform/Platform.h"
#include "siv/SivWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

using test::runZamp;
using test::TempDir;

// A scene of one textured quad covering the view of its only camera, lit by ambient light
// alone, its texture named the Windows way.
SivFile texturedWall(const std::string& textureName) {
    SivFile file;
    SivMesh wall;
    wall.header.objectId = 1;
    wall.header.rotation = {0, 0, 0, 1};
    for (Vec3 p : {Vec3{-20, -20, 0}, Vec3{-20, 20, 0}, Vec3{20, 20, 0}, Vec3{20, -20, 0}}) {
        SivVertex v{};
        v.position = p;
        v.normal = {0, 0, -1};
        wall.vertices.push_back(v);
    }
    wall.faces = {SivFace{{0, 1, 2}, 0}, SivFace{{0, 2, 3}, 0}}; // clockwise seen from -z
    file.meshes.push_back(wall);
    file.textures.push_back(makeSivTextureEntry(1, textureName));
    SivMaterial m{};
    m.ambient = {1, 1, 1};
    m.textureId = 1;
    file.materials.push_back(m);
    SivCamera camera{};
    camera.position = {0, 0, -5};
    camera.positionTrackId = camera.targetTrackId = -1;
    file.cameras.push_back(camera);
    return file;
}

std::uint32_t red(int, int) { return 0xFFFF0000; }
std::uint32_t green(int, int) { return 0xFF00FF00; }

class WindowsShow : public ::testing::Test {
protected:
    WindowsShow() {
        test::writeTestPng(top.path() / "show/pics/left.png", 4, 4, red);
        test::writeTestPng(top.path() / "show/Data/tex/green.png", 4, 4, green);
        test::writeTestPng(top.path() / "outside.png", 4, 4, red);
        writeBinaryFile((top.path() / "show/Data/scene.siv").string(), encodeSivFile(texturedWall("Tex\\GREEN.png")));
    }
    test::RunResult play(const std::string& script) {
        top.write("show/Data/SCRIPT.lua", script);
        return runZamp({"--render", "out", "--at", "0", "show"}, top.path());
    }
    TempDir top;
};

TEST_F(WindowsShow, FindsEveryFileWhateverItsCaseAndSlashes) {
    const auto r = play(R"(
        endtime(1)
        setambientcolor(255, 255, 255)
        loadsiv("data\\SCENE.siv", "scene")
        loadimage("Pics\\LEFT.png", "Left Half")
        local s = layer(1, "scene", 0, 0, 0, 2, 1)
        start(0, s) stop(1, s)
        local l = layer(2, "Left Half", 1, 2, 1)
        start(0, l) stop(1, l)
        setimagescale(0, 512, 768, l)
    )");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto frame = openImageFiles()->read((top.path() / "out/frame_000000.png").string());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->pixels[384 * 1024 + 256], 0xFFFF0000u) << "the picture found as pics/left.png";
    EXPECT_EQ(frame->pixels[384 * 1024 + 768], 0xFF00FF00u) << "the scene's texture found as Data/tex/green.png";
}

TEST_F(WindowsShow, NamesThatMatchNothingFailWithThePathAsWritten) {
    struct Case {
        const char* script;
        std::string message;
    } cases[] = {
        {R"(loadimage("Pics\\Nope.png", "x"))", "Error Loading Texture Pics\\Nope.png: Pics\\Nope.png does not exist, nor does data/Pics\\Nope.png."},
        {R"(loadsiv("Data\\Nope.siv", "x"))", "Data\\Nope.siv kan ikke \xC3\xA5pnes. (It does not exist.)"},
        // The fallback never leaves the show folder, even for a file that is there.
        {R"(loadimage("..\\OUTSIDE.png", "x"))", "Error Loading Texture ..\\OUTSIDE.png: ..\\OUTSIDE.png does not exist, nor does data/..\\OUTSIDE.png."},
        {R"(loadimage("Data\\..\\..\\outside.png", "x"))", "Error Loading Texture Data\\..\\..\\outside.png: Data\\..\\..\\outside.png does not exist, nor does data/Data\\..\\..\\outside.png."},
    };
    for (const Case& c : cases) {
        const auto r = play(c.script);
        EXPECT_EQ(r.exitCode, 1) << c.script;
        // The message, then where the script (found as Data/SCRIPT.lua) called the function.
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message) << c.script;
        EXPECT_NE(r.err.find("\n  at Data/SCRIPT.lua:1 ("), std::string::npos) << r.err;
    }
}

} // namespace
} // namespace zamp
