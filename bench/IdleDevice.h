// A device that draws nothing, for benchmarks that only load scenes: the loaders need a
// device to make textures with, which keep their size and nothing else.
#pragma once

#include "gfx/Device.h"
#include "gfx/Texture.h"

namespace zamp::bench {

class IdleTexture : public Texture, public Surface {
public:
    IdleTexture(int width, int height, bool renderTarget)
        : width_(width), height_(height), renderTarget_(renderTarget) {}
    int width() const override { return width_; }
    int height() const override { return height_; }
    Surface* renderSurface() override { return renderTarget_ ? this : nullptr; }
    void upload(const std::uint32_t*) override {}

private:
    int width_, height_;
    bool renderTarget_;
};

class IdleDevice : public Device {
public:
    void clear(DWORD, D3DCOLOR, float, DWORD) override {}
    bool beginScene() override { return true; }
    void endScene() override {}
    void present() override {}
    void setRenderState(D3DRENDERSTATETYPE, DWORD) override {}
    DWORD renderState(D3DRENDERSTATETYPE) const override { return 0; }
    void setTransform(DWORD, const Matrix&) override {}
    const Matrix& transform(DWORD) const override { return identity_; }
    bool setLight(DWORD, const Light&) override { return true; }
    void lightEnable(DWORD, bool) override {}
    void setMaterial(const Material&) override {}
    void setTexture(DWORD, Texture*) override {}
    void setTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override {}
    DWORD textureStageState(DWORD, D3DTEXTURESTAGESTATETYPE) const override { return 0; }
    bool setRenderTarget(DWORD, Surface*) override { return false; }
    Surface* renderTarget(DWORD) override { return nullptr; }
    std::unique_ptr<Texture> createTexture(int width, int height, DWORD usage, D3DFORMAT) override {
        return std::make_unique<IdleTexture>(width, height, (usage & D3DUSAGE_RENDERTARGET) != 0);
    }
    void drawSubset(const Mesh&, DWORD) override {}
    RgbImage readRenderTarget() override { return {}; }
    void finish() override {}
    Counters counters() const override { return {}; }

private:
    Matrix identity_ = Matrix::identity();
};

} // namespace zamp::bench
