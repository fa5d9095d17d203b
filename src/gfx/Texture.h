// Textures and surfaces as the player sees them: a texture has a size and, when it was made
// as a render target, a level-0 surface that can become the device's render target.
// The device that made a texture is the only one that may draw with it.
#pragma once

#include "gfx/D3DTypes.h"

#include <cstdint>

namespace zamp {

class Surface {
public:
    virtual ~Surface() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

class Texture {
public:
    virtual ~Texture() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // The level-0 surface of a render-target texture; null for other textures.
    virtual Surface* renderSurface() = 0;
    // Replaces level 0 with width*height pixels in A8R8G8B8 layout (B, G, R, A bytes), top row first.
    virtual void upload(const std::uint32_t* argb) = 0;
};

} // namespace zamp
