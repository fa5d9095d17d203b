// What one scene may hold. Far above anything a real show loads, these bounds keep a damaged
// or hostile file from making the player spend gigabytes, or seconds a frame, on one scene:
// a file over any of them is refused with a message naming the bound (docs/robustness.md).
#pragma once

#include <cstdint>

namespace zamp {

struct SivLimits {
    // Each mesh is one draw call a frame, so their count bounds the time a frame takes.
    std::int64_t meshes = 1 << 17; // 131072
    // One mesh is one draw call: the Direct3D 9 cards of the time draw at most 0xFFFFF faces in
    // one (MaxPrimitiveCount) and the most common name at most 0xFFFFF vertices
    // (MaxVertexIndex).
    std::int64_t facesPerMesh = 0xFFFFF;    // 1048575
    std::int64_t verticesPerMesh = 0xFFFFF; // 1048575
    // All meshes of a scene together.
    std::int64_t faces = 1 << 22;    // 4194304
    std::int64_t vertices = 1 << 22; // 4194304
    // Direct3D 9 lights only 8 at a time, and every light is set each frame.
    std::int64_t lights = 1024;
    std::int64_t cameras = 1 << 16; // 65536
    // Records that only take memory: a few per mesh or camera in real scenes.
    std::int64_t textures = 1 << 16;  // 65536
    std::int64_t materials = 1 << 16; // 65536
    std::int64_t tracks = 1 << 20;    // 1048576
    // The keys of all tracks together.
    std::int64_t keys = 1 << 22; // 4194304

    // The longest inflated stream a scene within these bounds can need (about 489 MB for the
    // player's): a container that declares more is refused before anything is inflated, so
    // that bytes after the track section, which are never read, cannot fill memory either.
    constexpr std::int64_t streamBytes() const {
        return 17 + 64 + 6 * 9 + meshes * 80 + vertices * 56 + faces * 16 + textures * 84 + materials * 64 +
               cameras * 48 + lights * 104 + tracks * 28 + keys * 32;
    }
};

// The bounds the player loads with.
inline constexpr SivLimits kSivLimits{};

// A track's keys are copied into every curve that names its object: a few curves may share
// one (a mesh and a camera with the same id), but not so many that a small file fills
// gigabytes of curves. The keys that curves take from tracks may be at most this many times
// the keys the tracks hold.
inline constexpr std::int64_t kSivCurveKeysPerTrackKey = 4;

} // namespace zamp
