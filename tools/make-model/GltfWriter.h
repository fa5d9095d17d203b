// Writes glTF 2.0 files (.gltf with its buffer inline, or .glb): meshes, materials with a
// base colour and texture, nodes, perspective cameras, punctual lights and linear animation.
// Enough for the example show's generated model and for the import tests' own models; no
// third-party model enters the repository.
#pragma once

#include "core/Values.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zamp::gltf {

struct Mesh {
    std::string name;
    std::vector<Vec3> positions;
    std::vector<Vec3> normals; // empty: none written
    std::vector<Vec2> uvs;     // empty: none written
    std::vector<std::uint32_t> indices; // triangles, counter-clockwise seen from the front
    int material = -1;
};

struct Image {
    std::string uri;                    // a file beside the model, or
    std::vector<std::uint8_t> embedded; // PNG bytes stored in the buffer
};

struct Material {
    std::string name;
    float baseColor[4] = {1, 1, 1, 1};
    bool doubleSided = false;
    int image = -1; // the base colour texture
};

struct Camera {
    float yfov = 0.8f; // radians
    float aspectRatio = 4.0f / 3.0f;
    float znear = 0.1f;
};

struct Light {
    std::string type = "directional"; // or "point", "spot"
    Vec3 color{1, 1, 1};
    float intensity = 1;
};

struct Node {
    std::string name;
    int mesh = -1, camera = -1, light = -1;
    Vec3 translation{0, 0, 0};
    Quaternion rotation{0, 0, 0, 1};
    Vec3 scale{1, 1, 1};
    std::vector<int> children;
};

// One animated property of a node, interpolated linearly: 3 values a key for "translation"
// and "scale", 4 (x, y, z, w) for "rotation".
struct Channel {
    int node = 0;
    std::string path;
    std::vector<float> times;
    std::vector<float> values;
};

struct Document {
    std::vector<Mesh> meshes;
    std::vector<Material> materials;
    std::vector<Image> images;
    std::vector<Node> nodes;
    std::vector<int> roots; // the scene's top nodes
    std::vector<Camera> cameras;
    std::vector<Light> lights;
    std::vector<Channel> channels; // one animation
    std::string animationName = "animation";
};

// Writes `doc` to `path`: a .glb when the path ends in ".glb", else a .gltf with the buffer
// as a data URI. Throws zamp::Error when the file cannot be written.
void write(const Document& doc, const std::string& path);

} // namespace zamp::gltf
