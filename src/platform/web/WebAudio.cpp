// Music on the page's Web Audio graph. Streams (WAV, OGG, MP3, FLAC, Opus) are decoded by the
// browser; tracker modules by libmodplug, compiled in, whose samples an audio worklet asks
// for. As on the desktop the kind comes from the file's bytes: the sampled formats are
// recognised by their signatures first, whatever has none is offered to the module decoder,
// and a text file is no music. Without an audio graph (no click yet, or no Web Audio) the
// tracks still play, fade and stop, silently.
#include "platform/Audio.h"
#include "platform/Platform.h"
#include "platform/web/ModuleDecoder.h"
#include "platform/web/WebLibrary.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zamp {

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The desktop's rule: a file that begins with nothing but printable ASCII and line breaks is
// no music (libmodplug would read text notations).
bool isPlainText(const std::vector<unsigned char>& bytes) {
    const auto end = bytes.begin() + std::ptrdiff_t(std::min<std::size_t>(bytes.size(), 1084));
    return std::all_of(bytes.begin(), end, [](unsigned char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
    });
}

bool startsWith(const std::vector<unsigned char>& bytes, std::size_t at, const char* text) {
    const std::size_t n = std::strlen(text);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, text, n) == 0;
}

// The signatures of the sampled formats: RIFF/WAVE, Ogg (Vorbis and Opus), FLAC, MP3 with an
// ID3 tag or starting on a frame.
bool isStream(const std::vector<unsigned char>& b) {
    if (startsWith(b, 0, "RIFF") && startsWith(b, 8, "WAVE")) return true;
    if (startsWith(b, 0, "OggS") || startsWith(b, 0, "fLaC") || startsWith(b, 0, "ID3")) return true;
    return b.size() >= 2 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0;
}

// Standard MIDI files: libmodplug reads them, the desktop's mixer hands them to a MIDI
// player; neither is a stream or a module.
bool isMidi(const std::vector<unsigned char>& b) { return startsWith(b, 0, "MThd"); }

class WebTrack : public MusicTrack {
public:
    WebTrack(MusicKind kind, int id) : kind_(kind), id_(id) {}
    ~WebTrack() override { zamp_track_free(id_); }
    WebTrack(const WebTrack&) = delete;
    WebTrack& operator=(const WebTrack&) = delete;

    MusicKind kind() const override { return kind_; }
    void play(double fromSeconds) override { zamp_track_play(id_, std::max(0.0, fromSeconds)); }
    void setPaused(bool paused) override { zamp_track_pause(id_, paused ? 1 : 0); }
    void seek(double seconds) override { zamp_track_seek(id_, std::max(0.0, seconds)); }
    double position() const override { return zamp_track_position(id_); }
    void startFadeOut(int milliseconds) override { zamp_track_fade(id_, milliseconds); }
    bool fadingOut() const override { return zamp_track_state(id_) == 3; }
    bool playing() const override { return (zamp_track_state(id_) & 1) != 0; }
    void stop() override { zamp_track_stop(id_); }

protected:
    // For a module: the decoder must exist before JavaScript can ask it for samples.
    void setId(int id) { id_ = id; }

private:
    MusicKind kind_;
    int id_;
};

class ModuleTrack final : public WebTrack {
public:
    explicit ModuleTrack(std::unique_ptr<ModuleDecoder> decoder)
        : WebTrack(MusicKind::Module, 0), decoder_(std::move(decoder)) {
        setId(zamp_track_new_module(this));
    }
    // The decoder is placed before the worklet first asks it for samples, as on the desktop:
    // what it gives then is what playing from the beginning gives there.
    void play(double fromSeconds) override {
        decoder_->seek(fromSeconds);
        WebTrack::play(fromSeconds);
    }
    int render(float* out, int frames) {
        decoder_->render(out, frames);
        return frames;
    }
    void seekModule(double seconds) { decoder_->seek(seconds); }

private:
    std::unique_ptr<ModuleDecoder> decoder_;
};

class WebOutput final : public AudioOutput {
public:
    bool silent() const override { return zamp_audio_silent() != 0; }

    std::unique_ptr<MusicTrack> loadMusic(const std::string& path) override {
        const std::vector<unsigned char> bytes = readFile(path);
        if (bytes.empty() || isPlainText(bytes) || isMidi(bytes)) return nullptr;
        if (isStream(bytes))
            return std::make_unique<WebTrack>(MusicKind::Stream, zamp_track_new_stream(bytes.data(), int(bytes.size())));
        if (auto decoder = ModuleDecoder::open(bytes)) return std::make_unique<ModuleTrack>(std::move(decoder));
        return nullptr;
    }
};

} // namespace

std::unique_ptr<AudioOutput> openAudioOutput(AudioTarget) { return std::make_unique<WebOutput>(); }

} // namespace zamp

// The audio worklet's request for more of a module: `frames` stereo frames into `out`.
extern "C" EMSCRIPTEN_KEEPALIVE int zamp_web_module_render(void* track, float* out, int frames) {
    return static_cast<zamp::ModuleTrack*>(track)->render(out, frames);
}

// The music moved (the author's keys): the decoder goes to the new place.
extern "C" EMSCRIPTEN_KEEPALIVE void zamp_web_module_seek(void* track, double seconds) {
    static_cast<zamp::ModuleTrack*>(track)->seekModule(seconds);
}
