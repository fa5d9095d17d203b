#include "import/ImportCommand.h"

#include "core/DisplayText.h"
#include "core/Error.h"
#include "import/ImportReport.h"
#include "import/ModelConversion.h"
#include "import/ReaderCrashGuard.h"
#include "platform/Platform.h"
#include "siv/SivWriter.h"

#include <assimp/Importer.hpp>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>

namespace zamp::sivtool {

namespace fs = std::filesystem;

namespace {

struct ImportCommand {
    bool info = false;
    ImportOptions options;
    std::string copyFolder;
    std::vector<std::string> files;
};

// nullopt for wrong usage.
std::optional<ImportCommand> parse(const std::vector<std::string>& args) {
    ImportCommand c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--info") {
            c.info = true;
        } else if (a == "--no-camera") {
            c.options.makeCamera = false;
        } else if (a == "--no-light") {
            c.options.makeLight = false;
        } else if (a == "--copy-textures" && i + 1 < args.size()) {
            c.copyFolder = args[++i];
        } else if (a == "--texture-root" && i + 1 < args.size()) {
            c.options.textures.textureRoot = args[++i];
        } else if (a == "--scale" && i + 1 < args.size()) {
            char* end = nullptr;
            const std::string& text = args[++i];
            const float scale = std::strtof(text.c_str(), &end);
            if (end == text.c_str() || *end || !(scale > 0) || !std::isfinite(scale)) return std::nullopt;
            c.options.scale = scale;
        } else if (a.size() > 1 && a[0] == '-') {
            return std::nullopt;
        } else {
            c.files.push_back(a);
        }
    }
    if (c.files.size() != (c.info ? 1u : 2u)) return std::nullopt;
    if (c.info && !c.copyFolder.empty()) return std::nullopt;
    return c;
}

std::string folderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

int run(ImportCommand& c) {
    const std::string& model = c.files[0];
    const std::string out = c.info ? "" : c.files[1];
    const std::unique_ptr<ModelImport> imported = importModel(model, c.options, out, c.copyFolder, true);
    ConvertedModel& converted = imported->model;
    if (c.info) {
        printImportInfo(std::cout, converted, model);
        return 0;
    }
    for (const TexturePlan& t : converted.textures)
        if (!t.problem.empty()) throw Error(model + ": " + t.problem);
    if (!c.copyFolder.empty()) {
        const auto images = openImageFiles();
        copyTextures(converted.textures, *images);
    }
    writeFileReplacing(out, encodeSivFile(converted.file));
    for (const std::string& w : converted.warnings) std::cerr << "siv import: warning: " << w << "\n";
    std::cout << importSummary(converted, model, out) << "\n";
    return 0;
}

} // namespace

std::unique_ptr<ModelImport> importModel(const std::string& model, ImportOptions options, const std::string& out,
                                         const std::string& copyFolder, bool guardReader) {
    options.textures.modelFolder = folderOf(model);
    options.textures.modelStem = fs::path(model).stem().string();
    options.textures.copyFolder = copyFolder;
    options.textures.outFolder = out.empty() ? "." : folderOf(out);
    std::string extension = fs::path(model).extension().string();
    for (char& ch : extension) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    options.gltfCameras = extension == ".gltf" || extension == ".glb";

    if (!fs::is_regular_file(model)) throw Error(model + ": no such file");
    auto imported = std::make_unique<ModelImport>();
    const aiScene* scene = nullptr;
    {
        std::optional<ReaderCrashGuard> guard;
        if (guardReader) guard.emplace(displayText(model + ": the model cannot be read (the model library failed on it)"));
        scene = imported->importer.ReadFile(model, importPostProcessing());
    }
    if (!scene) throw Error(model + ": the model cannot be read (" + imported->importer.GetErrorString() + ")");
    try {
        imported->model = convertModel(*scene, options);
    } catch (const Error& e) {
        throw Error(model + ": " + e.what());
    }
    return imported;
}

int runImport(const std::vector<std::string>& args) {
    std::optional<ImportCommand> command = parse(args);
    if (!command) {
        std::cerr << "usage: " << kImportUsage << "\n";
        return 2;
    }
    try {
        return run(*command);
    } catch (const Error& e) {
        std::cerr << displayText(e.what()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << "siv import: " << e.what() << "\n";
    }
    return 1;
}

} // namespace zamp::sivtool
