#include "show/TextureLoader.h"

#include "gfx/PictureFile.h"

namespace zamp {

TextureFromFile createTextureFromFile(Device& device, ImageFiles& files, const std::string& path,
                                      D3DFORMAT format) {
    TextureFromFile result;
    ImageLoad load = files.load(path);
    if (!load.image) {
        result.problem = std::move(load.problem);
        result.missing = load.missing;
        return result;
    }
    const ArgbImage& image = *load.image;
    // The texture keeps the file's size: with point sampling and texture coordinates from 0
    // to 1 it shows the same picture as a power-of-two stretched copy, without resampling.
    result.texture = device.createTexture(image.width, image.height, 0, format);
    if (!result.texture) {
        result.problem = "is " + pictureSizeText(image.width, image.height) + " pixels, a texture the device cannot make";
        return result;
    }
    result.texture->upload(image.pixels.data());
    result.width = image.width;
    result.height = image.height;
    return result;
}

} // namespace zamp
