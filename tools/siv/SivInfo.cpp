#include "SivInfo.h"

#include "core/DisplayText.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace zamp::sivtool {

namespace {

std::string num(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
    return text;
}

std::string vec(const Vec3& v) { return "(" + num(v.x) + ", " + num(v.y) + ", " + num(v.z) + ")"; }
std::string rgb(const SivRgb& c) { return "(" + num(c.r) + ", " + num(c.g) + ", " + num(c.b) + ")"; }
std::string quat(const Quaternion& q) {
    return "(" + num(q.x) + ", " + num(q.y) + ", " + num(q.z) + ", " + num(q.w) + ")";
}

std::string printable(const char* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

std::string plural(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

const char* lightKind(std::int32_t kind) {
    switch (kind) {
    case kSivLightPoint: return "point";
    case kSivLightSpot: return "spot";
    case kSivLightDirectional: return "directional";
    default: return "unknown kind (type 0)";
    }
}

const char* trackKind(std::int32_t kind) {
    switch (kind) {
    case kSivTrackPosition: return "position";
    case kSivTrackRotation: return "rotation";
    case kSivTrackScale: return "scale (unused)";
    default: return "unknown kind (unused)";
    }
}

} // namespace

void printSivInfo(std::ostream& out, const SivFile& file, std::uint32_t storedSize, std::uint32_t inflatedSize,
                  const InfoOptions& options) {
    const SivMainHeader& h = file.mainHeader;
    out << "container: " << storedSize << " bytes of zlib payload, " << inflatedSize << " bytes inflated\n";
    out << "stream: version " << file.streamHeader.version << ", chunk \""
        << printable(file.streamHeader.chunkName, sizeof file.streamHeader.chunkName) << "\"\n";
    out << "header: " << plural(h.meshCount, "mesh", "meshes") << ", " << plural(h.textureCount, "texture", "textures")
        << ", " << plural(h.materialCount, "material", "materials") << ", "
        << plural(h.cameraCount, "camera", "cameras") << ", " << plural(h.lightCount, "light", "lights") << ", "
        << plural(h.trackCount, "track", "tracks") << "\n";

    std::size_t section = 0;
    auto sectionTitle = [&](const char* title, std::size_t count) {
        const SivSectionName& name = file.sectionNames[section++];
        out << "\n" << title << " (" << count << ", section \"" << printable(name.data(), name.size()) << "\"):\n";
    };

    sectionTitle("meshes", file.meshes.size());
    for (std::size_t i = 0; i < file.meshes.size(); ++i) {
        const SivMesh& m = file.meshes[i];
        out << "  [" << i << "] object " << m.header.objectId << ": " << plural(m.header.vertexCount, "vertex", "vertices")
            << ", " << plural(m.header.faceCount, "face", "faces");
        if (!m.faces.empty()) {
            out << ", material " << m.faces.front().materialIndex;
            const bool mixed = std::any_of(m.faces.begin(), m.faces.end(), [&](const SivFace& f) {
                return f.materialIndex != m.faces.front().materialIndex;
            });
            if (mixed) out << " (other faces name others; the first face's counts)";
            out << ", " << (m.faces.size() >= 65535 ? "32" : "16") << "-bit indices";
        }
        out << "\n      position " << vec(m.header.position) << ", rotation " << quat(m.header.rotation) << "\n";
    }

    sectionTitle("textures", file.textures.size());
    for (std::size_t i = 0; i < file.textures.size(); ++i) {
        const SivTextureEntry& t = file.textures[i];
        const auto name = sivTextureName(t);
        out << "  [" << i << "] id " << t.textureId << ": ";
        if (!name)
            out << "file name without an ending zero byte\n";
        else if (name->empty())
            out << "no texture (empty name)\n";
        else
            out << "\"" << displayText(*name) << "\"\n";
    }

    sectionTitle("materials", file.materials.size());
    for (std::size_t i = 0; i < file.materials.size(); ++i) {
        const SivMaterial& m = file.materials[i];
        out << "  [" << i << "] ambient " << rgb(m.ambient) << ", diffuse " << rgb(m.diffuse) << ", specular "
            << rgb(m.specular) << ", power " << num(m.power) << "\n      texture id " << m.textureId
            << (m.twoSided ? ", two-sided" : ", one-sided") << "\n";
    }

    sectionTitle("cameras", file.cameras.size());
    for (std::size_t i = 0; i < file.cameras.size(); ++i) {
        const SivCamera& c = file.cameras[i];
        out << "  [" << i << "] position " << vec(c.position) << " (track id " << c.positionTrackId << "), target "
            << vec(c.target) << " (track id " << c.targetTrackId << ")\n";
    }

    sectionTitle("lights", file.lights.size());
    for (std::size_t i = 0; i < file.lights.size(); ++i) {
        const SivLight& l = file.lights[i];
        out << "  [" << i << "] " << lightKind(l.kind) << " (kind " << l.kind << "): position " << vec(l.position)
            << ", direction " << vec(l.direction) << ", color " << rgb(l.color) << "\n";
    }

    sectionTitle("tracks", file.tracks.size());
    for (std::size_t i = 0; i < file.tracks.size(); ++i) {
        const SivTrackRecord& t = file.tracks[i];
        out << "  [" << i << "] " << trackKind(t.header.kind) << " (kind " << t.header.kind << ") of object "
            << t.header.objectId << ": " << plural(static_cast<std::int64_t>(t.keys.size()), "key", "keys");
        if (!t.keys.empty())
            out << ", times " << num(t.keys.front().time) << " .. " << num(t.keys.back().time);
        out << "\n";
        if (!options.keys) continue;
        for (const SivKey& k : t.keys) {
            out << "      t " << num(k.time) << ": value " << vec(k.value);
            if (t.header.kind == kSivTrackRotation) out << ", w " << num(k.w);
            out << ", tcb " << num(k.tension) << " " << num(k.continuity) << " " << num(k.bias) << "\n";
        }
    }
}

} // namespace zamp::sivtool
