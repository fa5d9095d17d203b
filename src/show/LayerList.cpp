#include "show/LayerList.h"

#include "gfx/Device.h"
#include "show/RenderContext.h"
#include "show/TextureRegistry.h"

namespace zamp {

int LayerList::add(std::unique_ptr<Layer> layer, int order) {
    entries_.push_back(std::move(layer));
    entries_.back()->order = order;
    return int(entries_.size() - 1);
}

int LayerList::addCapture(std::unique_ptr<CaptureLayer> capture) {
    captures_.push_back(std::move(capture));
    return int(captures_.size() - 1);
}

Layer* LayerList::at(int number) const {
    return number >= 0 && std::size_t(number) < entries_.size() ? entries_[number].get() : nullptr;
}

CaptureLayer* LayerList::captureAt(int number) const {
    return number >= 0 && std::size_t(number) < captures_.size() ? captures_[number].get() : nullptr;
}

// Stable: neighbours swap only when the first has the greater order, so equal orders keep
// creation order. At most 50 entries, so the quadratic sort is bounded.
void LayerList::Route::sort() {
    for (int pass = 0; pass + 1 < count; ++pass)
        for (int i = 0; i + 1 < count - pass; ++i)
            if (layers[i].order > layers[i + 1].order) std::swap(layers[i], layers[i + 1]);
}

void LayerList::draw(const Route& route, float t, RenderContext& context) {
    for (int i = 0; i < route.count; ++i) {
        Layer& layer = *entries_[route.layers[i].position];
        float local = t - layer.start;
        layer.update(local);
        layer.render(local, context);
    }
}

void LayerList::render(float t, RenderContext& context) {
    Route screen, capture;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Layer* layer = entries_[i].get();
        if (!layer || !layer->visibleAt(t)) continue;
        if (screen.count < kMaxLayersPerRoute && layer->order <= kScreenOrderLimit)
            screen.take(int(i), layer->order);
        else if (capture.count < kMaxLayersPerRoute && layer->order > kScreenOrderLimit)
            capture.take(int(i), layer->order);
    }
    screen.sort();
    capture.sort();
    capturePass(t, capture, context);
    draw(screen, t, context);
}

namespace {

// Puts the screen's aspect ratio and the back buffer back after the capture pass, also when
// a layer throws, so that whatever draws next draws on the screen.
class CaptureRestore {
public:
    explicit CaptureRestore(RenderContext& context) : context_(context) {}
    ~CaptureRestore() {
        if (!captured) return;
        context_.aspectRatio = kScreenAspectRatio;
        context_.device.setRenderTarget(0, context_.backBuffer);
    }
    CaptureRestore(const CaptureRestore&) = delete;
    CaptureRestore& operator=(const CaptureRestore&) = delete;
    bool captured = false;

private:
    RenderContext& context_;
};

} // namespace

void LayerList::capturePass(float t, const Route& route, RenderContext& context) {
    CaptureRestore restore(context);
    for (const auto& capture : captures_) {
        if (!capture->visibleAt(t)) continue;
        TextureRecord& target = capture->target;
        // Setting the target gives a viewport covering all of it.
        context.device.setRenderTarget(0, target.surface);
        restore.captured = true;
        context.device.clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        context.aspectRatio = float(target.width) / float(target.height);
        draw(route, t, context);
    }
}

void LayerList::deleteAll() {
    for (auto& layer : entries_) layer.reset();
}

} // namespace zamp
