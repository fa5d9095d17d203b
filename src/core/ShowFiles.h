// Finding the files a show names (scenes, pictures, textures in scene files, music, the script)
// when the show was written on Windows: names with backslashes, and names whose upper and
// lower case differ from the disk's. Only opening files uses this; every name a show keeps
// (in the texture registry, the image and scene lists, messages) stays as the script wrote it.
#pragma once

#include <optional>
#include <string>

namespace zamp {

// The path to open for `path`, a name relative to the show folder (the working directory):
//   1. `path` itself when something exists there;
//   2. else `path` with every '\' read as '/', when something exists there;
//   3. else each component of that path matched within its folder, ignoring the case of
//      ASCII letters; when several names differ only by case, the first in byte order wins.
// "." and empty components are skipped. A ".." component is followed as written, never
// matched, and the lookup never leaves the show folder: a path that climbs above it, and an
// absolute path, get only step 1. nullopt when nothing matches; the caller then fails with
// its own message, naming `path` as written.
std::optional<std::string> findShowFile(const std::string& path);

// The same rule inside `folder` instead of the working directory ("" is the working
// directory); the result is relative to `folder` like `path`. The siv tool finds a model's
// textures this way.
std::optional<std::string> findFileIn(const std::string& folder, const std::string& path);

// findShowFile(path), or `path` itself when nothing matches: the name to hand to a reader
// that reports failures in its own way.
std::string showFilePath(const std::string& path);

} // namespace zamp
