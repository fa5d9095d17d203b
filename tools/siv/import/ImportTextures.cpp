#include "import/ImportTextures.h"

#include "core/Error.h"
#include "core/ShowFiles.h"
#include "platform/ImageFiles.h"

#include <functional>
#include "siv/SivFormat.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

namespace zamp::sivtool {

namespace fs = std::filesystem;

namespace {

// A name not yet in `taken`: "name.ext", else "name_2.ext", "name_3.ext", ...
std::string unusedName(const std::string& wanted, std::set<std::string>& taken) {
    const fs::path p(wanted);
    std::string name = wanted;
    for (int n = 2; taken.count(name); ++n)
        name = p.stem().string() + "_" + std::to_string(n) + p.extension().string();
    taken.insert(name);
    return name;
}

// The model's hint of an embedded picture's format ("jpg"), when it is a plain extension:
// anything else ("../", a path) would make the copy's name leave its folder.
std::string extensionOf(const aiTexture& t) {
    std::string hint;
    for (const char c : std::string(t.achFormatHint))
        if (std::isalnum(static_cast<unsigned char>(c))) hint += c;
    return hint.empty() || hint != std::string(t.achFormatHint) ? "png" : hint;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes a copy would hold, where they are known before writing: a file's, or an embedded
// picture's own (compressed) bytes. Raw embedded texels are encoded when written: nullopt.
std::optional<std::string> bytesToCopy(const TexturePlan& plan) {
    if (!plan.embedded) return fileBytes(plan.sourcePath);
    if (plan.embedded->mHeight == 0)
        return std::string(reinterpret_cast<const char*>(plan.embedded->pcData), plan.embedded->mWidth);
    return std::nullopt;
}

// Windows writers store backslashes; the file name is what follows the last of either.
std::string baseName(const std::string& reference) {
    const std::size_t slash = reference.find_last_of("/\\");
    return slash == std::string::npos ? reference : reference.substr(slash + 1);
}

// A search below a folder stops after this many entries: a texture lies near its model, and
// a model at the top of a large tree must not make the import crawl the disk.
constexpr std::size_t kMostEntriesSearched = 100000;
constexpr int kDeepestSearch = 8;

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool startsIgnoringCase(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && sameIgnoringCase(text.substr(0, start.size()), start);
}

bool isPictureName(const std::string& name) {
    static const char* const kPictures[] = {".png", ".jpg", ".jpeg", ".bmp", ".tga", ".gif", ".pcx", ".dds"};
    const std::string ext = fs::path(name).extension().string();
    return std::any_of(std::begin(kPictures), std::end(kPictures), [&](const char* p) { return sameIgnoringCase(ext, p); });
}

// The regular file in `folder` or below whose name `accepts`: the shallowest, and of those the
// first in path order.
std::optional<std::string> searchBelow(const fs::path& folder, const std::function<bool(const std::string&)>& accepts) {
    std::optional<std::pair<int, std::string>> best;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (std::size_t seen = 0; !ec && it != end && seen < kMostEntriesSearched; it.increment(ec), ++seen) {
        if (it.depth() >= kDeepestSearch) it.disable_recursion_pending();
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !accepts(it->path().filename().string())) continue;
        const std::pair<int, std::string> found{it.depth(), it->path().string()};
        if (!best || found < *best) best = found;
    }
    if (!best) return std::nullopt;
    return best->second;
}

// `reference` as written, relative to `modelFolder` unless absolute on this machine.
std::optional<std::string> findAsWritten(const std::string& reference, const std::string& modelFolder) {
    std::string slashed = reference;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const bool drive = slashed.size() > 1 && slashed[1] == ':';
    if (drive || slashed.rfind("//", 0) == 0) return std::nullopt; // another machine's disk
    std::error_code ec;
    if (!slashed.empty() && slashed[0] == '/' && reference[0] == '/' && fs::is_regular_file(slashed, ec)) return slashed;
    // A leading separator of a Windows writer means the model's own drive; read it as the
    // model's folder, where the rest of the path usually starts.
    while (!slashed.empty() && slashed[0] == '/') slashed.erase(0, 1);
    if (slashed.empty()) return std::nullopt;
    const fs::path wanted = (fs::absolute(modelFolder.empty() ? "." : modelFolder, ec) / slashed).lexically_normal();
    if (fs::is_regular_file(wanted, ec)) return wanted.string();
    // Letters in any case, component by component from the top of the disk.
    const std::optional<std::string> found = findFileIn("/", wanted.relative_path().string());
    if (found && fs::is_regular_file("/" + *found, ec)) return "/" + *found;
    return std::nullopt;
}

// The copy's place in the copy folder: the picture's own name, unless a different file lies
// there already (it is never replaced: the copy takes name_2, name_3, ...). A file that is the
// picture itself, or holds the same bytes, is used as it is.
void planCopy(TexturePlan& plan, const TextureSettings& settings, std::set<std::string>& taken, std::size_t index) {
    std::string wanted;
    if (plan.embedded) {
        const std::string own = baseName(plan.embedded->mFilename.C_Str());
        const std::string ext = plan.embedded->mHeight == 0 ? extensionOf(*plan.embedded) : "png";
        const std::string stem = own.empty() || own[0] == '*' ? "" : baseName(fs::path(own).stem().string());
        wanted = (stem.empty() || stem == "." || stem == ".." ? settings.modelStem + "_texture" + std::to_string(index)
                                                              : stem) +
                 "." + ext;
    } else {
        wanted = baseName(plan.sourcePath);
    }
    std::optional<std::string> bytes;
    bool bytesRead = false;
    for (;;) {
        const std::string file = unusedName(wanted, taken);
        const fs::path candidate = fs::path(settings.copyFolder) / file;
        std::error_code ec;
        if (!fs::exists(candidate, ec)) {
            plan.copyPath = candidate.string();
            break;
        }
        if (!plan.embedded && fs::equivalent(candidate, plan.sourcePath, ec)) {
            plan.copyPath = candidate.string();
            plan.copyExists = true;
            break;
        }
        if (!bytesRead) {
            bytes = bytesToCopy(plan);
            bytesRead = true;
        }
        if (bytes && fs::is_regular_file(candidate, ec) && fileBytes(candidate.string()) == *bytes) {
            plan.copyPath = candidate.string();
            plan.copyExists = true;
            break;
        }
        wanted = file; // taken now: the next try is file_2, ...
    }
    const fs::path out = fs::absolute(settings.outFolder.empty() ? "." : settings.outFolder);
    plan.sivName = fs::absolute(plan.copyPath).lexically_normal().lexically_relative(out.lexically_normal()).generic_string();
}

} // namespace

std::optional<std::string> findTexture(const std::string& reference, const TextureSettings& settings) {
    if (reference.empty()) return std::nullopt;
    const fs::path modelFolder = settings.modelFolder.empty() ? "." : settings.modelFolder;
    if (reference[0] == '$') {
        const std::string stem = settings.modelStem;
        return searchBelow(modelFolder, [&](const std::string& name) {
            return !stem.empty() && startsIgnoringCase(name, stem) && isPictureName(name);
        });
    }
    if (std::optional<std::string> found = findAsWritten(reference, settings.modelFolder)) return found;
    const std::string name = baseName(reference);
    if (name.empty()) return std::nullopt;
    auto named = [&](const std::string& entry) { return sameIgnoringCase(entry, name); };
    if (std::optional<std::string> found = searchBelow(modelFolder, named)) return found;
    for (const std::string& folder : settings.searchFolders)
        if (std::optional<std::string> found = searchBelow(folder, named)) return found;
    return std::nullopt;
}

namespace {

// The name the SIV file gives a texture file it does not copy: relative to OUT.siv's folder,
// as copied names are.
std::string nameFrom(const std::string& outFolder, const std::string& file) {
    std::error_code ec;
    const fs::path out = fs::absolute(outFolder.empty() ? "." : outFolder, ec).lexically_normal();
    return fs::absolute(file, ec).lexically_normal().lexically_relative(out).generic_string();
}

void writeBytes(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    out.close();
    if (!out) throw Error("Cannot write " + path);
}

ArgbImage texels(const aiTexture& t) {
    ArgbImage image{int(t.mWidth), int(t.mHeight), {}};
    image.pixels.reserve(std::size_t(t.mWidth) * t.mHeight);
    for (std::size_t i = 0; i < std::size_t(t.mWidth) * t.mHeight; ++i) {
        const aiTexel& x = t.pcData[i];
        image.pixels.push_back(std::uint32_t(x.a) << 24 | std::uint32_t(x.r) << 16 | std::uint32_t(x.g) << 8 | x.b);
    }
    return image;
}

} // namespace

std::vector<TexturePlan> planTextures(const aiScene& scene, const std::vector<std::string>& references,
                                      const TextureSettings& settings) {
    std::vector<TexturePlan> plans;
    std::set<std::string> taken;
    for (const std::string& reference : references) {
        TexturePlan plan;
        plan.reference = reference;
        plan.embedded = scene.GetEmbeddedTexture(reference.c_str());
        if (!plan.embedded) {
            if (const std::optional<std::string> found = findTexture(reference, settings)) {
                plan.sourcePath = *found;
            } else {
                plan.problem = "texture " + reference + " cannot be found (looked beside the model and below" +
                               (settings.searchFolders.empty() ? std::string(")") : ", and in the --textures folders)");
                plan.missing = true;
            }
        }
        if (plan.problem.empty()) {
            if (!settings.textureRoot.empty() && !plan.embedded) {
                plan.sivName = fs::absolute(plan.sourcePath).lexically_normal().lexically_relative(
                    fs::absolute(settings.textureRoot).lexically_normal()).generic_string();
                // The player never reaches outside the show folder: such a picture is missing.
                if (plan.sivName.empty() || plan.sivName.rfind("..", 0) == 0) {
                    plan.problem = "texture " + reference + " lies outside " + settings.textureRoot;
                    plan.missing = true;
                }
            } else if (!settings.copyFolder.empty())
                planCopy(plan, settings, taken, plans.size());
            else if (plan.embedded)
                plan.problem = "texture " + reference + " is embedded in the model: give --copy-textures DIR to write it out";
            else
                plan.sivName = nameFrom(settings.outFolder, plan.sourcePath);
        }
        if (plan.problem.empty() && plan.sivName.size() >= kSivTextureNameSize)
            plan.problem = "texture " + reference + ": the name " + plan.sivName + " has " +
                           std::to_string(plan.sivName.size()) + " bytes, but a SIV file holds at most " +
                           std::to_string(kSivTextureNameSize - 1);
        plans.push_back(std::move(plan));
    }
    return plans;
}

void copyTextures(std::vector<TexturePlan>& plans, ImageFiles& images) {
    for (TexturePlan& plan : plans) {
        if (plan.copyPath.empty()) continue;
        if (!plan.copyExists) {
            // The copy folder; a copy's own name never holds a folder.
            std::error_code ec;
            fs::create_directories(fs::path(plan.copyPath).parent_path(), ec);
            if (plan.embedded && plan.embedded->mHeight != 0)
                images.writePng(plan.copyPath, texels(*plan.embedded));
            else if (plan.embedded)
                writeBytes(plan.copyPath, plan.embedded->pcData, plan.embedded->mWidth);
            else if (std::error_code ec; !fs::copy_file(plan.sourcePath, plan.copyPath, fs::copy_options::none, ec))
                throw Error("Cannot copy texture " + plan.reference + " to " + plan.copyPath + ": " + ec.message());
        }
        // The player decodes pictures with this same decoder: what it cannot read here, the
        // player could not show. Only a copy this run wrote is taken back.
        if (images.read(plan.copyPath)) continue;
        if (std::error_code ec; !plan.copyExists) fs::remove(plan.copyPath, ec);
        throw Error("texture " + plan.reference + ": the player cannot read this picture format; convert it to PNG");
    }
}

} // namespace zamp::sivtool
