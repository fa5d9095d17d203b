// The device's fixed-function programs and their inputs, each at its own frequency: one
// program per shape (FixedFunctionShape), compiled at the first draw that needs it and kept;
// the frame block in one uniform buffer that every program reads, rebuilt when state it
// depends on changed and uploaded when its bytes changed; the draw rows uploaded to the
// program in use, only the ones that differ from what that program last received.
#pragma once

#include "gfx/FixedFunction.h"
#include "gfx/FixedFunctionShape.h"
#include "platform/gl/GlObjects.h"
#include "platform/gl/GlShaderSource.h"
#include "platform/gl/GlStateCache.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace zamp {

class GlFixedFunction {
public:
    GlFixedFunction(GlStateCache& cache, GlslDialect dialect);

    // Marks derived inputs stale: FixedFunctionInput bits.
    void invalidate(unsigned inputs) { stale_ |= inputs; }

    // Before a draw with `state` into a target of the given size: the program for the
    // state's shape in use, the frame block and the draw rows current. Throws an Error when a
    // new program does not compile.
    void prepare(const DeviceState& state, int targetWidth, int targetHeight);

    std::size_t programCount() const { return programs_.size(); }

private:
    struct Program {
        gl::ProgramName name;
        GLint matrixRows = -1;   // drawRows[0]
        GLint materialRows = -1; // drawRows[7]; -1 when the program reads no material
        FixedFunctionDraw uploaded{};
        bool hasUploaded = false;
    };

    Program& programFor(const DeviceState& state);
    void uploadFrame(const DeviceState& state, int targetWidth, int targetHeight);
    void uploadDrawRows(Program& program);

    GlStateCache& cache_;
    GlslDialect dialect_;
    std::unordered_map<std::uint64_t, std::unique_ptr<Program>> programs_;
    Program* current_ = nullptr;
    unsigned stale_ = kShapeInput | kFrameInput | kMatricesInput | kMaterialInput;
    gl::BufferName frameBuffer_;
    FixedFunctionFrame frame_{};
    bool frameUploaded_ = false;
    int frameWidth_ = -1, frameHeight_ = -1;
    FixedFunctionDraw draw_{};
};

} // namespace zamp
