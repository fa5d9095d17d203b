#include "GltfWriter.h"

#include "core/Error.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace zamp::gltf {

namespace {

constexpr int kFloat = 5126;
constexpr int kUnsignedInt = 5125;

std::string base64(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = std::uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                                (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += digits[n >> 18 & 63];
        out += digits[n >> 12 & 63];
        out += i + 1 < bytes.size() ? digits[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return out;
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string list(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

std::string num(double v) {
    std::ostringstream s;
    s.precision(9);
    s << v;
    return s.str();
}

// The binary buffer with its views and accessors, built as data is added.
class Buffer {
public:
    int view(const void* data, std::size_t size) {
        while (bytes.size() % 4) bytes.push_back(0);
        const std::size_t offset = bytes.size();
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
        views.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) + ",\"byteLength\":" + std::to_string(size) + "}");
        return int(views.size() - 1);
    }
    int floats(const std::vector<float>& values, int width, const char* type, bool bounds = false) {
        const int v = view(values.data(), values.size() * sizeof(float));
        std::string accessor = "{\"bufferView\":" + std::to_string(v) + ",\"componentType\":" + std::to_string(kFloat) +
                               ",\"count\":" + std::to_string(values.size() / width) + ",\"type\":\"" + type + "\"";
        if (bounds) {
            std::vector<std::string> lo, hi;
            for (int c = 0; c < width; ++c) {
                float a = values[c], b = values[c];
                for (std::size_t i = c; i < values.size(); i += width) a = std::min(a, values[i]), b = std::max(b, values[i]);
                lo.push_back(num(a));
                hi.push_back(num(b));
            }
            accessor += ",\"min\":" + list(lo) + ",\"max\":" + list(hi);
        }
        accessors.push_back(accessor + "}");
        return int(accessors.size() - 1);
    }
    int indices(const std::vector<std::uint32_t>& values) {
        const int v = view(values.data(), values.size() * 4);
        accessors.push_back("{\"bufferView\":" + std::to_string(v) + ",\"componentType\":" + std::to_string(kUnsignedInt) +
                            ",\"count\":" + std::to_string(values.size()) + ",\"type\":\"SCALAR\"}");
        return int(accessors.size() - 1);
    }
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> views, accessors;
};

template <class V>
std::vector<float> flat(const std::vector<V>& values) {
    std::vector<float> out(values.size() * sizeof(V) / sizeof(float));
    std::memcpy(out.data(), values.data(), out.size() * sizeof(float));
    return out;
}

std::string json(const Document& doc, Buffer& buffer, bool glb) {
    std::vector<std::string> meshes, materials, images, textures, nodes, cameras, lights, channels, samplers;
    for (const Mesh& m : doc.meshes) {
        std::string attributes = "\"POSITION\":" + std::to_string(buffer.floats(flat(m.positions), 3, "VEC3", true));
        if (!m.normals.empty()) attributes += ",\"NORMAL\":" + std::to_string(buffer.floats(flat(m.normals), 3, "VEC3"));
        if (!m.uvs.empty()) attributes += ",\"TEXCOORD_0\":" + std::to_string(buffer.floats(flat(m.uvs), 2, "VEC2"));
        std::string primitive = "{\"attributes\":{" + attributes + "},\"indices\":" + std::to_string(buffer.indices(m.indices));
        if (m.material >= 0) primitive += ",\"material\":" + std::to_string(m.material);
        meshes.push_back("{\"name\":" + quoted(m.name) + ",\"primitives\":[" + primitive + "}]}");
    }
    for (const Image& image : doc.images) {
        if (image.embedded.empty()) {
            images.push_back("{\"uri\":" + quoted(image.uri) + "}");
        } else {
            const int v = buffer.view(image.embedded.data(), image.embedded.size());
            images.push_back("{\"bufferView\":" + std::to_string(v) + ",\"mimeType\":\"image/png\"}");
        }
        textures.push_back("{\"source\":" + std::to_string(images.size() - 1) + "}");
    }
    for (const Material& m : doc.materials) {
        std::string pbr = "\"baseColorFactor\":" + list({num(m.baseColor[0]), num(m.baseColor[1]), num(m.baseColor[2]), num(m.baseColor[3])}) +
                          ",\"metallicFactor\":0";
        if (m.image >= 0) pbr += ",\"baseColorTexture\":{\"index\":" + std::to_string(m.image) + "}";
        materials.push_back("{\"name\":" + quoted(m.name) + ",\"pbrMetallicRoughness\":{" + pbr + "}" +
                            (m.doubleSided ? ",\"doubleSided\":true" : "") + "}");
    }
    for (const Node& n : doc.nodes) {
        std::string node = "{\"name\":" + quoted(n.name) +
                           ",\"translation\":" + list({num(n.translation.x), num(n.translation.y), num(n.translation.z)}) +
                           ",\"rotation\":" + list({num(n.rotation.x), num(n.rotation.y), num(n.rotation.z), num(n.rotation.w)}) +
                           ",\"scale\":" + list({num(n.scale.x), num(n.scale.y), num(n.scale.z)});
        if (n.mesh >= 0) node += ",\"mesh\":" + std::to_string(n.mesh);
        if (n.camera >= 0) node += ",\"camera\":" + std::to_string(n.camera);
        if (n.light >= 0) node += ",\"extensions\":{\"KHR_lights_punctual\":{\"light\":" + std::to_string(n.light) + "}}";
        if (!n.children.empty()) {
            std::vector<std::string> c;
            for (int i : n.children) c.push_back(std::to_string(i));
            node += ",\"children\":" + list(c);
        }
        nodes.push_back(node + "}");
    }
    for (const Camera& c : doc.cameras)
        cameras.push_back("{\"type\":\"perspective\",\"perspective\":{\"yfov\":" + num(c.yfov) + ",\"aspectRatio\":" +
                          num(c.aspectRatio) + ",\"znear\":" + num(c.znear) + "}}");
    for (const Light& l : doc.lights)
        lights.push_back("{\"type\":" + quoted(l.type) + ",\"color\":" + list({num(l.color.x), num(l.color.y), num(l.color.z)}) +
                         ",\"intensity\":" + num(l.intensity) +
                         // Readers want a spot light's cone written out; these are the format's defaults.
                         (l.type == "spot" ? ",\"spot\":{\"innerConeAngle\":0,\"outerConeAngle\":0.7853982}" : "") + "}");
    for (const Channel& c : doc.channels) {
        const int width = c.path == "rotation" ? 4 : 3;
        const int input = buffer.floats(c.times, 1, "SCALAR", true);
        const int output = buffer.floats(c.values, width, width == 4 ? "VEC4" : "VEC3");
        samplers.push_back("{\"input\":" + std::to_string(input) + ",\"output\":" + std::to_string(output) +
                           ",\"interpolation\":\"LINEAR\"}");
        channels.push_back("{\"sampler\":" + std::to_string(samplers.size() - 1) + ",\"target\":{\"node\":" +
                           std::to_string(c.node) + ",\"path\":" + quoted(c.path) + "}}");
    }
    std::vector<std::string> roots;
    for (int r : doc.roots) roots.push_back(std::to_string(r));

    std::string out = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"zamp make-model\"},\"scene\":0,\"scenes\":[{\"nodes\":" +
                      list(roots) + "}],\"nodes\":" + list(nodes) + ",\"meshes\":" + list(meshes);
    if (!materials.empty()) out += ",\"materials\":" + list(materials);
    if (!images.empty()) out += ",\"images\":" + list(images) + ",\"textures\":" + list(textures);
    if (!cameras.empty()) out += ",\"cameras\":" + list(cameras);
    if (!lights.empty())
        out += ",\"extensionsUsed\":[\"KHR_lights_punctual\"],\"extensions\":{\"KHR_lights_punctual\":{\"lights\":" +
               list(lights) + "}}";
    if (!channels.empty())
        out += ",\"animations\":[{\"name\":" + quoted(doc.animationName) + ",\"channels\":" + list(channels) +
               ",\"samplers\":" + list(samplers) + "}]";
    while (buffer.bytes.size() % 4) buffer.bytes.push_back(0);
    const std::string uri = glb ? "" : ",\"uri\":\"data:application/octet-stream;base64," + base64(buffer.bytes) + "\"";
    out += ",\"buffers\":[{\"byteLength\":" + std::to_string(buffer.bytes.size()) + uri + "}],\"bufferViews\":" +
           list(buffer.views) + ",\"accessors\":" + list(buffer.accessors) + "}";
    return out;
}

void put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char(v >> (8 * i) & 0xFF);
}

} // namespace

void write(const Document& doc, const std::string& path) {
    const bool glb = path.size() > 4 && path.compare(path.size() - 4, 4, ".glb") == 0;
    Buffer buffer;
    std::string text = json(doc, buffer, glb);
    std::string file;
    if (glb) {
        while (text.size() % 4) text += ' ';
        put32(file, 0x46546C67); // "glTF"
        put32(file, 2);
        put32(file, std::uint32_t(12 + 8 + text.size() + 8 + buffer.bytes.size()));
        put32(file, std::uint32_t(text.size()));
        put32(file, 0x4E4F534A); // "JSON"
        file += text;
        put32(file, std::uint32_t(buffer.bytes.size()));
        put32(file, 0x004E4942); // "BIN"
        file.append(buffer.bytes.begin(), buffer.bytes.end());
    } else {
        file = text;
    }
    std::ofstream out(path, std::ios::binary);
    out << file;
    out.close();
    if (!out) throw Error("Cannot write " + path);
}

} // namespace zamp::gltf
