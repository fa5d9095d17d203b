#include "platform/gl/GlGenericFixedFunction.h"

#include "core/Error.h"
#include "platform/gl/GlGenericShaderSource.h"
#include "platform/gl/GlProgram.h"

#include <cstring>
#include <string>

namespace zamp {

namespace {

// Apart from the specialised programs' frame block at binding 0.
constexpr GLuint kGenericBlockBinding = 1;

} // namespace

GlGenericFixedFunction::GlGenericFixedFunction(GlStateCache& cache) : cache_(cache) {
    program_ = linkProgram(kGenericFixedFunctionVertexShader, kGenericFixedFunctionFragmentShader);
    const GLint blockSize = bindUniformBlock(program_.get(), "FixedFunction", kGenericBlockBinding);
    if (blockSize != GLint(sizeof(GenericFixedFunctionBlock)))
        throw Error("Fixed-function shader block has " + std::to_string(blockSize) + " bytes, expected " +
                    std::to_string(sizeof(GenericFixedFunctionBlock)));
    cache_.useProgram(program_.get());
    glUniform1i(glGetUniformLocation(program_.get(), "stageTexture"), 0);
    buffer_ = gl::makeUniformBuffer(sizeof(GenericFixedFunctionBlock), kGenericBlockBinding);
    cache_.count(8);
}

void GlGenericFixedFunction::prepare(const DeviceState& state, int targetWidth, int targetHeight) {
    cache_.useProgram(program_.get());
    GenericFixedFunctionBlock block;
    buildGenericFixedFunctionBlock(state, targetWidth, targetHeight, block);
    if (blockUploaded_ && std::memcmp(&block, &lastBlock_, sizeof block) == 0) return;
    glBindBuffer(GL_UNIFORM_BUFFER, buffer_.get());
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof block, &block);
    cache_.count(2);
    lastBlock_ = block;
    blockUploaded_ = true;
}

} // namespace zamp
