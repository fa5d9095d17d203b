// The on-disk records of a SIV scene file, described once for the loader, the writer and the
// tools. A SIV file is an outer container ("ZSIV", two sizes, a zlib payload) around an
// inflated stream ("PSIV", version, chunk name, main header, six sections of fixed-size
// records). Every record is little-endian with no padding. The structs below have exactly the
// file's layout (the static_asserts pin every size and offset), so one memcpy moves a record
// between the stream and memory. All of them but the 17-byte stream header are naturally
// aligned, so only that one is packed and the others can be referenced freely.
//
// What this header does not do: it checks nothing. Counts and indices in these records come
// from a file and must be checked before they are trusted (see SivParse.h, SivSceneCheck.h).
#pragma once

#include "core/Values.h"

#include <bit>
#include <cstddef>
#include <cstdint>

namespace zamp {

// The records are copied byte for byte; a big-endian port would have to swap every field.
static_assert(std::endian::native == std::endian::little, "SIV records are read with memcpy");

inline constexpr char kSivContainerSignature[4] = {'Z', 'S', 'I', 'V'};
inline constexpr char kSivStreamSignature[4] = {'P', 'S', 'I', 'V'};
inline constexpr std::int32_t kSivVersion = 7;
// The chunk name after the version; only its first kSivChunkNameCompared bytes are compared.
inline constexpr char kSivChunkName[9] = {'M', 'A', 'I', 'N', 'C', 'H', 'U', 'N', 'K'};
inline constexpr std::size_t kSivChunkNameCompared = 8;
inline constexpr std::size_t kSivSectionNameSize = 9;
inline constexpr std::size_t kSivSectionCount = 6;
inline constexpr std::size_t kSivTextureNameSize = 80;

// Track kinds (SivTrack::kind). Only position and rotation feed curves.
enum SivTrackKind : std::int32_t { kSivTrackPosition = 1, kSivTrackRotation = 2, kSivTrackScale = 3 };
// Light kinds (SivLight::kind). Other values are kept and give a light of type 0.
enum SivLightKind : std::int32_t { kSivLightPoint = 0, kSivLightSpot = 1, kSivLightDirectional = 4 };

struct SivRgb {
    float r, g, b;
};

// The 12 bytes in front of the zlib payload.
struct SivContainerHeader {
    char signature[4];              // "ZSIV"
    std::uint32_t uncompressedSize; // bytes of the inflated stream
    std::uint32_t compressedSize;   // bytes of the zlib payload that follows
};

// The first 17 bytes of the inflated stream.
#pragma pack(push, 1)
struct SivStreamHeader {
    char signature[4]; // "PSIV"
    std::int32_t version;
    char chunkName[9]; // "MAINCHUNK", no terminating zero
};
#pragma pack(pop)

struct SivMainHeader {
    std::int32_t reserved[10];
    std::int32_t meshCount;
    std::int32_t textureCount;
    std::int32_t materialCount;
    std::int32_t cameraCount;
    std::int32_t lightCount;
    std::int32_t trackCount;
};

struct SivMeshHeader {
    std::int32_t objectId; // the id tracks use to name this mesh
    std::int32_t reserved0;
    Vec3 position;       // translation when no position track names the mesh
    Quaternion rotation; // rotation when no rotation track names the mesh
    std::int32_t reserved1[9];
    std::int32_t vertexCount;
    std::int32_t faceCount;
};

struct SivVertex {
    Vec3 position;
    Vec3 normal;
    float u, v;
    std::uint8_t reserved[24];
};

struct SivFace {
    std::int32_t indices[3];
    std::int32_t materialIndex; // only the first face's value counts, for the whole mesh
};

struct SivTextureEntry {
    std::int32_t textureId;
    char fileName[kSivTextureNameSize]; // ends at its first zero byte; empty means no texture
};

struct SivMaterial {
    std::int32_t reserved0;
    SivRgb ambient;
    SivRgb diffuse;
    SivRgb specular;
    float power;
    std::int32_t reserved1;
    std::int32_t textureId;
    std::int32_t reserved2[2];
    std::uint8_t twoSided; // nonzero: draw both faces
    std::uint8_t reserved3[3];
};

struct SivCamera {
    Vec3 position;
    Vec3 target;
    std::int32_t reserved[4];
    std::int32_t positionTrackId; // object id of the tracks that move the eye
    std::int32_t targetTrackId;   // object id of the tracks that move the target
};

struct SivLight {
    std::int32_t kind; // SivLightKind
    std::int32_t reserved0;
    Vec3 position;
    Vec3 direction;
    std::int32_t reserved1[3];
    SivRgb color;
    std::int32_t reserved2[10];
    std::int32_t positionTrackId; // stored by writers; lights are not animated
    std::int32_t targetTrackId;
};

struct SivTrack {
    std::int32_t kind; // SivTrackKind
    std::int32_t reserved0;
    std::int32_t objectId;
    std::int32_t reserved1[2];
    std::int32_t keyCount; // zero or less: no keys follow
    std::int32_t reserved2;
};

struct SivKey {
    float time;
    Vec3 value;
    float w; // fourth quaternion component, rotation tracks only
    float tension;
    float continuity;
    float bias;
};

static_assert(sizeof(SivContainerHeader) == 12);
static_assert(sizeof(SivStreamHeader) == 17 && offsetof(SivStreamHeader, chunkName) == 8);
static_assert(sizeof(SivMainHeader) == 64 && offsetof(SivMainHeader, meshCount) == 40 &&
              offsetof(SivMainHeader, trackCount) == 60);
static_assert(sizeof(SivMeshHeader) == 80 && offsetof(SivMeshHeader, position) == 8 &&
              offsetof(SivMeshHeader, rotation) == 20 && offsetof(SivMeshHeader, vertexCount) == 72 &&
              offsetof(SivMeshHeader, faceCount) == 76);
static_assert(sizeof(SivVertex) == 56 && offsetof(SivVertex, u) == 24 && offsetof(SivVertex, reserved) == 32);
static_assert(sizeof(SivFace) == 16 && offsetof(SivFace, materialIndex) == 12);
static_assert(sizeof(SivTextureEntry) == 84 && offsetof(SivTextureEntry, fileName) == 4);
static_assert(sizeof(SivMaterial) == 64 && offsetof(SivMaterial, ambient) == 4 && offsetof(SivMaterial, diffuse) == 16 &&
              offsetof(SivMaterial, specular) == 28 && offsetof(SivMaterial, power) == 40 &&
              offsetof(SivMaterial, textureId) == 48 && offsetof(SivMaterial, twoSided) == 60);
static_assert(sizeof(SivCamera) == 48 && offsetof(SivCamera, target) == 12 && offsetof(SivCamera, positionTrackId) == 40 &&
              offsetof(SivCamera, targetTrackId) == 44);
static_assert(sizeof(SivLight) == 104 && offsetof(SivLight, position) == 8 && offsetof(SivLight, direction) == 20 &&
              offsetof(SivLight, color) == 44 && offsetof(SivLight, positionTrackId) == 96 &&
              offsetof(SivLight, targetTrackId) == 100);
static_assert(sizeof(SivTrack) == 28 && offsetof(SivTrack, objectId) == 8 && offsetof(SivTrack, keyCount) == 20);
static_assert(sizeof(SivKey) == 32 && offsetof(SivKey, value) == 4 && offsetof(SivKey, w) == 16 &&
              offsetof(SivKey, tension) == 20 && offsetof(SivKey, bias) == 28);

// Smallest possible inflated stream: stream header, main header and six empty sections.
inline constexpr std::size_t kSivMinimalStreamSize =
    sizeof(SivStreamHeader) + sizeof(SivMainHeader) + kSivSectionCount * kSivSectionNameSize;
static_assert(kSivMinimalStreamSize == 135);

} // namespace zamp
