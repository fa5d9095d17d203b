// A named 2D picture: a texture from a file, a render-target texture, or none at all (a
// plain coloured rectangle), with the unit quad it is drawn with.
#pragma once

#include "gfx/D3DTypes.h"
#include "gfx/Mesh.h"

#include <memory>
#include <string>
#include <vector>

namespace zamp {

struct TextureRecord;

struct Image {
    std::string name;
    std::unique_ptr<Mesh> quad;
    // Textured drawing's material; colour keys write into it, so the last drawn layer with
    // colour keys decides the colour of the image's later drawings without keys.
    Material material;
    TextureRecord* texture = nullptr; // owned by the registry; null for a plain rectangle
};

// The unit quad: x from 0 to 1, y from -1 to 0, texture (0, 0) at the top-left corner.
std::unique_ptr<Mesh> makeImageQuad();

class ImageList {
public:
    int add(std::unique_ptr<Image> image);
    // Position of the first image named `name`, or -1.
    int find(const std::string& name) const;
    std::size_t size() const { return images_.size(); }
    Image& operator[](std::size_t i) const { return *images_[i]; }

private:
    std::vector<std::unique_ptr<Image>> images_;
};

} // namespace zamp
