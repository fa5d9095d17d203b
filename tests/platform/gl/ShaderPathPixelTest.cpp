// The device's fixed-function programs, one per shape, draw every picture exactly as the
// generic program they replaced (kept here as the reference): a table of states, each drawn
// with both on the real device, compared pixel for pixel.
#include "GlGenericFixedFunction.h"
#include "gfx/D3DXMath.h"
#include "gfx/Mesh.h"
#include "platform/gl/GlDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <functional>
#include <string>

namespace zamp {
namespace {

constexpr int kSize = 96;

// A wavy 16 x 16 grid, 8 units square, with normals of varying length and direction and
// texture coordinates that repeat twice: lighting, fog and sampling vary across it.
std::unique_ptr<Mesh> wavyGrid() {
    constexpr int n = 16;
    auto mesh = Mesh::create(2 * n * n, (n + 1) * (n + 1), D3DXMESH_SYSTEMMEM);
    auto v = mesh->vertices();
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
            const float fx = float(x) / n, fy = float(y) / n;
            const float z = 0.6f * std::sin(fx * 7) * std::cos(fy * 5);
            const float length = 0.6f + 0.8f * fx * fy;
            v[y * (n + 1) + x] = {{fx * 8 - 4, fy * 8 - 4, z},
                                  {std::cos(fy * 6) * 0.5f * length, std::sin(fx * 4) * 0.5f * length, -length},
                                  fx * 2,
                                  fy * 2};
        }
    auto idx = mesh->indices16();
    std::size_t k = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::uint16_t a = std::uint16_t(y * (n + 1) + x), b = std::uint16_t(a + n + 1);
            for (std::uint16_t i : {a, b, std::uint16_t(b + 1), a, std::uint16_t(b + 1), std::uint16_t(a + 1)}) idx[k++] = i;
        }
    mesh->changed();
    return mesh;
}

Light light(D3DLIGHTTYPE type, Vec3 position, Vec3 direction, Vec4 diffuse) {
    Light l{};
    l.type = type;
    l.position = position;
    l.direction = direction;
    l.diffuse = diffuse;
    l.specular = {0.9f, 0.8f, 0.7f, 1};
    l.ambient = {0.05f, 0.1f, 0.05f, 1};
    l.range = 30;
    l.attenuation0 = 0.6f;
    l.attenuation1 = 0.05f;
    l.attenuation2 = 0.01f;
    l.theta = 0.5f;
    l.phi = 1.1f;
    l.falloff = 1.7f;
    return l;
}

struct Scene {
    GlDevice& d;
    Texture* texture;
};

using Setup = std::function<void(Scene&)>;

void setStage(Device& d, DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1,
              DWORD alphaArg2) {
    d.setTextureStageState(0, D3DTSS_COLOROP, colorOp);
    d.setTextureStageState(0, D3DTSS_COLORARG1, colorArg1);
    d.setTextureStageState(0, D3DTSS_COLORARG2, colorArg2);
    d.setTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
    d.setTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
    d.setTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
}

Setup lights(std::vector<Light> list) {
    return [list](Scene& s) {
        for (DWORD i = 0; i < list.size(); ++i) {
            s.d.setLight(i, list[i]);
            s.d.lightEnable(i, true);
        }
    };
}

Setup fog(DWORD vertexMode, DWORD tableMode, bool range) {
    return [=](Scene& s) {
        s.d.setRenderState(D3DRS_FOGENABLE, 1);
        s.d.setRenderState(D3DRS_FOGVERTEXMODE, vertexMode);
        s.d.setRenderState(D3DRS_FOGTABLEMODE, tableMode);
        s.d.setRenderState(D3DRS_RANGEFOGENABLE, range);
        s.d.setRenderState(D3DRS_FOGCOLOR, 0xFF3060C0);
        s.d.setRenderState(D3DRS_FOGSTART, floatBits(9));
        s.d.setRenderState(D3DRS_FOGEND, floatBits(16));
        s.d.setRenderState(D3DRS_FOGDENSITY, floatBits(0.08f));
    };
}

Setup textured(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1, DWORD alphaArg2,
               bool bind = true) {
    return [=](Scene& s) {
        if (bind) s.d.setTexture(0, s.texture);
        setStage(s.d, colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2);
    };
}

// Alpha from the texture's texels (0, 64, 128, 129, 255), compared with 128.
Setup alphaTest(DWORD func) {
    return [=](Scene& s) {
        s.d.setTexture(0, s.texture);
        setStage(s.d, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
        s.d.setRenderState(D3DRS_ALPHATESTENABLE, 1);
        s.d.setRenderState(D3DRS_ALPHAFUNC, func);
        s.d.setRenderState(D3DRS_ALPHAREF, 128);
    };
}

Setup all(std::vector<Setup> parts) {
    return [parts](Scene& s) {
        for (const auto& p : parts) p(s);
    };
}

Setup renderState(D3DRENDERSTATETYPE state, DWORD value) {
    return [=](Scene& s) { s.d.setRenderState(state, value); };
}

const Light kSun = light(D3DLIGHT_DIRECTIONAL, {}, {0.3f, -0.4f, 1}, {0.8f, 0.7f, 0.6f, 1});
const Light kLamp = light(D3DLIGHT_POINT, {1, 2, 8}, {}, {0.9f, 0.5f, 0.2f, 1});
const Light kNearLamp = [] {
    Light l = light(D3DLIGHT_POINT, {-2, 0, 9}, {}, {0.2f, 0.9f, 0.4f, 1});
    l.range = 3.5f; // reaches only part of the grid
    return l;
}();
const Light kSpot = light(D3DLIGHT_SPOT, {0, 0, 2}, {0.05f, 0.1f, 1}, {0.3f, 0.5f, 1, 1});

struct Case {
    std::string name;
    Setup setup;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::vector<Case> cases() {
    std::vector<Case> c = {
        {"lighting off", renderState(D3DRS_LIGHTING, 0)},
        {"no lights, ambient only", renderState(D3DRS_AMBIENT, 0x00405060)},
        {"directional", lights({kSun})},
        {"point", lights({kLamp})},
        {"point in range of part of the grid", lights({kNearLamp})},
        {"spot", lights({kSpot})},
        {"three kinds with specular, local viewer",
         all({lights({kSun, kLamp, kSpot}), renderState(D3DRS_SPECULARENABLE, 1)})},
        {"three kinds with specular, no local viewer",
         all({lights({kSun, kLamp, kSpot}), renderState(D3DRS_SPECULARENABLE, 1), renderState(D3DRS_LOCALVIEWER, 0)})},
        {"nine lights, the last ignored",
         lights({kSun, kLamp, kSpot, kNearLamp, kSun, kSpot, kLamp, kNearLamp, kSun})},
        {"fog linear by depth", all({lights({kSun}), fog(D3DFOG_LINEAR, D3DFOG_NONE, false)})},
        {"fog linear by distance", all({lights({kSun}), fog(D3DFOG_LINEAR, D3DFOG_NONE, true)})},
        {"fog exp", all({lights({kSun}), fog(D3DFOG_EXP, D3DFOG_NONE, false)})},
        {"fog exp by distance", all({lights({kSun}), fog(D3DFOG_EXP, D3DFOG_NONE, true)})},
        {"fog exp2", all({lights({kSun}), fog(D3DFOG_EXP2, D3DFOG_NONE, false)})},
        {"fog from the table mode", all({lights({kSun}), fog(D3DFOG_NONE, D3DFOG_EXP2, true)})},
        {"fog enabled without a mode", all({lights({kSun}), fog(D3DFOG_NONE, D3DFOG_NONE, true)})},
        {"fog with specular", all({lights({kSpot, kLamp}), renderState(D3DRS_SPECULARENABLE, 1),
                                   fog(D3DFOG_LINEAR, D3DFOG_NONE, true)})},
        {"texture modulated", all({lights({kSun}), textured(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                                            D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT)})},
        {"texture stage left at its defaults", all({lights({kLamp}), textured(D3DTOP_MODULATE, D3DTA_TEXTURE,
                                                                              D3DTA_CURRENT, D3DTOP_SELECTARG1,
                                                                              D3DTA_TEXTURE, D3DTA_CURRENT)})},
        {"texture ops without a texture", all({lights({kSun}), textured(D3DTOP_MODULATE4X, D3DTA_TEXTURE,
                                                                        D3DTA_DIFFUSE, D3DTOP_ADD, D3DTA_DIFFUSE,
                                                                        D3DTA_TEXTURE, false)})},
        {"select arg2, modulate 2x", textured(D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_MODULATE2X,
                                             D3DTA_TEXTURE, D3DTA_DIFFUSE)},
        {"modulate 4x, add", textured(D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_ADD, D3DTA_TEXTURE,
                                     D3DTA_TFACTOR)},
        {"add signed, subtract", textured(D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SUBTRACT,
                                         D3DTA_DIFFUSE, D3DTA_TEXTURE)},
        {"subtract, an operation the shader lacks", textured(D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTA_TEXTURE, 12,
                                                            D3DTA_TEXTURE, D3DTA_DIFFUSE)},
        {"complement and alpha replicate",
         textured(D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE,
                  D3DTOP_ADD, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_TFACTOR)},
        {"texture factor, specular and temp arguments",
         all({lights({kSpot, kLamp}), renderState(D3DRS_TEXTUREFACTOR, 0x80C04020),
              textured(D3DTOP_ADD, D3DTA_TFACTOR, D3DTA_SPECULAR | D3DTA_COMPLEMENT, D3DTOP_MODULATE2X, D3DTA_TEMP,
                       D3DTA_TFACTOR)})},
        {"specular argument without specular light",
         all({lights({kLamp}), textured(D3DTOP_ADD, D3DTA_DIFFUSE, D3DTA_SPECULAR, D3DTOP_SELECTARG1,
                                        D3DTA_DIFFUSE, D3DTA_CURRENT)})},
        {"stage disabled", textured(D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE,
                                    D3DTA_DIFFUSE)},
        {"alpha disabled", textured(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, D3DTA_TEXTURE,
                                    D3DTA_DIFFUSE)},
        {"opaque, culling off",
         all({lights({kSun, kSpot}), renderState(D3DRS_ALPHABLENDENABLE, 0), renderState(D3DRS_CULLMODE, D3DCULL_NONE),
              textured(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT)})},
        {"the scene layer's state: fog by distance, alpha test, blending",
         all({lights({kSun, kLamp, kSpot}), fog(D3DFOG_LINEAR, D3DFOG_NONE, true), renderState(D3DRS_ALPHATESTENABLE, 1),
              renderState(D3DRS_ALPHAREF, 1), renderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL)})},
    };
    const char* comparisons[] = {"", "never", "less", "equal", "less or equal", "greater", "not equal",
                                 "greater or equal", "always"};
    for (DWORD func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func)
        c.push_back({std::string("alpha test ") + comparisons[func], alphaTest(func)});
    return c;
}

struct ShaderPathFixture : ::testing::TestWithParam<Case> {
    test::OffscreenGl gl{kSize, kSize};
};

// Draws the case's state on a fresh state: a perspective camera, three grids at different
// depths, turns and materials.
RgbImage draw(GlDevice& d, Texture* texture, const Case& c, const std::vector<std::unique_ptr<Mesh>>& grids) {
    // Back to a fresh device's state, as far as the cases change it.
    d.setRenderState(D3DRS_LIGHTING, 1);
    d.setRenderState(D3DRS_AMBIENT, 0x00101010);
    d.setRenderState(D3DRS_SPECULARENABLE, 0);
    d.setRenderState(D3DRS_LOCALVIEWER, 1);
    d.setRenderState(D3DRS_FOGENABLE, 0);
    d.setRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    d.setRenderState(D3DRS_ALPHATESTENABLE, 0);
    // Blending over what is behind makes every case's alpha show in the picture.
    d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.setRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d.setRenderState(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    for (DWORD i = 0; i < 10; ++i) d.lightEnable(i, false);
    d.setTexture(0, nullptr);
    setStage(d, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);

    d.setTransform(D3DTS_VIEW, matrixLookAtLH({0, 0, -3}, {0, 0, 10}, {0, 1, 0}));
    d.setTransform(D3DTS_PROJECTION, matrixPerspectiveFovLH(0.9f, 1, 1, 100));
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF202020, 1, 0);
    Scene scene{d, texture};
    c.setup(scene);
    const Vec3 places[] = {{-2, 1, 8}, {2, -1, 11}, {0, 0, 14}};
    for (int i = 0; i < 3; ++i) {
        Material m{};
        m.diffuse = {0.9f - 0.2f * i, 0.5f + 0.2f * i, 0.7f, 0.4f + 0.3f * i};
        m.ambient = {0.3f, 0.4f, 0.5f * i, 1};
        m.specular = {0.8f, 0.8f, 0.9f, 1};
        m.emissive = {0.05f * i, 0, 0.1f, 0};
        m.power = 6 + 10.0f * i;
        d.setMaterial(m);
        d.setTransform(D3DTS_WORLD, matrixMultiply(matrixRotationYawPitchRoll(0.4f * i - 0.3f, 0.5f - 0.2f * i, 0.1f),
                                                   matrixTranslation(places[i].x, places[i].y, places[i].z)));
        d.drawSubset(*grids[i], 0);
    }
    return d.readRenderTarget();
}

TEST_P(ShaderPathFixture, SpecialisedProgramsDrawWhatTheGenericOneDrew) {
    GlDevice& d = gl.glDevice();
    auto texture = d.createTexture(4, 4, 0, D3DFMT_A8R8G8B8);
    std::uint32_t texels[16];
    const std::uint32_t alphas[] = {0x00, 0x40, 0x80, 0x81, 0xFF};
    for (int i = 0; i < 16; ++i)
        texels[i] = alphas[i % 5] << 24 | std::uint32_t(i * 16) << 16 | std::uint32_t(255 - i * 13) << 8 | 0x5A;
    texture->upload(texels);
    std::vector<std::unique_ptr<Mesh>> grids;
    for (int i = 0; i < 3; ++i) grids.push_back(wavyGrid());

    test::GlGenericFixedFunction generic;
    d.overridePrograms(&generic);
    const RgbImage reference = draw(d, texture.get(), GetParam(), grids);
    d.overridePrograms(nullptr);
    const RgbImage specialised = draw(d, texture.get(), GetParam(), grids);

    ASSERT_EQ(reference.pixels.size(), specialised.pixels.size());
    long differing = 0, firstAt = -1, background = 0;
    for (std::size_t p = 0; p < reference.pixels.size(); p += 3) {
        const bool same = std::equal(&reference.pixels[p], &reference.pixels[p] + 3, &specialised.pixels[p]);
        if (!same && firstAt < 0) firstAt = long(p / 3);
        differing += !same;
        background += reference.pixels[p] == 0x20 && reference.pixels[p + 1] == 0x20 && reference.pixels[p + 2] == 0x20;
    }
    EXPECT_EQ(differing, 0) << "first at x " << firstAt % kSize << ", y " << firstAt / kSize;
    // The comparison means something only where the grids were drawn.
    if (GetParam().name == "alpha test never") {
        EXPECT_EQ(background, kSize * kSize);
    } else {
        EXPECT_LT(background, kSize * kSize * 15 / 16);
    }
}

INSTANTIATE_TEST_SUITE_P(States, ShaderPathFixture, ::testing::ValuesIn(cases()), [](const auto& info) {
    std::string name;
    for (char ch : info.param.name) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

} // namespace
} // namespace zamp
