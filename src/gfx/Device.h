// The device the player draws with: the subset of the Direct3D 9 device that the show
// format is defined by. Subsystems talk only to this interface; GlDevice implements it on
// OpenGL, the tests' recording device logs it.
#pragma once

#include "gfx/D3DTypes.h"
#include "gfx/Pixels.h"
#include "gfx/Texture.h"

#include <memory>

namespace zamp {

class Mesh;

class Device {
public:
    virtual ~Device() = default;

    // Clears the current render target; flags are D3DCLEAR_* bits.
    virtual void clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil) = 0;
    // False when the scene cannot begin (the caller then skips its drawing).
    virtual bool beginScene() = 0;
    virtual void endScene() = 0;
    virtual void present() = 0;

    virtual void setRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual DWORD renderState(D3DRENDERSTATETYPE state) const = 0;
    virtual void setTransform(DWORD type, const Matrix& matrix) = 0;
    virtual const Matrix& transform(DWORD type) const = 0;

    // False (and the index keeps its old light) for a light the device rejects.
    virtual bool setLight(DWORD index, const Light& light) = 0;
    virtual void lightEnable(DWORD index, bool enable) = 0;
    virtual void setMaterial(const Material& material) = 0;
    virtual void setTexture(DWORD stage, Texture* texture) = 0;
    virtual void setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual DWORD textureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const = 0;

    // Null selects nothing and fails. Selecting a target resets the viewport to all of it.
    virtual bool setRenderTarget(DWORD index, Surface* surface) = 0;
    virtual Surface* renderTarget(DWORD index) = 0;

    // A texture of one level; usage D3DUSAGE_RENDERTARGET gives it a surface to draw into.
    // Null when the device cannot make it.
    virtual std::unique_ptr<Texture> createTexture(int width, int height, DWORD usage, D3DFORMAT format) = 0;

    // Draws the faces of the mesh whose attribute is `attribute` with the current state.
    virtual void drawSubset(const Mesh& mesh, DWORD attribute) = 0;

    // The current render target's pixels, top row first.
    virtual RgbImage readRenderTarget() = 0;

    // Reading frames back without waiting for each: `startReadback` begins copying the
    // current render target's pixels (top row first) into `into`, which must stay alive and
    // untouched until `finishReadbacks` returns; that completes every readback begun, in
    // order, and throws an Error when pixels cannot be read back. Drawing may go on in
    // between. This default copies at once.
    virtual void startReadback(RgbImage& into) { into = readRenderTarget(); }
    virtual void finishReadbacks() {}

    // Waits until every drawing command given so far has been carried out.
    virtual void finish() = 0;

    struct Counters {
        std::uint64_t deviceCalls = 0;  // calls of this interface
        std::uint64_t backendCalls = 0; // calls the device made of the graphics API below it
        std::int64_t liveObjects = 0;   // textures and mesh buffers the device made that still exist
    };
    virtual Counters counters() const = 0;
};

} // namespace zamp
