#include "platform/web/ModuleDecoder.h"

#include "platform/Audio.h"

namespace zamp {

std::optional<ModuleDecoder> ModuleDecoder::open(const std::vector<unsigned char>& bytes) {
    ModuleFile file = loadModule(bytes.data(), bytes.size());
    if (!file) return std::nullopt;
    return ModuleDecoder(std::move(file));
}

void ModuleDecoder::seek(double seconds) { seekModule(file_.get(), seconds); }

void ModuleDecoder::render(float* out, int frames) {
    pcm_.resize(std::size_t(frames) * kAudioChannels);
    readModule(file_.get(), pcm_.data(), std::size_t(frames));
    for (std::size_t i = 0; i < pcm_.size(); ++i) out[i] = pcm_[i] / 32768.0f;
}

} // namespace zamp
