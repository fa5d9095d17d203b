// `siv import [options] MODEL OUT.siv` and `siv import --info [options] MODEL`: reads a model with Assimp and writes it as a SIV file (docs/guide/scenes.md tells authors
// what comes over and what does not).
#pragma once

#include "import/ModelConversion.h"

#include <assimp/Importer.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zamp::sivtool {

inline constexpr const char* kImportUsage =
    "siv import [--copy-textures DIR] [--texture-root DIR] [--textures DIR]... [--strict] [--up y|z] [--scale F] [--camera N|NAME] "
    "[--keep-eye] [--keep-ambient] [--no-camera] [--no-light] [--time-limit S] MODEL OUT.siv | "
    "siv import --info [options] MODEL";

// A model read and converted. The importer owns the scene that embedded textures live in.
struct ModelImport {
    Assimp::Importer importer;
    ConvertedModel model;
};

// Reads `modelPath` with Assimp and converts it; texture names are made for an output file
// at `outPath` (its folder; "" for none) and copies in `copyFolder` ("" for none). Throws an
// Error that names the model when Assimp cannot read it or it holds nothing to show. With
// `guardReader`, a fault inside Assimp ends the process with that message and exit code 1
// (the command's way; tests and the fuzzer let the fault through).
// `up` (--up) overrides the up axis the file gives, or says nothing of.
std::unique_ptr<ModelImport> importModel(const std::string& modelPath, ImportOptions options, const std::string& outPath,
                                         const std::string& copyFolder, bool guardReader = false,
                                         std::optional<UpAxis> up = std::nullopt);

// The arguments after "import". Returns the exit code: 0 done, 1 a model that cannot be
// imported or an output that cannot be written (one line on stderr), 2 wrong usage. The import
// runs in a child process bounded in memory and time (BoundedRun.h).
int runImport(const std::vector<std::string>& args);

} // namespace zamp::sivtool
