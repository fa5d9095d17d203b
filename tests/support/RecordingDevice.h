// A device that records every call with its arguments, in order, and keeps the Direct3D
// state like a real device would, so tests can check exact state sequences without a GPU.
#pragma once

#include "gfx/Device.h"
#include "gfx/DeviceState.h"

#include <string>
#include <vector>

namespace zamp::test {

class RecordingDevice final : public Device {
public:
    RecordingDevice(int width = 1024, int height = 768);

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
    // Every call is carried out when it is made: there is nothing to wait for.
    void finish() override {}
    // Device calls so far (a cleared log keeps counting); no graphics API lies below.
    Counters counters() const override { return {calls_, 0, liveTextures_}; }

    // Calls as text, e.g. "SetRenderState(139, 0x00ff8000)", in call order.
    std::vector<std::string> log;
    // What was current at each draw.
    struct Draw {
        const Mesh* mesh;
        DeviceState state;
        Surface* target;
    };
    std::vector<Draw> draws;
    const DeviceState& state() const { return state_; }
    // Makes the next beginScene calls fail.
    bool failBeginScene = false;
    // Entries of `log` that start with `prefix`.
    std::vector<std::string> calls(const std::string& prefix) const;
    void clearLog() { log.clear(), draws.clear(); }

private:
    void record(std::string call) {
        log.push_back(std::move(call));
        ++calls_;
    }
    class FakeSurface;
    class FakeTexture;
    DeviceState state_;
    std::unique_ptr<Surface> backBuffer_;
    Surface* target_;
    std::uint64_t calls_ = 0;
    std::int64_t liveTextures_ = 0;
};

std::string hex(DWORD v);

} // namespace zamp::test
