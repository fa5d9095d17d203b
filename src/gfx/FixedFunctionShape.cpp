#include "gfx/FixedFunctionShape.h"

#include "gfx/FixedFunction.h"

namespace zamp {

namespace {

StageOperation operationFor(DWORD op) {
    switch (op) {
    case D3DTOP_SELECTARG2: return StageOperation::SelectArg2;
    case D3DTOP_MODULATE: return StageOperation::Modulate;
    case D3DTOP_MODULATE2X: return StageOperation::Modulate2x;
    case D3DTOP_MODULATE4X: return StageOperation::Modulate4x;
    case D3DTOP_ADD: return StageOperation::Add;
    case D3DTOP_ADDSIGNED: return StageOperation::AddSigned;
    case D3DTOP_SUBTRACT: return StageOperation::Subtract;
    default: return StageOperation::SelectArg1;
    }
}

StageArgument argumentFor(DWORD arg) {
    StageArgument a;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: a.source = StageSource::Texture; break;
    case D3DTA_TFACTOR: a.source = StageSource::Factor; break;
    case D3DTA_SPECULAR: a.source = StageSource::Specular; break;
    default: a.source = StageSource::Diffuse; break;
    }
    a.complement = (arg & D3DTA_COMPLEMENT) != 0;
    a.alphaReplicate = (arg & D3DTA_ALPHAREPLICATE) != 0;
    return a;
}

StageCombiner combinerFor(DWORD op, DWORD arg1, DWORD arg2) {
    StageCombiner c;
    c.operation = operationFor(op);
    if (c.operation != StageOperation::SelectArg2) c.arg1 = argumentFor(arg1);
    if (c.operation != StageOperation::SelectArg1) c.arg2 = argumentFor(arg2);
    return c;
}

// Packs `value` of `bits` bits above what is there.
class KeyWriter {
public:
    void put(std::uint64_t value, int bits) {
        key_ |= (value & ((std::uint64_t{1} << bits) - 1)) << used_;
        used_ += bits;
    }
    void put(const StageArgument& a) {
        put(std::uint64_t(a.source), 2);
        put(a.complement, 1);
        put(a.alphaReplicate, 1);
    }
    void put(const StageCombiner& c) {
        put(std::uint64_t(c.operation), 3);
        put(c.arg1);
        put(c.arg2);
    }
    std::uint64_t key() const { return key_; }
    int used() const { return used_; }

private:
    std::uint64_t key_ = 0;
    int used_ = 0;
};

} // namespace

bool StageCombiner::reads(StageSource source) const {
    return (operation != StageOperation::SelectArg2 && arg1.source == source) ||
           (operation != StageOperation::SelectArg1 && arg2.source == source);
}

std::uint64_t FixedFunctionShape::key() const {
    KeyWriter w;
    w.put(lighting, 1);
    w.put(specular, 1);
    w.put(localViewer, 1);
    w.put(std::uint64_t(lightCount), 4);
    for (D3DLIGHTTYPE type : lightTypes) w.put(type, 2);
    w.put(std::uint64_t(fog), 3);
    w.put(rangeFog, 1);
    w.put(alphaTest, 3);
    w.put(texture, 1);
    w.put(color);
    w.put(alpha);
    return w.key(); // 53 bits
}

bool FixedFunctionShape::usesSpecularColour() const {
    return specular || color.reads(StageSource::Specular) || alpha.reads(StageSource::Specular);
}

FixedFunctionShape fixedFunctionShape(const DeviceState& s) {
    FixedFunctionShape shape;
    shape.lighting = s.renderState(D3DRS_LIGHTING) != 0;
    if (shape.lighting) {
        shape.specular = s.renderState(D3DRS_SPECULARENABLE) != 0;
        shape.localViewer = shape.specular && s.renderState(D3DRS_LOCALVIEWER) != 0;
        std::array<const Light*, kMaxActiveLights> lights{};
        shape.lightCount = s.activeLights(lights);
        for (int i = 0; i < shape.lightCount; ++i) shape.lightTypes[i] = D3DLIGHTTYPE(lights[i]->type);
    }

    if (s.renderState(D3DRS_FOGENABLE)) {
        DWORD mode = s.renderState(D3DRS_FOGTABLEMODE);
        if (mode == D3DFOG_NONE) mode = s.renderState(D3DRS_FOGVERTEXMODE);
        switch (mode) {
        case D3DFOG_EXP: shape.fog = FogFormula::Exp; break;
        case D3DFOG_EXP2: shape.fog = FogFormula::Exp2; break;
        case D3DFOG_LINEAR: shape.fog = FogFormula::Linear; break;
        default: shape.fog = FogFormula::Constant; break;
        }
        shape.rangeFog = shape.fog != FogFormula::Constant && s.renderState(D3DRS_RANGEFOGENABLE) != 0;
    }

    const DWORD func = s.renderState(D3DRS_ALPHATESTENABLE) ? s.renderState(D3DRS_ALPHAFUNC) : 0;
    shape.alphaTest = func >= D3DCMP_NEVER && func < D3DCMP_ALWAYS ? func : 0;

    const StageOps ops = effectiveStage0(s);
    shape.color = combinerFor(ops.colorOp, ops.colorArg1, ops.colorArg2);
    shape.alpha = combinerFor(ops.alphaOp, ops.alphaArg1, ops.alphaArg2);
    shape.texture = s.texture(0) != nullptr &&
                    (shape.color.reads(StageSource::Texture) || shape.alpha.reads(StageSource::Texture));
    return shape;
}

} // namespace zamp
