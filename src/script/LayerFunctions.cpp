// Script functions that lay out the timeline: layer, start, stop and capture.
#include "core/Error.h"
#include "script/ScriptArgs.h"
#include "script/ScriptContext.h"
#include "script/ScriptFunctions.h"
#include "show/ImageLayer.h"
#include "show/SceneLayer.h"
#include "show/Show.h"

namespace zamp::script {

// kind 1: scene name, camera, time offset, order, source and destination blend;
// kind 2: image name, order, source and destination blend; any other kind: -1.
void layer(ScriptContext& context, ScriptArgs& args) {
    Show& show = context.show;
    const int kind = args.integer(1, "kind");
    if (kind == 1) {
        std::string name = args.string(2, "scene name");
        const int camera = args.integer(3, "camera index");
        const float offset = args.real(4, "time offset");
        const int order = args.integer(5, "order");
        const DWORD src = DWORD(args.integer(6, "source blend"));
        const DWORD dst = DWORD(args.integer(7, "destination blend"));
        int scene = show.scenes.find(name);
        if (scene < 0) throw Error("layer: Scene with name " + name + " not found.");
        auto made = std::make_unique<SceneLayer>(show.scenes, scene, camera, offset, src, dst);
        args.pushNumber(show.layers.add(std::move(made), order));
    } else if (kind == 2) {
        std::string name = args.string(2, "image name");
        const int order = args.integer(3, "order");
        const DWORD src = DWORD(args.integer(4, "source blend"));
        const DWORD dst = DWORD(args.integer(5, "destination blend"));
        int image = show.images.find(name);
        if (image < 0) throw Error("layer: Image with name " + name + " not found.");
        auto made = std::make_unique<ImageLayer>(show.images, image, src, dst);
        args.pushNumber(show.layers.add(std::move(made), order));
    } else {
        show.warnings.add("layer: kind " + std::to_string(kind) +
                          " is neither 1 (a scene) nor 2 (an image): no layer is made and the result is -1");
        args.pushNumber(-1);
    }
}

namespace {

// The layer named by the argument at `index`, which must be a number `layer` returned.
Layer& layerArgument(ScriptContext& context, ScriptArgs& args, int index) {
    int number = args.integer(index, "layer number");
    const LayerList& layers = context.show.layers;
    Layer* found = layers.at(number);
    if (!found)
        throw Error(std::string(args.function()) + ": layer " + std::to_string(number) + " does not exist " +
                    (layers.size() == 0 ? std::string("(there are no layers yet)")
                                        : "(layer numbers run from 0 to " + std::to_string(layers.size() - 1) + ")"));
    return *found;
}

} // namespace

void start(ScriptContext& context, ScriptArgs& args) {
    const float time = args.real(1, "time");
    layerArgument(context, args, 2).start = time;
}

void stop(ScriptContext& context, ScriptArgs& args) {
    const float time = args.real(1, "time");
    layerArgument(context, args, 2).end = time;
}

// Capture times are whole seconds: the arguments are truncated toward zero.
void capture(ScriptContext& context, ScriptArgs& args) {
    Show& show = context.show;
    std::string name = args.string(1, "image name");
    const float from = float(args.integer(2, "start")), to = float(args.integer(3, "end"));
    int index = show.images.find(name);
    if (index < 0) throw Error("Texture with name " + name + " for capture not found.");
    TextureRecord* target = show.images[index].texture;
    if (!target || !target->surface)
        throw Error("capture: image " + name +
                    " has no render target to draw into (make it with createtexture and a size)");
    auto made = std::make_unique<CaptureLayer>(*target);
    made->start = from;
    made->end = to;
    args.pushNumber(show.layers.addCapture(std::move(made)));
}

} // namespace zamp::script
