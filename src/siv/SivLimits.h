// What one scene may hold. Far above anything a real show loads, these bounds keep a damaged
// or hostile file from making the player spend gigabytes, or seconds a frame, on one scene:
// a file over any of them is refused with a message naming the bound (docs/robustness.md).
#pragma once

#include <cstdint>

namespace zamp {

// Each mesh is one draw call a frame, so its count bounds the time a frame of the scene takes.
inline constexpr std::int64_t kSivMostMeshes = 1 << 17; // 131072
// One mesh is one draw call: the Direct3D 9 cards of the time draw at most 0xFFFFF faces in
// one (MaxPrimitiveCount) and the most common name at most 0xFFFFF vertices (MaxVertexIndex).
inline constexpr std::int64_t kSivMostFacesPerMesh = 0xFFFFF;    // 1048575
inline constexpr std::int64_t kSivMostVerticesPerMesh = 0xFFFFF; // 1048575
// All meshes of a scene together.
inline constexpr std::int64_t kSivMostFaces = 1 << 22;    // 4194304
inline constexpr std::int64_t kSivMostVertices = 1 << 22; // 4194304
// Direct3D 9 lights only 8 at a time; every light is set each frame.
inline constexpr std::int64_t kSivMostLights = 1024;
inline constexpr std::int64_t kSivMostCameras = 1 << 16; // 65536
// Keys of all tracks together.
inline constexpr std::int64_t kSivMostKeys = 1 << 22; // 4194304
// A track's keys are copied into every curve that names its object: a few curves may share
// one (a mesh and a camera with the same id), but not so many that a small file fills
// gigabytes of curves. The keys that curves take from tracks may be at most this many times
// the keys the tracks hold.
inline constexpr std::int64_t kSivCurveKeysPerTrackKey = 4;

} // namespace zamp
