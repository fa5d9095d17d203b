// The device on OpenGL 3.3 core. It stores the Direct3D state the player sets and, at each
// draw, turns it into GL state (only what changed) and the inputs of the fixed-function
// program specialised to the state (GlFixedFunction), redoing only what the calls since the
// last draw made stale.
// Every surface is stored top row first, as Direct3D's are; `present` turns the back
// buffer the right way up in the window. Needs a current GL context for its whole life.
#pragma once

#include "gfx/Device.h"
#include "gfx/DeviceState.h"
#include "gfx/FixedFunction.h"
#include "platform/gl/GlFixedFunction.h"
#include "platform/gl/GlObjects.h"
#include "platform/gl/GlPipelineState.h"
#include "platform/gl/GlReadback.h"
#include "platform/gl/GlResources.h"
#include "platform/gl/GlStateCache.h"

#include <functional>
#include <memory>

namespace zamp {

class GlDevice final : public Device {
public:
    // What `present` shows the back buffer on: the window's drawable size and its swap.
    struct PresentTarget {
        std::function<void(int& width, int& height)> drawableSize;
        std::function<void()> swap;
    };

    // Throws an Error when the back buffer cannot be made. Programs are compiled at the
    // first draw that needs them; one that does not compile throws an Error from that draw.
    GlDevice(int backBufferWidth, int backBufferHeight, PresentTarget presentTarget = {});
    ~GlDevice() override;

    // A program of the caller's that draws in place of the fixed-function ones: the tests'
    // reference, whose pictures the fixed-function programs' are compared with. Before each
    // draw it makes its program current, with its inputs for `state`, through `cache`.
    class ProgramOverride {
    public:
        virtual ~ProgramOverride() = default;
        virtual void prepare(const DeviceState& state, GlStateCache& cache, int targetWidth, int targetHeight) = 0;
    };
    // Null: the fixed-function programs again. The override must outlive its use.
    void overridePrograms(ProgramOverride* program);

    void clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    bool beginScene() override;
    void endScene() override;
    void present() override;

    void setRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    DWORD renderState(D3DRENDERSTATETYPE state) const override { return state_.renderState(state); }
    void setTransform(DWORD type, const Matrix& m) override;
    const Matrix& transform(DWORD type) const override { return state_.transform(type); }
    bool setLight(DWORD index, const Light& light) override;
    void lightEnable(DWORD index, bool enable) override;
    void setMaterial(const Material& m) override;
    void setTexture(DWORD stage, Texture* t) override;
    void setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    DWORD textureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const override {
        return state_.textureStageState(stage, type);
    }

    bool setRenderTarget(DWORD index, Surface* surface) override;
    Surface* renderTarget(DWORD index) override;
    std::unique_ptr<Texture> createTexture(int width, int height, DWORD usage, D3DFORMAT format) override;
    void drawSubset(const Mesh& mesh, DWORD attribute) override;
    RgbImage readRenderTarget() override;
    // Through pixel buffer objects: the pixels are copied aside when the frame is drawn.
    void startReadback(RgbImage& into) override;
    void finishReadbacks() override;

    void finish() override { glFinish(); }
    // Device calls are what a translation without a state cache would turn into at least as
    // many GL calls; the back-end calls are the GL calls actually made.
    Counters counters() const override { return {deviceCalls_, cache_.calls(), liveObjects_}; }

    const DeviceState& state() const { return state_; }
    // Programs compiled so far (specialised path).
    std::size_t programCount() const { return fixedFunction_.programCount(); }

private:
    void bindTarget();

    DeviceState state_;
    GlStateCache cache_;
    PresentTarget presentTarget_;
    GlPipelineState pipeline_{cache_};
    GlFixedFunction fixedFunction_;
    ProgramOverride* programOverride_ = nullptr;
    GlReadback readback_{cache_};
    std::unique_ptr<GlSurface> backBuffer_;
    GlSurface* target_ = nullptr;
    bool inScene_ = false;
    std::uint64_t deviceCalls_ = 0;
    // Textures and mesh buffers alive; their owners are outside the device and go first.
    std::int64_t liveObjects_ = 0;
};

} // namespace zamp
