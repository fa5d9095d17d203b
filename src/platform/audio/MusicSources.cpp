#include "platform/audio/MusicSources.h"

#include "core/RegularFile.h"
#include "platform/modplug/ModulePlayback.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace zamp {

namespace {

// Longer streams are refused before they are decoded: an hour is 635 MB of frames.
constexpr double kMostStreamSeconds = 3600;
// Tracker modules are read whole; real ones stay far below this.
constexpr std::streamoff kMostModuleBytes = std::streamoff(kMostWholeShowFileBytes);

// True when the file begins with nothing but printable ASCII and line breaks; leaves the
// file at its start. Every stream and tracker format has binary fields in its first
// kilobyte (a MOD's sample lengths and finetunes among its first 1084 bytes), but
// libmodplug also reads text notations (ABC tunes), and for those it may print to standard
// error while loading. A text file is no music here, so it never reaches the decoders.
bool isPlainText(SDL_RWops* file) {
    unsigned char head[1084];
    const size_t count = SDL_RWread(file, head, 1, sizeof head);
    SDL_RWseek(file, 0, RW_SEEK_SET);
    if (count == 0) return false; // empty: the decoders reject it without a word
    return std::all_of(head, head + count, [](unsigned char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
    });
}

// True when the file begins like one of the sampled formats, which are decoded as streams:
// WAV or AIFF, Ogg (Vorbis, Opus), FLAC, MP3 (an ID3 tag or a frame header). Leaves the file
// at its start.
bool isSampledStream(SDL_RWops* file) {
    unsigned char head[12] = {};
    const size_t count = SDL_RWread(file, head, 1, sizeof head);
    SDL_RWseek(file, 0, RW_SEEK_SET);
    auto starts = [&](const char* magic, size_t at = 0) {
        const size_t length = std::strlen(magic);
        return count >= at + length && std::memcmp(head + at, magic, length) == 0;
    };
    return (starts("RIFF") && starts("WAVE", 8)) || starts("FORM") || starts("OggS") || starts("fLaC") ||
           starts("ID3") || (count >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0);
}

struct FreeMusic {
    void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
};
struct FreeChunk {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
struct CloseFile {
    void operator()(SDL_RWops* file) const { SDL_RWclose(file); }
};

constexpr std::size_t kFrameValues = kAudioChannels;

class StreamSource final : public MusicSource {
public:
    explicit StreamSource(std::vector<std::int16_t> frames) : frames_(std::move(frames)) {}

    MusicKind kind() const override { return MusicKind::Stream; }
    double duration() const override { return double(frameCount()) / kAudioSampleRate; }

    void seek(double seconds) override {
        const double frame = std::round(std::max(0.0, seconds) * kAudioSampleRate);
        position_ = frame < double(frameCount()) ? std::size_t(frame) : 0;
    }

    void read(std::int16_t* out, std::size_t count) override {
        while (count > 0) {
            const std::size_t run = std::min(count, frameCount() - position_);
            std::memcpy(out, &frames_[position_ * kFrameValues], run * kFrameValues * sizeof(std::int16_t));
            out += run * kFrameValues;
            count -= run;
            position_ += run;
            if (position_ == frameCount()) position_ = 0; // looping goes back to the very beginning
        }
    }

private:
    std::size_t frameCount() const { return frames_.size() / kFrameValues; }
    std::vector<std::int16_t> frames_;
    std::size_t position_ = 0;
};

class ModuleSource final : public MusicSource {
public:
    explicit ModuleSource(std::unique_ptr<ModulePlayback> module) : module_(std::move(module)) {}

    MusicKind kind() const override { return MusicKind::Module; }
    double duration() const override { return module_->length(); }
    void seek(double seconds) override { module_->seek(seconds); }
    void read(std::int16_t* out, std::size_t count) override { module_->read(out, count); }

private:
    std::unique_ptr<ModulePlayback> module_;
};

std::unique_ptr<MusicSource> loadModuleFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? std::streamoff(in.tellg()) : -1;
    if (size <= 0 || size > kMostModuleBytes) return nullptr;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return nullptr;
    std::unique_ptr<ModulePlayback> module = ModulePlayback::open(std::move(bytes));
    if (!module) return nullptr;
    return std::make_unique<ModuleSource>(std::move(module));
}

std::unique_ptr<MusicSource> decodeStream(const std::string& path) {
    std::unique_ptr<Mix_Chunk, FreeChunk> chunk(Mix_LoadWAV(path.c_str()));
    if (!chunk || chunk->alen < kFrameValues * sizeof(std::int16_t)) return nullptr;
    std::vector<std::int16_t> frames(chunk->alen / (kFrameValues * sizeof(std::int16_t)) * kFrameValues);
    std::memcpy(frames.data(), chunk->abuf, frames.size() * sizeof(std::int16_t));
    return std::make_unique<StreamSource>(std::move(frames));
}

} // namespace

std::unique_ptr<MusicSource> loadMusicSource(const std::string& path) {
    // Only a regular file: a named pipe would block the open and the read for ever.
    OpenedFile opened = openRegularFile(path);
    if (!opened.file) return nullptr;
    const std::uint64_t size = opened.size;
    std::unique_ptr<SDL_RWops, CloseFile> file(SDL_RWFromFP(opened.file.get(), SDL_TRUE));
    if (!file) return nullptr;
    static_cast<void>(opened.file.release()); // SDL closes it from here on
    // A file with no stream signature goes to the tracker decoders, which read it whole: a
    // large one (a sparse file of zeros) is refused unread.
    if (isPlainText(file.get()) || (!isSampledStream(file.get()) && size > std::uint64_t(kMostModuleBytes)))
        return nullptr;
    // The kind comes from the file's bytes, not its name: the sampled formats have
    // signatures and are recognised first; whatever has none is offered to the tracker
    // decoder. SDL_mixer closes the file whether or not it loads.
    std::unique_ptr<Mix_Music, FreeMusic> music(Mix_LoadMUS_RW(file.release(), SDL_TRUE));
    if (!music) return nullptr;
    switch (Mix_GetMusicType(music.get())) {
    case MUS_WAV:
    case MUS_OGG:
    case MUS_MP3:
    case MUS_FLAC:
    case MUS_OPUS:
        if (!(Mix_MusicDuration(music.get()) <= kMostStreamSeconds)) return nullptr;
        music.reset();
        return decodeStream(path);
    case MUS_MOD:
        music.reset();
        return loadModuleFile(path);
    default:
        // MIDI and external players are neither a stream nor a module.
        return nullptr;
    }
}

} // namespace zamp
