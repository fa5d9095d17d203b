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
    context.show.renderStates.set(D3DRS_AMBIENT, rgb(args));
}

// Also puts back the default grey and range: a script sets its own after this call.
void enablefog(ScriptContext& context, ScriptArgs&) {
    ScriptRenderStates& s = context.show.renderStates;
    s.set(D3DRS_FOGENABLE, 1);
    s.set(D3DRS_RANGEFOGENABLE, 1);
    s.set(D3DRS_FOGCOLOR, 0xFF808080);
    s.set(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    s.set(D3DRS_FOGSTART, floatBits(100.0f));
    s.set(D3DRS_FOGEND, floatBits(1000.0f));
}

void disablefog(ScriptContext& context, ScriptArgs&) {
    context.show.renderStates.set(D3DRS_FOGENABLE, 0);
    context.show.renderStates.set(D3DRS_RANGEFOGENABLE, 0);
}

void setfogcolor(ScriptContext& context, ScriptArgs& args) {
    context.show.renderStates.set(D3DRS_FOGCOLOR, 0xFF000000 | rgb(args));
}

void setfogrange(ScriptContext& context, ScriptArgs& args) {
    const float start = args.real(1, "start"), end = args.real(2, "end");
    context.show.renderStates.set(D3DRS_FOGSTART, floatBits(start));
    context.show.renderStates.set(D3DRS_FOGEND, floatBits(end));
}

// Unseeded, so a script gets the same numbers on every run unless it seeds the generator
// itself with math.randomseed.
void random(ScriptContext&, ScriptArgs& args) {
    int n = args.integer(1, "n");
    if (n == 0) throw Error("random: n must not be 0");
    args.pushNumber(std::rand() % n);
}

} // namespace zamp::script
