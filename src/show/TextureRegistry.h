// One name space for every texture of a show: image files (loaded once, by the name the
// caller gave), SIV material textures and render targets made by the script.
// Records stay at the same address until the registry is destroyed, which releases every
// texture it holds (the device that made them must still exist).
#pragma once

#include "gfx/Device.h"

#include <memory>
#include <string>
#include <vector>

namespace zamp {

class ImageFiles;

struct TextureRecord {
    std::unique_ptr<Texture> texture;
    Surface* surface = nullptr; // render targets: the texture's level-0 surface
    int width = 0;              // loaded textures: the file's own size; render targets: the size asked for
    int height = 0;
    int isRenderTarget = 0;
};

class TextureRegistry {
public:
    // The record of the first entry named `name` (exact bytes); otherwise loads the file as
    // named with 32-bit ARGB, then "data/" + name in the file's own format, and registers it.
    // Each of the two is found as core/ShowFiles.h describes (backslashes, case); the entry
    // keeps `name` as given.
    // Throws "Error Loading Texture " + name + ": " + why when neither loads (missing, not a
    // regular file, unreadable, not one of the five formats, damaged, too large).
    TextureRecord& load(Device& device, ImageFiles& files, const std::string& name);

    // Registers a render-target texture of the given size under `name` without a lookup.
    // Throws when a side is above kMaxTextureSide or the device cannot make it.
    TextureRecord& createRenderTarget(Device& device, const std::string& name, int width, int height);

    // The image files loaded, as they were opened.
    const std::vector<std::string>& files() const { return files_; }
    // Every path a load looked at, found or not (a file that appears there later may change
    // what the show would load).
    const std::vector<std::string>& filesSought() const { return sought_; }

    std::size_t size() const { return entries_.size(); }
    const std::string& name(std::size_t i) const { return entries_[i].name; }
    TextureRecord& record(std::size_t i) { return *entries_[i].record; }

private:
    struct Entry {
        std::unique_ptr<TextureRecord> record;
        std::string name;
    };
    TextureRecord* find(const std::string& name);

    std::vector<Entry> entries_;
    std::vector<std::string> files_;
    std::vector<std::string> sought_;
};

} // namespace zamp
