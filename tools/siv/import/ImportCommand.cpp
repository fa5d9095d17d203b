#include "import/ImportCommand.h"

#include "core/DisplayText.h"
#include "core/Error.h"
#include "import/BoundedRun.h"
#include "import/ImportReport.h"
#include "import/ImportText.h"
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
#include <new>
#include <optional>

#include <unistd.h>

namespace zamp::sivtool {

namespace fs = std::filesystem;

namespace {

struct ImportCommand {
    bool info = false;
    double timeLimit = 0; // --time-limit: 0 for the bound that follows from the file's size
    std::size_t memoryBound = 0;
    std::optional<UpAxis> up;
    ImportOptions options;
    std::string copyFolder;
    std::vector<std::string> files;
};

// A finite number above 0 written in full, or nullopt.
std::optional<double> positiveNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end || !(value > 0) || !std::isfinite(value)) return std::nullopt;
    return value;
}

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
        } else if (a == "--texture-root" && hasValue) {
            c.options.textures.textureRoot = args[++i];
        } else if (a == "--textures" && hasValue) {
            c.options.textures.searchFolders.push_back(args[++i]);
        } else if (a == "--camera" && hasValue && !args[i + 1].empty()) {
            c.options.camera = args[++i];
        } else if (a == "--up" && hasValue && (args[i + 1] == "y" || args[i + 1] == "z")) {
            c.up = args[++i] == "z" ? UpAxis::Z : UpAxis::Y;
        } else if (a == "--time-limit" && hasValue) {
            const std::optional<double> seconds = positiveNumber(args[++i]);
            if (!seconds) return std::nullopt;
            c.timeLimit = *seconds;
        } else if (a == "--scale" && hasValue) {
            const std::optional<double> scale = positiveNumber(args[++i]);
            if (!scale || !std::isfinite(float(*scale)) || !(float(*scale) > 0)) return std::nullopt;
            c.options.scale = float(*scale);
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

// The progress line the waiting side shows on a terminal goes before anything is printed.
void clearProgressLine() {
    if (isatty(STDERR_FILENO)) std::cerr << "\r\033[K" << std::flush;
}

// What a child that was stopped may have left: the temporary files of its writes
// (OUT.PID-N.partial), never anybody else's.
void removeChildsTemporaryFiles(const std::string& out, int childPid) {
    const fs::path target(out);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string prefix = target.filename().string() + "." + std::to_string(childPid) + "-";
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.size() > 8 && name.compare(name.size() - 8, 8, ".partial") == 0)
            fs::remove(it->path(), ec);
    }
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
    clearProgressLine();
    for (const std::string& w : converted.warnings) std::cerr << "siv import: warning: " << w << "\n";
    std::cout << importSummary(converted, model, out) << "\n";
    return 0;
}

// Runs the command, with its one line on stderr for every failure; the child's side.
int runReporting(ImportCommand& command) {
    try {
        return run(command);
    } catch (const Error& e) {
        clearProgressLine();
        std::cerr << displayText(e.what()) << "\n";
    } catch (const std::bad_alloc&) {
        clearProgressLine();
        std::cerr << displayText(command.files[0]) << ": reading it needs more memory than the "
                  << command.memoryBound / (1024 * 1024) << " MiB the import allows for a file of its size\n";
    } catch (const std::exception& e) {
        clearProgressLine();
        std::cerr << "siv import: " << e.what() << "\n";
    }
    return 1;
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
    if (!scene) {
        const std::string why = imported->importer.GetErrorString();
        // The reader caught the memory bound's refusal and passed it on as its reason.
        if (why.find("bad_alloc") != std::string::npos) throw std::bad_alloc();
        throw Error(model + ": the model cannot be read (" + why + ")");
    }
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
        std::cerr << "Usage: " << kImportUsage << "\n";
        return 2;
    }
    const std::string& model = command->files[0];
    std::error_code ec;
    const std::uintmax_t size = fs::is_regular_file(model, ec) ? fs::file_size(model, ec) : 0;
    const ImportBounds bounds = boundsForModel(ec ? 0 : size, command->timeLimit);
    command->memoryBound = bounds.memoryBytes;
    const bool terminal = isatty(STDERR_FILENO);
    bool shown = false;
    const BoundedOutcome outcome = runBounded([&] { return runReporting(*command); }, bounds, [&](double seconds) {
        if (!terminal) return;
        std::cerr << "\rsiv import: reading " << displayText(model) << ": " << int(seconds) << " s\033[K" << std::flush;
        shown = true;
    });
    if (shown) clearProgressLine();
    if (outcome.kind == BoundedOutcome::Kind::Exited) return outcome.exitCode;
    if (!command->info) removeChildsTemporaryFiles(command->files[1], outcome.childPid);
    if (outcome.kind == BoundedOutcome::Kind::TimedOut)
        std::cerr << displayText(model) << ": the import did not finish within " << number(bounds.seconds)
                  << " s (the model library may hang on a damaged file; --time-limit SECONDS allows longer)\n";
    else
        std::cerr << displayText(model) << ": the model cannot be read (the model library failed on it)\n";
    return 1;
}

} // namespace zamp::sivtool
