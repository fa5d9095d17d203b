#include "show/ModelImport.h"

#include "core/Error.h"
#include "core/RegularFile.h"

#include <algorithm>
#include <filesystem>

namespace zamp {

namespace fs = std::filesystem;

const std::vector<std::string_view>& modelFileExtensions() {
    // Assimp 5.2's list (Assimp::Importer::GetExtensionList); tests/tools checks that the siv
    // tool's model library reads exactly these.
    static const std::vector<std::string_view> extensions = {
        "3d",      "3ds",   "3mf",   "ac",    "ac3d",     "acc",       "amf",     "ase",  "ask",  "assbin",
        "b3d",     "blend", "bsp",   "bvh",   "cob",      "csm",       "dae",     "dxf",  "enff", "fbx",
        "glb",     "gltf",  "hmp",   "ifc",   "ifczip",   "iqm",       "irr",     "irrmesh", "lwo", "lws",
        "lxo",     "md2",   "md3",   "md5anim", "md5camera", "md5mesh", "mdc",    "mdl",  "mesh", "mesh.xml",
        "mot",     "ms3d",  "ndo",   "nff",   "obj",      "off",       "ogex",    "pk3",  "ply",  "pmx",
        "prj",     "q3o",   "q3s",   "raw",   "scn",      "sib",       "smd",     "step", "stl",  "stp",
        "ter",     "uc",    "vta",   "x",     "x3d",      "x3db",      "xgl",     "xml",  "zae",  "zgl"};
    return extensions;
}

bool isModelFileName(const std::string& path) {
    std::string lower = path;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return std::any_of(modelFileExtensions().begin(), modelFileExtensions().end(), [&](std::string_view ext) {
        return lower.size() > ext.size() + 1 && lower.ends_with(ext) && lower[lower.size() - ext.size() - 1] == '.' &&
               lower[lower.size() - ext.size() - 2] != '/';
    });
}

ImportedModel PackedModels::import(const std::string& path, const std::string& file, bool) {
    ImportedModel model;
    model.folder = file + ".import";
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(model.folder) / kModelSceneFile, ec))
        throw Error("loadsiv: " + path +
                    ": the model was not converted when the page was made (tools/web-pack converts every model "
                    "in the show folder; it said why it could not)");
    model.warnings = readModelWarnings(model.folder);
    return model;
}

std::vector<std::string> readModelWarnings(const std::string& folder) {
    std::vector<std::string> warnings;
    const OpenedFile opened = openRegularFile((fs::path(folder) / kModelWarningsFile).string());
    if (!opened.file) return warnings;
    std::string line;
    for (int c; (c = std::fgetc(opened.file.get())) != EOF;) {
        if (c != '\n') {
            line += char(c);
            continue;
        }
        if (!line.empty()) warnings.push_back(line);
        line.clear();
    }
    if (!line.empty()) warnings.push_back(line);
    return warnings;
}

std::string modelTextureName(const std::string& folder, const std::string& name) {
    const std::string prefix = std::string(kModelEmbeddedFolder) + "/";
    if (folder.empty() || !name.starts_with(prefix)) return name;
    const std::string inEntry = (fs::path(folder) / name).string();
    std::error_code ec;
    return fs::is_regular_file(inEntry, ec) ? inEntry : name;
}

} // namespace zamp
