// The script function that loads a SIV scene file, or a model file imported into one.
#include "core/Error.h"
#include "script/ScriptArgs.h"
#include "script/ScriptContext.h"
#include "script/ScriptFunctions.h"
#include "show/ModelImport.h"
#include "show/Show.h"

namespace zamp::script {

// The path is used exactly as given (no "data/" is added); the scene joins the list only
// when the whole file loaded. A name in a model format (glTF, OBJ, ...) is imported first.
void loadsiv(ScriptContext& context, ScriptArgs& args) {
    std::string path = args.fileName(1, "file path");
    std::string name = args.string(2, "scene name");
    Show& show = context.show;
    if (!isModelFileName(path)) {
        show.scenes.loadSiv(context.device, context.imageFiles, show.textures, path, name);
        return;
    }
    if (!context.models) throw Error("loadsiv: " + path + ": this program cannot import models; convert it with siv import");
    show.scenes.loadModel(context.device, context.imageFiles, show.textures, *context.models, show.warnings, path,
                          name);
}

} // namespace zamp::script
