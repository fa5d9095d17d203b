#include "show/TextureLoader.h"


namespace zamp {

std::unique_ptr<Texture> createTextureFromFile(Device& device, ImageFiles& files, const std::string& path,
                                               D3DFORMAT format, ImageInfo& info) {
    std::optional<ArgbImage> image = files.read(path);
    if (!image) return nullptr;
    // The texture keeps the file's size: with point sampling and texture coordinates from 0
    // to 1 it shows the same picture as a power-of-two stretched copy, without resampling.
    auto texture = device.createTexture(image->width, image->height, 0, format);
    if (!texture) return nullptr;
    texture->upload(image->pixels.data());
    info.width = image->width;
    info.height = image->height;
    return texture;
}

} // namespace zamp
