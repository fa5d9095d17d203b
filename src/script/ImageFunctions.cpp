// Script functions that make images and key their layers.
#include "core/Error.h"
#include "gfx/Texture.h"
#include "script/ScriptArgs.h"
#include "script/ScriptContext.h"
#include "script/ScriptFunctions.h"
#include "show/ImageLayer.h"
#include "show/Show.h"

#include <cmath>

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
    int number = args.integer(index, "layer number");
    const LayerList& layers = context.show.layers;
    auto* found = dynamic_cast<ImageLayer*>(layers.at(number));
    if (!found)
        throw Error(std::string(args.function()) + ": layer " + std::to_string(number) +
                    (layers.at(number) ? " is not an image layer" : " does not exist"));
    // Key times are made relative to the start as it stands: without one they are no number.
    if (std::isnan(found->start))
        context.show.warnings.add(std::string(args.function()) + ": layer " + std::to_string(number) +
                                  " has no start time yet, so its keys get no time and the layer shows its last "
                                  "key throughout; call start before adding keys");
    return *found;
}

constexpr float kByteToUnit = 0.003921569f;

} // namespace

void loadimage(ScriptContext& context, ScriptArgs& args) {
    std::string file = args.fileName(1, "file name");
    std::string name = args.string(2, "image name");
    Show& show = context.show;
    TextureRecord& record = show.textures.load(context.device, context.imageFiles, file);
    if (!record.texture) throw Error(file + ": Error loading image.");
    show.images.add(newImage(name, &record));
}

void createtexture(ScriptContext& context, ScriptArgs& args) {
    const double widthNumber = args.number(1, "width"), heightNumber = args.number(2, "height");
    const int width = args.integer(1, "width"), height = args.integer(2, "height");
    std::string name = args.string(3, "name");
    // NaN would truncate to 0 and quietly give an image without texture; a side above the
    // largest texture would make the device spend gigabytes or fail.
    auto shown = [](double number, int truncated) {
        return std::isnan(number) ? std::string("nan") : std::to_string(truncated);
    };
    if (std::isnan(widthNumber) || std::isnan(heightNumber) || width < 0 || height < 0 || width > kMaxTextureSide ||
        height > kMaxTextureSide)
        throw Error("createtexture: " + name + " cannot be " + shown(widthNumber, width) + " by " +
                    shown(heightNumber, height) + " (sizes are numbers from 0 to " + std::to_string(kMaxTextureSide) +
                    ")");
    Show& show = context.show;
    TextureRecord* record = nullptr;
    if (width != 0 && height != 0) record = &show.textures.createRenderTarget(context.device, name, width, height);
    show.images.add(newImage(name, record));
}

// Key times are relative to the layer's start as it stands now.
void setimagepos(ScriptContext& context, ScriptArgs& args) {
    const float time = args.real(1, "time"), x = args.real(2, "x"), y = args.real(3, "y");
    ImageLayer& layer = imageLayerArgument(context, args, 4);
    layer.position.addKey({time - layer.start, 1, 0, 0, {x, y}});
}

void setimagerot(ScriptContext& context, ScriptArgs& args) {
    const float time = args.real(1, "time"), degrees = args.real(2, "angle in degrees");
    ImageLayer& layer = imageLayerArgument(context, args, 3);
    layer.rotation.addKey({time - layer.start, degrees});
}

void setimagescale(ScriptContext& context, ScriptArgs& args) {
    const float time = args.real(1, "time"), width = args.real(2, "width"), height = args.real(3, "height");
    ImageLayer& layer = imageLayerArgument(context, args, 4);
    layer.scale.addKey({time - layer.start, 1, 0, 0, {width, height}});
}

void setimagecolor(ScriptContext& context, ScriptArgs& args) {
    const float time = args.real(1, "time");
    const float red = args.real(2, "red"), green = args.real(3, "green"), blue = args.real(4, "blue"),
                alpha = args.real(5, "alpha");
    ImageLayer& layer = imageLayerArgument(context, args, 6);
    layer.colour.addKey({time - layer.start, Vec4{red * kByteToUnit, green * kByteToUnit, blue * kByteToUnit,
                                                  alpha * kByteToUnit}});
}

} // namespace zamp::script
