// Script functions that act on the show as a whole: music, start and end time, ambient
// light, fog and random numbers. Fog and ambient light are render states that the show
// keeps and gives to the device when it starts.
#include "core/Error.h"
#include "script/ScriptArgs.h"
#include "script/ScriptContext.h"
#include "script/ScriptFunctions.h"
#include "show/Show.h"

#include <cstdlib>

namespace zamp::script {

namespace {

// Read in argument order, so that the first bad one is the one reported.
DWORD rgb(const ScriptArgs& args) {
    const DWORD red = args.colourByte(1, "red");
    const DWORD green = args.colourByte(2, "green");
    const DWORD blue = args.colourByte(3, "blue");
    return (red << 16) | (green << 8) | blue;
}

} // namespace

// The music starts from the demo time that stands now: `starttime` must come first for
// music and picture to agree.
void loadmusic(ScriptContext& context, ScriptArgs& args) {
    std::string path = args.fileName(1, "file path");
    context.show.music = MusicChoice{std::move(path), context.show.startTime};
}

void starttime(ScriptContext& context, ScriptArgs& args) { context.show.startTime = args.real(1, "seconds"); }

void endtime(ScriptContext& context, ScriptArgs& args) { context.show.endTime = args.real(1, "seconds"); }

void setambientcolor(ScriptContext& context, ScriptArgs& args) {
    context.show.renderStates.set(ScriptRenderStates::State::Ambient, rgb(args));
}

// Also puts back the default grey and range: a script sets its own after this call.
void enablefog(ScriptContext& context, ScriptArgs&) {
    using State = ScriptRenderStates::State;
    ScriptRenderStates& s = context.show.renderStates;
    s.set(State::FogEnable, 1);
    s.set(State::RangeFogEnable, 1);
    s.set(State::FogColor, 0xFF808080);
    s.set(State::FogVertexMode, D3DFOG_LINEAR);
    s.set(State::FogStart, floatBits(100.0f));
    s.set(State::FogEnd, floatBits(1000.0f));
}

void disablefog(ScriptContext& context, ScriptArgs&) {
    context.show.renderStates.set(ScriptRenderStates::State::FogEnable, 0);
    context.show.renderStates.set(ScriptRenderStates::State::RangeFogEnable, 0);
}

void setfogcolor(ScriptContext& context, ScriptArgs& args) {
    context.show.renderStates.set(ScriptRenderStates::State::FogColor, 0xFF000000 | rgb(args));
}

void setfogrange(ScriptContext& context, ScriptArgs& args) {
    const float start = args.real(1, "start"), end = args.real(2, "end");
    context.show.renderStates.set(ScriptRenderStates::State::FogStart, floatBits(start));
    context.show.renderStates.set(ScriptRenderStates::State::FogEnd, floatBits(end));
}

// Unseeded, so a script gets the same numbers on every run unless it seeds the generator
// itself with math.randomseed.
void random(ScriptContext&, ScriptArgs& args) {
    int n = args.integer(1, "n");
    if (n == 0) throw Error("random: n must not be 0");
    args.pushNumber(std::rand() % n);
}

} // namespace zamp::script
