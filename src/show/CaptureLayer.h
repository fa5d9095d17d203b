// A span of demo time in which the capture-routed layers draw into a render-target
// texture. It draws nothing itself.
#pragma once

#include "show/Layer.h"

namespace zamp {

struct TextureRecord;

class CaptureLayer final : public Layer {
public:
    explicit CaptureLayer(TextureRecord& target) : target(target) {}
    void render(float, RenderContext&) override {}

    TextureRecord& target;
};

} // namespace zamp
