#include "ModWriter.h"

#include <stdexcept>

namespace makemusic {

namespace {

// ProTracker's own period table at finetune 0. Players look periods up in this table (for
// arpeggio and portamento), so computed values that differ by one would sound detuned.
constexpr std::array<int, 36> kPeriods = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
};

void put(std::vector<std::uint8_t>& out, int value) { out.push_back(static_cast<std::uint8_t>(value)); }

void putWord(std::vector<std::uint8_t>& out, int value) {
    put(out, value >> 8);
    put(out, value & 0xFF);
}

// A fixed-width text field, cut or padded with zero bytes.
void putText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        put(out, i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
    }
}

void require(bool condition, const char* what) {
    if (!condition) {
        throw std::invalid_argument(what);
    }
}

} // namespace

int period(int note) {
    require(note >= 0 && note < static_cast<int>(kPeriods.size()), "note outside C-1..B-3");
    return kPeriods[static_cast<std::size_t>(note)];
}

std::vector<std::uint8_t> writeModule(const Module& module) {
    require(module.samples.size() <= 31, "more than 31 samples");
    require(module.patterns.size() <= 64, "more than 64 patterns");
    require(!module.orders.empty() && module.orders.size() <= 128, "order list of 1..128 entries needed");

    std::vector<std::uint8_t> out;
    putText(out, module.title, 20);
    for (std::size_t i = 0; i < 31; ++i) {
        const Sample empty;
        const Sample& s = i < module.samples.size() ? module.samples[i] : empty;
        require(s.data.size() % 2 == 0 && s.data.size() <= 131070, "sample length must be even and fit 16 bits of words");
        require(s.volume >= 0 && s.volume <= 64, "sample volume outside 0..64");
        const bool loops = s.loopLength > 2;
        require(!loops || (s.loopStart % 2 == 0 && s.loopLength % 2 == 0 &&
                           s.loopStart + s.loopLength <= static_cast<int>(s.data.size())),
                "sample loop must be even and inside the sample");
        putText(out, s.name, 22);
        putWord(out, static_cast<int>(s.data.size() / 2));
        put(out, 0);  // finetune
        put(out, s.volume);
        putWord(out, loops ? s.loopStart / 2 : 0);
        putWord(out, loops ? s.loopLength / 2 : 1);  // one word means "no loop"
    }
    put(out, static_cast<int>(module.orders.size()));
    put(out, 127);  // the restart byte ProTracker writes; players restart at order 0
    for (std::size_t i = 0; i < 128; ++i) {
        const int order = i < module.orders.size() ? module.orders[i] : 0;
        require(order >= 0 && order < static_cast<int>(module.patterns.size()), "order names a missing pattern");
        put(out, order);
    }
    putText(out, "M.K.", 4);

    for (const Pattern& pattern : module.patterns) {
        for (const Row& row : pattern) {
            for (const Cell& cell : row) {
                require(cell.sample >= 0 && cell.sample <= static_cast<int>(module.samples.size()), "cell names a missing sample");
                require(cell.effect >= 0 && cell.effect <= 0xF && cell.param >= 0 && cell.param <= 0xFF, "effect out of range");
                const int p = cell.note < 0 ? 0 : period(cell.note);
                put(out, (cell.sample & 0xF0) | (p >> 8));
                put(out, p & 0xFF);
                put(out, ((cell.sample & 0x0F) << 4) | cell.effect);
                put(out, cell.param);
            }
        }
    }
    for (const Sample& s : module.samples) {
        for (std::int8_t value : s.data) {
            put(out, static_cast<std::uint8_t>(value));
        }
    }
    return out;
}

} // namespace makemusic
