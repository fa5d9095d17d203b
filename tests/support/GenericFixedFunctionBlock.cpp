#include "support/GenericFixedFunctionBlock.h"

#include "gfx/D3DXMath.h"

#include <cstring>

namespace zamp {

namespace {

void put(float (&dst)[4], const Vec4& c) { dst[0] = c.r, dst[1] = c.g, dst[2] = c.b, dst[3] = c.a; }
void put(float (&dst)[16], const Matrix& m) { std::memcpy(dst, m.m, sizeof dst); }

} // namespace

void buildGenericFixedFunctionBlock(const DeviceState& s, int targetWidth, int targetHeight,
                                    GenericFixedFunctionBlock& out) {
    std::memset(&out, 0, sizeof out);
    Matrix worldView = matrixMultiply(s.transform(D3DTS_WORLD), s.transform(D3DTS_VIEW));
    put(out.worldView, worldView);
    put(out.projection, s.transform(D3DTS_PROJECTION));
    put(out.normalMatrix, normalMatrix(worldView));

    const Material& m = s.material();
    put(out.materialDiffuse, m.diffuse);
    put(out.materialAmbient, m.ambient);
    put(out.materialSpecular, m.specular);
    put(out.materialEmissive, m.emissive);
    putFixedFunctionConstants(s, targetWidth, targetHeight, out.constants);
    out.constants.spare = m.power;

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

    if (out.flags[0]) out.flags[3] = putActiveLights(s, out.lights);
}

} // namespace zamp
