// Textures from image files, the way the Direct3D utility library makes them: the whole
// picture on one level, the file's own width and height reported beside it.
#pragma once

#include "gfx/Device.h"
#include "platform/ImageFiles.h"

#include <memory>
#include <string>

namespace zamp {

struct ImageInfo {
    int width = 0;
    int height = 0;
};

// Null when the file cannot be read as an image or the device cannot hold it. A8R8G8B8 and
// the file's own format both give 32-bit textures; files without alpha read alpha 1.
std::unique_ptr<Texture> createTextureFromFile(Device& device, ImageFiles& files, const std::string& path,
                                               D3DFORMAT format, ImageInfo& info);

} // namespace zamp
