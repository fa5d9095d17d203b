// The generated fixed-function shaders in both dialects: every shape compiles and links in a
// context of its dialect (desktop 3.3 core; OpenGL ES 3.0 as WebGL 2 has it) with the frame
// block the device uploads, and the dialects differ only in their first lines.
#include "gfx/FixedFunction.h"
#include "platform/gl/GlProgram.h"
#include "platform/gl/GlShaderSource.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zamp {
namespace {

StageArgument arg(StageSource source, bool complement = false, bool alphaReplicate = false) {
    return {source, complement, alphaReplicate};
}

// Shapes that together use every piece of the generator.
std::vector<FixedFunctionShape> shapes() {
    std::vector<FixedFunctionShape> list;
    FixedFunctionShape unlit;
    list.push_back(unlit);

    FixedFunctionShape lit;
    lit.lighting = true;
    list.push_back(lit); // no lights

    FixedFunctionShape all = lit;
    all.lightCount = kMaxActiveLights;
    const D3DLIGHTTYPE kinds[] = {D3DLIGHT_POINT, D3DLIGHT_SPOT, D3DLIGHT_DIRECTIONAL};
    for (int i = 0; i < kMaxActiveLights; ++i) all.lightTypes[i] = kinds[i % 3];
    all.specular = true;
    all.localViewer = true;
    all.fog = FogFormula::Linear;
    all.rangeFog = true;
    all.alphaTest = D3DCMP_GREATEREQUAL;
    all.texture = true;
    all.color = {StageOperation::Modulate, arg(StageSource::Texture), arg(StageSource::Diffuse)};
    all.alpha = {StageOperation::SelectArg1, arg(StageSource::Texture), {}};
    list.push_back(all);

    for (FogFormula fog : {FogFormula::Constant, FogFormula::Exp, FogFormula::Exp2}) {
        FixedFunctionShape s = all;
        s.fog = fog;
        s.rangeFog = false;
        s.specular = s.localViewer = false;
        list.push_back(s);
    }
    for (DWORD func = D3DCMP_NEVER; func < D3DCMP_ALWAYS; ++func) {
        FixedFunctionShape s = lit;
        s.alphaTest = func;
        list.push_back(s);
    }
    const StageOperation ops[] = {StageOperation::SelectArg2, StageOperation::Modulate2x, StageOperation::Modulate4x,
                                  StageOperation::Add,        StageOperation::AddSigned,  StageOperation::Subtract};
    for (StageOperation op : ops) {
        FixedFunctionShape s = lit;
        s.texture = true;
        s.color = {op, arg(StageSource::Factor, true), arg(StageSource::Specular, false, true)};
        s.alpha = {op, arg(StageSource::Texture, false, true), arg(StageSource::Diffuse, true)};
        list.push_back(s);
    }
    FixedFunctionShape unboundTexture = unlit;
    unboundTexture.color = {StageOperation::Add, arg(StageSource::Texture), arg(StageSource::Specular)};
    list.push_back(unboundTexture);
    return list;
}

// The text after the dialect's own first lines.
std::string body(const std::string& source) {
    const std::size_t start = source.find("struct FixedFunctionLight");
    return start == std::string::npos ? source : source.substr(start);
}

struct Dialect {
    const char* name;
    GlslDialect dialect;
    bool es;
};

class GeneratedShaders : public ::testing::TestWithParam<Dialect> {};

TEST_P(GeneratedShaders, EveryShapeLinksWithTheFrameBlockTheDeviceUploads) {
    test::OffscreenContext context(GetParam().es);
    ASSERT_TRUE(context.ok()) << "no " << GetParam().name << " context";
    for (const FixedFunctionShape& shape : shapes()) {
        const std::string vs = fixedFunctionVertexShader(shape, GetParam().dialect);
        const std::string fs = fixedFunctionFragmentShader(shape, GetParam().dialect);
        SCOPED_TRACE(vs + "\n" + fs);
        gl::ProgramName program;
        ASSERT_NO_THROW(program = linkProgram(vs.c_str(), fs.c_str()));
        EXPECT_EQ(bindUniformBlock(program.get(), kFrameBlockName, kFrameBlockBinding), GLint(sizeof(FixedFunctionFrame)));
        EXPECT_GE(glGetUniformLocation(program.get(), kDrawRowsName), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialects, GeneratedShaders,
                         ::testing::Values(Dialect{"desktop", GlslDialect::Glsl330, false},
                                           Dialect{"es", GlslDialect::Essl300, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GeneratedShaderText, DialectsDifferOnlyInTheirFirstLines) {
    for (const FixedFunctionShape& shape : shapes()) {
        const std::string desktop = fixedFunctionVertexShader(shape, GlslDialect::Glsl330);
        const std::string es = fixedFunctionVertexShader(shape, GlslDialect::Essl300);
        EXPECT_EQ(desktop.rfind("#version 330 core\n", 0), 0u);
        EXPECT_EQ(es.rfind("#version 300 es\nprecision highp float;\n", 0), 0u);
        EXPECT_EQ(body(desktop), body(es));
        EXPECT_NE(body(desktop), desktop);
        EXPECT_EQ(body(fixedFunctionFragmentShader(shape, GlslDialect::Glsl330)),
                  body(fixedFunctionFragmentShader(shape, GlslDialect::Essl300)));
    }
}

TEST(GeneratedShaderText, ShapesWithoutAFeatureCarryNoCodeForIt) {
    // The point of specialising: an unlit, fogless, untextured shape evaluates no light,
    // fog formula, texture or alpha test.
    FixedFunctionShape plain;
    const std::string vs = fixedFunctionVertexShader(plain, GlslDialect::Glsl330);
    const std::string fs = fixedFunctionFragmentShader(plain, GlslDialect::Glsl330);
    for (const char* absent : {"lights[0]", "vFog", "inNormal", "inTexCoord"}) EXPECT_EQ(vs.find(absent), std::string::npos) << absent;
    for (const char* absent : {"texture(", "discard", "vFog", "vSpecular"}) EXPECT_EQ(fs.find(absent), std::string::npos) << absent;
}

} // namespace
} // namespace zamp
