// Loading a file inflates its payload as the records are read; inflating the whole payload
// first and reading the stream after (inflateSivContainer, then parseSivStream) is the
// reference. For damaged files of every kind both must end alike: the same records, or the
// same message, a broken payload winning over whatever the records got wrong.
#include "support/SivTestSupport.h"

#include "siv/SivParse.h"

using namespace zamp;
using namespace zamp::sivtest;

namespace {

// A scene whose stream is large enough that damage can land before, inside and after the
// records the parser reads (the inflater works in pieces of the records' sizes).
SivFile biggerScene() {
    SivFile file = smallScene();
    for (int m = 2; m < 40; ++m) file.meshes.push_back(quadMesh(m));
    return file;
}

struct Outcome {
    Failure failure;
    std::vector<std::uint8_t> stream; // the parsed file written back, when it parsed
};

Outcome streaming(const std::vector<std::uint8_t>& fileBytes) {
    Outcome o;
    o.failure = failureOf([&] { o.stream = buildSivStream(parseSivFile(fileBytes, "d.siv")); });
    return o;
}

Outcome wholeFirst(const std::vector<std::uint8_t>& fileBytes) {
    Outcome o;
    o.failure = failureOf([&] {
        const SivStream stream = inflateSivContainer(fileBytes, "d.siv");
        o.stream = buildSivStream(parseSivStream(stream, "d.siv"));
    });
    return o;
}

void expectSameOutcome(const std::vector<std::uint8_t>& fileBytes, const std::string& what) {
    const Outcome a = streaming(fileBytes), b = wholeFirst(fileBytes);
    EXPECT_EQ(a.failure.kind, b.failure.kind) << what;
    EXPECT_EQ(a.failure.text, b.failure.text) << what;
    EXPECT_EQ(a.stream, b.stream) << what;
}

std::uint32_t declaredSize(const std::vector<std::uint8_t>& file) {
    std::uint32_t size;
    std::memcpy(&size, file.data() + 4, 4);
    return size;
}

} // namespace

TEST(SivInflater, DamagedPayloadsEndAsWhenInflatedWhole) {
    const std::vector<std::uint8_t> good = encodeSivFile(biggerScene());
    expectSameOutcome(good, "undamaged");
    std::size_t failures = 0;
    for (std::size_t at = 12; at < good.size(); at += 7) {
        for (std::uint8_t flip : {std::uint8_t(0x01), std::uint8_t(0x80), std::uint8_t(0xFF)}) {
            std::vector<std::uint8_t> bad = good;
            bad[at] ^= flip;
            expectSameOutcome(bad, "byte " + std::to_string(at) + " ^ " + std::to_string(flip));
            failures += streaming(bad).failure.kind != Failure::None;
        }
    }
    EXPECT_GT(failures, 0u) << "the damage must be seen";
}

TEST(SivInflater, PayloadsCutShortOrDeclaredWrongEndAsWhenInflatedWhole) {
    const std::vector<std::uint8_t> good = encodeSivFile(biggerScene());
    const std::uint32_t compressed = static_cast<std::uint32_t>(good.size() - 12);
    for (std::uint32_t cut : {0u, 1u, 2u, 10u, compressed / 2, compressed - 5, compressed - 4, compressed - 1}) {
        std::vector<std::uint8_t> bad = good;
        poke(bad, 8, cut);
        bad.resize(12 + cut);
        expectSameOutcome(bad, "payload cut to " + std::to_string(cut));
    }
    const std::uint32_t size = declaredSize(good);
    for (std::int64_t change : {-1000, -100, -17, -1, 1, 2, 40, 5000}) {
        std::vector<std::uint8_t> bad = good;
        poke(bad, 4, static_cast<std::uint32_t>(std::max<std::int64_t>(0, size + change)));
        expectSameOutcome(bad, "declared size changed by " + std::to_string(change));
    }
}

TEST(SivInflater, BadRecordsInASoundPayloadEndAsWhenInflatedWhole) {
    const std::vector<std::uint8_t> stream = buildSivStream(biggerScene());
    // Damage to the records themselves, anywhere: wrong signatures, versions, counts.
    for (std::size_t at = 0; at < stream.size(); at += 13) {
        std::vector<std::uint8_t> bad = stream;
        bad[at] ^= 0xA5;
        expectSameOutcome(wrapSivStream(bad), "stream byte " + std::to_string(at));
        // The same damage with bytes after the records, and with the stream cut short.
        bad.insert(bad.end(), 300, 0x11);
        expectSameOutcome(wrapSivStream(bad), "stream byte " + std::to_string(at) + " with trailing bytes");
        bad.resize(at + 1);
        expectSameOutcome(wrapSivStream(bad), "stream cut after byte " + std::to_string(at));
    }
}

TEST(SivInflater, APayloadBrokenAfterBadRecordsReportsThePayload) {
    std::vector<std::uint8_t> stream = buildSivStream(biggerScene());
    stream[4] = 9; // the version: the parser stops at once
    std::vector<std::uint8_t> file = wrapSivStream(stream);
    EXPECT_EQ(streaming(file).failure.text, "File d.siv is incorrect version");
    file[file.size() - 2] ^= 0xFF; // the payload's checksum, read last
    EXPECT_EQ(streaming(file).failure.text, "File d.siv Decompression error.");
    expectSameOutcome(file, "bad version and bad checksum");
}
