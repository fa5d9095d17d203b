#include "show/TextureRegistry.h"

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
    auto record = std::make_unique<TextureRecord>();
    ImageInfo info;
    // Each place is tried as written, then as a show made on Windows means it (core/ShowFiles.h).
    std::string opened = showFilePath(name);
    record->texture = createTextureFromFile(device, files, opened, D3DFMT_A8R8G8B8, info);
    if (!record->texture) {
        opened = showFilePath("data/" + name);
        record->texture = createTextureFromFile(device, files, opened, D3DFMT_UNKNOWN, info);
    }
    if (!record->texture) throw Error("Error Loading Texture " + name);
    files_.push_back(opened);
    record->width = info.width;
    record->height = info.height;
    entries_.push_back({std::move(record), name});
    return *entries_.back().record;
}

TextureRecord& TextureRegistry::createRenderTarget(Device& device, const std::string& name, int width, int height) {
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
