#include "show/Image.h"

#include "core/Error.h"

namespace zamp {

std::unique_ptr<Mesh> makeImageQuad() {
    auto quad = Mesh::create(2, 4, D3DXMESH_SYSTEMMEM);
    if (!quad) throw Error("The image quad cannot be made.");
    auto v = quad->vertices();
    const Vec3 n{0, 0, -1};
    v[0] = {{0, -1, 0}, n, 0, 1};
    v[1] = {{1, -1, 0}, n, 1, 1};
    v[2] = {{1, 0, 0}, n, 1, 0};
    v[3] = {{0, 0, 0}, n, 0, 0};
    const std::uint16_t indices[] = {1, 0, 3, 3, 2, 1};
    std::copy(std::begin(indices), std::end(indices), quad->indices16().begin());
    quad->changed();
    return quad;
}

int ImageList::add(std::unique_ptr<Image> image) {
    images_.push_back(std::move(image));
    return int(images_.size() - 1);
}

int ImageList::find(const std::string& name) const {
    for (std::size_t i = 0; i < images_.size(); ++i)
        if (images_[i]->name == name) return int(i);
    return -1;
}

} // namespace zamp
