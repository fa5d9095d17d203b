// Scenes from model files (glTF, OBJ, FBX, ...) that a script names in `loadsiv` in place of a
// SIV file. The player reads no model format itself: an importer turns the model into a SIV
// file in a folder of its own, the model's entry:
//   scene.siv      the scene; texture names that the model takes from files are relative to
//                  the show folder, so they are found as every texture of the show is
//   embedded/      the pictures the model holds inside it (a .glb's), named "embedded/NAME"
//                  in scene.siv and found here, since no name in the show folder reaches them
//   warnings.txt   the import's warnings, one a line
// On the desktop the importer runs the siv tool and keeps entries in a cache
// (app/ModelCache.h); a page made by tools/web-pack finds the entries the packer wrote
// (PackedModels).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zamp {

inline constexpr const char* kModelSceneFile = "scene.siv";
inline constexpr const char* kModelWarningsFile = "warnings.txt";
inline constexpr const char* kModelEmbeddedFolder = "embedded";

// The extensions of the model formats that `siv import` reads (its model library's list),
// lower case, without the dot, in byte order. ".siv" is none of them.
const std::vector<std::string_view>& modelFileExtensions();

// True when `path` ends in "." and one of modelFileExtensions(), ignoring ASCII case.
bool isModelFileName(const std::string& path);

struct ImportedModel {
    std::string folder;                // the entry
    std::vector<std::string> warnings; // the import's warnings, not yet naming the model
    bool kept = false;                 // imported on an earlier run: it may be damaged or stale
    std::shared_ptr<void> cleanup;     // set for an entry in a temporary folder: removes it
};

class ModelImporter {
public:
    virtual ~ModelImporter() = default;
    // The entry for the model in `file` (a regular file inside the show folder; `path` is the
    // name the script gave it, for messages). With `again` an entry kept from before is not
    // used (it failed to load) and the model is imported anew. Throws an Error with the
    // message the player shows.
    virtual ImportedModel import(const std::string& path, const std::string& file, bool again) = 0;
};

// The web page's importer: the entries that tools/web-pack wrote when it made the page, as
// MODEL.import/ beside each model in the show folder. It imports nothing itself.
class PackedModels : public ModelImporter {
public:
    ImportedModel import(const std::string& path, const std::string& file, bool again) override;
};

// The warnings of the entry in `folder`; none when it has no warnings file.
std::vector<std::string> readModelWarnings(const std::string& folder);

// The file a texture name of the entry in `folder` means: a picture the model held inside it
// ("embedded/NAME", when the entry has it) is the entry's file; any other name stays as it is
// and is found from the show folder. An empty `folder` (a SIV file, no model) changes nothing.
std::string modelTextureName(const std::string& folder, const std::string& name);

} // namespace zamp
