#include "core/ShowFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace zamp {

namespace fs = std::filesystem;

namespace {

// `path` inside `base` ("" is the working directory).
fs::path within(const std::string& base, const std::string& path) {
    return base.empty() ? fs::path(path) : fs::path(base) / path;
}

bool existsOnDisk(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

std::vector<std::string> splitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// The entry of `folder` whose name equals `name` but for case; the first in byte order.
std::optional<std::string> matchInFolder(const fs::path& folder, const std::string& name) {
    std::optional<std::string> best;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (equalIgnoringCase(entry, name) && (!best || entry < *best)) best = entry;
    }
    return best;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

// True when no prefix of `path` climbs above the folder it starts in.
bool staysInside(const std::string& path) {
    int depth = 0;
    for (const std::string& part : splitComponents(path)) {
        if (part == "..") {
            if (--depth < 0) return false;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
    }
    return true;
}

std::optional<std::string> matchComponents(const std::string& base, const std::string& path) {
    std::string resolved;
    for (const std::string& part : splitComponents(path)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") { // followed as written
            resolved = joined(resolved, part);
            continue;
        }
        const std::optional<std::string> found = matchInFolder(within(base, resolved), part);
        if (!found) return std::nullopt;
        resolved = joined(resolved, *found);
    }
    if (resolved.empty()) return std::nullopt;
    return resolved;
}

bool isAbsolute(const std::string& path) {
    // "C:\..." and "\\server\..." are Windows absolute paths: never looked up in the show folder.
    return !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
}

} // namespace

std::optional<std::string> findFileIn(const std::string& folder, const std::string& path) {
    if (path.empty()) return std::nullopt;
    if (isAbsolute(path)) return existsOnDisk(path) ? std::optional(path) : std::nullopt;
    if (existsOnDisk(within(folder, path))) return path;
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    if (!staysInside(slashed)) return std::nullopt;
    if (slashed != path && existsOnDisk(within(folder, slashed))) return slashed;
    return matchComponents(folder, slashed);
}

std::optional<std::string> findShowFile(const std::string& path) { return findFileIn("", path); }

std::string showFilePath(const std::string& path) { return findShowFile(path).value_or(path); }

} // namespace zamp
