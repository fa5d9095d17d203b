// The player takes a loadsiv name as a model by its extension, from a list of its own (it
// does not link the model library): the list must be what `siv import` reads, no more and no
// less, and `siv formats` prints the same for tools that look for models in a show folder.
#include "SivCommandSupport.h"

#include "import/ModelFormats.h"
#include "show/ModelImport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zamp {
namespace {

using test::Outcome;
using test::SivCommand;

TEST(ModelFormats, ThePlayersModelNamesAreExactlyTheFormatsImportReads) {
    const std::vector<std::string> library = sivtool::readableModelExtensions();
    ASSERT_GT(library.size(), 10u);
    std::vector<std::string> player(modelFileExtensions().begin(), modelFileExtensions().end());
    EXPECT_EQ(player, library) << "update modelFileExtensions() in src/show/ModelImport.cpp";
    EXPECT_TRUE(std::is_sorted(player.begin(), player.end()));
    for (const std::string& extension : library) {
        EXPECT_TRUE(isModelFileName("data/model." + extension)) << extension;
        EXPECT_FALSE(isModelFileName("data/model." + extension + ".siv")) << extension;
    }
}

TEST(ModelFormats, ModelNamesAreKnownByTheirLastExtensionInAnyCase) {
    struct Case {
        const char* name;
        bool model;
    } cases[] = {
        {"data/x.gltf", true},     {"DATA\\X.GLB", true},     {"x.Obj", true},        {"a.b.fbx", true},
        {"x.siv.gltf", true},      {"x.mesh.xml", true},      {"x.siv", false},       {"x.gltf.siv", false},
        {"x.SIV", false},          {"gltf", false},           {"data/.gltf", false},  {"data/obj", false},
        {"x.gltf/", false},        {"x.png", false},          {"", false},            {"x.gltfx", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isModelFileName(c.name), c.model) << c.name;
}

TEST_F(SivCommand, FormatsListsTheExtensionsImportReadsOneALine) {
    const Outcome r = run("formats");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    EXPECT_EQ(lines, sivtool::readableModelExtensions());
    EXPECT_EQ(run("formats extra").exitCode, 2);
}

} // namespace
} // namespace zamp
