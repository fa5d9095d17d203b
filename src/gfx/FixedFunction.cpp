#include "gfx/FixedFunction.h"

#include "gfx/D3DXMath.h"

#include <cmath>
#include <cstring>

namespace zamp {

namespace {

void put(float (&dst)[4], const Vec4& c) { dst[0] = c.r, dst[1] = c.g, dst[2] = c.b, dst[3] = c.a; }
void put(float (&dst)[16], const Matrix& m) { std::memcpy(dst, m.m, sizeof dst); }

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

void buildFixedFunctionBlock(const DeviceState& s, int targetWidth, int targetHeight, FixedFunctionBlock& out) {
    std::memset(&out, 0, sizeof out);
    const Matrix& view = s.transform(D3DTS_VIEW);
    Matrix worldView = matrixMultiply(s.transform(D3DTS_WORLD), view);
    put(out.worldView, worldView);
    put(out.projection, s.transform(D3DTS_PROJECTION));
    put(out.normalMatrix, normalMatrix(worldView));

    const Material& m = s.material();
    put(out.materialDiffuse, m.diffuse);
    put(out.materialAmbient, m.ambient);
    put(out.materialSpecular, m.specular);
    put(out.materialEmissive, m.emissive);
    put(out.globalAmbient, colorValue(s.renderState(D3DRS_AMBIENT)));
    put(out.fogColor, colorValue(s.renderState(D3DRS_FOGCOLOR)));
    out.fogParams[0] = bitsFloat(s.renderState(D3DRS_FOGSTART));
    out.fogParams[1] = bitsFloat(s.renderState(D3DRS_FOGEND));
    out.fogParams[2] = bitsFloat(s.renderState(D3DRS_FOGDENSITY));

    // Direct3D samples pixel centres at integer coordinates: move every vertex just under
    // half a pixel right and down (63/128 keeps the top-left fill rule on exact ties).
    constexpr float k = 63.0f / 64.0f;
    out.pixelShift[0] = targetWidth > 0 ? k / targetWidth : 0;
    out.pixelShift[1] = targetHeight > 0 ? -k / targetHeight : 0;
    out.pixelShift[2] = m.power;
    out.pixelShift[3] = float(s.renderState(D3DRS_ALPHAREF) & 0xFF);
    put(out.textureFactor, colorValue(s.renderState(D3DRS_TEXTUREFACTOR)));

    out.flags[0] = s.renderState(D3DRS_LIGHTING) != 0;
    out.flags[1] = s.renderState(D3DRS_SPECULARENABLE) != 0;
    out.flags[2] = s.renderState(D3DRS_LOCALVIEWER) != 0;

    if (s.renderState(D3DRS_FOGENABLE)) {
        DWORD mode = s.renderState(D3DRS_FOGTABLEMODE);
        if (mode == D3DFOG_NONE) mode = s.renderState(D3DRS_FOGVERTEXMODE);
        out.fogFlags[0] = mode <= D3DFOG_LINEAR ? int(mode) : 0;
    } else {
        out.fogFlags[0] = -1;
    }
    out.fogFlags[1] = s.renderState(D3DRS_RANGEFOGENABLE) != 0;
    DWORD func = s.renderState(D3DRS_ALPHATESTENABLE) ? s.renderState(D3DRS_ALPHAFUNC) : 0;
    out.fogFlags[2] = func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? int(func) : 0;
    out.fogFlags[3] = s.texture(0) != nullptr;

    StageOps ops = effectiveStage0(s);
    out.colorStage[0] = int(ops.colorOp), out.colorStage[1] = int(ops.colorArg1), out.colorStage[2] = int(ops.colorArg2);
    out.alphaStage[0] = int(ops.alphaOp), out.alphaStage[1] = int(ops.alphaArg1), out.alphaStage[2] = int(ops.alphaArg2);

    if (!out.flags[0]) return;
    std::array<const Light*, kMaxActiveLights> lights{};
    int count = s.activeLights(lights);
    out.flags[3] = count;
    for (int i = 0; i < count; ++i) {
        const Light& l = *lights[i];
        auto& b = out.lights[i];
        put(b.diffuse, l.diffuse);
        put(b.specular, l.specular);
        put(b.ambient, l.ambient);
        Vec4 p = transformPoint(l.position, view);
        b.position[0] = p.r, b.position[1] = p.g, b.position[2] = p.b, b.position[3] = float(l.type);
        Vec3 d = transformDirection(l.direction, view);
        float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (len > 0) d = {d.x / len, d.y / len, d.z / len};
        b.direction[0] = d.x, b.direction[1] = d.y, b.direction[2] = d.z, b.direction[3] = l.range;
        b.attenuation[0] = l.attenuation0, b.attenuation[1] = l.attenuation1, b.attenuation[2] = l.attenuation2;
        b.attenuation[3] = l.falloff;
        b.spot[0] = std::cos(l.theta / 2), b.spot[1] = std::cos(l.phi / 2);
    }
}

} // namespace zamp
