#include "platform/gl/GlDevice.h"

#include "core/Error.h"

#include <cstring>
#include <string>

namespace zamp {

GlDevice::GlDevice(int backBufferWidth, int backBufferHeight, PresentTarget presentTarget)
    : presentTarget_(std::move(presentTarget)), fixedFunction_(cache_, gl::kShaderDialect) {
    glActiveTexture(GL_TEXTURE0);

    // Surfaces are stored top row first with y flipped in the shader, which reverses the
    // on-screen winding: counter-clockwise in GL terms is Direct3D's clockwise front face.
    glFrontFace(GL_CCW);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DITHER);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    backBuffer_ = std::make_unique<GlSurface>(backBufferWidth, backBufferHeight, 0);
    if (!backBuffer_->complete()) throw Error("The back buffer cannot be made.");
    target_ = backBuffer_.get();
}

GlDevice::~GlDevice() = default;

void GlDevice::overridePrograms(ProgramOverride* program) {
    programOverride_ = program;
    // The override's draws leave the fixed-function inputs untouched, but the program in use
    // has changed.
    fixedFunction_.invalidate(kShapeInput);
}

// Each setter marks stale only what a real change touches (a scene layer sets the same stage
// states and render states for every mesh): the fixed-function inputs and the GL state group
// that the state's row in the state table names.
void GlDevice::setRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    ++deviceCalls_;
    if (state_.renderState(state) == value) return;
    state_.setRenderState(state, value);
    const RenderStateRow& row = renderStateRow(state);
    fixedFunction_.invalidate(row.inputs);
    pipeline_.invalidate(row.pipeline);
}

void GlDevice::setTransform(DWORD type, const Matrix& m) {
    ++deviceCalls_;
    if (state_.transform(type) == m) return;
    state_.setTransform(type, m);
    fixedFunction_.invalidate(fixedFunctionInputsOfTransform(type));
}

bool GlDevice::setLight(DWORD index, const Light& light) {
    ++deviceCalls_;
    if (!state_.setLight(index, light)) return false;
    if (state_.lightEnabled(index)) fixedFunction_.invalidate(kShapeInput | kFrameInput);
    return true;
}

void GlDevice::lightEnable(DWORD index, bool enable) {
    ++deviceCalls_;
    if (state_.lightEnabled(index) == enable) return;
    state_.lightEnable(index, enable);
    fixedFunction_.invalidate(kShapeInput | kFrameInput);
}

void GlDevice::setMaterial(const Material& m) {
    ++deviceCalls_;
    if (state_.material() == m) return;
    state_.setMaterial(m);
    fixedFunction_.invalidate(kMaterialInput);
}

void GlDevice::setTexture(DWORD stage, Texture* t) {
    ++deviceCalls_;
    // Which texture is bound is GL state; only whether one is bound shapes the program.
    if (stage == 0 && (state_.texture(0) == nullptr) != (t == nullptr)) fixedFunction_.invalidate(kShapeInput);
    state_.setTexture(stage, t);
}

void GlDevice::setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    ++deviceCalls_;
    if (state_.textureStageState(stage, type) == value) return;
    state_.setTextureStageState(stage, type, value);
    fixedFunction_.invalidate(fixedFunctionInputsOfStageState(stage, type));
}

void GlDevice::bindTarget() {
    cache_.bindFramebuffer(target_->framebuffer());
    cache_.viewport(target_->width(), target_->height());
}

void GlDevice::clear(DWORD flags, D3DCOLOR color, float z, DWORD) {
    ++deviceCalls_;
    GlSurface::ClearedContents& cleared = target_->cleared();
    GLbitfield bits = 0;
    if ((flags & D3DCLEAR_TARGET) && cleared.color != color) {
        // Clears obey the write masks: open them first.
        cache_.colorMask(true);
        Vec4 c = colorValue(color);
        glClearColor(c.r, c.g, c.b, c.a);
        cache_.count();
        bits |= GL_COLOR_BUFFER_BIT;
        cleared.color = color;
    }
    if ((flags & D3DCLEAR_ZBUFFER) && cleared.depth != z) {
        cache_.depthMask(true);
        pipeline_.invalidate(PipelineState::DepthWrite); // the next draw sets depth writes as ZWRITEENABLE says
        gl::clearDepth(z);
        cache_.count();
        bits |= GL_DEPTH_BUFFER_BIT;
        cleared.depth = z;
    }
    if (bits) {
        bindTarget(); // selecting a target binds nothing
        glClear(bits);
        cache_.count();
    }
}

bool GlDevice::beginScene() {
    ++deviceCalls_;
    if (inScene_) return false;
    inScene_ = true;
    return true;
}

void GlDevice::endScene() {
    ++deviceCalls_;
    inScene_ = false;
}

void GlDevice::present() {
    ++deviceCalls_;
    if (!presentTarget_.swap) {
        glFlush();
        cache_.count();
        return;
    }
    int w = backBuffer_->width(), h = backBuffer_->height();
    if (presentTarget_.drawableSize) presentTarget_.drawableSize(w, h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer_->framebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The back buffer's row 0 is the top: blit it upside down into the window.
    bool sameSize = w == backBuffer_->width() && h == backBuffer_->height();
    glBlitFramebuffer(0, 0, backBuffer_->width(), backBuffer_->height(), 0, h, w, 0, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    cache_.count(3);
    cache_.invalidate();
    pipeline_.invalidateAll();
    presentTarget_.swap();
}

bool GlDevice::setRenderTarget(DWORD index, Surface* surface) {
    ++deviceCalls_;
    auto* gls = dynamic_cast<GlSurface*>(surface);
    if (index != 0 || gls == nullptr || !gls->complete()) return false;
    // Bound, with a viewport covering all of it, by the first clear or draw that reaches it: a
    // target that nothing changes in a frame costs no framebuffer switch.
    target_ = gls;
    return true;
}

Surface* GlDevice::renderTarget(DWORD index) { return index == 0 ? target_ : nullptr; }

std::unique_ptr<Texture> GlDevice::createTexture(int width, int height, DWORD usage, D3DFORMAT) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width <= 0 || height <= 0 || width > maxSize || height > maxSize) return nullptr;
    auto texture = std::make_unique<GlTexture>(width, height, (usage & D3DUSAGE_RENDERTARGET) != 0, liveObjects_);
    cache_.forgetTextureAndFramebuffer();
    if (!texture->valid()) return nullptr;
    return texture;
}

void GlDevice::drawSubset(const Mesh& mesh, DWORD attribute) {
    ++deviceCalls_;
    // Every face of the player's meshes carries attribute 0.
    if (attribute != 0 || mesh.faceCount() == 0) return;
    if (!dynamic_cast<GlMeshData*>(mesh.deviceData.get())) {
        mesh.deviceData = std::make_unique<GlMeshData>(mesh, liveObjects_);
        cache_.forgetVertexArray();
        cache_.count(12);
    }
    const auto& data = static_cast<const GlMeshData&>(*mesh.deviceData);

    bindTarget();
    pipeline_.apply(state_);
    auto* texture = dynamic_cast<GlTexture*>(state_.texture(0));
    // A draw without a texture samples none: whatever is bound may stay, and a scene that
    // alternates textured and plain meshes does not rebind at every draw.
    if (texture) cache_.bindTexture(texture->name());
    if (programOverride_)
        programOverride_->prepare(state_, cache_, target_->width(), target_->height());
    else
        fixedFunction_.prepare(state_, target_->width(), target_->height());
    cache_.bindVertexArray(data.vertexArray());
    glDrawElements(GL_TRIANGLES, data.indexCount(), data.indexType(), nullptr);
    cache_.count();
    // GL writes depth only where the depth test is on.
    target_->drawnInto(state_.renderState(D3DRS_ZENABLE) != 0 && state_.renderState(D3DRS_ZWRITEENABLE) != 0);
}

RgbImage GlDevice::readRenderTarget() {
    RgbImage image;
    startReadback(image);
    finishReadbacks();
    return image;
}

void GlDevice::startReadback(RgbImage& into) {
    bindTarget();
    if constexpr (gl::kReadsBackThroughBuffers) {
        readback_.start(target_->width(), target_->height(), into);
    } else {
        into.width = target_->width();
        into.height = target_->height();
        into.pixels.resize(std::size_t(into.width) * std::size_t(into.height) * 3);
        gl::readPixelsRgb(into.width, into.height, into.pixels.data());
        cache_.count();
    }
}

void GlDevice::finishReadbacks() { readback_.finishAll(); }

} // namespace zamp
