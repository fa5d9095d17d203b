// The script function that loads a SIV scene file.
#include "script/ScriptArgs.h"
#include "script/ScriptContext.h"
#include "script/ScriptFunctions.h"
#include "show/Show.h"

namespace zamp::script {

// The path is used exactly as given (no "data/" is added); the scene joins the list only
// when the whole file loaded.
void loadsiv(ScriptContext& context, ScriptArgs& args) {
    std::string path = args.fileName(1, "file path");
    std::string name = args.string(2, "scene name");
    Show& show = context.show;
    show.scenes.loadSiv(context.device, context.imageFiles, show.textures, path, name);
}

} // namespace zamp::script
