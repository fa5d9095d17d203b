// The desktop's model importer: `siv import`, the tool installed beside the player, run as a
// child process (the model library may fault or hang on a file; then only the child ends),
// with what it made kept in a cache so that each model is imported once, not on every run.
//
// The cache is the folder `models` of $XDG_CACHE_HOME/zamp (~/.cache/zamp without it); each
// model has an entry there (show/ModelImport.h) named by its key: the SHA-256 of the player's
// version, the cache's own layout number, the import's arguments (the model's name in the show
// folder among them) and the model's bytes. Editing the model gives a new key and a new
// import; the siv tool and the player come from one build and share its version. Entries are
// made whole in a fresh folder beside them and renamed into place, so a player that dies in
// the middle leaves no half entry, and two players importing the same model at once both end
// with a whole one. When the cache cannot be written (a read-only home) the model is imported
// into a temporary folder for this load only, with a warning.
//
// The import gets a time limit (60 s; the environment variable ZAMP_MODEL_IMPORT_SECONDS sets
// another, for very large models or for tests) and is stopped by Ctrl-C like the script.
#pragma once

#include "show/ModelImport.h"

#include <atomic>
#include <string>

namespace zamp {

inline constexpr double kModelImportSeconds = 60;

struct ModelCacheSettings {
    std::string tool;   // the siv executable, an absolute name; empty: none is known
    std::string folder; // where entries are kept; empty: nowhere, every load imports
    double timeLimitSeconds = kModelImportSeconds;
    const std::atomic<bool>* stop = nullptr; // set: a running import is ended
};

// The player's settings: the siv tool in the folder of the running program, the cache folder
// and time limit from the environment. Throws an Error for a time limit that is no number of
// seconds above 0.
ModelCacheSettings modelCacheSettings(const std::atomic<bool>* stop);

class ModelCache : public ModelImporter {
public:
    explicit ModelCache(ModelCacheSettings settings) : settings_(std::move(settings)) {}

    // Runs `siv import` for `file` unless the cache holds its entry (or `again` is set). Its
    // failures become the player's: the tool's own message, or that it did not finish within
    // the time limit, was ended by a signal, was stopped or could not be run.
    ImportedModel import(const std::string& path, const std::string& file, bool again) override;

    // The name of the entry for `file` (64 hexadecimal digits); throws the cannot-open
    // message, naming `path`, when it cannot be read.
    std::string keyOf(const std::string& path, const std::string& file) const;

private:
    void runImport(const std::string& path, const std::string& file, const std::string& folder) const;

    ModelCacheSettings settings_;
};

} // namespace zamp
