// Every layer the script created, and each frame's composition: which layers are visible,
// in which order, drawn to the screen or into capture targets.
#pragma once

#include "show/CaptureLayer.h"
#include "show/Layer.h"

#include <memory>
#include <vector>

namespace zamp {

struct RenderContext;

class LayerList {
public:
    static constexpr int kMaxLayersPerRoute = 50;
    static constexpr int kScreenOrderLimit = 10;

    // Appends a scene or image layer; the result is its layer number.
    int add(std::unique_ptr<Layer> layer, int order);
    int addCapture(std::unique_ptr<CaptureLayer> capture);

    // Draws the frame at demo time t: the capture pass into visible capture targets (then
    // back to the context's back buffer), then the screen layers.
    void render(float t, RenderContext& context);
    void deleteAll();

    std::size_t size() const { return entries_.size(); }
    std::size_t captureCount() const { return captures_.size(); }
    // Null for a number that names no layer (a layer deleted by deleteAll included).
    Layer* at(int number) const;
    CaptureLayer* captureAt(int number) const;

private:
    struct Taken {
        int position;
        int order;
    };
    struct Route {
        Taken layers[kMaxLayersPerRoute];
        int count = 0;
        void take(int position, int order) { layers[count++] = {position, order}; }
        void sort();
    };
    void capturePass(float t, const Route& route, RenderContext& context);
    void draw(const Route& route, float t, RenderContext& context);

    std::vector<std::unique_ptr<Layer>> entries_;
    std::vector<std::unique_ptr<CaptureLayer>> captures_;
};

} // namespace zamp
