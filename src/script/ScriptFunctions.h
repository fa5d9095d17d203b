// The bodies of the script functions, grouped by what they act on (ShellFunctions.cpp,
// ImageFunctions.cpp, LayerFunctions.cpp, SceneFunctions.cpp). The registration order is the
// table in FunctionTable.cpp.
#pragma once

namespace zamp {

class ScriptArgs;
struct ScriptContext;

#define ZAMP_SCRIPT_FUNCTION(name) void name(ScriptContext& context, ScriptArgs& args)

namespace script {
ZAMP_SCRIPT_FUNCTION(loadmusic);
ZAMP_SCRIPT_FUNCTION(loadsiv);
ZAMP_SCRIPT_FUNCTION(loadimage);
ZAMP_SCRIPT_FUNCTION(createtexture);
ZAMP_SCRIPT_FUNCTION(setambientcolor);
ZAMP_SCRIPT_FUNCTION(setimagepos);
ZAMP_SCRIPT_FUNCTION(setimagerot);
ZAMP_SCRIPT_FUNCTION(setimagescale);
ZAMP_SCRIPT_FUNCTION(setimagecolor);
ZAMP_SCRIPT_FUNCTION(starttime);
ZAMP_SCRIPT_FUNCTION(endtime);
ZAMP_SCRIPT_FUNCTION(layer);
ZAMP_SCRIPT_FUNCTION(start);
ZAMP_SCRIPT_FUNCTION(stop);
ZAMP_SCRIPT_FUNCTION(capture);
ZAMP_SCRIPT_FUNCTION(random);
ZAMP_SCRIPT_FUNCTION(enablefog);
ZAMP_SCRIPT_FUNCTION(disablefog);
ZAMP_SCRIPT_FUNCTION(setfogcolor);
ZAMP_SCRIPT_FUNCTION(setfogrange);
} // namespace script

} // namespace zamp
