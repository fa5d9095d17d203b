// The outer container and the stream header: every check of the parse step, in the order the
// loader makes them, and the bounds-checked reader under them.
#include "support/SivTestSupport.h"

#include "siv/SivParse.h"
#include "siv/SivReader.h"

#include <zlib.h>

using namespace zamp;
using namespace zamp::sivtest;

namespace {

Failure parseFailure(const std::vector<std::uint8_t>& fileBytes, const std::string& path = "scene.siv") {
    return failureOf([&] { parseSivFile(fileBytes, path); });
}

Failure streamFailure(const std::vector<std::uint8_t>& stream) {
    return failureOf([&] { parseSivFile(wrapSivStream(stream), "s.siv"); });
}

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> containerHeader(std::uint32_t uncompressedSize, std::uint32_t compressedSize) {
    std::vector<std::uint8_t> bytes = bytesOf("ZSIV");
    bytes.resize(12);
    poke(bytes, 4, uncompressedSize);
    poke(bytes, 8, compressedSize);
    return bytes;
}

} // namespace

TEST(SivReader, ReadsUpToTheEndAndRefusesOneByteMoreWithoutMoving) {
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6};
    SivReader reader(data);
    std::uint8_t out[8] = {};
    reader.read(out, 4);
    EXPECT_EQ(reader.position(), 4u);
    EXPECT_EQ(out[3], 4);

    std::memset(out, 0xAA, sizeof out);
    const Failure over = failureOf([&] { reader.read(out, 3); });
    EXPECT_EQ(over.kind, Failure::Message);
    EXPECT_EQ(over.text, kUnderrun);
    EXPECT_EQ(reader.position(), 4u);
    EXPECT_EQ(out[0], 0xAA) << "a failed read copies nothing";

    reader.read(out, 2); // exactly up to the end
    EXPECT_EQ(reader.position(), 6u);
    EXPECT_EQ(out[1], 6);
    reader.read(out, 0);
    EXPECT_EQ(failureOf([&] { reader.read(out, 1); }).text, kUnderrun);
}

TEST(SivReader, HugeCountsFailBeforeAllocating) {
    const std::vector<std::uint8_t> data(100);
    SivReader reader(data);
    // 2^31 - 1 records of 56 bytes would be 120 GB; the check must come before the vector.
    EXPECT_EQ(failureOf([&] { reader.readArray<SivVertex>(0x7FFFFFFF); }).text, kUnderrun);
    EXPECT_TRUE(reader.readArray<SivVertex>(-5).empty());
    EXPECT_EQ(reader.position(), 0u);
    EXPECT_EQ(reader.readArray<SivFace>(6).size(), 6u);
    EXPECT_EQ(failureOf([&] { reader.readArray<SivFace>(1); }).text, kUnderrun);
}

TEST(SivContainer, FileThatCannotBeOpenedNamesThePathInNorwegian) {
    ScratchDir dir;
    const std::string missing = dir.file("missing.siv");
    const Failure f = failureOf([&] { readSivFile(missing); });
    EXPECT_EQ(f.kind, Failure::Message);
    EXPECT_EQ(f.text, missing + " kan ikke åpnes. (It does not exist.)");
    // The player's words first, then why.
    EXPECT_EQ(failureOf([&] { readSivFile(dir.file("")); }).text,
              dir.file("") + " kan ikke åpnes. (It is not a regular file.)");
}

TEST(SivContainer, OnlyTheCompressedContainerIsAcceptedOnDisk) {
    const std::vector<std::uint8_t> stream = buildSivStream(smallScene());
    ScratchDir dir;
    const std::string raw = dir.write("raw.siv", stream);
    EXPECT_EQ(failureOf([&] { readSivFile(raw); }).text, "File " + raw + " is not a SIV file.");

    for (const std::string shortFile : {"", "Z", "ZS", "ZSI"}) {
        const Failure f = parseFailure(bytesOf(shortFile));
        EXPECT_EQ(f.kind, Failure::Message);
        EXPECT_EQ(f.text, "File scene.siv is not a SIV file.") << shortFile.size() << " bytes";
    }
    // Spaces are what the signature buffer holds before the read: four of them still fail.
    EXPECT_EQ(parseFailure(bytesOf("    ")).text, "File scene.siv is not a SIV file.");
    EXPECT_EQ(parseFailure(bytesOf("zsiv")).text, "File scene.siv is not a SIV file.");
}

TEST(SivContainer, SizesAreCheckedAgainstTheFileBeforeAnythingIsAllocated) {
    for (std::size_t n = 4; n < 12; ++n) {
        std::vector<std::uint8_t> bytes = containerHeader(135, 10);
        bytes.resize(n);
        EXPECT_EQ(parseFailure(bytes).text, "File scene.siv is truncated: it ends inside its 12-byte header.") << n;
    }

    std::vector<std::uint8_t> file = encodeSivFile(smallScene());
    const std::uint32_t payload = static_cast<std::uint32_t>(file.size() - 12);
    file.pop_back();
    EXPECT_EQ(parseFailure(file).text, "File scene.siv is truncated: its header declares a payload of " +
                                           std::to_string(payload) + " bytes, but only " +
                                           std::to_string(payload - 1) + " follow.");

    // Sixteen bytes that ask for 4 GiB of payload and 4 GiB of stream.
    std::vector<std::uint8_t> forged = containerHeader(0xFFFFFFFF, 0xFFFFFFFF);
    forged.resize(16);
    EXPECT_EQ(parseFailure(forged).text,
              "File scene.siv is truncated: its header declares a payload of 4294967295 bytes, but only 4 follow.");

    std::vector<std::uint8_t> greedy = containerHeader(0xFFFFFFFF, 4);
    greedy.resize(16);
    EXPECT_EQ(parseFailure(greedy).text,
              "File scene.siv declares 4294967295 inflated bytes, more than its 4-byte payload can inflate to.");

    // Honest for deflate, but more than any scene within the player's bounds can need: bytes
    // after the track section (never read) must not fill memory either.
    const auto most = static_cast<std::uint32_t>(kSivLimits.streamBytes());
    std::vector<std::uint8_t> bomb = containerHeader(most + 1, 500000);
    bomb.resize(12 + 500000);
    EXPECT_EQ(parseFailure(bomb).text, "File scene.siv declares " + std::to_string(most + 1) +
                                           " inflated bytes, more than the " + std::to_string(most) +
                                           " that the largest scene the player takes needs.");
    poke(bomb, 4, most);
    EXPECT_EQ(parseFailure(bomb).text, "File scene.siv Decompression error.") << "just inside: zlib decides";
}

TEST(SivContainer, TheSizeBoundNeverRefusesWhatZlibCanReallyProduce) {
    // Zeros at the best level come close to deflate's 1032:1 limit; the bound must let them
    // through so that the stream reaches its own checks (here: a signature of zeros).
    const std::vector<std::uint8_t> zeros(8 << 20, 0);
    const std::vector<std::uint8_t> file = wrapSivStream(zeros, Z_BEST_COMPRESSION);
    std::uint32_t compressed;
    std::memcpy(&compressed, file.data() + 8, 4);
    EXPECT_GT(zeros.size() / compressed, 1000u) << "the test needs a stream near the limit";
    EXPECT_LE(zeros.size(), sivMaxInflatedSize(compressed));
    EXPECT_EQ(parseFailure(file).text, "File scene.siv is not a SIV file.");
}

TEST(SivContainer, PayloadsThatZlibRefusesAreDecompressionErrors) {
    std::vector<std::uint8_t> file = encodeSivFile(smallScene());
    std::vector<std::uint8_t> corrupt = file;
    for (std::size_t i = 12; i < corrupt.size(); ++i) corrupt[i] ^= 0x5A;
    EXPECT_EQ(parseFailure(corrupt).text, "File scene.siv Decompression error.");

    // A payload that inflates to more than the declared size does not fit zlib's buffer.
    std::vector<std::uint8_t> tooSmall = file;
    std::uint32_t declared;
    std::memcpy(&declared, tooSmall.data() + 4, 4);
    poke(tooSmall, 4, declared - 1);
    EXPECT_EQ(parseFailure(tooSmall).text, "File scene.siv Decompression error.");

    // A payload cut short but with its size field to match: the zlib stream is incomplete.
    std::vector<std::uint8_t> cut = file;
    cut.resize(cut.size() - 3);
    poke(cut, 8, static_cast<std::uint32_t>(cut.size() - 12));
    EXPECT_EQ(parseFailure(cut).text, "File scene.siv Decompression error.");

    EXPECT_EQ(parseFailure(containerHeader(0, 0)).text, "File scene.siv Decompression error.");
}

TEST(SivContainer, AStreamShorterThanDeclaredReadsOnAsZerosWithoutStoringThem) {
    // Files that load elsewhere because the parser never reaches the missing tail load here.
    std::vector<std::uint8_t> file = encodeSivFile(smallScene());
    std::uint32_t declared;
    std::memcpy(&declared, file.data() + 4, 4);
    poke(file, 4, declared + 40);
    const SivStream stream = inflateSivContainer(file, "scene.siv");
    EXPECT_EQ(stream.bytes.size(), declared) << "the missing tail takes no memory";
    EXPECT_EQ(stream.size, declared + 40);
    EXPECT_EQ(buildSivStream(parseSivStream(stream, "scene.siv")), buildSivStream(smallScene()));

    // A stream cut inside its last key: the key reads as zeros where its bytes are missing.
    SivFile scene = smallScene();
    std::vector<std::uint8_t> cut = buildSivStream(scene);
    const std::size_t fullSize = cut.size();
    cut.resize(fullSize - 16); // time, x, y and z of the last key stay; w, t, c, b are gone
    std::vector<std::uint8_t> shortFile = wrapSivStream(cut);
    poke(shortFile, 4, static_cast<std::uint32_t>(fullSize));
    const SivFile parsed = parseSivFile(shortFile, "cut.siv");
    scene.tracks[0].keys[1].w = scene.tracks[0].keys[1].tension = 0;
    scene.tracks[0].keys[1].continuity = scene.tracks[0].keys[1].bias = 0;
    EXPECT_EQ(buildSivStream(parsed), buildSivStream(scene));

    // Reads past the declared size are underruns as always, zeros or not.
    poke(shortFile, 4, static_cast<std::uint32_t>(fullSize - 1));
    EXPECT_EQ(parseFailure(shortFile).text, kUnderrun);
}

TEST(SivContainer, RecordsWhollyPastAShortStreamReadAsZerosWhenLoading) {
    // The stream ends before the light section: the light, both section names and the track
    // header that the main header still announces are read, one after another, as zeros.
    const SivFile scene = smallScene();
    SivFile upToCameras = scene;
    upToCameras.lights.clear();
    upToCameras.tracks.clear();
    const std::size_t lightsStart = buildSivStream(upToCameras).size() - 2 * 9; // the two empty sections' names
    std::vector<std::uint8_t> stream = buildSivStream(scene);
    const auto fullSize = static_cast<std::uint32_t>(stream.size());
    stream.resize(lightsStart);
    std::vector<std::uint8_t> file = wrapSivStream(stream);
    poke(file, 4, fullSize);

    const SivFile parsed = parseSivFile(file, "short.siv");
    ASSERT_EQ(parsed.cameras.size(), 1u);
    EXPECT_EQ(parsed.cameras[0].position.z, scene.cameras[0].position.z) << "what the stream holds is read";
    ASSERT_EQ(parsed.lights.size(), 1u);
    const SivLight zeroLight{};
    EXPECT_EQ(std::memcmp(&parsed.lights[0], &zeroLight, sizeof zeroLight), 0);
    EXPECT_EQ(parsed.sectionNames[5], SivSectionName{});
    ASSERT_EQ(parsed.tracks.size(), 1u);
    EXPECT_EQ(parsed.tracks[0].header.keyCount, 0);
    EXPECT_TRUE(parsed.tracks[0].keys.empty());
}

TEST(SivContainer, BytesAfterThePayloadAreNeverRead) {
    std::vector<std::uint8_t> file = encodeSivFile(smallScene());
    file.insert(file.end(), 1000, 0xEE);
    const SivFile parsed = parseSivFile(file, "x");
    EXPECT_EQ(parsed.meshes.size(), 1u);
    EXPECT_EQ(parsed.tracks.size(), 1u);
}

TEST(SivStreamHeader, ChecksRunSignatureThenVersionThenChunkName) {
    const std::vector<std::uint8_t> good = buildSivStream(SivFile{});
    ASSERT_EQ(good.size(), 135u) << "all six counts zero: the smallest stream";
    EXPECT_EQ(streamFailure(good).kind, Failure::None);

    for (std::int32_t version : {6, 8, 0, -7, 0x07000000}) {
        std::vector<std::uint8_t> s = good;
        poke(s, kVersionOffset, version);
        EXPECT_EQ(streamFailure(s).text, "File s.siv is incorrect version") << version;
        // The version is checked before the chunk name.
        s[kChunkNameOffset] = 'X';
        EXPECT_EQ(streamFailure(s).text, "File s.siv is incorrect version") << version;
        // ...and after the signature.
        s[0] = 'Z';
        EXPECT_EQ(streamFailure(s).text, "File s.siv is not a SIV file.") << version;
    }

    for (std::size_t i = 0; i < 4; ++i) {
        std::vector<std::uint8_t> s = good;
        s[i] ^= 0x20;
        EXPECT_EQ(streamFailure(s).text, "File s.siv is not a SIV file.") << "signature byte " << i;
    }
    for (std::size_t i = 0; i < 8; ++i) {
        std::vector<std::uint8_t> s = good;
        s[kChunkNameOffset + i] = '_';
        EXPECT_EQ(streamFailure(s).text, "File s.siv is not a SIV file.") << "chunk name byte " << i;
    }
    std::vector<std::uint8_t> ninth = good;
    ninth[kChunkNameOffset + 8] = '?';
    EXPECT_EQ(streamFailure(ninth).kind, Failure::None) << "the ninth byte of the chunk name is not checked";
}

TEST(SivStreamHeader, StreamsShorterThanSeventeenBytesUnderrunWhateverTheyHold) {
    const std::vector<std::uint8_t> good = buildSivStream(SivFile{});
    const std::vector<std::uint8_t> garbage(17, 'Q');
    for (std::size_t n = 0; n < 17; ++n) {
        for (const auto* source : {&good, &garbage}) {
            const std::vector<std::uint8_t> s(source->begin(), source->begin() + static_cast<std::ptrdiff_t>(n));
            const Failure f = streamFailure(s);
            EXPECT_EQ(f.kind, Failure::Message) << n;
            EXPECT_EQ(f.text, kUnderrun) << n;
        }
    }
    // Seventeen bytes of garbage are enough to reach the checks.
    EXPECT_EQ(streamFailure(garbage).text, "File s.siv is not a SIV file.");
}

TEST(SivContainer, EveryTruncationOfAFileFailsWithTheMessageOfWhereItEnds) {
    const std::vector<std::uint8_t> file = encodeSivFile(smallScene());
    for (std::size_t n = 0; n < file.size(); ++n) {
        const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        const Failure f = parseFailure(cut);
        ASSERT_EQ(f.kind, Failure::Message) << n;
        if (n < 4)
            EXPECT_EQ(f.text, "File scene.siv is not a SIV file.") << n;
        else if (n < 12)
            EXPECT_EQ(f.text, "File scene.siv is truncated: it ends inside its 12-byte header.") << n;
        else
            EXPECT_EQ(f.text.rfind("File scene.siv is truncated: its header declares a payload of ", 0), 0u) << n;
    }
    EXPECT_EQ(parseFailure(file).kind, Failure::None);
}
