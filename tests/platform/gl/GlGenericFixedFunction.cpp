#include "GlGenericFixedFunction.h"

#include "GlGenericShaderSource.h"
#include "core/Error.h"
#include "platform/gl/GlProgram.h"

#include <cstring>
#include <string>

namespace zamp::test {

namespace {

// Apart from the device's frame block at binding 0.
constexpr GLuint kGenericBlockBinding = 1;

} // namespace

GlGenericFixedFunction::GlGenericFixedFunction() {
    program_ = linkProgram(kGenericFixedFunctionVertexShader, kGenericFixedFunctionFragmentShader);
    const GLint blockSize = bindUniformBlock(program_.get(), "FixedFunction", kGenericBlockBinding);
    if (blockSize != GLint(sizeof(GenericFixedFunctionBlock)))
        throw Error("Fixed-function shader block has " + std::to_string(blockSize) + " bytes, expected " +
                    std::to_string(sizeof(GenericFixedFunctionBlock)));
    buffer_ = gl::makeUniformBuffer(sizeof(GenericFixedFunctionBlock), kGenericBlockBinding);
}

void GlGenericFixedFunction::prepare(const DeviceState& state, GlStateCache& cache, int targetWidth,
                                     int targetHeight) {
    cache.useProgram(program_.get());
    if (!samplerSet_) {
        // Once the program is current through the device's cache, which then knows it.
        glUniform1i(glGetUniformLocation(program_.get(), "stageTexture"), 0);
        cache.count(2);
        samplerSet_ = true;
    }
    GenericFixedFunctionBlock block;
    buildGenericFixedFunctionBlock(state, targetWidth, targetHeight, block);
    if (blockUploaded_ && std::memcmp(&block, &lastBlock_, sizeof block) == 0) return;
    glBindBuffer(GL_UNIFORM_BUFFER, buffer_.get());
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof block, &block);
    cache.count(2);
    lastBlock_ = block;
    blockUploaded_ = true;
}

} // namespace zamp::test
