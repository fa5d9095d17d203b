// The six sections of the inflated stream: the writer and the parse step agree on every byte,
// counts are trusted only as far as the stream holds them, and the stream ends where the last
// key ends.
#include "support/SivTestSupport.h"

#include "siv/SivParse.h"
#include "siv/SivReader.h"

using namespace zamp;
using namespace zamp::sivtest;

namespace {

template <class Record>
bool sameBytes(const Record& a, const Record& b) {
    return std::memcmp(&a, &b, sizeof(Record)) == 0;
}

template <class Record>
bool sameRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

Failure streamFailure(const std::vector<std::uint8_t>& stream) {
    return failureOf([&] { parseSivStream(stream, "s.siv"); });
}

// A scene with two meshes and two tracks, so that counts of every section are above one.
SivFile richScene() {
    SivFile file = smallScene();
    file.meshes.push_back(quadMesh(2, 1));
    file.meshes[1].vertices.push_back(vertex(9, 9, 9));
    file.materials.push_back(material(0.5f, 6, 1));
    file.textures.push_back(makeSivTextureEntry(6, "wood.png"));
    file.lights.push_back(light(kSivLightSpot));
    file.tracks.push_back(track(kSivTrackRotation, 2, {key(1, {0, 0.5f, 0}, 0.75f, 0.1f, 0.2f, 0.3f)}));
    file.mainHeader.reserved[3] = 1234;
    file.sectionNames[2] = {'m', 'a', 't', 's', ' ', ' ', ' ', ' ', '!'};
    return file;
}

} // namespace

TEST(SivSections, WriterAndParserAgreeOnEveryRecord) {
    const SivFile original = richScene();
    const std::vector<std::uint8_t> stream = buildSivStream(original);
    // 135 framing bytes, two meshes (80 + 4*56 + 2*16, 80 + 5*56 + 2*16), two textures, two
    // materials, a camera, two lights, tracks with two keys and one.
    EXPECT_EQ(stream.size(), 135u + (80 + 224 + 32) + (80 + 280 + 32) + 2 * 84 + 2 * 64 + 48 + 2 * 104 + (28 + 64) +
                                 (28 + 32));

    const SivFile parsed = parseSivFile(wrapSivStream(stream), "rich.siv");
    EXPECT_TRUE(sameBytes(parsed.streamHeader, original.streamHeader));
    EXPECT_EQ(parsed.mainHeader.reserved[3], 1234);
    EXPECT_EQ(parsed.mainHeader.meshCount, 2);
    EXPECT_EQ(parsed.mainHeader.trackCount, 2);
    EXPECT_EQ(parsed.sectionNames, original.sectionNames);
    ASSERT_EQ(parsed.meshes.size(), 2u);
    for (std::size_t m = 0; m < 2; ++m) {
        EXPECT_EQ(parsed.meshes[m].header.vertexCount, static_cast<std::int32_t>(original.meshes[m].vertices.size()));
        EXPECT_EQ(parsed.meshes[m].header.objectId, original.meshes[m].header.objectId);
        EXPECT_TRUE(sameRecords(parsed.meshes[m].vertices, original.meshes[m].vertices));
        EXPECT_TRUE(sameRecords(parsed.meshes[m].faces, original.meshes[m].faces));
    }
    EXPECT_TRUE(sameRecords(parsed.textures, original.textures));
    EXPECT_TRUE(sameRecords(parsed.materials, original.materials));
    EXPECT_TRUE(sameRecords(parsed.cameras, original.cameras));
    EXPECT_TRUE(sameRecords(parsed.lights, original.lights));
    ASSERT_EQ(parsed.tracks.size(), 2u);
    EXPECT_EQ(parsed.tracks[0].header.keyCount, 2);
    EXPECT_TRUE(sameRecords(parsed.tracks[1].keys, original.tracks[1].keys));
    EXPECT_EQ(sivTextureName(parsed.textures[1]), "wood.png");
}

TEST(SivSections, FieldsSitAtTheirFileOffsets) {
    // Pins the byte layout independently of the structs: a hand-placed texture entry and a
    // key must read back as the values written at those offsets.
    SivFile file;
    file.textures.push_back(makeSivTextureEntry(0, ""));
    file.tracks.push_back(track(kSivTrackPosition, 0, {key(0, {})}));
    std::vector<std::uint8_t> stream = buildSivStream(file);
    const std::size_t textureAt = 17 + 64 + 9 + 9;
    poke(stream, textureAt, std::int32_t{77});
    std::memcpy(stream.data() + textureAt + 4, "abc", 4);
    const std::size_t keyAt = stream.size() - 32;
    poke(stream, stream.size() - 32 - 28 + 8, std::int32_t{42}); // track objectId
    const float keyFields[8] = {1.5f, 2, 3, 4, 5, 6, 7, 8};
    std::memcpy(stream.data() + keyAt, keyFields, sizeof keyFields);

    const SivFile parsed = parseSivStream(stream, "s");
    EXPECT_EQ(parsed.textures[0].textureId, 77);
    EXPECT_EQ(sivTextureName(parsed.textures[0]), "abc");
    EXPECT_EQ(parsed.tracks[0].header.objectId, 42);
    const SivKey& k = parsed.tracks[0].keys[0];
    EXPECT_EQ(k.time, 1.5f);
    EXPECT_EQ(k.value, (Vec3{2, 3, 4}));
    EXPECT_EQ(k.w, 5);
    EXPECT_EQ(k.tension, 6);
    EXPECT_EQ(k.continuity, 7);
    EXPECT_EQ(k.bias, 8);
}

TEST(SivSections, EveryNegativeCountAlone) {
    // Each case makes one count negative and leaves out the records it would count, so the
    // stream is complete either way. A negative section or key count is an empty array; a
    // negative vertex or face count is an underrun (as a byte count it exceeds any stream).
    struct Case {
        const char* what;
        std::function<void(SivFile&)> forge;
        bool underrun;
    };
    const Case cases[] = {
        {"meshCount", [](SivFile& f) { f.mainHeader.meshCount = -1, f.meshes.clear(); }, false},
        {"textureCount", [](SivFile& f) { f.mainHeader.textureCount = -2, f.textures.clear(); }, false},
        {"materialCount", [](SivFile& f) { f.mainHeader.materialCount = -2147483647 - 1, f.materials.clear(); }, false},
        {"cameraCount", [](SivFile& f) { f.mainHeader.cameraCount = -100, f.cameras.clear(); }, false},
        {"lightCount", [](SivFile& f) { f.mainHeader.lightCount = -3, f.lights.clear(); }, false},
        {"trackCount", [](SivFile& f) { f.mainHeader.trackCount = -1, f.tracks.clear(); }, false},
        {"keyCount", [](SivFile& f) { f.tracks[0].header.keyCount = -9, f.tracks[0].keys.clear(); }, false},
        {"vertexCount", [](SivFile& f) { f.meshes[0].header.vertexCount = -1, f.meshes[0].vertices.clear(); }, true},
        {"faceCount", [](SivFile& f) { f.meshes[0].header.faceCount = -2, f.meshes[0].faces.clear(); }, true},
        {"every section count at once",
         [](SivFile& f) {
             f.mainHeader = {{}, -1, -1, -100, -2147483647 - 1, -3, -1};
             f.meshes.clear(), f.textures.clear(), f.materials.clear(), f.cameras.clear(), f.lights.clear();
             f.tracks.clear();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SivFile file = smallScene();
        file.mainHeader.meshCount = file.mainHeader.textureCount = file.mainHeader.materialCount = 1;
        file.mainHeader.cameraCount = file.mainHeader.lightCount = file.mainHeader.trackCount = 1;
        file.meshes[0].header.vertexCount = 4;
        file.meshes[0].header.faceCount = 2;
        file.tracks[0].header.keyCount = 2;
        c.forge(file);
        const std::vector<std::uint8_t> stream = buildSivStream(file, SivCounts::AsStored);
        if (c.underrun) {
            const Failure f = streamFailure(stream);
            EXPECT_EQ(f.kind, Failure::Message);
            EXPECT_EQ(f.text, kUnderrun);
            continue;
        }
        SivFile parsed;
        ASSERT_EQ(failureOf([&] { parsed = parseSivStream(stream, "s"); }).kind, Failure::None);
        // Whatever was left in is read in full, and nothing else.
        ASSERT_EQ(parsed.meshes.size(), file.meshes.size());
        if (!file.meshes.empty()) {
            EXPECT_TRUE(sameRecords(parsed.meshes[0].vertices, file.meshes[0].vertices));
            EXPECT_TRUE(sameRecords(parsed.meshes[0].faces, file.meshes[0].faces));
        }
        EXPECT_TRUE(sameRecords(parsed.textures, file.textures));
        EXPECT_TRUE(sameRecords(parsed.materials, file.materials));
        EXPECT_TRUE(sameRecords(parsed.cameras, file.cameras));
        EXPECT_TRUE(sameRecords(parsed.lights, file.lights));
        ASSERT_EQ(parsed.tracks.size(), file.tracks.size());
        if (!file.tracks.empty()) {
            EXPECT_TRUE(sameRecords(parsed.tracks[0].keys, file.tracks[0].keys));
        }
    }
}

TEST(SivSections, TheStreamEndsExactlyAfterTheLastKey) {
    const std::vector<std::uint8_t> stream = buildSivStream(smallScene());
    EXPECT_EQ(streamFailure(stream).kind, Failure::None);

    std::vector<std::uint8_t> trailing = stream;
    trailing.insert(trailing.end(), 77, 0xCD);
    const SivFile withTrailing = parseSivStream(trailing, "s");
    EXPECT_EQ(withTrailing.tracks.back().keys.size(), 2u);

    // Every shorter stream, down to nothing, is an underrun: nothing can be left out.
    for (std::size_t n = 0; n < stream.size(); ++n) {
        const std::vector<std::uint8_t> cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(n));
        const Failure f = streamFailure(cut);
        ASSERT_EQ(f.kind, Failure::Message) << n;
        ASSERT_EQ(f.text, kUnderrun) << n;
    }
    // The same through the container: one byte short of the last key, via the file's sizes.
    std::vector<std::uint8_t> oneShort(stream.begin(), stream.end() - 1);
    EXPECT_EQ(failureOf([&] { parseSivFile(wrapSivStream(oneShort), "s"); }).text, kUnderrun);
}

TEST(SivSections, CountsLargerThanTheStreamUnderrunBeforeAllocating) {
    struct Case {
        const char* what;
        std::function<void(SivFile&)> forge;
    };
    const Case cases[] = {
        {"meshCount", [](SivFile& f) { f.mainHeader.meshCount = 0x7FFFFFFF; }},
        {"textureCount", [](SivFile& f) { f.mainHeader.textureCount = 2; }},
        {"materialCount", [](SivFile& f) { f.mainHeader.materialCount = 0x40000000; }},
        {"cameraCount", [](SivFile& f) { f.mainHeader.cameraCount = 2; }},
        {"lightCount", [](SivFile& f) { f.mainHeader.lightCount = 0x7FFFFFFF; }},
        {"trackCount", [](SivFile& f) { f.mainHeader.trackCount = 0x7FFFFFFF; }},
        {"vertexCount", [](SivFile& f) { f.meshes[0].header.vertexCount = 0x7FFFFFFF; }},
        // 76695845 * 56 wraps to 24 in 32-bit arithmetic; the check must not.
        {"vertexCount wrapping", [](SivFile& f) { f.meshes[0].header.vertexCount = 76695845; }},
        {"faceCount", [](SivFile& f) { f.meshes[0].header.faceCount = 100; }},
        {"negative vertexCount", [](SivFile& f) { f.meshes[0].header.vertexCount = -1; }},
        {"negative faceCount", [](SivFile& f) { f.meshes[0].header.faceCount = -2; }},
        {"keyCount", [](SivFile& f) { f.tracks[0].header.keyCount = 3; }},
    };
    for (const Case& c : cases) {
        SivFile file = smallScene();
        file.mainHeader.meshCount = 1;
        file.mainHeader.textureCount = 1;
        file.mainHeader.materialCount = 1;
        file.mainHeader.cameraCount = 1;
        file.mainHeader.lightCount = 1;
        file.mainHeader.trackCount = 1;
        file.meshes[0].header.vertexCount = 4;
        file.meshes[0].header.faceCount = 2;
        file.tracks[0].header.keyCount = 2;
        ASSERT_EQ(streamFailure(buildSivStream(file, SivCounts::AsStored)).kind, Failure::None) << c.what;
        c.forge(file);
        const Failure f = streamFailure(buildSivStream(file, SivCounts::AsStored));
        EXPECT_EQ(f.kind, Failure::Message) << c.what;
        EXPECT_EQ(f.text, kUnderrun) << c.what;
    }
}

TEST(SivSections, AKeyCountOfZeroOrLessMeansNoKeysFollow) {
    SivFile file = smallScene();
    file.tracks.push_back(track(kSivTrackPosition, 1, {}));
    file.tracks.push_back(track(kSivTrackPosition, 1, {}));
    std::vector<std::uint8_t> stream = buildSivStream(file);
    // The last track header is the last 28 bytes; its keyCount sits 20 bytes in.
    poke(stream, stream.size() - 28 + 20, std::int32_t{-9});
    const SivFile parsed = parseSivStream(stream, "s");
    ASSERT_EQ(parsed.tracks.size(), 3u);
    EXPECT_EQ(parsed.tracks[0].keys.size(), 2u);
    EXPECT_EQ(parsed.tracks[1].header.keyCount, 0);
    EXPECT_TRUE(parsed.tracks[1].keys.empty());
    EXPECT_EQ(parsed.tracks[2].header.keyCount, -9);
    EXPECT_TRUE(parsed.tracks[2].keys.empty());
}

TEST(SivSections, ScenesOverTheBoundsAreRefusedBeforeTheirRecordsAreRead) {
    // Small bounds stand in for the player's (the same checks, files of a few bytes).
    SivLimits small;
    small.meshes = 2;
    small.facesPerMesh = 3;
    small.verticesPerMesh = 5;
    small.faces = 5;
    small.vertices = 9;
    small.lights = 2;
    small.cameras = 1;
    small.textures = 1;
    small.materials = 1;
    small.tracks = 2;
    small.keys = 3;
    struct Case {
        const char* what;
        std::function<void(SivFile&)> grow;
        std::string message; // empty: the file is just inside and loads
    };
    auto keys = [](int n) { return std::vector<SivKey>(static_cast<std::size_t>(n), key(0, {})); };
    const Case cases[] = {
        {"inside every bound", [](SivFile&) {}, ""},
        {"meshes", [](SivFile& f) { f.meshes.push_back(quadMesh(3)); },
         "File s.siv: the scene has 3 meshes, more than the 2 the player takes."},
        {"faces of one mesh", [](SivFile& f) { f.meshes[1].faces.resize(4, face(0, 1, 2)); },
         "File s.siv: mesh 1 has 4 faces, more than the 3 the player takes."},
        {"vertices of one mesh", [](SivFile& f) { f.meshes[0].vertices.resize(6, vertex(0, 0, 0)); },
         "File s.siv: mesh 0 has 6 vertices, more than the 5 the player takes."},
        {"faces in all", [](SivFile& f) { f.meshes[0].faces.resize(3, face(0, 1, 2)), f.meshes[1].faces.resize(3, face(0, 1, 2)); },
         "File s.siv: the meshes have 6 faces in all, more than the 5 the player takes."},
        {"vertices in all", [](SivFile& f) { f.meshes[0].vertices.resize(5, vertex(0, 0, 0)), f.meshes[1].vertices.resize(5, vertex(0, 0, 0)); },
         "File s.siv: the meshes have 10 vertices in all, more than the 9 the player takes."},
        {"lights", [](SivFile& f) { f.lights.assign(3, light(kSivLightPoint)); },
         "File s.siv: the scene has 3 lights, more than the 2 the player takes."},
        {"cameras", [](SivFile& f) { f.cameras.push_back(f.cameras[0]); },
         "File s.siv: the scene has 2 cameras, more than the 1 the player takes."},
        {"keys in all", [&](SivFile& f) { f.tracks.push_back(track(kSivTrackRotation, 1, keys(2))); },
         "File s.siv: the tracks hold 4 keys in all, more than the 3 the player takes."},
        {"texture entries", [](SivFile& f) { f.textures.push_back(f.textures[0]); },
         "File s.siv: the scene has 2 texture entries, more than the 1 the player takes."},
        {"materials", [](SivFile& f) { f.materials.push_back(f.materials[0]); },
         "File s.siv: the scene has 2 materials, more than the 1 the player takes."},
        {"tracks", [](SivFile& f) { f.tracks.assign(3, track(kSivTrackRotation, 1, {})); },
         "File s.siv: the scene has 3 tracks, more than the 2 the player takes."},
    };
    for (const Case& c : cases) {
        SivFile file = smallScene();
        file.meshes.push_back(quadMesh(2));
        c.grow(file);
        const Failure f = failureOf([&] { parseSivStream(buildSivStream(file), "s.siv", small); });
        EXPECT_EQ(f.text, c.message) << c.what;
        EXPECT_EQ(f.kind, c.message.empty() ? Failure::None : Failure::Message) << c.what;
    }
    // A count the stream cannot hold keeps the underrun message it has always had.
    SivFile file = smallScene();
    file.mainHeader.meshCount = 1000;
    EXPECT_EQ(failureOf([&] { parseSivStream(buildSivStream(file, SivCounts::AsStored), "s.siv", small); }).text,
              kUnderrun);
}

TEST(SivSections, ThePlayersBoundsAreThoseItsDocumentsGive) {
    EXPECT_EQ(kSivLimits.meshes, 131072);
    EXPECT_EQ(kSivLimits.facesPerMesh, 1048575);
    EXPECT_EQ(kSivLimits.verticesPerMesh, 1048575);
    EXPECT_EQ(kSivLimits.faces, 4194304);
    EXPECT_EQ(kSivLimits.vertices, 4194304);
    EXPECT_EQ(kSivLimits.lights, 1024);
    EXPECT_EQ(kSivLimits.cameras, 65536);
    EXPECT_EQ(kSivLimits.keys, 4194304);
    EXPECT_EQ(kSivLimits.textures, 65536);
    EXPECT_EQ(kSivLimits.materials, 65536);
    EXPECT_EQ(kSivLimits.tracks, 1048576);
    EXPECT_EQ(kSivLimits.streamBytes(), 489005191);
    // With the player's bounds: 131073 meshes (10 MB of headers) are refused before they are
    // read, 131072 are read.
    SivFile file;
    file.mainHeader.meshCount = 131073;
    std::vector<std::uint8_t> stream = buildSivStream(file, SivCounts::AsStored);
    stream.insert(stream.begin() + 90, std::size_t{131073} * sizeof(SivMeshHeader), 0);
    EXPECT_EQ(streamFailure(stream).text, "File s.siv: the scene has 131073 meshes, more than the 131072 the player takes.");
    poke(stream, kMainHeaderOffset + offsetof(SivMainHeader, meshCount), std::int32_t{131072});
    EXPECT_EQ(parseSivStream(stream, "s.siv").meshes.size(), 131072u);
}
