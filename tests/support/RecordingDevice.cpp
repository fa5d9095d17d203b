#include "support/RecordingDevice.h"

#include "gfx/Mesh.h"

#include <cstdio>

namespace zamp::test {

std::string hex(DWORD v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08x", v);
    return buf;
}

class RecordingDevice::FakeSurface final : public Surface {
public:
    FakeSurface(int w, int h) : w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }

private:
    int w_, h_;
};

class RecordingDevice::FakeTexture final : public Texture {
public:
    FakeTexture(int w, int h, bool rt, std::int64_t& live) : live_(live), w_(w), h_(h) {
        ++live_;
        if (rt) surface_ = std::make_unique<FakeSurface>(w, h);
    }
    int width() const override { return w_; }
    int height() const override { return h_; }
    Surface* renderSurface() override { return surface_.get(); }
    void upload(const std::uint32_t*) override {}
    ~FakeTexture() override { --live_; }

private:
    std::int64_t& live_;
    int w_, h_;
    std::unique_ptr<FakeSurface> surface_;
};

RecordingDevice::RecordingDevice(int width, int height)
    : backBuffer_(std::make_unique<FakeSurface>(width, height)), target_(backBuffer_.get()) {}

void RecordingDevice::clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    record("Clear(" + std::to_string(flags) + ", " + hex(color) + ", " + std::to_string(z) + ", " +
                  std::to_string(stencil) + ")");
}

bool RecordingDevice::beginScene() {
    record(failBeginScene ? "BeginScene() failed" : "BeginScene()");
    return !failBeginScene;
}

void RecordingDevice::endScene() { record("EndScene()"); }
void RecordingDevice::present() { record("Present()"); }

void RecordingDevice::setRenderState(D3DRENDERSTATETYPE s, DWORD v) {
    record("SetRenderState(" + std::to_string(s) + ", " + hex(v) + ")");
    state_.setRenderState(s, v);
}

void RecordingDevice::setTransform(DWORD type, const Matrix& m) {
    record("SetTransform(" + std::to_string(type) + ")");
    state_.setTransform(type, m);
}

bool RecordingDevice::setLight(DWORD index, const Light& l) {
    record("SetLight(" + std::to_string(index) + ", type " + std::to_string(l.type) + ")");
    return state_.setLight(index, l);
}

void RecordingDevice::lightEnable(DWORD index, bool enable) {
    record("LightEnable(" + std::to_string(index) + ", " + (enable ? "TRUE" : "FALSE") + ")");
    state_.lightEnable(index, enable);
}

void RecordingDevice::setMaterial(const Material& m) {
    record("SetMaterial()");
    state_.setMaterial(m);
}

void RecordingDevice::setTexture(DWORD stage, Texture* t) {
    record("SetTexture(" + std::to_string(stage) + ", " + (t ? "texture" : "null") + ")");
    state_.setTexture(stage, t);
}

void RecordingDevice::setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    record("SetTextureStageState(" + std::to_string(stage) + ", " + std::to_string(type) + ", " +
                  std::to_string(value) + ")");
    state_.setTextureStageState(stage, type, value);
}

bool RecordingDevice::setRenderTarget(DWORD index, Surface* surface) {
    bool ok = index == 0 && surface != nullptr;
    record("SetRenderTarget(" + std::to_string(index) + ", " +
                  (surface == backBuffer_.get() ? std::string("backbuffer")
                   : surface                     ? std::to_string(surface->width()) + "x" + std::to_string(surface->height())
                                                 : std::string("null")) +
                  ")");
    if (ok) target_ = surface;
    return ok;
}

Surface* RecordingDevice::renderTarget(DWORD index) { return index == 0 ? target_ : nullptr; }

std::unique_ptr<Texture> RecordingDevice::createTexture(int width, int height, DWORD usage, D3DFORMAT) {
    record("CreateTexture(" + std::to_string(width) + ", " + std::to_string(height) + ", " +
                  std::to_string(usage) + ")");
    if (width <= 0 || height <= 0) return nullptr;
    return std::make_unique<FakeTexture>(width, height, (usage & D3DUSAGE_RENDERTARGET) != 0, liveTextures_);
}

void RecordingDevice::drawSubset(const Mesh& mesh, DWORD attribute) {
    record("DrawSubset(" + std::to_string(attribute) + ")");
    draws.push_back({&mesh, state_, target_});
}

RgbImage RecordingDevice::readRenderTarget() { return {target_->width(), target_->height(), {}}; }

std::vector<std::string> RecordingDevice::calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& entry : log)
        if (entry.rfind(prefix, 0) == 0) out.push_back(entry);
    return out;
}

} // namespace zamp::test
