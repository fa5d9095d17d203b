// The records of one SIV file as plain data: what the parse step reads (SivParse.h), what the
// writer writes (SivWriter.h) and what the scene builder turns into a Scene. It needs no
// device, so tools and tests can read and make files without one.
#pragma once

#include "siv/SivFormat.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zamp {

struct SivMesh {
    SivMeshHeader header{};
    std::vector<SivVertex> vertices;
    std::vector<SivFace> faces;
};

struct SivTrackRecord {
    SivTrack header{};
    std::vector<SivKey> keys;
};

using SivSectionName = std::array<char, kSivSectionNameSize>;

struct SivFile {
    SivStreamHeader streamHeader = defaultStreamHeader();
    SivMainHeader mainHeader{};
    // The six section names in file order; the loader reads them and checks nothing.
    std::array<SivSectionName, kSivSectionCount> sectionNames = defaultSectionNames();

    std::vector<SivMesh> meshes;
    std::vector<SivTextureEntry> textures;
    std::vector<SivMaterial> materials;
    std::vector<SivCamera> cameras;
    std::vector<SivLight> lights;
    std::vector<SivTrackRecord> tracks;

    static SivStreamHeader defaultStreamHeader();
    // The names that this project's writer gives the sections.
    static std::array<SivSectionName, kSivSectionCount> defaultSectionNames();
};

// The texture entry's file name up to its first zero byte; nullopt when none of its 80 bytes
// is zero (the name has no end).
std::optional<std::string> sivTextureName(const SivTextureEntry& entry);

// A texture entry with the given id and name; names longer than 79 bytes are cut.
SivTextureEntry makeSivTextureEntry(std::int32_t textureId, const std::string& fileName);

} // namespace zamp
