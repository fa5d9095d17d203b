// make-model: the example show's imported model, made from scratch and written as glTF
// (a modelling program's file), which the build turns into data/sculpture.siv with
// `siv import`. A kinetic sculpture: a turning torus knot on a pedestal, a ring carrying
// three moons round it (a node hierarchy), a striped floor, two lights and a camera that
// circles the whole.
#include "GltfWriter.h"

#include "core/Error.h"
#include "platform/Platform.h"

#include <cmath>
#include <cstdio>
#include <array>
#include <functional>
#include <string>

namespace {

using namespace zamp;
using gltf::Mesh;

constexpr float kPi = 3.14159265f;
constexpr float kSeconds = 20; // one pass of the animation

Vec3 add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 mul(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 unit(Vec3 a) { return mul(a, 1 / std::sqrt(dot(a, a))); }

// A grid of (columns + 1) x (rows + 1) vertices from `at(u, v)` with u, v in 0..1 and the
// normal from `normal(u, v)`; every triangle is wound counter-clockwise seen from the side
// its normals point to (glTF's front).
Mesh grid(const std::string& name, int columns, int rows, const std::function<Vec3(float, float)>& at,
          const std::function<Vec3(float, float)>& normal, Vec2 uvRepeat = {1, 1}) {
    Mesh m;
    m.name = name;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            const float u = float(c) / columns, v = float(r) / rows;
            m.positions.push_back(at(u, v));
            m.normals.push_back(normal(u, v));
            m.uvs.push_back({u * uvRepeat.x, v * uvRepeat.y});
        }
    auto index = [&](int c, int r) { return std::uint32_t(r * (columns + 1) + c); };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            std::uint32_t quad[4] = {index(c, r), index(c + 1, r), index(c + 1, r + 1), index(c, r + 1)};
            for (const auto& t : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
                std::uint32_t a = quad[t[0]], b = quad[t[1]], d = quad[t[2]];
                const Vec3 face = cross(sub(m.positions[b], m.positions[a]), sub(m.positions[d], m.positions[a]));
                const Vec3 outward = add(add(m.normals[a], m.normals[b]), m.normals[d]);
                if (dot(face, outward) < 0) std::swap(b, d);
                m.indices.insert(m.indices.end(), {a, b, d});
            }
        }
    return m;
}

// A (2, 3) torus knot: the tube follows the knot, its frame from the curve's tangent.
Mesh torusKnot() {
    auto curve = [](float t) {
        const float phi = t * 2 * kPi, r = 2 + std::cos(3 * phi);
        return Vec3{r * std::cos(2 * phi), -std::sin(3 * phi), r * std::sin(2 * phi)};
    };
    auto frame = [&](float u, Vec3& centre, Vec3& side, Vec3& up) {
        centre = curve(u);
        const Vec3 tangent = unit(sub(curve(u + 1e-3f), curve(u - 1e-3f)));
        side = unit(cross(tangent, Vec3{0, 1, 0.3f}));
        up = cross(side, tangent);
    };
    const float tube = 0.45f;
    auto normal = [&](float u, float v) {
        Vec3 c, s, w;
        frame(u, c, s, w);
        return add(mul(s, std::cos(v * 2 * kPi)), mul(w, std::sin(v * 2 * kPi)));
    };
    return grid("knot", 240, 16, [&](float u, float v) {
        Vec3 c, s, w;
        frame(u, c, s, w);
        return add(c, mul(normal(u, v), tube));
    }, normal, {8, 1});
}

Mesh sphere(const std::string& name, float radius) {
    auto normal = [](float u, float v) {
        const float a = u * 2 * kPi, b = v * kPi;
        return Vec3{std::sin(b) * std::cos(a), std::cos(b), std::sin(b) * std::sin(a)};
    };
    return grid(name, 32, 16, [&](float u, float v) { return mul(normal(u, v), radius); }, normal);
}

Mesh torus(const std::string& name, float radius, float tube) {
    auto normal = [](float u, float v) {
        const float a = u * 2 * kPi, b = v * 2 * kPi;
        return Vec3{std::cos(b) * std::cos(a), std::sin(b), std::cos(b) * std::sin(a)};
    };
    return grid(name, 96, 12, [&](float u, float v) {
        const float a = u * 2 * kPi;
        return add(Vec3{radius * std::cos(a), 0, radius * std::sin(a)}, mul(normal(u, v), tube));
    }, normal);
}

// A cylinder's side with a top: the pedestal.
Mesh pedestal() {
    Mesh side = grid("pedestal", 48, 1, [](float u, float v) {
        const float a = u * 2 * kPi;
        return Vec3{3.2f * std::cos(a), -4.5f + v * 1.5f, 3.2f * std::sin(a)};
    }, [](float u, float) { return Vec3{std::cos(u * 2 * kPi), 0, std::sin(u * 2 * kPi)}; });
    Mesh top = grid("top", 48, 1, [](float u, float v) {
        const float a = u * 2 * kPi;
        return Vec3{3.2f * v * std::cos(a), -3.0f, 3.2f * v * std::sin(a)};
    }, [](float, float) { return Vec3{0, 1, 0}; });
    const auto base = std::uint32_t(side.positions.size());
    side.positions.insert(side.positions.end(), top.positions.begin(), top.positions.end());
    side.normals.insert(side.normals.end(), top.normals.begin(), top.normals.end());
    side.uvs.insert(side.uvs.end(), top.uvs.begin(), top.uvs.end());
    for (std::uint32_t i : top.indices) side.indices.push_back(base + i);
    return side;
}

Mesh floorDisc() {
    return grid("floor", 64, 8, [](float u, float v) {
        const float a = u * 2 * kPi, r = v * v * 70;
        return Vec3{r * std::cos(a), -4.5f, r * std::sin(a)};
    }, [](float, float) { return Vec3{0, 1, 0}; }, {24, 6});
}

Quaternion aboutY(float angle) { return {0, std::sin(angle / 2), 0, std::cos(angle / 2)}; }
Quaternion aboutX(float angle) { return {std::sin(angle / 2), 0, 0, std::cos(angle / 2)}; }
Quaternion times(Quaternion a, Quaternion b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

// Keys every `step` seconds of a rotation about y by `turns` full turns over the pass.
gltf::Channel spin(int node, float turns, float step, Quaternion tilt = {0, 0, 0, 1}) {
    gltf::Channel c{node, "rotation", {}, {}};
    for (float t = 0; t <= kSeconds + 1e-4f; t += step) {
        const Quaternion q = times(tilt, aboutY(turns * 2 * kPi * t / kSeconds));
        c.times.push_back(t);
        c.values.insert(c.values.end(), {q.x, q.y, q.z, q.w});
    }
    return c;
}

// The camera circles once, rising and falling, always looking at the knot (glTF cameras
// look down their -z).
void cameraFlight(gltf::Document& doc, int node) {
    gltf::Channel move{node, "translation", {}, {}}, turn{node, "rotation", {}, {}};
    for (float t = 0; t <= kSeconds + 1e-4f; t += 0.25f) {
        const float a = 0.3f + 2 * kPi * t / kSeconds * 0.75f;
        const float r = 17 - 4 * std::sin(kPi * t / kSeconds);
        const Vec3 eye{r * std::sin(a), 3 + 3 * std::cos(2 * kPi * t / kSeconds), r * std::cos(a)};
        const Vec3 d = unit(sub(Vec3{0, 0.5f, 0}, eye));
        const Quaternion q = times(aboutY(std::atan2(-d.x, -d.z)), aboutX(std::asin(d.y)));
        move.times.push_back(t);
        move.values.insert(move.values.end(), {eye.x, eye.y, eye.z});
        turn.times.push_back(t);
        turn.values.insert(turn.values.end(), {q.x, q.y, q.z, q.w});
    }
    doc.channels.push_back(move);
    doc.channels.push_back(turn);
}

std::uint32_t stripes(int x, int y) {
    const bool light = ((x / 16) + (y / 16)) % 2 == 0;
    return light ? 0xFF6A6878u : 0xFF403E4Cu;
}

gltf::Document sculpture() {
    gltf::Document doc;
    doc.animationName = "sculpture";
    doc.images.push_back({"sculpture-floor.png", {}});
    doc.materials = {
        {"copper", {1.0f, 0.55f, 0.25f, 1}, false, -1},
        {"stone", {0.55f, 0.55f, 0.62f, 1}, false, -1},
        {"moon", {0.35f, 0.7f, 1.0f, 1}, false, -1},
        {"ring", {0.95f, 0.9f, 0.75f, 1}, false, -1},
        {"floor", {0.8f, 0.8f, 0.8f, 1}, false, 0},
    };
    doc.meshes = {torusKnot(), pedestal(), sphere("moon", 0.7f), torus("ring", 5.5f, 0.12f), floorDisc()};
    doc.meshes[0].material = 0;
    doc.meshes[1].material = 1;
    doc.meshes[2].material = 2;
    doc.meshes[3].material = 3;
    doc.meshes[4].material = 4;
    doc.cameras = {{1.0177f, 4.0f / 3.0f, 0.5f}}; // the player's own vertical field of view
    doc.lights = {{"directional", {1.0f, 0.9f, 0.8f}, 1}, {"point", {0.4f, 0.5f, 1.0f}, 1}};

    auto node = [&](gltf::Node n) {
        doc.nodes.push_back(std::move(n));
        return int(doc.nodes.size() - 1);
    };
    const int knot = node({"knot", 0, -1, -1, {0, 0.5f, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}});
    const int base = node({"pedestal", 1, -1, -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}});
    const int floor = node({"floor", 4, -1, -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}});
    // The carrier tilts and turns; the moons and the ring ride on it.
    std::vector<int> riders;
    riders.push_back(node({"ring", 3, -1, -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}}));
    for (int i = 0; i < 3; ++i) {
        const float a = i * 2 * kPi / 3;
        riders.push_back(node({"moon" + std::to_string(i), 2, -1, -1, {5.5f * std::cos(a), 0, 5.5f * std::sin(a)},
                               {0, 0, 0, 1}, {1, 1, 1}, {}}));
    }
    const int carrier = node({"carrier", -1, -1, -1, {0, 0.5f, 0}, aboutX(0.35f), {1, 1, 1}, riders});
    const int camera = node({"camera", -1, 0, -1, {0, 3, 17}, {0, 0, 0, 1}, {1, 1, 1}, {}});
    const int sun = node({"sun", -1, -1, 0, {0, 0, 0}, times(aboutY(0.6f), aboutX(-0.9f)), {1, 1, 1}, {}});
    const int glow = node({"glow", -1, -1, 1, {0, 6, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}});
    doc.roots = {knot, base, floor, carrier, camera, sun, glow};

    doc.channels.push_back(spin(knot, 1, 0.5f));
    doc.channels.push_back(spin(carrier, -2, 0.25f, aboutX(0.35f)));
    cameraFlight(doc, camera);
    return doc;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-model OUT.gltf (the floor's picture is written beside it)\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string folder = out.find('/') == std::string::npos ? "." : out.substr(0, out.rfind('/'));
    try {
        const auto files = openImageFiles();
        ArgbImage floor{128, 128, std::vector<std::uint32_t>(128 * 128)};
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) floor.pixels[std::size_t(y) * 128 + x] = stripes(x, y);
        files->writePng(folder + "/sculpture-floor.png", floor);
        gltf::write(sculpture(), out);
    } catch (const Error& e) {
        std::fprintf(stderr, "make-model: %s\n", e.what());
        return 1;
    }
    return 0;
}
