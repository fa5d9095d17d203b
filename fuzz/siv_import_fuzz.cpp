// Model bytes through `siv import`: Assimp's readers of the formats the tool offers, then our
// conversion (coordinates, winding, splitting, materials, textures, cameras, lights, motion
// fitting) and the SIV writer. The input's first byte picks the file's extension, the rest is
// the file. Every input must end in one of the tool's messages or in a SIV file that the
// player's loader and its scene check accept; a crash, a sanitizer report, an exception of
// another type (a refused allocation is the tool's memory message) or a written file the player
// refuses is a finding.
//
// Assimp itself is not built for coverage, so the fuzzer steers by our code only; a crash
// inside Assimp is Assimp's (fuzz/run-fuzzers tells the two apart).
#include "FuzzSupport.h"

#include "core/Error.h"
#include "import/ImportCommand.h"
#include "import/ImportReport.h"
#include "siv/SivParse.h"
#include "siv/SivSceneCheck.h"
#include "siv/SivWriter.h"

#include <cstdio>
#include <new>
#include <sstream>

using namespace zamp;

namespace {

// New extensions go at the end: a seed's first byte keeps picking the one it was made for.
constexpr const char* kExtensions[] = {".gltf", ".glb", ".obj", ".3ds", ".ply", ".stl", ".dae", ".fbx",
                                       ".ase", ".lwo", ".x", ".blend", ".md2", ".raw", ".off", ".lws", ".smd",
                                       ".ogex"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string model = std::string("model") + kExtensions[data[0] % std::size(kExtensions)];
    {
        std::FILE* out = std::fopen(model.c_str(), "wb");
        if (!out) fuzz::finding("cannot write the input file");
        if (size > 1) std::fwrite(data + 1, 1, size - 1, out);
        std::fclose(out);
    }
    std::unique_ptr<sivtool::ModelImport> imported;
    try {
        imported = sivtool::importModel(model, sivtool::ImportOptions{}, "out.siv", "");
    } catch (const Error& e) {
        fuzz::check(std::string(e.what()).rfind(model + ": ", 0) == 0, "a message that does not name the model");
        return 0;
    } catch (const std::bad_alloc&) {
        // A reader that asked for more than the allocator gives: the tool reports it as the file
        // needing more memory than its bound allows.
        return 0;
    }
    const sivtool::ConvertedModel& converted = imported->model;
    // The reports index every part of the converted model: they run on each input too.
    std::ostringstream report;
    sivtool::printImportInfo(report, converted, model);
    report << sivtool::importSummary(converted, model, "out.siv");
    for (const sivtool::TexturePlan& t : converted.textures)
        if (!t.problem.empty()) return 0; // the tool stops here with the texture's message

    const std::vector<std::uint8_t> written = encodeSivFile(converted.file);
    try {
        const SivFile loaded = parseSivFile(written, "out.siv");
        checkSivScene(loaded, "out.siv");
    } catch (const Error& e) {
        fuzz::finding(std::string("the player refuses what siv import wrote: ") + e.what());
    }
    return 0;
}
