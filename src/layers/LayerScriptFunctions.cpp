// Script functions that lay out the timeline: layer, start, stop and capture.
#include "app/DemoApp.h"
#include "layers/ImageLayer.h"
#include "scene/SceneLayer.h"
#include "script/ScriptArgs.h"
#include "script/ScriptFunctions.h"

namespace zamp::script {

// kind 1: scene name, camera, time offset, order, source and destination blend;
// kind 2: image name, order, source and destination blend; any other kind: -1.
void layer(DemoApp& app, ScriptArgs& args) {
    const int kind = args.integer(1);
    if (kind == 1) {
        std::string name = args.string(2, "scene name");
        int camera = args.integer(3);
        float offset = args.real(4);
        int order = args.integer(5);
        DWORD src = DWORD(args.integer(6)), dst = DWORD(args.integer(7));
        int scene = app.scenes.find(name);
        if (scene < 0) throw "layer: Scene with name " + name + " not found.";
        auto made = std::make_unique<SceneLayer>(*app.device, app.scenes, scene, camera, offset, src, dst);
        args.pushNumber(app.script.layers.add(std::move(made), order));
    } else if (kind == 2) {
        std::string name = args.string(2, "image name");
        int order = args.integer(3);
        DWORD src = DWORD(args.integer(4)), dst = DWORD(args.integer(5));
        int image = app.images.find(name);
        if (image < 0) throw "layer: Image with name " + name + " not found.";
        auto made = std::make_unique<ImageLayer>(*app.device, app.images, image, src, dst);
        args.pushNumber(app.script.layers.add(std::move(made), order));
    } else {
        args.pushNumber(-1);
    }
}

namespace {

// The layer named by the argument at `index`, which must be a number `layer` returned.
Layer& layerArgument(DemoApp& app, ScriptArgs& args, int index) {
    int number = args.integer(index);
    Layer* found = app.script.layers.at(number);
    if (!found)
        throw std::string(args.function()) + ": layer " + std::to_string(number) + " does not exist (layer numbers run from 0 to " +
            std::to_string(int(app.script.layers.size()) - 1) + ")";
    return *found;
}

} // namespace

void start(DemoApp& app, ScriptArgs& args) { layerArgument(app, args, 2).start = args.real(1); }

void stop(DemoApp& app, ScriptArgs& args) { layerArgument(app, args, 2).end = args.real(1); }

// Capture times are whole seconds: the arguments are truncated toward zero.
void capture(DemoApp& app, ScriptArgs& args) {
    std::string name = args.string(1, "image name");
    float from = float(args.integer(2)), to = float(args.integer(3));
    int index = app.images.find(name);
    if (index < 0) throw "Texture with name " + name + " for capture not found.";
    TextureRecord* target = app.images[index].texture;
    if (!target || !target->surface)
        throw "capture: image " + name + " has no render target to draw into (make it with createtexture and a size)";
    auto made = std::make_unique<CaptureLayer>(*target);
    made->start = from;
    made->end = to;
    args.pushNumber(app.script.layers.addCapture(std::move(made)));
}

} // namespace zamp::script
