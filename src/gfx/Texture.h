// Textures and surfaces as the player sees them: a texture has a size and, when it was made
// as a render target, a level-0 surface that can become the device's render target.
// The device that made a texture is the only one that may draw with it.
#pragma once

#include "gfx/D3DTypes.h"

#include <cstdint>

namespace zamp {

// The longest side of a texture the player makes, loaded or drawn into: what the Direct3D 9
// cards of the time offer at most (MaxTextureWidth and MaxTextureHeight). A picture or render
// target beyond it is refused before any memory is spent on it (8192 by 8192 is 256 MB).
inline constexpr int kMaxTextureSide = 8192;

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
