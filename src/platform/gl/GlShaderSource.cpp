#include "platform/gl/GlShaderSource.h"

namespace zamp {

namespace {

std::string header(GlslDialect dialect) {
    // ES has no default precision for floats in fragment shaders; highp everywhere keeps the
    // two stages' views of the frame block the same.
    return dialect == GlslDialect::Essl300 ? "#version 300 es\nprecision highp float;\nprecision highp int;\n"
                                           : "#version 330 core\n";
}

// Light i in camera space; the layout of FixedFunctionLight and FixedFunctionFrame (a vec3
// or vec2 followed by floats shares one vec4 in std140).
const char* const kFrameBlock =
    "struct FixedFunctionLight { vec4 diffuse; vec4 specular; vec4 ambient;\n"
    "                            vec3 position; float type; vec3 direction; float range;\n"
    "                            vec3 attenuation; float falloff; vec4 spot; };\n"
    "layout(std140) uniform FixedFunctionFrame {\n"
    "    mat4 projection;\n"
    "    vec4 globalAmbient; vec4 fogColor; vec4 fogParams;\n"
    "    vec2 pixelShift; float spare; float alphaReference;\n"
    "    vec4 textureFactor;\n"
    "    FixedFunctionLight lights[8];\n"
    "};\n";

// The rows of FixedFunctionDraw.
const char* const kWorldView = "mat4(drawRows[0], drawRows[1], drawRows[2], drawRows[3])";
const char* const kNormalMatrix = "mat3(drawRows[4].xyz, drawRows[5].xyz, drawRows[6].xyz)";
const char* const kMaterialDiffuse = "drawRows[7]";
const char* const kMaterialAmbient = "drawRows[8]";
const char* const kMaterialSpecular = "drawRows[9]";
const char* const kMaterialEmissive = "drawRows[10]";
const char* const kMaterialPower = "drawRows[11].x";

// The light's contribution once its direction L and factor k are known.
std::string accumulateLight(const std::string& l, const FixedFunctionShape& shape, const char* indent) {
    std::string s;
    s += std::string(indent) + "float NdotL = dot(N, L);\n";
    s += std::string(indent) + "diffuseSum += " + l + ".diffuse.rgb * clamp(NdotL, 0.0, 1.0) * k;\n";
    s += std::string(indent) + "ambientSum += " + l + ".ambient.rgb * k;\n";
    if (shape.specular) {
        s += std::string(indent) + "if (NdotL > 0.0) {\n";
        s += std::string(indent) + "    vec3 H = " +
             (shape.localViewer ? "normalize(normalize(-p) + L)" : "normalize(L + vec3(0.0, 0.0, -1.0))") + ";\n";
        s += std::string(indent) + "    float NdotH = dot(N, H);\n";
        s += std::string(indent) + "    if (NdotH > 0.0) specularSum += " + l + ".specular.rgb * pow(NdotH, " +
             kMaterialPower + ") * k;\n";
        s += std::string(indent) + "}\n";
    }
    return s;
}

std::string light(int index, D3DLIGHTTYPE type, const FixedFunctionShape& shape) {
    const std::string l = "lights[" + std::to_string(index) + "]";
    std::string s = "    {\n";
    if (type == D3DLIGHT_DIRECTIONAL) {
        s += "        vec3 L = -" + l + ".direction;\n";
        s += "        float k = 1.0;\n";
        s += accumulateLight(l, shape, "        ");
    } else {
        s += "        vec3 toLight = " + l + ".position - p;\n";
        s += "        float d = length(toLight);\n";
        // Not d <= range: a distance that is not a number lights as it did in the generic program.
        s += "        if (!(d > " + l + ".range)) {\n";
        s += "            vec3 L = d > 0.0 ? toLight / d : vec3(0.0);\n";
        s += "            float denom = " + l + ".attenuation.x + " + l + ".attenuation.y * d + " + l +
             ".attenuation.z * d * d;\n";
        s += "            float att = denom > 0.0 ? 1.0 / denom : 0.0;\n";
        s += "            float spot = 1.0;\n";
        if (type == D3DLIGHT_SPOT) {
            s += "            float cosAlpha = dot(" + l + ".direction, -L);\n";
            s += "            if (cosAlpha <= " + l + ".spot.y) spot = 0.0;\n";
            s += "            else if (cosAlpha <= " + l + ".spot.x)\n";
            s += "                spot = pow((cosAlpha - " + l + ".spot.y) / (" + l + ".spot.x - " + l + ".spot.y), " +
                 l + ".falloff);\n";
        }
        s += "            float k = att * spot;\n";
        s += accumulateLight(l, shape, "            ");
        s += "        }\n";
    }
    return s + "    }\n";
}

std::string fogFactor(const FixedFunctionShape& shape) {
    if (shape.fog == FogFormula::Constant) return "    float f = 1.0;\n";
    std::string s = std::string("    float d = ") + (shape.rangeFog ? "length(p)" : "abs(p.z)") + ";\n";
    switch (shape.fog) {
    case FogFormula::Linear:
        s += "    float range = fogParams.y - fogParams.x;\n";
        s += "    float f = range != 0.0 ? (fogParams.y - d) / range : 0.0;\n";
        break;
    case FogFormula::Exp: s += "    float f = exp(-fogParams.z * d);\n"; break;
    default: s += "    float f = exp(-(fogParams.z * d) * (fogParams.z * d));\n"; break;
    }
    return s;
}

std::string argument(const StageArgument& a, const FixedFunctionShape& shape) {
    std::string v;
    switch (a.source) {
    case StageSource::Texture: v = shape.texture ? "texel" : "vec4(1.0)"; break;
    case StageSource::Factor: v = "textureFactor"; break;
    case StageSource::Specular: v = "vec4(vSpecular, 1.0)"; break;
    case StageSource::Diffuse: v = "vDiffuse"; break;
    }
    if (a.complement) v = "(vec4(1.0) - " + v + ")";
    if (a.alphaReplicate) v = "vec4(" + v + ".a)";
    return v;
}

std::string combine(const StageCombiner& c, const FixedFunctionShape& shape) {
    const std::string a1 = argument(c.arg1, shape), a2 = argument(c.arg2, shape);
    switch (c.operation) {
    case StageOperation::SelectArg1: return a1;
    case StageOperation::SelectArg2: return a2;
    case StageOperation::Modulate: return a1 + " * " + a2;
    case StageOperation::Modulate2x: return "2.0 * " + a1 + " * " + a2;
    case StageOperation::Modulate4x: return "4.0 * " + a1 + " * " + a2;
    case StageOperation::Add: return a1 + " + " + a2;
    case StageOperation::AddSigned: return a1 + " + " + a2 + " - 0.5";
    case StageOperation::Subtract: return a1 + " - " + a2;
    }
    return a1;
}

// The comparison that keeps a fragment, of its 8-bit alpha with the reference.
const char* alphaKeeps(DWORD func) {
    switch (func) {
    case D3DCMP_LESS: return "a8 < alphaReference";
    case D3DCMP_EQUAL: return "a8 == alphaReference";
    case D3DCMP_LESSEQUAL: return "a8 <= alphaReference";
    case D3DCMP_GREATER: return "a8 > alphaReference";
    case D3DCMP_NOTEQUAL: return "a8 != alphaReference";
    case D3DCMP_GREATEREQUAL: return "a8 >= alphaReference";
    default: return "false"; // NEVER
    }
}

} // namespace

std::string fixedFunctionVertexShader(const FixedFunctionShape& shape, GlslDialect dialect) {
    const bool specularOut = shape.usesSpecularColour();
    std::string s = header(dialect) + kFrameBlock;
    s += "layout(location = 0) in vec3 inPosition;\n";
    if (shape.lighting) s += "layout(location = 1) in vec3 inNormal;\n";
    if (shape.texture) s += "layout(location = 2) in vec2 inTexCoord;\n";
    s += "uniform vec4 drawRows[12];\n";
    s += "out vec4 vDiffuse;\n";
    if (specularOut) s += "out vec3 vSpecular;\n";
    if (shape.texture) s += "out vec2 vTexCoord;\n";
    if (shape.fog != FogFormula::Off) s += "out float vFog;\n";
    s += "void main() {\n";
    s += std::string("    vec4 P = ") + kWorldView + " * vec4(inPosition, 1.0);\n";
    s += "    vec3 p = P.xyz;\n";
    s += "    vec4 diffuse = vec4(1.0);\n";
    s += "    vec3 specular = vec3(0.0);\n";
    if (shape.lighting) {
        s += std::string("    vec3 N = ") + kNormalMatrix + " * inNormal;\n"; // deliberately not normalised
        s += "    vec3 ambientSum = globalAmbient.rgb;\n";
        s += "    vec3 diffuseSum = vec3(0.0);\n";
        s += "    vec3 specularSum = vec3(0.0);\n";
        for (int i = 0; i < shape.lightCount; ++i) s += light(i, shape.lightTypes[i], shape);
        s += std::string("    diffuse.rgb = clamp(") + kMaterialAmbient + ".rgb * ambientSum + " + kMaterialDiffuse +
             ".rgb * diffuseSum\n                        + " + kMaterialEmissive + ".rgb, 0.0, 1.0);\n";
        s += std::string("    diffuse.a = clamp(") + kMaterialDiffuse + ".a, 0.0, 1.0);\n";
        if (specularOut) s += std::string("    specular = clamp(") + kMaterialSpecular + ".rgb * specularSum, 0.0, 1.0);\n";
    }
    s += "    vDiffuse = diffuse;\n";
    if (specularOut) s += "    vSpecular = specular;\n";
    if (shape.texture) s += "    vTexCoord = inTexCoord;\n";
    if (shape.fog != FogFormula::Off) {
        s += fogFactor(shape);
        s += "    vFog = clamp(f, 0.0, 1.0);\n";
    }
    s += "    vec4 clip = projection * P;\n";
    s += "    clip.x += pixelShift.x * clip.w;\n";
    s += "    clip.y += pixelShift.y * clip.w;\n";
    // Surfaces are stored top row first: flip y, and map Direct3D's 0..w depth to GL's -w..w.
    s += "    gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);\n";
    s += "}\n";
    return s;
}

std::string fixedFunctionFragmentShader(const FixedFunctionShape& shape, GlslDialect dialect) {
    std::string s = header(dialect) + kFrameBlock;
    if (shape.texture) s += std::string("uniform sampler2D ") + kStageTextureName + ";\n";
    s += "in vec4 vDiffuse;\n";
    if (shape.usesSpecularColour()) s += "in vec3 vSpecular;\n";
    if (shape.texture) s += "in vec2 vTexCoord;\n";
    if (shape.fog != FogFormula::Off) s += "in float vFog;\n";
    s += "out vec4 fragColor;\n";
    s += "void main() {\n";
    if (shape.texture) s += std::string("    vec4 texel = texture(") + kStageTextureName + ", vTexCoord);\n";
    s += "    vec3 rgb = clamp((" + combine(shape.color, shape) + ").rgb, 0.0, 1.0);\n";
    s += "    float a = clamp((" + combine(shape.alpha, shape) + ").a, 0.0, 1.0);\n";
    if (shape.specular) s += "    rgb = clamp(rgb + vSpecular, 0.0, 1.0);\n";
    if (shape.fog != FogFormula::Off) s += "    rgb = mix(fogColor.rgb, rgb, vFog);\n";
    if (shape.alphaTest != 0) {
        s += "    float a8 = floor(a * 255.0 + 0.5);\n";
        s += std::string("    if (!(") + alphaKeeps(shape.alphaTest) + ")) discard;\n";
    }
    s += "    fragColor = vec4(rgb, a);\n";
    s += "}\n";
    return s;
}

} // namespace zamp
