// `siv import [--info] [--copy-textures DIR] [--no-camera] [--no-light] [--scale F] MODEL [OUT.siv]`:
// reads a model with Assimp and writes it as a SIV file (docs/guide/scenes.md tells authors
// what comes over and what does not).
#pragma once

#include <string>
#include <vector>

namespace zamp::sivtool {

inline constexpr const char* kImportUsage =
    "siv import [--copy-textures DIR] [--no-camera] [--no-light] [--scale F] MODEL OUT.siv | "
    "siv import --info [--scale F] MODEL";

// The arguments after "import". Returns the exit code: 0 done, 1 a model that cannot be
// imported or an output that cannot be written (one line on stderr), 2 wrong usage.
int runImport(const std::vector<std::string>& args);

} // namespace zamp::sivtool
