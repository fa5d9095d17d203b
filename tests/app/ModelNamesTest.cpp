// Shows that name a model file in loadsiv: the player runs the siv tool beside it and draws
// exactly what the imported SIV file draws; the import is kept in the cache and not run again;
// a tool that faults, hangs or is missing ends the run with one line and exit code 1; a cache
// that cannot be written costs only a warning; and in the author's mode a saved model shows
// at once. The runs use the real zamp and siv programs (a copy of zamp where a test puts a
// stand-in for siv beside it), each with a cache folder of its own.
#include "GltfWriter.h"

#include "app/AuthorSession.h"
#include "app/DemoApp.h"
#include "app/ModelCache.h"
#include "platform/Platform.h"
#include "platform/Programs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace zamp {
namespace {

namespace fs = std::filesystem;

constexpr const char* kScript = "endtime(1) setambientcolor(255, 255, 255) loadsiv(\"%s\", \"m\") "
                                "local s = layer(1, \"m\", 0, 0, 0, 2, 1) start(0, s) stop(1, s)";

// At 8 units the player shows 4.46 units above and below the middle: the squares' middles
// (1.5 units out) are 40 pixels left and right of the middle of a 320 x 240 frame.
constexpr int kLeft = 160 - 40;
constexpr int kRight = 160 + 40;

std::string showScript(const std::string& scene) {
    std::string script = kScript;
    script.replace(script.find("%s"), 2, scene);
    return script;
}

// A square of side 1 around (cx, cy) facing the camera at +z, with texture coordinates.
gltf::Mesh square(const std::string& name, float cx, float cy, int material) {
    gltf::Mesh m;
    m.name = name;
    m.positions = {{cx - 0.5f, cy - 0.5f, 0}, {cx + 0.5f, cy - 0.5f, 0}, {cx + 0.5f, cy + 0.5f, 0}, {cx - 0.5f, cy + 0.5f, 0}};
    m.uvs = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    m.indices = {0, 1, 2, 0, 2, 3};
    m.material = material;
    return m;
}

// A plain square on the left in `left`'s colour and a square showing `picture` on the right,
// through the model's own camera 8 units away.
gltf::Document twoSquares(const gltf::Image& picture, float leftRed = 1, float leftGreen = 0) {
    gltf::Document doc;
    doc.images = {picture};
    doc.materials = {{"plain", {leftRed, leftGreen, 0, 1}, false, -1}, {"picture", {1, 1, 1, 1}, false, 0}};
    doc.meshes = {square("left", -1.5f, 0, 0), square("right", 1.5f, 0, 1)};
    doc.nodes = {{"left", 0, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {}},
                 {"right", 1, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {}},
                 {"eye", -1, 0, -1, {0, 0, 8}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    doc.roots = {0, 1, 2};
    doc.cameras = {{1.0177f, 4.0f / 3.0f, 0.1f}};
    return doc;
}

std::uint32_t checks(int x, int y) { return (x / 4 + y / 4) % 2 ? 0xFF2080E0u : 0xFFF0C020u; }

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The entries of a cache folder (not the folders of imports in progress).
std::vector<fs::path> entriesIn(const fs::path& models) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(models, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
    return entries;
}

class ModelNames : public ::testing::Test {
protected:
    ModelNames() {
        fs::create_directories(show());
        test::writeTestPng(show() / "data/models/checks.png", 16, 16, checks);
        std::ifstream png(show() / "data/models/checks.png", std::ios::binary);
        embeddedPng.assign(std::istreambuf_iterator<char>(png), {});
    }

    fs::path show() const { return dir.path() / "show"; }
    std::string cacheSetting() const { return "XDG_CACHE_HOME=" + (dir.path() / "cache").string(); }
    fs::path models() const { return dir.path() / "cache/zamp/models"; }

    // Renders the frame at 0.5 s of the show with `script` into OUT (under the test folder)
    // with the zamp at `zamp`; returns the run.
    test::RunResult render(const std::string& script, const std::string& out, const std::string& zamp = ZAMP_EXECUTABLE,
                           std::vector<std::string> environment = {}) {
        dir.write("show/data/script.lua", script);
        environment.push_back(cacheSetting());
        return test::runZampAt(zamp, {"--render", (dir.path() / out).string(), "--size", "320x240", "--at", "0.5", "show"},
                               dir.path(), environment);
    }
    RgbImage frame(const std::string& out) {
        const auto image = openImageFiles()->read((dir.path() / out / "frame_000000.png").string());
        EXPECT_TRUE(image) << out;
        RgbImage rgb;
        if (!image) return rgb;
        rgb.width = image->width;
        rgb.height = image->height;
        for (std::uint32_t p : image->pixels)
            rgb.pixels.insert(rgb.pixels.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
        return rgb;
    }
    // A copy of zamp in its own folder, with `siv` beside it: a shell script of `body` (none
    // when empty). The copy finds its siv as the installed player does.
    std::string zampWithSiv(const std::string& body) {
        const fs::path bin = dir.path() / "bin";
        fs::create_directories(bin);
        fs::copy_file(ZAMP_EXECUTABLE, bin / "zamp", fs::copy_options::overwrite_existing);
        fs::permissions(bin / "zamp", fs::perms::owner_all);
        fs::remove(bin / "siv");
        if (!body.empty()) {
            dir.write("bin/siv", "#!/bin/sh\n" + body + "\n");
            fs::permissions(bin / "siv", fs::perms::owner_all);
        }
        return (bin / "zamp").string();
    }

    test::TempDir dir;
    std::vector<std::uint8_t> embeddedPng;
};

TEST_F(ModelNames, ANamedModelDrawsExactlyWhatItsImportedSivFileDraws) {
    gltf::write(twoSquares({"checks.png", {}}), (show() / "data/models/pair.gltf").string());
    gltf::write(twoSquares({"", embeddedPng}), (show() / "data/pair.glb").string());
    struct Case {
        const char* model;
        const char* copies; // where the reference import writes the pictures, under data/
    } cases[] = {{"data/models/pair.gltf", "ref-gltf"}, {"data/pair.glb", "ref-glb"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const std::string reference = std::string("data/") + c.copies + ".siv";
        const ProgramRun imported = runProgram(SIV_TOOL_EXECUTABLE,
                                               {"import", "--copy-textures", (show() / "data" / c.copies).string(),
                                                (show() / c.model).string(), (show() / reference).string()},
                                               600);
        ASSERT_EQ(imported.end, ProgramRun::End::Exited);
        ASSERT_EQ(imported.status, 0) << imported.err;

        const std::string named = std::string("named-") + c.copies, fromSiv = std::string("siv-") + c.copies;
        const test::RunResult a = render(showScript(c.model), named);
        ASSERT_EQ(a.exitCode, 0) << a.err;
        const test::RunResult b = render(showScript(reference), fromSiv);
        ASSERT_EQ(b.exitCode, 0) << b.err;
        const RgbImage viaModel = frame(named), viaSiv = frame(fromSiv);
        ASSERT_EQ(viaModel.pixels.size(), std::size_t(320 * 240 * 3));
        EXPECT_TRUE(viaModel.pixels == viaSiv.pixels) << "every pixel the same";
        // And the picture is the model: red on the left, the checks on the right.
        EXPECT_PIXEL_NEAR(viaModel, kLeft, 120, 1, 255, 0, 0);
        const test::Rgb right = test::pixelAt(viaModel, kRight, 120);
        EXPECT_TRUE(right.g > 60 && right.b > 20) << test::describe(right);
    }
    EXPECT_EQ(entriesIn(models()).size(), 2u) << "one entry for each model";
}

TEST_F(ModelNames, TheSecondRunUsesTheCacheAndBothPrintTheImportsWarningsOnce) {
    gltf::Document doc = twoSquares({"checks.png", {}});
    doc.cameras[0].yfov = 0.5f; // the player's camera differs: siv import warns
    gltf::write(doc, (show() / "data/models/pair.gltf").string());
    const fs::path runs = dir.path() / "runs";
    const std::string zamp = zampWithSiv("echo run >> '" + runs.string() + "'\nexec '" SIV_TOOL_EXECUTABLE "' \"$@\"");
    const std::string script = showScript("data/models/pair.gltf");
    // One warning, on a line of its own, naming the model.
    const std::string warning = "\nwarning: data/models/pair.gltf: ";

    const test::RunResult first = render(script, "first", zamp);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(readText(runs), "run\n");
    EXPECT_EQ(countOf("\n" + first.err, warning), 1u) << first.err;
    EXPECT_NE(first.err.find("has a vertical field of view of 28.65 degrees"), std::string::npos) << first.err;
    const std::vector<fs::path> entries = entriesIn(models());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].filename().string().size(), 64u) << "named by its SHA-256";
    EXPECT_TRUE(fs::is_regular_file(entries[0] / kModelSceneFile));

    const test::RunResult second = render(script, "second", zamp);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(readText(runs), "run\n") << "the cached entry was used: siv did not run again";
    EXPECT_EQ(countOf("\n" + second.err, warning), 1u) << second.err;
    EXPECT_NE(second.err.find("has a vertical field of view of 28.65 degrees"), std::string::npos) << second.err;
    EXPECT_TRUE(frame("first").pixels == frame("second").pixels);

    // A saved model is another model: imported again, beside the first.
    gltf::write(twoSquares({"checks.png", {}}, 0, 1), (show() / "data/models/pair.gltf").string());
    const test::RunResult edited = render(script, "edited", zamp);
    ASSERT_EQ(edited.exitCode, 0) << edited.err;
    EXPECT_EQ(readText(runs), "run\nrun\n");
    EXPECT_EQ(entriesIn(models()).size(), 2u);
    EXPECT_PIXEL_NEAR(frame("edited"), kLeft, 120, 1, 0, 255, 0);
    EXPECT_EQ(countOf(edited.err, "warning:"), 0u) << edited.err;

    // A damaged entry is refused by the loader and imported again, once.
    for (const fs::path& entry : entriesIn(models()))
        if (entry != entries[0]) std::ofstream(entry / kModelSceneFile, std::ios::binary) << "ZSIV damaged";
    const test::RunResult repaired = render(script, "repaired", zamp);
    ASSERT_EQ(repaired.exitCode, 0) << repaired.err;
    EXPECT_EQ(readText(runs), "run\nrun\nrun\n");
    EXPECT_TRUE(frame("edited").pixels == frame("repaired").pixels);
    for (const fs::path& entry : entriesIn(models())) EXPECT_NE(entry.filename().string()[0], '.') << entry;
}

TEST_F(ModelNames, AToolThatFaultsHangsOrIsMissingEndsTheRunInOneLineAndExitCodeOne) {
    gltf::write(twoSquares({"checks.png", {}}), (show() / "data/m.gltf").string());
    const std::string script = showScript("data/m.gltf");
    const fs::path pid = dir.path() / "pid";
    struct Case {
        std::string siv; // the stand-in's script; empty: none
        std::vector<std::string> environment;
        std::string message;
    } cases[] = {
        {"kill -SEGV $$", {}, "loadsiv: data/m.gltf: the model import failed (siv ended by signal 11)"},
        // Two seconds: long enough for the stand-in to say who it is on a busy machine.
        {"echo $$ > '" + pid.string() + "'\nexec sleep 1000", {"ZAMP_MODEL_IMPORT_SECONDS=2"},
         "loadsiv: data/m.gltf: the model import did not finish within 2 s"},
        {"exit 7", {}, "loadsiv: data/m.gltf: the model import failed (siv ended with exit code 7)"},
        {"echo 'usage: siv import ...' >&2; exit 2", {},
         "loadsiv: data/m.gltf: the model cannot be imported: the siv tool (" + (dir.path() / "bin/siv").string() +
             ") does not take the import's options; is it of another version than the player?"},
        {"", {}, "loadsiv: data/m.gltf: the model cannot be imported: the siv tool (" + (dir.path() / "bin/siv").string() +
                     ") cannot be run: No such file or directory"},
        {"exit 0", {"ZAMP_MODEL_IMPORT_SECONDS=soon"}, "ZAMP_MODEL_IMPORT_SECONDS must be a number of seconds above 0, "
                                                       "not \"soon\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const test::RunResult r = render(script, "out", zampWithSiv(c.siv), c.environment);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message) << r.err;
        EXPECT_LE(countOf(r.err, "\n"), 2u) << "the message and where the script called loadsiv: " << r.err;
        EXPECT_TRUE(entriesIn(models()).empty()) << "nothing kept, nothing left behind";
    }
    // The hung stand-in was killed, not left running.
    const std::string hung = readText(pid);
    ASSERT_FALSE(hung.empty());
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    auto running = [&] {
        const std::string stat = readText("/proc/" + hung.substr(0, hung.find('\n')) + "/stat");
        return !stat.empty() && stat.find(") Z") == std::string::npos;
    };
    while (running() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(running());
}

TEST_F(ModelNames, TheModelLibrarysFaultsAndTheToolsRefusalsBecomeThePlayersMessage) {
    // Found by the import fuzz target: a face of no corners makes Assimp 5.2 abort.
    dir.write("show/data/bad.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                                   "property float z\nelement face 2\nproperty list uchar int vertex_index\nend_header\n"
                                   "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n0\n");
    dir.write("show/data/t.obj", "mtllib t.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl m\nf 1 2 3\n");
    dir.write("show/data/t.mtl", "newmtl m\nKd 1 1 1\nmap_Kd missing.png\n");
    struct Case {
        const char* model;
        const char* message;
    } cases[] = {
        {"data/bad.ply", "loadsiv: data/bad.ply: the model cannot be read (the model library failed on it)"},
    };
    for (const Case& c : cases) {
        const test::RunResult r = render(showScript(c.model), "out");
        EXPECT_EQ(r.exitCode, 1) << c.model;
        EXPECT_EQ(r.err, std::string(c.message) + "\n  at data/script.lua:1 (loadsiv)\n");
    }
    EXPECT_TRUE(entriesIn(models()).empty());
    // A texture that is not found is one of the import's warnings: the show plays, untextured.
    const test::RunResult missing = render(showScript("data/t.obj"), "out");
    EXPECT_EQ(missing.exitCode, 0) << missing.err;
    EXPECT_EQ(missing.err, "warning: data/t.obj: 1 texture not found: missing.png (their materials import untextured; "
                           "--textures DIR names where else to look)\n");
}

TEST_F(ModelNames, ACacheThatCannotBeWrittenCostsAWarningAndLeavesNothingBehind) {
    gltf::write(twoSquares({"", embeddedPng}), (show() / "data/pair.glb").string());
    dir.write("cache", "a file where the cache folder should be");
    dir.write("tmp/keep", "");
    const test::RunResult r = render(showScript("data/pair.glb"), "out", ZAMP_EXECUTABLE,
                                     {"TMPDIR=" + (dir.path() / "tmp").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(r.err, "warning: data/pair.glb: imported models are not kept, since the cache folder " +
                                 models().string() + " cannot be written (Not a directory): every run imports them again"),
              1u)
        << r.err;
    const test::Rgb right = test::pixelAt(frame("out"), kRight, 120);
    EXPECT_TRUE(right.g > 60 && right.b > 20) << "the embedded picture was found: " << test::describe(right);
    EXPECT_EQ(entriesIn(dir.path() / "tmp"), std::vector<fs::path>{dir.path() / "tmp/keep"})
        << "the temporary import is gone";
}

// The web page has no model library: tools/web-pack-models converts the show's models when the
// page is made, and the page's importer (PackedModels) finds them in the packed tree. Both
// importers are drawn here on one device; the page itself is not run (no browser).
TEST_F(ModelNames, APagesPackedConversionsDrawWhatThePlayersImportDraws) {
    gltf::write(twoSquares({"checks.png", {}}), (show() / "data/models/Pair Of 'Squares'.gltf").string());
    gltf::write(twoSquares({"", embeddedPng}), (show() / "data/pair.glb").string());
    dir.write("show/data/notes.xml", "<not a model/>");
    const std::string command = "ZAMP_SIV='" SIV_TOOL_EXECUTABLE "' '" ZAMP_SOURCE_DIR "/tools/web-pack-models' '" +
                                show().string() + "' '" + (dir.path() / "stage").string() + "' >'" +
                                (dir.path() / "packer.txt").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readText(dir.path() / "packer.txt");
    const std::string said = readText(dir.path() / "packer.txt");
    EXPECT_NE(said.find("warning: data/notes.xml is not converted"), std::string::npos) << said;
    EXPECT_NE(said.find("converted 2 of 3 model files"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(dir.path() / "stage/data/notes.xml.import"));
    // What the page's files hold: the show folder with the packer's folders over it.
    fs::copy(dir.path() / "stage", show(), fs::copy_options::recursive);

    const fs::path previous = fs::current_path();
    fs::current_path(show());
    {
        test::OffscreenGl gl{320, 240};
        DemoApp app;
        app.attachDevice(gl.device());
        for (const char* model : {"data/models/Pair Of 'Squares'.gltf", "data/pair.glb"}) {
            SCOPED_TRACE(model);
            dir.write("show/data/script.lua", showScript(model));
            app.models = std::make_unique<ModelCache>(
                ModelCacheSettings{SIV_TOOL_EXECUTABLE, models().string(), kModelImportSeconds, nullptr});
            ASSERT_EQ(app.loadShow("data/script.lua"), ScriptRun::Finished);
            app.demoTime = 0.5f;
            app.drawShow();
            const RgbImage imported = gl.device().readRenderTarget();
            app.models = std::make_unique<PackedModels>();
            ASSERT_EQ(app.loadShow("data/script.lua"), ScriptRun::Finished);
            app.demoTime = 0.5f;
            app.drawShow();
            const RgbImage packed = gl.device().readRenderTarget();
            EXPECT_TRUE(packed.pixels == imported.pixels) << "every pixel the same";
            EXPECT_PIXEL_NEAR(packed, kLeft, 120, 1, 255, 0, 0);
            const test::Rgb right = test::pixelAt(packed, kRight, 120);
            EXPECT_TRUE(right.g > 60 && right.b > 20) << test::describe(right);
        }
    }
    fs::current_path(previous);
}

// The author's mode: the model is one of the show's files, and saving it shows the new model.
TEST_F(ModelNames, InTheAuthorsModeASavedModelShowsAtTheNextLook) {
    const fs::path previous = fs::current_path();
    fs::current_path(show());
    {
        test::OffscreenGl gl{320, 240};
        DemoApp app;
        app.attachDevice(gl.device());
        app.models = std::make_unique<ModelCache>(
            ModelCacheSettings{SIV_TOOL_EXECUTABLE, models().string(), kModelImportSeconds, nullptr});
        const fs::path model = show() / "data/models/pair.gltf";
        gltf::write(twoSquares({"checks.png", {}}), model.string());
        dir.write("show/data/script.lua", showScript("data/models/pair.gltf"));
        ASSERT_EQ(app.loadShow("data/script.lua"), ScriptRun::Finished);
        AuthorSession session(app, false);
        session.moveTo(0.5f);
        session.drawFrame();
        EXPECT_PIXEL_NEAR(gl.device().readRenderTarget(), kLeft, 120, 1, 255, 0, 0);

        gltf::write(twoSquares({"checks.png", {}}, 0, 1), model.string());
        // An editor's save: a later modification time.
        fs::last_write_time(model, fs::file_time_type::clock::now() + std::chrono::seconds(5));
        session.checkFiles();
        EXPECT_TRUE(session.errorText().empty()) << session.errorText();
        session.drawFrame();
        EXPECT_PIXEL_NEAR(gl.device().readRenderTarget(), kLeft, 120, 1, 0, 255, 0);
        EXPECT_FLOAT_EQ(app.demoTime, 0.5f);
    }
    fs::current_path(previous);
}

} // namespace
} // namespace zamp
