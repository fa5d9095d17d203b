#include "show/TextureRegistry.h"

#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/ShowFiles.h"
#include "show/TextureLoader.h"

namespace zamp {

TextureRecord* TextureRegistry::find(const std::string& name) {
    for (Entry& entry : entries_)
        if (entry.name == name) return entry.record.get();
    return nullptr;
}

TextureRecord& TextureRegistry::load(Device& device, ImageFiles& files, const std::string& name) {
    if (TextureRecord* existing = find(name)) return *existing; // whatever kind it is
    // A name with a zero byte would be cut there by the file system: it names no file.
    if (name.find('\0') != std::string::npos)
        throw Error("Error Loading Texture " + visibleZeros(name) + ": the name holds a zero byte, so it names no file.");
    // Each place is tried as written, then as a show made on Windows means it (core/ShowFiles.h);
    // messages name the file as the script did.
    const std::string asNamedPath = showFilePath(name);
    const std::string underDataPath = showFilePath("data/" + name);
    sought_.push_back(asNamedPath);
    TextureFromFile asNamed = createTextureFromFile(device, files, asNamedPath, D3DFMT_A8R8G8B8);
    const bool fromData = !asNamed.texture;
    if (fromData) sought_.push_back(underDataPath);
    TextureFromFile loaded = fromData ? createTextureFromFile(device, files, underDataPath, D3DFMT_UNKNOWN)
                                      : std::move(asNamed);
    if (!loaded.texture) {
        // The words the player has always shown, then why: the file as named, unless it is
        // missing and the one under data/ is there.
        const std::string why = !asNamed.missing ? name + " " + asNamed.problem
                                : loaded.missing ? name + " does not exist, nor does data/" + name
                                                 : "data/" + name + " " + loaded.problem;
        throw Error("Error Loading Texture " + name + ": " + why + ".");
    }
    files_.push_back(fromData ? underDataPath : asNamedPath);
    auto record = std::make_unique<TextureRecord>();
    record->texture = std::move(loaded.texture);
    record->width = loaded.width;
    record->height = loaded.height;
    entries_.push_back({std::move(record), name});
    return *entries_.back().record;
}

TextureRecord& TextureRegistry::createRenderTarget(Device& device, const std::string& name, int width, int height) {
    if (width > kMaxTextureSide || height > kMaxTextureSide)
        throw Error("Render target " + name + " of " + std::to_string(width) + " by " + std::to_string(height) +
                    " cannot be created: a texture may have at most " + std::to_string(kMaxTextureSide) + " by " +
                    std::to_string(kMaxTextureSide) + " pixels.");
    auto record = std::make_unique<TextureRecord>();
    record->texture = device.createTexture(width, height, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
    if (record->texture) record->surface = record->texture->renderSurface();
    if (!record->texture || !record->surface)
        throw Error("Render target " + name + " of " + std::to_string(width) + " by " + std::to_string(height) +
                    " cannot be created.");
    record->width = width;
    record->height = height;
    record->isRenderTarget = 1;
    entries_.push_back({std::move(record), name});
    return *entries_.back().record;
}

} // namespace zamp
