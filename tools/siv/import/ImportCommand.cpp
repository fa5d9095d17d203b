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
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

namespace zamp::sivtool {

namespace fs = std::filesystem;

namespace {

struct ImportCommand {
    bool info = false;
    std::optional<UpAxis> up;
    ImportOptions options;
    std::string copyFolder;
    std::vector<std::string> files;
};

// nullopt for wrong usage.
std::optional<ImportCommand> parse(const std::vector<std::string>& args) {
    ImportCommand c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--info") {
            c.info = true;
        } else if (a == "--no-camera") {
            c.options.makeCamera = false;
        } else if (a == "--no-light") {
            c.options.makeLight = false;
        } else if (a == "--keep-ambient") {
            c.options.keepAmbient = true;
        } else if (a == "--keep-eye") {
            c.options.keepEye = true;
        } else if (a == "--strict") {
            c.options.strictTextures = true;
        } else if (a == "--copy-textures" && hasValue) {
            c.copyFolder = args[++i];
        } else if (a == "--textures" && hasValue) {
            c.options.textures.searchFolders.push_back(args[++i]);
        } else if (a == "--camera" && hasValue && !args[i + 1].empty()) {
            c.options.camera = args[++i];
        } else if (a == "--up" && hasValue && (args[i + 1] == "y" || args[i + 1] == "z")) {
            c.up = args[++i] == "z" ? UpAxis::Z : UpAxis::Y;
        } else if (a == "--scale" && hasValue) {
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

// MD2 keeps its animation as whole frames of vertices, of which the reader takes the first.
std::size_t md2FrameCount(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[44] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || std::memcmp(header, "IDP2", 4) != 0) return 0;
    const std::uint32_t frames = std::uint32_t(header[40]) | std::uint32_t(header[41]) << 8 |
                                 std::uint32_t(header[42]) << 16 | std::uint32_t(header[43]) << 24;
    return frames;
}

std::string folderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

int run(ImportCommand& c) {
    const std::string& model = c.files[0];
    const std::string out = c.info ? "" : c.files[1];
    const std::unique_ptr<ModelImport> imported = importModel(model, c.options, out, c.copyFolder, true, c.up);
    ConvertedModel& converted = imported->model;
    if (c.info) {
        printImportInfo(std::cout, converted, model);
        return 0;
    }
    for (const TexturePlan& t : converted.textures)
        if (!t.problem.empty()) throw Error(model + ": " + t.problem);
    if (!c.copyFolder.empty()) {
        const auto images = openImageFiles();
        try {
            copyTextures(converted.textures, *images);
        } catch (const Error& e) {
            throw Error(model + ": " + e.what());
        }
    }
    writeFileReplacing(out, encodeSivFile(converted.file));
    for (const std::string& w : converted.warnings) std::cerr << "siv import: warning: " << w << "\n";
    std::cout << importSummary(converted, model, out) << "\n";
    return 0;
}

} // namespace

std::unique_ptr<ModelImport> importModel(const std::string& model, ImportOptions options, const std::string& out,
                                         const std::string& copyFolder, bool guardReader, std::optional<UpAxis> up) {
    options.textures.modelFolder = folderOf(model);
    options.textures.modelStem = fs::path(model).stem().string();
    options.textures.copyFolder = copyFolder;
    options.textures.outFolder = out.empty() ? "." : folderOf(out);
    const std::string extension = lowerExtension(model);
    options.gltfCameras = extension == ".gltf" || extension == ".glb";
    options.cameraPositionInNode = options.gltfCameras || extension == ".3ds";
    options.targetKeysInScene = extension == ".ase" || extension == ".ask";

    if (!fs::is_regular_file(model)) throw Error(model + ": no such file");
    if (std::error_code ec; !out.empty() && (fs::equivalent(model, out, ec) ||
                                             fs::absolute(model).lexically_normal() == fs::absolute(out).lexically_normal()))
        throw Error(model + ": the output " + out + " is the model itself; give OUT.siv another name");
    auto imported = std::make_unique<ModelImport>();
    const aiScene* scene = nullptr;
    {
        std::optional<ReaderCrashGuard> guard;
        if (guardReader) guard.emplace(displayText(model + ": the model cannot be read (the model library failed on it)"));
        scene = imported->importer.ReadFile(model, importPostProcessing());
    }
    if (!scene) throw Error(model + ": the model cannot be read (" + imported->importer.GetErrorString() + ")");
    options.frame = sourceFrameOf(*scene, model, up);
    if (extension == ".3ds") options.threeDsCameras = readThreeDsCameras(model);
    if (extension == ".md2") options.vertexAnimationFrames = md2FrameCount(model);
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
