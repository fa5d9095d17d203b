// The script function that loads a SIV scene file.
#include "app/DemoApp.h"
#include "script/ScriptArgs.h"
#include "script/ScriptFunctions.h"

namespace zamp::script {

// The path is used exactly as given (no "data/" is added); the scene joins the list only
// when the whole file loaded.
void loadsiv(DemoApp& app, ScriptArgs& args) {
    std::string path = args.string(1, "file path");
    std::string name = args.string(2, "scene name");
    app.scenes.loadSiv(*app.device, app.textures, path, name);
}

} // namespace zamp::script
