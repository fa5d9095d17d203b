// Textures from image files, the way the Direct3D utility library makes them: the whole
// picture on one level, the file's own width and height reported beside it.
#pragma once

#include "gfx/Device.h"
#include "platform/ImageFiles.h"

#include <memory>
#include <string>

namespace zamp {

struct TextureFromFile {
    std::unique_ptr<Texture> texture; // null when the file gave none
    int width = 0;                    // the picture's own size
    int height = 0;
    std::string problem; // without a texture: why, words that follow the path in a message
    bool missing = false; // without a texture: the file does not exist
};

// A8R8G8B8 and the file's own format both give 32-bit textures; files without alpha read
// alpha 1.
TextureFromFile createTextureFromFile(Device& device, ImageFiles& files, const std::string& path, D3DFORMAT format);

} // namespace zamp
