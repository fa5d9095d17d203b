// make-music: writes the example show's music, a short tracker module composed and
// synthesised here (no recordings), to the path it is given.
//
// The tune is in A minor over Am F C G, one chord a bar, 16 rows a bar at ProTracker's
// default speed 6 and tempo 125 (120 ms a row). Three patterns of four bars: an intro with
// bass, drums and an arpeggio, then two verses that add a lead melody; the order list
// intro, A, B, A, B plays 38.4 seconds before the module starts again.
#include "Instruments.h"
#include "ModWriter.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

namespace makemusic {
namespace {

enum SampleNumber { kBass = 1, kArp, kLead, kKick, kSnare, kHat };

constexpr double kPalClock = 3546895.0;

double rateAt(int n) { return kPalClock / period(n); }

struct Chord {
    int root;                 // the bass note, octave 1
    std::array<int, 4> arp;   // four chord tones, low to high, octaves 2 and 3
};

const std::array<Chord, 4> kChords = {{
    {note(A, 1), {note(A, 2), note(C, 3), note(E, 3), note(A, 3)}},
    {note(F, 1), {note(F, 2), note(A, 2), note(C, 3), note(F, 3)}},
    {note(C, 1), {note(G, 2), note(C, 3), note(E, 3), note(G, 3)}},
    {note(G, 1), {note(G, 2), note(B, 2), note(D, 3), note(G, 3)}},
}};

struct MelodyNote {
    int row;
    int note;  // -1: the lead falls silent
};

const std::vector<MelodyNote> kMelodyA = {
    {0, note(E, 3)},  {4, note(C, 3)},  {6, note(D, 3)},  {8, note(E, 3)},  {14, note(A, 2)},
    {16, note(F, 3)}, {20, note(E, 3)}, {22, note(C, 3)}, {24, note(A, 2)}, {30, -1},
    {32, note(G, 3)}, {36, note(E, 3)}, {38, note(C, 3)}, {40, note(E, 3)}, {44, note(G, 3)},
    {48, note(D, 3)}, {52, note(B, 2)}, {54, note(A, 2)}, {56, note(G, 2)}, {62, -1},
};

const std::vector<MelodyNote> kMelodyB = {
    {0, note(A, 3)},  {4, note(G, 3)},  {6, note(E, 3)},  {8, note(C, 3)},  {12, note(E, 3)},
    {16, note(F, 3)}, {20, note(A, 3)}, {22, note(G, 3)}, {24, note(F, 3)}, {28, note(C, 3)},
    {32, note(E, 3)}, {36, note(D, 3)}, {38, note(C, 3)}, {40, note(G, 2)}, {44, note(C, 3)},
    {48, note(B, 2)}, {52, note(D, 3)}, {56, note(G, 3)}, {62, -1},
};

// ProTracker pans its channels left, right, right, left. Each side gets one low and one high
// part: bass and arpeggio on the left, drums and lead on the right. (The panning command
// 8xx is not used: players disagree on its range in MOD files.)
constexpr int kBassChannel = 0;
constexpr int kDrumChannel = 1;
constexpr int kLeadChannel = 2;
constexpr int kArpChannel = 3;

// Effects used (ProTracker numbering).
constexpr int kVibrato = 0x4;
constexpr int kVibratoVolumeSlide = 0x6;
constexpr int kSetVolume = 0xC;

void bass(Pattern& p, int bar, const Chord& chord) {
    // Root on the beat and off-beats, the fifth and the octave as pickups.
    const int first = bar * 16;
    const std::array<std::pair<int, int>, 7> line = {{{0, 0}, {3, 0}, {6, 0}, {8, 7}, {10, 0}, {12, 12}, {14, 7}}};
    for (auto [row, interval] : line) {
        p[first + row][kBassChannel] = Cell{kBass, chord.root + interval, 0, 0};
    }
}

void drums(Pattern& p, int bar, bool fill) {
    const int first = bar * 16;
    const int kickNote = note(C, 2);
    const int brightNote = note(C, 3);
    for (int row : {0, 8, 10}) {
        p[first + row][kDrumChannel] = Cell{kKick, kickNote, 0, 0};
    }
    for (int row : {4, 12}) {
        p[first + row][kDrumChannel] = Cell{kSnare, brightNote, 0, 0};
    }
    for (int row : {2, 6, 14}) {
        p[first + row][kDrumChannel] = Cell{kHat, brightNote, 0, 0};
    }
    if (fill) {
        // A snare roll into the next pattern, getting louder.
        for (int row = 12; row < 16; ++row) {
            p[first + row][kDrumChannel] = Cell{kSnare, brightNote, kSetVolume, 24 + (row - 12) * 12};
        }
    }
}

void arpeggio(Pattern& p, int bar, const Chord& chord) {
    // Up and down the chord in sixteenths, the beats a little louder.
    const std::array<int, 8> walk = {0, 1, 2, 3, 2, 1, 2, 1};
    const int first = bar * 16;
    for (int row = 0; row < 16; ++row) {
        const int tone = chord.arp[static_cast<std::size_t>(walk[static_cast<std::size_t>(row % 8)])];
        // The sample's own volume is the beat's; off-beats are set softer.
        p[first + row][kArpChannel] = row % 4 == 0 ? Cell{kArp, tone, 0, 0} : Cell{kArp, tone, kSetVolume, 20};
    }
}

void melody(Pattern& p, const std::vector<MelodyNote>& notes) {
    // Each note starts a vibrato; while it is held the vibrato goes on and, every other
    // row, the volume sinks a little, so long notes breathe instead of droning.
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const MelodyNote& n = notes[i];
        const int end = i + 1 < notes.size() ? notes[i + 1].row : kRows;
        if (n.note < 0) {
            p[n.row][kLeadChannel] = Cell{0, -1, kSetVolume, 0};
            continue;
        }
        p[n.row][kLeadChannel] = Cell{kLead, n.note, kVibrato, 0x33};
        for (int row = n.row + 1; row < end; ++row) {
            const bool sink = (row - n.row) % 2 == 0;
            p[row][kLeadChannel] = sink ? Cell{0, -1, kVibratoVolumeSlide, 0x01} : Cell{0, -1, kVibrato, 0x00};
        }
    }
}

Pattern section(const std::vector<MelodyNote>* lead, bool fill) {
    Pattern p{};
    for (int bar = 0; bar < 4; ++bar) {
        const Chord& chord = kChords[static_cast<std::size_t>(bar)];
        bass(p, bar, chord);
        drums(p, bar, fill && bar == 3);
        arpeggio(p, bar, chord);
    }
    if (lead) {
        melody(p, *lead);
    }
    return p;
}

Module compose() {
    Module m;
    m.title = "zamp example";
    const int kickNote = note(C, 2);
    const int brightNote = note(C, 3);
    m.samples = {
        Sample{"bass", pluck(64, 8192, 0.6, 11), 64, 0, 0},
        Sample{"pluck", pluck(64, 12288, 0.9, 23), 30, 0, 0},
        Sample{"lead", softLead(32, 8), 40, 0, 256},
        Sample{"kick", kick(rateAt(kickNote)), 64, 0, 0},
        Sample{"snare", snare(rateAt(brightNote), 37), 44, 0, 0},
        Sample{"hat", hat(rateAt(brightNote), 41), 30, 0, 0},
    };
    m.patterns = {section(nullptr, false), section(&kMelodyA, false), section(&kMelodyB, true)};
    m.orders = {0, 1, 2, 1, 2};
    return m;
}

} // namespace
} // namespace makemusic

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-music OUTPUT.mod\n");
        return 2;
    }
    try {
        const auto bytes = makemusic::writeModule(makemusic::compose());
        std::ofstream out(argv[1], std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "make-music: cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-music: %s\n", error.what());
        return 1;
    }
    return 0;
}
