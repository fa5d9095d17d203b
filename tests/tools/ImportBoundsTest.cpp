// siv import stops: a model library that would take all memory for a file that declares
// billions of vertices, or that takes longer than the time limit, ends in one line and exit
// code 1 with nothing left behind; files that crashed the conversion import.
#include "SivCommandSupport.h"

#include "import/BoundedRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zamp {
namespace {

namespace fs = std::filesystem;
using test::Outcome;
using test::SivCommand;

bool leftOver(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".partial" || entry.path().extension() == ".siv") return true;
    return false;
}

TEST_F(SivCommand, AModelDeclaringBillionsOfVerticesStopsAtTheMemoryBound) {
    if (!sivtool::memoryCanBeBounded()) GTEST_SKIP() << "the address sanitizer's reservations exceed any bound";
    // 61 bytes that make the model library reserve 353,535,235,358 vertices.
    writeText("huge.off", "OFF\n353535235358 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    const Outcome r = run("import '" + path("huge.off") + "' '" + path("huge.siv") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("huge.off: reading it needs more memory than the 1024 MiB the import allows"), std::string::npos)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(leftOver(dir));

    // A LightWave scene with a NaN key time makes the library's reader grow without end.
    const fs::path scenes = "/usr/share/assimp/models/LWS";
    if (!fs::exists(scenes / "move_x.lws")) return;
    fs::copy_file(scenes / "simple_cube.lwo", path("simple_cube.lwo"));
    std::ifstream in(scenes / "move_x.lws");
    std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::string key = "  Key 2.0691125392913818 0.66666666666666663";
    ASSERT_NE(text.find(key), std::string::npos);
    text.replace(text.find(key), key.size(), "  Key 2.0691125392913818 nan");
    writeText("nan.lws", text);
    const Outcome nan = run("import '" + path("nan.lws") + "' '" + path("nan.siv") + "'");
    EXPECT_EQ(nan.exitCode, 1);
    EXPECT_NE(nan.err.find("nan.lws: reading it needs more memory than"), std::string::npos) << nan.err;
    EXPECT_FALSE(leftOver(dir));
}

TEST_F(SivCommand, AnImportPastItsTimeLimitIsStoppedAndLeavesNothing) {
    {
        // A model large enough that no machine reads it in a twentieth of a second.
        std::ofstream obj(path("large.obj"));
        const int n = 300000;
        for (int i = 0; i < n; ++i) obj << "v " << i % 97 << " " << i % 89 << " " << i % 83 << "\n";
        for (int i = 1; i + 2 <= n; ++i) obj << "f " << i << " " << i + 1 << " " << i + 2 << "\n";
    }
    const Outcome r = run("import --time-limit 0.05 '" + path("large.obj") + "' '" + path("large.siv") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("large.obj: the import did not finish within 0.05 s"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--time-limit SECONDS allows longer"), std::string::npos) << r.err;
    EXPECT_FALSE(leftOver(dir));
    EXPECT_EQ(run("import --time-limit 0 '" + path("large.obj") + "' '" + path("large.siv") + "'").exitCode, 2)
        << "a limit is a number of seconds above 0";
}

TEST_F(SivCommand, RawModelsWithGroupsImport) {
    // Two groups gave the model library's scene a node without its child: the conversion
    // followed it and crashed.
    writeText("two.raw", "first\n0 0 0 1 0 0 0 1 0\nsecond\n0 0 1 1 0 1 0 1 1\n");
    const Outcome r = run("import '" + path("two.raw") + "' '" + path("two.siv") + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(path("two.siv")));
    const std::string packaged = "/usr/share/assimp/models/RAW/WithColor.raw";
    if (fs::exists(packaged)) {
        const Outcome colours = run("import '" + packaged + "' '" + path("colours.siv") + "'");
        EXPECT_EQ(colours.exitCode, 0) << colours.err;
    }
}

} // namespace
} // namespace zamp
