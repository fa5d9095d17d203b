// libFuzzer target for the device-free half of the SIV loader: container checks, inflate,
// the bounds-checked reader, and mesh building with its checks. Every input must end in a
// result or in one of the loader's messages; anything else (a crash, a sanitizer report, an
// escaped exception of another type, a failed round trip) is a finding.
//
// Built with -DZAMP_FUZZ=ON (clang); see fuzz/CMakeLists.txt.
// Seed the corpus with a few real files (`siv build` writes them). Inputs are whole files, so
// most mutations stop at the zlib check; with SIV_FUZZ_RAW_STREAM=1 in the environment each
// input is taken as an inflated stream instead and goes straight to the stream parser (seed
// that corpus with inflated streams).
#include "core/Error.h"
#include "siv/SivParse.h"
#include "siv/SivMeshBuilder.h"
#include "siv/SivWriter.h"

#include <cstdlib>

using namespace zamp;

namespace {

bool rawStreams() {
    static const bool raw = std::getenv("SIV_FUZZ_RAW_STREAM") != nullptr;
    return raw;
}

void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    try {
        const SivFile file = rawStreams() ? parseSivStream(input, "fuzz.siv") : parseSivFile(input, "fuzz.siv");

        // The writer gives back the stream the parser read, up to the end of the track
        // section: section counts of zero or less are written as zero, so compare a re-parse.
        const std::vector<std::uint8_t> again = buildSivStream(file);
        const SivFile reparsed = parseSivStream(again, "again.siv");
        check(buildSivStream(reparsed) == again);

        // Mesh building is bounded by the input: every vertex and face came from its bytes.
        checkSivScene(file, "fuzz.siv");
    } catch (const Error&) {
        // A message for the user: the expected end of a bad input.
    }
    return 0;
}
