// Script functions that make images and key their layers.
#include "core/Error.h"
#include "script/ScriptArgs.h"
#include "script/ScriptContext.h"
#include "script/ScriptFunctions.h"
#include "show/ImageLayer.h"
#include "show/Show.h"

namespace zamp::script {

namespace {

// Textured drawing starts white and opaque.
Material imageMaterial() {
    Material m{};
    m.diffuse = {1, 1, 1, 1};
    m.ambient = {1, 1, 1, 1};
    return m;
}

std::unique_ptr<Image> newImage(std::string name, TextureRecord* texture) {
    auto image = std::make_unique<Image>();
    image->name = std::move(name);
    image->material = imageMaterial();
    image->texture = texture;
    image->quad = makeImageQuad();
    return image;
}

// The layer named by the argument at `index`; it must be an image layer.
ImageLayer& imageLayerArgument(ScriptContext& context, ScriptArgs& args, int index) {
    int number = args.integer(index);
    const LayerList& layers = context.show.layers;
    auto* found = dynamic_cast<ImageLayer*>(layers.at(number));
    if (!found)
        throw Error(std::string(args.function()) + ": layer " + std::to_string(number) +
                    (layers.at(number) ? " is not an image layer" : " does not exist"));
    return *found;
}

constexpr float kByteToUnit = 0.003921569f;

} // namespace

void loadimage(ScriptContext& context, ScriptArgs& args) {
    std::string file = args.string(1, "file name");
    std::string name = args.string(2, "image name");
    Show& show = context.show;
    TextureRecord& record = show.textures.load(context.device, context.imageFiles, file);
    if (!record.texture) throw Error(file + ": Error loading image.");
    show.images.add(newImage(name, &record));
}

void createtexture(ScriptContext& context, ScriptArgs& args) {
    int width = args.integer(1), height = args.integer(2);
    std::string name = args.string(3, "name");
    if (width < 0 || height < 0)
        throw Error("createtexture: " + name + " cannot be " + std::to_string(width) + " by " +
                    std::to_string(height) + " (sizes are 0 or more)");
    Show& show = context.show;
    TextureRecord* record = nullptr;
    if (width != 0 && height != 0) record = &show.textures.createRenderTarget(context.device, name, width, height);
    show.images.add(newImage(name, record));
}

// Key times are relative to the layer's start as it stands now.
void setimagepos(ScriptContext& context, ScriptArgs& args) {
    ImageLayer& layer = imageLayerArgument(context, args, 4);
    layer.position.addKey({args.real(1) - layer.start, 1, 0, 0, {args.real(2), args.real(3)}});
}

void setimagerot(ScriptContext& context, ScriptArgs& args) {
    ImageLayer& layer = imageLayerArgument(context, args, 3);
    layer.rotation.addKey({args.real(1) - layer.start, args.real(2)});
}

void setimagescale(ScriptContext& context, ScriptArgs& args) {
    ImageLayer& layer = imageLayerArgument(context, args, 4);
    layer.scale.addKey({args.real(1) - layer.start, 1, 0, 0, {args.real(2), args.real(3)}});
}

void setimagecolor(ScriptContext& context, ScriptArgs& args) {
    ImageLayer& layer = imageLayerArgument(context, args, 6);
    Vec4 c{args.real(2) * kByteToUnit, args.real(3) * kByteToUnit, args.real(4) * kByteToUnit,
           args.real(5) * kByteToUnit};
    layer.colour.addKey({args.real(1) - layer.start, c});
}

} // namespace zamp::script
