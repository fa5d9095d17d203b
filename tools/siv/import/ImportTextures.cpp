#include "import/ImportTextures.h"

#include "core/Error.h"
#include "core/ShowFiles.h"
#include "platform/ImageFiles.h"
#include "siv/SivFormat.h"

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

std::string extensionOf(const aiTexture& t) {
    const std::string hint = t.achFormatHint;
    return hint.empty() ? "png" : hint;
}

// Windows writers store backslashes; the file name is what follows the last of either.
std::string baseName(const std::string& reference) {
    const std::size_t slash = reference.find_last_of("/\\");
    return slash == std::string::npos ? reference : reference.substr(slash + 1);
}

void planCopy(TexturePlan& plan, const TextureSettings& settings, std::set<std::string>& taken, std::size_t index) {
    std::string wanted;
    if (plan.embedded) {
        const std::string own = baseName(plan.embedded->mFilename.C_Str());
        const std::string ext = plan.embedded->mHeight == 0 ? extensionOf(*plan.embedded) : "png";
        wanted = (own.empty() || own[0] == '*' ? settings.modelStem + "_texture" + std::to_string(index)
                                               : fs::path(own).stem().string()) +
                 "." + ext;
    } else {
        wanted = baseName(plan.sourcePath);
    }
    const std::string file = unusedName(wanted, taken);
    plan.copyPath = (fs::path(settings.copyFolder) / file).string();
    const fs::path out = fs::absolute(settings.outFolder.empty() ? "." : settings.outFolder);
    plan.sivName = fs::absolute(plan.copyPath).lexically_normal().lexically_relative(out.lexically_normal()).generic_string();
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
            // Found as named beside the model, else by its bare name there (exporters often
            // store the absolute path of the machine the model was made on).
            std::optional<std::string> found = findFileIn(settings.modelFolder, reference);
            if (!found) found = findFileIn(settings.modelFolder, baseName(reference));
            if (found)
                plan.sourcePath = fs::path(*found).is_absolute() ? *found : (fs::path(settings.modelFolder) / *found).string();
            else
                plan.problem = "texture " + reference + " cannot be found beside the model";
        }
        if (plan.problem.empty()) {
            if (!settings.textureRoot.empty() && !plan.embedded)
                plan.sivName = fs::absolute(plan.sourcePath).lexically_normal().lexically_relative(
                    fs::absolute(settings.textureRoot).lexically_normal()).generic_string();
            else if (!settings.copyFolder.empty())
                planCopy(plan, settings, taken, plans.size());
            else if (plan.embedded)
                plan.problem = "texture " + reference + " is embedded in the model: give --copy-textures DIR to write it out";
            else
                plan.sivName = fs::path(reference).is_absolute() ? baseName(reference) : reference;
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
        std::error_code ec;
        fs::create_directories(fs::path(plan.copyPath).parent_path(), ec);
        if (plan.embedded && plan.embedded->mHeight != 0) {
            images.writePng(plan.copyPath, texels(*plan.embedded));
            continue;
        }
        if (plan.embedded)
            writeBytes(plan.copyPath, plan.embedded->pcData, plan.embedded->mWidth);
        else if (fs::absolute(plan.sourcePath) != fs::absolute(plan.copyPath) &&
                 !fs::copy_file(plan.sourcePath, plan.copyPath, fs::copy_options::overwrite_existing, ec))
            throw Error("Cannot copy texture " + plan.reference + " to " + plan.copyPath + ": " + ec.message());
        // The player decodes pictures with this same decoder: what it cannot read here, the
        // player could not show.
        if (images.read(plan.copyPath)) continue;
        fs::remove(plan.copyPath, ec);
        throw Error("texture " + plan.reference + ": the player cannot read this picture format; convert it to PNG");
    }
}

} // namespace zamp::sivtool
