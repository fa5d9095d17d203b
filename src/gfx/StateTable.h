// Every Direct3D state the devices store, described once, in one row each: its default on a
// new device, the inputs of the fixed-function emulation that a change makes stale, and the
// pipeline state outside the shaders that the OpenGL device sets from it. DeviceState takes
// its defaults from here, the devices what a change makes stale, and the OpenGL device which
// of its GL state groups to apply again (platform/gl/GlPipelineState.h applies each group).
//
// A new state: its number in D3DTypes.h, its row here, and the shader code it needs.
#pragma once

#include "gfx/D3DTypes.h"

#include <array>
#include <cstdint>

namespace zamp {

// The derived inputs of the fixed-function emulation; a state change makes some stale and a
// device redoes only those.
enum FixedFunctionInput : unsigned {
    kShapeInput = 1,    // the program
    kFrameInput = 2,    // the frame block
    kMatricesInput = 4, // draw rows 0-6
    kMaterialInput = 8, // draw rows 7-11
};

// What a state sets outside the shaders: a group of GL state that the OpenGL device applies
// again before a draw when one of its states changed.
enum class PipelineState : std::uint8_t {
    None,          // nothing: a shader input (when the row names inputs) or not drawn with
    KeptAtDefault, // GL holds Direct3D's default for the device's life; other values draw as it
    DepthTest,     // glEnable(GL_DEPTH_TEST)
    DepthFunction, // glDepthFunc
    DepthWrite,    // glDepthMask
    ColorWrite,    // glColorMask, every channel
    Blend,         // glEnable(GL_BLEND), glBlendFunc
    Cull,          // glEnable(GL_CULL_FACE), glCullFace
    BlendFactor,   // glBlendColor
};
inline constexpr unsigned kPipelineStateCount = unsigned(PipelineState::BlendFactor) + 1;

// The bit of a group among the stale ones; 0 for the states that set no GL state.
constexpr unsigned pipelineBit(PipelineState s) {
    return s > PipelineState::KeptAtDefault ? 1u << unsigned(s) : 0;
}
inline constexpr unsigned kAllPipelineStates = ((1u << kPipelineStateCount) - 1) & ~3u;

struct RenderStateRow {
    D3DRENDERSTATETYPE state{};
    DWORD defaultValue = 0;
    unsigned inputs = 0; // FixedFunctionInput bits
    PipelineState pipeline = PipelineState::None;
};

inline constexpr RenderStateRow kRenderStates[] = {
    // state                          default              inputs                     GL
    {D3DRS_ZENABLE,                   D3DZB_TRUE,          0,                         PipelineState::DepthTest},
    {D3DRS_FILLMODE,                  3, /* SOLID */       0,                         PipelineState::KeptAtDefault},
    {D3DRS_SHADEMODE,                 2, /* GOURAUD */     0,                         PipelineState::KeptAtDefault},
    {D3DRS_ZWRITEENABLE,              1,                   0,                         PipelineState::DepthWrite},
    {D3DRS_ALPHATESTENABLE,           0,                   kShapeInput,               PipelineState::None},
    {D3DRS_SRCBLEND,                  D3DBLEND_ONE,        0,                         PipelineState::Blend},
    {D3DRS_DESTBLEND,                 D3DBLEND_ZERO,       0,                         PipelineState::Blend},
    {D3DRS_CULLMODE,                  D3DCULL_CCW,         0,                         PipelineState::Cull},
    {D3DRS_ZFUNC,                     D3DCMP_LESSEQUAL,    0,                         PipelineState::DepthFunction},
    {D3DRS_ALPHAREF,                  0,                   kFrameInput,               PipelineState::None},
    {D3DRS_ALPHAFUNC,                 D3DCMP_ALWAYS,       kShapeInput,               PipelineState::None},
    {D3DRS_DITHERENABLE,              0,                   0,                         PipelineState::KeptAtDefault},
    {D3DRS_ALPHABLENDENABLE,          0,                   0,                         PipelineState::Blend},
    {D3DRS_FOGENABLE,                 0,                   kShapeInput,               PipelineState::None},
    {D3DRS_SPECULARENABLE,            0,                   kShapeInput,               PipelineState::None},
    {D3DRS_FOGCOLOR,                  0,                   kFrameInput,               PipelineState::None},
    {D3DRS_FOGTABLEMODE,              D3DFOG_NONE,         kShapeInput,               PipelineState::None},
    {D3DRS_FOGSTART,                  0x00000000, /* 0 */  kFrameInput,               PipelineState::None},
    {D3DRS_FOGEND,                    0x3F800000, /* 1 */  kFrameInput,               PipelineState::None},
    {D3DRS_FOGDENSITY,                0x3F800000, /* 1 */  kFrameInput,               PipelineState::None},
    {D3DRS_RANGEFOGENABLE,            0,                   kShapeInput,               PipelineState::None},
    {D3DRS_STENCILENABLE,             0,                   0,                         PipelineState::KeptAtDefault},
    {D3DRS_TEXTUREFACTOR,             0xFFFFFFFF,          kFrameInput,               PipelineState::None},
    {D3DRS_CLIPPING,                  1,                   0,                         PipelineState::KeptAtDefault},
    // The frame block holds the lights only with lighting.
    {D3DRS_LIGHTING,                  1,                   kShapeInput | kFrameInput, PipelineState::None},
    {D3DRS_AMBIENT,                   0,                   kFrameInput,               PipelineState::None},
    {D3DRS_FOGVERTEXMODE,             D3DFOG_NONE,         kShapeInput,               PipelineState::None},
    // The vertices carry no colours: the material is every colour source whatever these say.
    {D3DRS_COLORVERTEX,               1,                   0,                         PipelineState::None},
    {D3DRS_LOCALVIEWER,               1,                   kShapeInput,               PipelineState::None},
    {D3DRS_NORMALIZENORMALS,          0,                   0,                         PipelineState::None},
    {D3DRS_DIFFUSEMATERIALSOURCE,     1, /* COLOR1 */      0,                         PipelineState::None},
    {D3DRS_SPECULARMATERIALSOURCE,    2, /* COLOR2 */      0,                         PipelineState::None},
    {D3DRS_AMBIENTMATERIALSOURCE,     0, /* MATERIAL */    0,                         PipelineState::None},
    {D3DRS_EMISSIVEMATERIALSOURCE,    0, /* MATERIAL */    0,                         PipelineState::None},
    {D3DRS_COLORWRITEENABLE,          0xF,                 0,                         PipelineState::ColorWrite},
    {D3DRS_BLENDOP,                   1, /* ADD */         0,                         PipelineState::KeptAtDefault},
    {D3DRS_BLENDFACTOR,               0xFFFFFFFF,          0,                         PipelineState::BlendFactor},
    {D3DRS_SEPARATEALPHABLENDENABLE,  0,                   0,                         PipelineState::KeptAtDefault},
};

// A texture stage state's default where it is the stage's own number.
inline constexpr DWORD kStageIndexDefault = 0xFFFFFFFF;

// Only stage 0 is drawn with: the states of later stages make nothing stale and set no GL state.
struct StageStateRow {
    D3DTEXTURESTAGESTATETYPE type{};
    DWORD firstStageDefault = 0;
    DWORD laterStagesDefault = 0;
    unsigned stage0Inputs = 0; // FixedFunctionInput bits
};

inline constexpr StageStateRow kStageStates[] = {
    // type                         stage 0            stages 1 and up    inputs of stage 0
    {D3DTSS_COLOROP,                D3DTOP_MODULATE,   D3DTOP_DISABLE,    kShapeInput},
    {D3DTSS_COLORARG1,              D3DTA_TEXTURE,     D3DTA_TEXTURE,     kShapeInput},
    {D3DTSS_COLORARG2,              D3DTA_CURRENT,     D3DTA_CURRENT,     kShapeInput},
    {D3DTSS_ALPHAOP,                D3DTOP_SELECTARG1, D3DTOP_DISABLE,    kShapeInput},
    {D3DTSS_ALPHAARG1,              D3DTA_TEXTURE,     D3DTA_TEXTURE,     kShapeInput},
    {D3DTSS_ALPHAARG2,              D3DTA_CURRENT,     D3DTA_CURRENT,     kShapeInput},
    // The meshes carry one set of texture coordinates and no stage transforms them.
    {D3DTSS_TEXCOORDINDEX,          kStageIndexDefault, kStageIndexDefault, 0},
    {D3DTSS_TEXTURETRANSFORMFLAGS,  0,                 0,                 0},
    // Three-argument operations and the temporary register are not emulated.
    {D3DTSS_COLORARG0,              D3DTA_CURRENT,     D3DTA_CURRENT,     0},
    {D3DTSS_ALPHAARG0,              D3DTA_CURRENT,     D3DTA_CURRENT,     0},
    {D3DTSS_RESULTARG,              D3DTA_CURRENT,     D3DTA_CURRENT,     0},
};

namespace state_table_detail {

// The rows placed at their state numbers; a number with no row gets an empty one (default 0,
// nothing stale). Two rows for one number, or a number past the end, do not compile.
template <class Row, std::size_t Count, std::size_t N, class Number>
constexpr std::array<Row, Count> byNumber(const Row (&rows)[N], Number number) {
    std::array<Row, Count> out{};
    std::array<bool, Count> taken{};
    for (const Row& row : rows) {
        const DWORD n = number(row);
        if (n >= Count || taken[n]) throw "a state number is out of range or has two rows";
        taken[n] = true;
        out[n] = row;
    }
    return out;
}

} // namespace state_table_detail

inline constexpr auto kRenderStateRows = state_table_detail::byNumber<RenderStateRow, kRenderStateCount>(
    kRenderStates, [](const RenderStateRow& r) { return DWORD(r.state); });
inline constexpr auto kStageStateRows = state_table_detail::byNumber<StageStateRow, kTextureStageStateCount>(
    kStageStates, [](const StageStateRow& r) { return DWORD(r.type); });

// The row of a render state; an empty row for numbers the devices do not store.
constexpr const RenderStateRow& renderStateRow(D3DRENDERSTATETYPE state) {
    return kRenderStateRows[state < kRenderStateCount ? DWORD(state) : 0];
}

// A texture stage state's default on `stage`.
constexpr DWORD stageStateDefault(const StageStateRow& row, DWORD stage) {
    const DWORD value = stage == 0 ? row.firstStageDefault : row.laterStagesDefault;
    return value == kStageIndexDefault ? stage : value;
}

// The fixed-function inputs a change of the state makes stale.
constexpr unsigned fixedFunctionInputsOfStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    return stage == 0 && type < kTextureStageStateCount ? kStageStateRows[type].stage0Inputs : 0;
}

} // namespace zamp
