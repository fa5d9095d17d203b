// siv import as an author runs it: the summary line, bad input ending in one line and exit
// code 1 without a partial file, and a model seen through its own camera in the real player
// the way its modelling program shows it.
#include "GltfWriter.h"
#include "SivCommandSupport.h"

#include "import/ReaderCrashGuard.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <limits>

namespace zamp {
namespace {

using test::Outcome;
using test::SivCommand;

gltf::Mesh square(const std::string& name, float cx, float cy, float z, float size, bool facingAway, int material) {
    const float h = size / 2;
    gltf::Mesh m;
    m.name = name;
    m.positions = {{cx - h, cy - h, z}, {cx + h, cy - h, z}, {cx + h, cy + h, z}, {cx - h, cy + h, z}};
    m.indices = facingAway ? std::vector<std::uint32_t>{0, 2, 1, 0, 3, 2} : std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3};
    m.material = material;
    return m;
}

// Red on the left, green on the right, blue on top, all facing the camera at +z; a yellow
// square in front of the middle faces away and must not be seen.
gltf::Document asymmetric() {
    gltf::Document doc;
    doc.materials = {{"red", {1, 0, 0, 1}, false, -1}, {"green", {0, 1, 0, 1}, false, -1},
                     {"blue", {0, 0, 1, 1}, false, -1}, {"yellow", {1, 1, 0, 1}, false, -1}};
    doc.meshes = {square("left", -1.5f, 0, 0, 1, false, 0), square("right", 1.5f, 0, 0, 1, false, 1),
                  square("top", 0, 1.5f, 0, 1, false, 2), square("back", 0, 0, 1, 1, true, 3)};
    for (int i = 0; i < 4; ++i) doc.nodes.push_back({doc.meshes[i].name, i, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {}});
    doc.nodes.push_back({"eye", -1, 0, -1, {0, 0, 8}, {0, 0, 0, 1}, {1, 1, 1}, {}});
    doc.roots = {0, 1, 2, 3, 4};
    doc.cameras = {{1.0177f, 4.0f / 3.0f, 0.1f}};
    return doc;
}

TEST_F(SivCommand, ImportedModelShowsUnmirroredUprightAndFrontFacesInFront) {
    gltf::write(asymmetric(), path("shapes.gltf"));
    std::filesystem::create_directories(path("show/data"));
    const Outcome r = run("import --no-light '" + path("shapes.gltf") + "' '" + path("show/data/shapes.siv") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("4 meshes, 8 faces, 4 materials, 0 textures, 1 camera, 0 lights, 0 animated tracks"),
              std::string::npos) << r.out;
    writeText("show/data/script.lua", R"(
        endtime(1)
        setambientcolor(255, 255, 255)
        loadsiv("data/shapes.siv", "shapes")
        local s = layer(1, "shapes", 0, 0, 0, 2, 1)
        start(0, s) stop(1, s)
    )");
    const auto played = test::runZamp({"--render", "out", "--at", "0", "show"}, dir);
    ASSERT_EQ(played.exitCode, 0) << played.err;
    const auto frame = openImageFiles()->read(path("out/frame_000000.png"));
    ASSERT_TRUE(frame);
    auto at = [&](int x, int y) { return frame->pixels[std::size_t(y) * 1024 + x] & 0xFFFFFF; };
    // At distance 8 the player shows 4.46 units above and below the middle.
    EXPECT_EQ(at(512 - 172, 384), 0xFF0000u) << "red on the left";
    EXPECT_EQ(at(512 + 172, 384), 0x00FF00u) << "green on the right";
    EXPECT_EQ(at(512, 384 - 129), 0x0000FFu) << "blue on top";
    EXPECT_EQ(at(512, 384), 0x000000u) << "the square facing away is culled";
    EXPECT_EQ(at(512, 384 + 129), 0x000000u) << "nothing below";
}

TEST_F(SivCommand, ImportOfBadInputSaysWhyInOneLineAndLeavesNoFile) {
    gltf::Document empty;
    empty.nodes = {{"nothing", -1, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    empty.roots = {0};
    gltf::write(empty, path("empty.gltf"));
    gltf::write(asymmetric(), path("good.gltf"));
    writeText("garbage.gltf", "{ \"asset\": ");
    writeText("textured.obj", "mtllib t.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl m\nf 1 2 3\n");
    writeText("t.mtl", "newmtl m\nKd 1 1 1\nmap_Kd missing.png\n");
    writeText("long.obj", "mtllib long.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl m\nf 1 2 3\n");
    const std::string longName(90, 'x');
    writeText("long.mtl", "newmtl m\nKd 1 1 1\nmap_Kd " + longName + ".png\n");
    writeText(longName + ".png", "");
    // Found by the import fuzz target: a face of no corners makes Assimp 5.2 abort on a failed
    // assertion (after printing it) in its triangulation.
    writeText("empty-face.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                                "property float z\nelement face 2\nproperty list uchar int vertex_index\nend_header\n"
                                "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n0\n");
    struct Case {
        std::string arguments, out, message;
    } cases[] = {
        {"import '" + path("nowhere.gltf") + "' '" + path("a.siv") + "'", "a.siv", "no such file"},
        {"import '" + path("garbage.gltf") + "' '" + path("b.siv") + "'", "b.siv", "cannot be read"},
        {"import '" + path("empty.gltf") + "' '" + path("c.siv") + "'", "c.siv", "holds no triangles"},
        {"import --strict '" + path("textured.obj") + "' '" + path("d.siv") + "'", "d.siv",
         "texture missing.png cannot be found"},
        {"import '" + path("long.obj") + "' '" + path("e.siv") + "'", "e.siv", "at most 79"},
        {"import '" + path("good.gltf") + "' '" + path("no/such/folder/f.siv") + "'", "no/such/folder/f.siv",
         "Cannot write"},
        {"import '" + path("empty-face.ply") + "' '" + path("g.siv") + "'", "g.siv",
         "empty-face.ply: the model cannot be read (the model library failed on it)"},
    };
    for (const Case& c : cases) {
        const Outcome r = run(c.arguments);
        EXPECT_EQ(r.exitCode, 1) << c.arguments;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.arguments << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(std::filesystem::exists(path(c.out))) << c.out;
        // Nor a temporary file beside it (OUT.PID-N.partial).
        const auto folder = std::filesystem::path(path(c.out)).parent_path();
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
            EXPECT_NE(entry.path().extension(), ".partial") << entry.path();
    }
}

TEST_F(SivCommand, ImportInfoListsWhatComesOverAndWhatIsDropped) {
    gltf::Document doc = asymmetric();
    doc.cameras[0].yfov = 0.5f;
    doc.channels = {{0, "scale", {0, 1}, {1, 1, 1, 2, 2, 2}}};
    gltf::write(doc, path("scaled.gltf"));
    const Outcome r = run("import --info '" + path("scaled.gltf") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("mesh \"left\" of node \"left\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("animated scale"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("field of view of 28.65 degrees"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("light (made)"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(path("scaled.siv")));
    for (const char* wrong : {"import", "import --info", "import a.gltf", "import --info a b", "import --scale 0 a b",
                              "import --bogus a b", "import --info --copy-textures d a"}) {
        const Outcome u = run(wrong);
        EXPECT_EQ(u.exitCode, 2) << wrong;
        EXPECT_NE(u.err.find("Usage: siv import"), std::string::npos) << wrong << ": " << u.err;
    }
}

// Deep enough to overflow any stack; the array keeps the frames from being merged.
int recurseDeep(int depth, int limit) {
    if (depth == limit) return 0;
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    return recurseDeep(depth + 1, limit) + frame[0];
}

// A fault inside the model library ends the tool with its line and exit code 1, also when the
// library has used up the stack; outside the guard a fault is a fault again.
TEST(ReaderCrashGuard, AFaultWhileReadingEndsInTheMessageAndExitCodeOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string message = "m\xC3\xB8" "del.obj: the model cannot be read \\(the model library failed on it\\)";
    EXPECT_EXIT(
        {
            sivtool::ReaderCrashGuard guard("m\xC3\xB8" "del.obj: the model cannot be read (the model library failed on it)");
            std::raise(SIGSEGV);
        },
        ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(
        {
            sivtool::ReaderCrashGuard guard("deep.dae: the model cannot be read (the model library failed on it)");
            recurseDeep(0, std::numeric_limits<int>::max());
        },
        ::testing::ExitedWithCode(1), "deep.dae: the model cannot be read");
    // Afterwards each fault goes where it went before (the default, or a sanitizer's handler).
    struct sigaction before[4], after[4];
    const int faults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGABRT};
    for (int i = 0; i < 4; ++i) sigaction(faults[i], nullptr, &before[i]);
    { sivtool::ReaderCrashGuard guard("not this"); }
    for (int i = 0; i < 4; ++i) {
        sigaction(faults[i], nullptr, &after[i]);
        EXPECT_EQ(after[i].sa_handler, before[i].sa_handler) << "signal " << faults[i];
    }
}

// What the library prints while it reads (Assimp's failed assertions) stays off stderr;
// stderr is the tool's own again afterwards.
TEST(ReaderCrashGuard, TheReadersOwnOutputStaysOffStderr) {
    ::testing::internal::CaptureStderr();
    {
        sivtool::ReaderCrashGuard guard("unused");
        std::fputs("ai_assert failure in the reader\n", stderr);
    }
    std::fputs("the tool's line\n", stderr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "the tool's line\n");
}

} // namespace
} // namespace zamp
