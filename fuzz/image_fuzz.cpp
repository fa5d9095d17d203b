// Picture bytes through the texture registry: the header checks, the decoders of the five
// formats (PNG through libpng, the others through SDL2_image) and texture creation on the
// recording device. Every input must give a texture of at most kMaxTextureSide a side, with
// the picture's size, or the registry's message; a crash, a sanitizer report or an exception
// of another type is a finding.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "gfx/Texture.h"
#include "platform/Platform.h"
#include "show/TextureRegistry.h"
#include "support/RecordingDevice.h"

#include <cstdio>

using namespace zamp;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::unique_ptr<ImageFiles> imageFiles = openImageFiles();
    {
        std::FILE* out = std::fopen("input.pic", "wb");
        if (!out) fuzz::finding("cannot write the input file");
        if (size) std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    test::RecordingDevice device;
    TextureRegistry registry;
    try {
        const TextureRecord& record = registry.load(device, *imageFiles, "input.pic");
        fuzz::check(record.texture != nullptr, "a record without its texture");
        fuzz::check(record.width > 0 && record.height > 0 && record.width <= kMaxTextureSide &&
                        record.height <= kMaxTextureSide,
                    "a texture outside the sizes the device makes");
        fuzz::check(record.texture->width() == record.width && record.texture->height() == record.height,
                    "the texture's size is not the picture's");
    } catch (const Error& e) {
        const std::string message = e.what();
        fuzz::check(message.rfind("Error Loading Texture input.pic: ", 0) == 0, "a message without the player's words");
    }
    return 0;
}
