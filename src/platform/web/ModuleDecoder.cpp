#include "platform/web/ModuleDecoder.h"

#include "platform/Audio.h"

namespace zamp {

std::unique_ptr<ModuleDecoder> ModuleDecoder::open(std::vector<unsigned char> bytes) {
    std::unique_ptr<ModulePlayback> module = ModulePlayback::open(std::move(bytes));
    if (!module) return nullptr;
    return std::unique_ptr<ModuleDecoder>(new ModuleDecoder(std::move(module)));
}

void ModuleDecoder::seek(double seconds) { module_->seek(seconds); }

void ModuleDecoder::render(float* out, int frames) {
    pcm_.resize(std::size_t(frames) * kAudioChannels);
    module_->read(pcm_.data(), std::size_t(frames));
    for (std::size_t i = 0; i < pcm_.size(); ++i) out[i] = pcm_[i] / 32768.0f;
}

} // namespace zamp
