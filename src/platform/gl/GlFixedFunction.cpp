#include "platform/gl/GlFixedFunction.h"

#include "core/Error.h"
#include "platform/gl/GlProgram.h"

#include <cstring>
#include <string>

namespace zamp {

namespace {

constexpr std::size_t kRowBytes = sizeof(FixedFunctionDraw::rows[0]);
constexpr int kMaterialRowCount = FixedFunctionDraw::kRows - FixedFunctionDraw::kMatrixRows;

} // namespace

GlFixedFunction::GlFixedFunction(GlStateCache& cache, GlslDialect dialect) : cache_(cache), dialect_(dialect) {
    frameBuffer_ = gl::makeUniformBuffer(sizeof(FixedFunctionFrame), kFrameBlockBinding);
    cache_.count(3);
}

void GlFixedFunction::prepare(const DeviceState& state, int targetWidth, int targetHeight) {
    if (stale_ & kShapeInput) current_ = &programFor(state);
    cache_.useProgram(current_->name.get());
    if ((stale_ & kFrameInput) || targetWidth != frameWidth_ || targetHeight != frameHeight_)
        uploadFrame(state, targetWidth, targetHeight);
    if (stale_ & kMatricesInput) putDrawMatrices(state, draw_);
    if (stale_ & kMaterialInput) putDrawMaterial(state.material(), draw_);
    stale_ = 0;
    uploadDrawRows(*current_);
}

GlFixedFunction::Program& GlFixedFunction::programFor(const DeviceState& state) {
    const FixedFunctionShape shape = fixedFunctionShape(state);
    auto& slot = programs_[shape.key()];
    if (slot) return *slot;

    auto program = std::make_unique<Program>();
    program->name = linkProgram(fixedFunctionVertexShader(shape, dialect_).c_str(),
                                fixedFunctionFragmentShader(shape, dialect_).c_str());
    const GLuint name = program->name.get();
    const GLint blockSize = bindUniformBlock(name, kFrameBlockName, kFrameBlockBinding);
    if (blockSize != GLint(sizeof(FixedFunctionFrame)))
        throw Error("Fixed-function shader block has " + std::to_string(blockSize) + " bytes, expected " +
                    std::to_string(sizeof(FixedFunctionFrame)));
    program->matrixRows = glGetUniformLocation(name, kDrawRowsName);
    program->materialRows = glGetUniformLocation(name, (std::string(kDrawRowsName) + "[7]").c_str());
    cache_.useProgram(name);
    if (shape.texture) glUniform1i(glGetUniformLocation(name, kStageTextureName), 0);
    cache_.count(6);
    slot = std::move(program);
    return *slot;
}

void GlFixedFunction::uploadFrame(const DeviceState& state, int targetWidth, int targetHeight) {
    FixedFunctionFrame frame;
    buildFixedFunctionFrame(state, targetWidth, targetHeight, frame);
    frameWidth_ = targetWidth, frameHeight_ = targetHeight;
    if (frameUploaded_ && std::memcmp(&frame, &frame_, sizeof frame) == 0) return;
    frame_ = frame;
    frameUploaded_ = true;
    // New storage rather than an update in place: draws already queued keep reading the old
    // block, and the driver need not wait for them.
    glBindBuffer(GL_UNIFORM_BUFFER, frameBuffer_.get());
    glBufferData(GL_UNIFORM_BUFFER, sizeof frame_, &frame_, GL_DYNAMIC_DRAW);
    cache_.count(2);
}

void GlFixedFunction::uploadDrawRows(Program& program) {
    const bool fresh = !program.hasUploaded;
    const bool matrices =
        fresh || std::memcmp(program.uploaded.rows[0], draw_.rows[0], FixedFunctionDraw::kMatrixRows * kRowBytes) != 0;
    const bool material =
        program.materialRows >= 0 &&
        (fresh || std::memcmp(program.uploaded.rows[FixedFunctionDraw::kMatrixRows],
                              draw_.rows[FixedFunctionDraw::kMatrixRows], kMaterialRowCount * kRowBytes) != 0);
    program.hasUploaded = true;
    if (matrices && material) {
        glUniform4fv(program.matrixRows, FixedFunctionDraw::kRows, draw_.rows[0]);
        program.uploaded = draw_;
    } else if (matrices) {
        glUniform4fv(program.matrixRows, FixedFunctionDraw::kMatrixRows, draw_.rows[0]);
        std::memcpy(program.uploaded.rows[0], draw_.rows[0], FixedFunctionDraw::kMatrixRows * kRowBytes);
    } else if (material) {
        glUniform4fv(program.materialRows, kMaterialRowCount, draw_.rows[FixedFunctionDraw::kMatrixRows]);
        std::memcpy(program.uploaded.rows[FixedFunctionDraw::kMatrixRows], draw_.rows[FixedFunctionDraw::kMatrixRows],
                    kMaterialRowCount * kRowBytes);
    } else {
        return;
    }
    cache_.count();
}

} // namespace zamp
