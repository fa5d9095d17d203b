// Script functions that act on the application shell: music, start and end time, ambient
// light, fog and random numbers. The fog and ambient functions store nothing of their own:
// they set device render states, which stay until something changes them.
#include "app/DemoApp.h"
#include "script/ScriptArgs.h"
#include "script/ScriptFunctions.h"

#include <cstdlib>

namespace zamp::script {

namespace {

DWORD rgb(const ScriptArgs& args) {
    return (args.colourByte(1) << 16) | (args.colourByte(2) << 8) | args.colourByte(3);
}

} // namespace

// The music starts from the demo time that stands now: `starttime` must come first for
// music and picture to agree.
void loadmusic(DemoApp& app, ScriptArgs& args) {
    std::string path = args.string(1, "file path");
    app.music.load(path);
    app.music.seek(app.script.demoTime);
}

void starttime(DemoApp& app, ScriptArgs& args) { app.script.demoTime = args.real(1); }

void endtime(DemoApp& app, ScriptArgs& args) { app.script.endTime = args.real(1); }

void setambientcolor(DemoApp& app, ScriptArgs& args) { app.device->setRenderState(D3DRS_AMBIENT, rgb(args)); }

// Also puts back the default grey and range: a script sets its own after this call.
void enablefog(DemoApp& app, ScriptArgs&) {
    Device& d = *app.device;
    d.setRenderState(D3DRS_FOGENABLE, 1);
    d.setRenderState(D3DRS_RANGEFOGENABLE, 1);
    d.setRenderState(D3DRS_FOGCOLOR, 0xFF808080);
    d.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    d.setRenderState(D3DRS_FOGSTART, floatBits(100.0f));
    d.setRenderState(D3DRS_FOGEND, floatBits(1000.0f));
}

void disablefog(DemoApp& app, ScriptArgs&) {
    app.device->setRenderState(D3DRS_FOGENABLE, 0);
    app.device->setRenderState(D3DRS_RANGEFOGENABLE, 0);
}

void setfogcolor(DemoApp& app, ScriptArgs& args) { app.device->setRenderState(D3DRS_FOGCOLOR, 0xFF000000 | rgb(args)); }

void setfogrange(DemoApp& app, ScriptArgs& args) {
    app.device->setRenderState(D3DRS_FOGSTART, floatBits(args.real(1)));
    app.device->setRenderState(D3DRS_FOGEND, floatBits(args.real(2)));
}

// Unseeded, so a script gets the same numbers on every run unless it seeds the generator
// itself with math.randomseed.
void random(DemoApp&, ScriptArgs& args) {
    int n = args.integer(1);
    if (n == 0) throw std::string("random: n must not be 0");
    args.pushNumber(std::rand() % n);
}

} // namespace zamp::script
