// SIV bytes to a built scene, drawn: container checks, inflate, the bounds-checked reader, the
// check pass (the one `siv info` runs), scene building through the recording device with
// textures from the scratch folder, then frames of it through each of its cameras. Every input
// must end in a scene that draws or in one of the loader's messages; anything else (a crash, a
// sanitizer report, an escaped exception of another type, a failed round trip, a checked scene
// that fails to build but for a texture, a scene that loaded but cannot draw a frame) is a
// finding.
//
// An input that starts with "ZSIV" is a whole file. Any other input is taken as an inflated
// stream and deflated into a container first, so that mutations reach the stream's records
// instead of stopping at zlib's checks; the seed corpus holds both kinds.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "platform/Platform.h"
#include "show/RenderContext.h"
#include "show/Scene.h"
#include "show/SceneLayer.h"
#include "show/SivSceneBuilder.h"
#include "show/TextureRegistry.h"
#include "siv/SivParse.h"
#include "siv/SivSceneCheck.h"
#include "siv/SivWriter.h"
#include "support/RecordingDevice.h"

#include <cmath>
#include <cstring>
#include <optional>

using namespace zamp;

namespace {

// The scene was accepted, so every frame of it must draw.
void drawEveryCamera(SceneList& scenes, test::RecordingDevice& device) {
    const Scene& scene = scenes[0];
    for (const auto& mesh : scene.meshes) {
        fuzz::check(mesh->mesh != nullptr, "a mesh without its mesh");
        fuzz::check(mesh->hasTexture == (mesh->texture != nullptr), "hasTexture and texture disagree");
    }
    RenderContext context{device, device.renderTarget(0)};
    const std::size_t cameras = std::min<std::size_t>(scene.cameras.size(), 4);
    for (std::size_t c = 0; c < cameras; ++c) {
        SceneLayer layer(scenes, 0, static_cast<int>(c), 0.25f, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        for (float t : {-1.0f, 0.0f, 0.5f, 1.0f, 3.5f, 100.0f, NAN}) {
            try {
                layer.render(t, context);
            } catch (const Error& e) {
                fuzz::finding(std::string("a loaded scene failed to draw: ") + e.what());
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    static const std::unique_ptr<ImageFiles> imageFiles = openImageFiles();
    const bool wholeFile = size >= 4 && std::memcmp(data, "ZSIV", 4) == 0;
    const std::vector<std::uint8_t> fileBytes =
        wholeFile ? std::vector<std::uint8_t>(input.begin(), input.end()) : wrapSivStream(input, 1);
    SivFile file;
    try {
        file = parseSivFile(fileBytes, "fuzz.siv");
    } catch (const Error&) {
        return 0; // a message for the user: the expected end of a bad input
    }

    // The writer gives back the stream the parser read, up to the end of the track section:
    // section counts of zero or less are written as zero, so compare a re-parse.
    const std::vector<std::uint8_t> again = buildSivStream(file);
    const SivFile reparsed = parseSivStream(again, "again.siv");
    fuzz::check(buildSivStream(reparsed) == again, "the writer does not give back what the parser read");

    // The check pass (what `siv info` and the player run) finds every fault of the file.
    std::optional<CheckedSivScene> checked;
    try {
        checked.emplace(checkSivScene(file, "fuzz.siv"));
    } catch (const Error&) {
        return 0;
    }
    test::RecordingDevice device;
    TextureRegistry textures;
    SceneList scenes;
    try {
        scenes.append(buildSivScene(device, *imageFiles, textures, std::move(*checked), "fuzz"));
    } catch (const Error& e) {
        // Only a texture file can still fail: the pass names textures, the build loads them.
        if (std::string(e.what()).rfind("Error Loading Texture ", 0) != 0)
            fuzz::finding(std::string("a checked scene failed to build: ") + e.what());
    }
    if (scenes.size() == 1) drawEveryCamera(scenes, device);
    return 0;
}
