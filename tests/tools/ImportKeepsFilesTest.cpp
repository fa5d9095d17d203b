// siv import never removes or replaces a file it did not write in the same run: a texture that
// is its own copy, a different picture of the same name in the texture folder, and an output
// named as the model.
#include "SivCommandSupport.h"

#include "gfx/Pixels.h"
#include "platform/Platform.h"
#include "siv/SivFile.h"
#include "siv/SivParse.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zamp {
namespace {

namespace fs = std::filesystem;
using test::Outcome;
using test::SivCommand;

const char* kTexturedObj = "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nusemtl m\nf 1/1 2/2 3/3\n";

class ImportKeepsFiles : public SivCommand {
protected:
    void picture(const std::string& name, std::uint32_t argb) const {
        openImageFiles()->writePng(path(name), ArgbImage{2, 2, std::vector<std::uint32_t>(4, argb)});
    }
    std::vector<std::string> textureNames(const std::string& siv) const {
        std::vector<std::string> names;
        for (const SivTextureEntry& t : readSivFile(path(siv)).textures) names.push_back(sivTextureName(t).value_or(""));
        return names;
    }
};

TEST_F(ImportKeepsFiles, ATextureThePlayerCannotReadIsLeftWhereItIsWhenItIsItsOwnCopy) {
    fs::create_directories(path("show/data"));
    writeText("show/data/m.obj", kTexturedObj);
    writeText("show/data/m.mtl", "newmtl m\nKd 1 1 1\nmap_Kd pic.tif\n");
    const std::string tiff("II*\0\x08\0\0\0\0\0", 10);
    writeText("show/data/pic.tif", tiff);
    const Outcome r = run("import --copy-textures '" + path("show/data") + "' '" + path("show/data/m.obj") + "' '" +
                          path("show/data/m.siv") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(path("show/data/m.obj") + ": texture pic.tif: the player cannot read this picture format"),
              std::string::npos) << r.err;
    EXPECT_EQ(slurp(path("show/data/pic.tif")), tiff) << "the artist's only copy is kept";
    EXPECT_FALSE(fs::exists(path("show/data/m.siv")));
}

TEST_F(ImportKeepsFiles, ADifferentPictureOfTheSameNameKeepsItsPlaceAndTheSameBytesAreReused) {
    fs::create_directories(path("model"));
    fs::create_directories(path("show/data"));
    writeText("model/m.obj", kTexturedObj);
    writeText("model/m.mtl", "newmtl m\nKd 1 1 1\nmap_Kd wood.png\n");
    picture("model/wood.png", 0xFFFF0000);
    picture("show/data/wood.png", 0xFF0000FF); // another picture that happens to share the name
    const std::string theirs = slurp(path("show/data/wood.png"));
    const std::string command = "import --copy-textures '" + path("show/data") + "' '" + path("model/m.obj") + "' '" +
                                path("show/data/m.siv") + "'";
    const Outcome first = run(command);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(slurp(path("show/data/wood.png")), theirs);
    EXPECT_EQ(slurp(path("show/data/wood_2.png")), slurp(path("model/wood.png")));
    EXPECT_EQ(textureNames("show/data/m.siv"), std::vector<std::string>{"wood_2.png"});

    // Again: the copy already there holds the same bytes and is used; nothing new is made.
    const Outcome second = run(command);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(textureNames("show/data/m.siv"), std::vector<std::string>{"wood_2.png"});
    EXPECT_FALSE(fs::exists(path("show/data/wood_3.png")));
    EXPECT_FALSE(fs::exists(path("show/data/wood_2_2.png")));
}

TEST_F(ImportKeepsFiles, AnOutputNamedAsTheModelIsRefused) {
    writeText("m.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string model = slurp(path("m.obj"));
    for (const std::string& out : {path("m.obj"), path("./m.obj")}) {
        const Outcome r = run("import '" + path("m.obj") + "' '" + out + "'");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("is the model itself"), std::string::npos) << r.err;
        EXPECT_EQ(slurp(path("m.obj")), model);
    }
}

} // namespace
} // namespace zamp
