#include "gfx/FixedFunction.h"

#include "gfx/D3DXMath.h"

#include <cmath>
#include <cstring>

namespace zamp {

namespace {

void put(float (&dst)[4], const Vec4& c) { dst[0] = c.r, dst[1] = c.g, dst[2] = c.b, dst[3] = c.a; }

bool readsTexture(DWORD op, DWORD arg1, DWORD arg2) {
    auto isTex = [](DWORD a) { return (a & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
    switch (op) {
    case D3DTOP_DISABLE: return false;
    case D3DTOP_SELECTARG1: return isTex(arg1);
    case D3DTOP_SELECTARG2: return isTex(arg2);
    default: return isTex(arg1) || isTex(arg2);
    }
}

Vec3 transformDirection(const Vec3& d, const Matrix& m) {
    return {d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0], d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
            d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
}

} // namespace

StageOps effectiveStage0(const DeviceState& s) {
    StageOps ops{s.textureStageState(0, D3DTSS_COLOROP),   s.textureStageState(0, D3DTSS_COLORARG1),
                 s.textureStageState(0, D3DTSS_COLORARG2), s.textureStageState(0, D3DTSS_ALPHAOP),
                 s.textureStageState(0, D3DTSS_ALPHAARG1), s.textureStageState(0, D3DTSS_ALPHAARG2)};
    if (s.texture(0) == nullptr) {
        if (readsTexture(ops.colorOp, ops.colorArg1, ops.colorArg2))
            ops.colorOp = D3DTOP_SELECTARG1, ops.colorArg1 = D3DTA_CURRENT;
        if (readsTexture(ops.alphaOp, ops.alphaArg1, ops.alphaArg2))
            ops.alphaOp = D3DTOP_SELECTARG1, ops.alphaArg1 = D3DTA_CURRENT;
    }
    // Stage 0 disabled ends the cascade: the diffuse colour and alpha pass through.
    if (ops.colorOp == D3DTOP_DISABLE) {
        ops.colorOp = ops.alphaOp = D3DTOP_SELECTARG1;
        ops.colorArg1 = ops.alphaArg1 = D3DTA_DIFFUSE;
    } else if (ops.alphaOp == D3DTOP_DISABLE) {
        ops.alphaOp = D3DTOP_SELECTARG1, ops.alphaArg1 = D3DTA_DIFFUSE;
    }
    return ops;
}

int putActiveLights(const DeviceState& s, FixedFunctionLight (&out)[kMaxActiveLights]) {
    const Matrix& view = s.transform(D3DTS_VIEW);
    std::array<const Light*, kMaxActiveLights> lights{};
    const int count = s.activeLights(lights);
    for (int i = 0; i < count; ++i) {
        const Light& l = *lights[i];
        FixedFunctionLight& b = out[i];
        put(b.diffuse, l.diffuse);
        put(b.specular, l.specular);
        put(b.ambient, l.ambient);
        Vec4 p = transformPoint(l.position, view);
        b.position[0] = p.r, b.position[1] = p.g, b.position[2] = p.b;
        b.type = float(l.type);
        Vec3 d = transformDirection(l.direction, view);
        float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (len > 0) d = {d.x / len, d.y / len, d.z / len};
        b.direction[0] = d.x, b.direction[1] = d.y, b.direction[2] = d.z;
        b.range = l.range;
        b.attenuation[0] = l.attenuation0, b.attenuation[1] = l.attenuation1, b.attenuation[2] = l.attenuation2;
        b.falloff = l.falloff;
        b.spot[0] = std::cos(l.theta / 2), b.spot[1] = std::cos(l.phi / 2);
    }
    return count;
}

void putFixedFunctionConstants(const DeviceState& s, int targetWidth, int targetHeight, FixedFunctionConstants& out) {
    put(out.globalAmbient, colorValue(s.renderState(D3DRS_AMBIENT)));
    put(out.fogColor, colorValue(s.renderState(D3DRS_FOGCOLOR)));
    out.fogParams[0] = bitsFloat(s.renderState(D3DRS_FOGSTART));
    out.fogParams[1] = bitsFloat(s.renderState(D3DRS_FOGEND));
    out.fogParams[2] = bitsFloat(s.renderState(D3DRS_FOGDENSITY));
    out.fogParams[3] = 0;
    // Direct3D samples pixel centres at integer coordinates: every vertex moves just under
    // half a pixel right and down (63/128 keeps the top-left fill rule on exact ties).
    constexpr float k = 63.0f / 64.0f;
    out.pixelShift[0] = targetWidth > 0 ? k / targetWidth : 0;
    out.pixelShift[1] = targetHeight > 0 ? -k / targetHeight : 0;
    out.spare = 0;
    out.alphaReference = float(s.renderState(D3DRS_ALPHAREF) & 0xFF);
    put(out.textureFactor, colorValue(s.renderState(D3DRS_TEXTUREFACTOR)));
}

void buildFixedFunctionFrame(const DeviceState& s, int targetWidth, int targetHeight, FixedFunctionFrame& out) {
    std::memset(&out, 0, sizeof out);
    std::memcpy(out.projection, s.transform(D3DTS_PROJECTION).m, sizeof out.projection);
    putFixedFunctionConstants(s, targetWidth, targetHeight, out.constants);
    if (s.renderState(D3DRS_LIGHTING)) putActiveLights(s, out.lights);
}

void putDrawMatrices(const DeviceState& s, FixedFunctionDraw& out) {
    const Matrix worldView = matrixMultiply(s.transform(D3DTS_WORLD), s.transform(D3DTS_VIEW));
    std::memcpy(out.rows[0], worldView.m, sizeof worldView.m);
    const Matrix normal = normalMatrix(worldView);
    std::memcpy(out.rows[4], normal.m, 3 * sizeof out.rows[0]);
}

void putDrawMaterial(const Material& m, FixedFunctionDraw& out) {
    put(out.rows[7], m.diffuse);
    put(out.rows[8], m.ambient);
    put(out.rows[9], m.specular);
    put(out.rows[10], m.emissive);
    out.rows[11][0] = m.power;
    out.rows[11][1] = out.rows[11][2] = out.rows[11][3] = 0;
}

unsigned fixedFunctionInputsOfTransform(DWORD type) {
    switch (type) {
    case D3DTS_WORLD: return kMatricesInput;
    case D3DTS_VIEW: return kMatricesInput | kFrameInput; // the lights are in camera space
    case D3DTS_PROJECTION: return kFrameInput;
    default: return 0; // world matrices 257 and up are never drawn with
    }
}

} // namespace zamp
