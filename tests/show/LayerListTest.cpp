// Routing, order and visibility of layers, checked with layers that record their draws.
#include "show/LayerList.h"
#include "show/RenderContext.h"
#include "show/TextureRegistry.h"
#include "support/RecordingDevice.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

struct Drawn {
    int id;
    float localTime;
    float aspect;
};

class ProbeLayer final : public Layer {
public:
    ProbeLayer(std::vector<Drawn>& log, int id) : log_(log), id_(id) {}
    void render(float lt, RenderContext& context) override { log_.push_back({id_, lt, context.aspectRatio}); }

private:
    std::vector<Drawn>& log_;
    int id_;
};

struct ListFixture : ::testing::Test {
    test::RecordingDevice device;
    RenderContext context{device, device.renderTarget(0)};
    LayerList list;
    std::vector<Drawn> drawn;

    int add(int order, float start, float end) {
        auto layer = std::make_unique<ProbeLayer>(drawn, int(list.size()));
        layer->start = start;
        layer->end = end;
        return list.add(std::move(layer), order);
    }
    std::vector<int> frame(float t) {
        drawn.clear();
        list.render(t, context);
        std::vector<int> ids;
        for (auto& d : drawn) ids.push_back(d.id);
        return ids;
    }
};

TEST_F(ListFixture, VisibleFromStartUpToButNotIncludingEnd) {
    add(0, 2, 4);
    add(0, 5, 5); // end not above start: never
    EXPECT_EQ(frame(1.99f), std::vector<int>{});
    EXPECT_EQ(frame(2), std::vector<int>{0});
    EXPECT_EQ(drawn[0].localTime, 0.0f);
    EXPECT_EQ(frame(3.5f), std::vector<int>{0});
    EXPECT_FLOAT_EQ(drawn[0].localTime, 1.5f);
    EXPECT_EQ(frame(4), std::vector<int>{});
    EXPECT_EQ(frame(5), std::vector<int>{});
}

TEST_F(ListFixture, LayersWithoutTimesAreNeverDrawn) {
    list.add(std::make_unique<ProbeLayer>(drawn, 0), 0);
    EXPECT_EQ(frame(0), std::vector<int>{});
    EXPECT_EQ(frame(1e9f), std::vector<int>{});
}

TEST_F(ListFixture, SortsStablyByOrderNegativesFirst) {
    // Equal orders keep creation order, however many share an order and wherever they
    // start; the whole sort takes at most as many passes as there are layers.
    struct Case {
        const char* name;
        std::vector<int> orders;    // of layers 0, 1, 2, ... in creation order
        std::vector<int> drawn;     // layer numbers in drawing order
    } cases[] = {
        {"mixed", {3, 1, 2, 2, -5, 10}, {4, 1, 2, 3, 0, 5}},
        {"three equal", {0, 0, 0}, {0, 1, 2}},
        {"five equal", {7, 7, 7, 7, 7}, {0, 1, 2, 3, 4}},
        {"three equal after a larger one", {5, 1, 1, 1}, {1, 2, 3, 0}},
        {"three equal before a smaller one", {2, 2, 2, -1}, {3, 0, 1, 2}},
        {"equal groups interleaved", {1, 0, 1, 0, 1, 0, 1}, {1, 3, 5, 0, 2, 4, 6}},
        {"descending", {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {"descending with repeats", {4, 4, 3, 3, 3, 2, 1, 1}, {6, 7, 5, 2, 3, 4, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list = LayerList();
        for (int order : c.orders) add(order, 0, 10);
        EXPECT_EQ(frame(1), c.drawn);
    }
}

TEST_F(ListFixture, CaptureOrdersAreNotDrawnWithoutACapture) {
    add(11, 0, 10);
    add(10, 0, 10);
    EXPECT_EQ(frame(1), std::vector<int>{1});
    EXPECT_TRUE(device.calls("SetRenderTarget").empty());
}

TEST_F(ListFixture, FiftyLayersPerRoutePerFrame) {
    for (int i = 0; i < 51; ++i) add(i == 50 ? -1 : 0, 0, 10); // the 51st would sort first
    std::vector<int> ids = frame(1);
    ASSERT_EQ(ids.size(), 50u);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 50), 0);
}

TEST_F(ListFixture, CapturePassDrawsEachCaptureThenTheScreen) {
    TextureRegistry textures;
    TextureRecord& wide = textures.createRenderTarget(device, "wide", 256, 128);
    TextureRecord& square = textures.createRenderTarget(device, "square", 64, 64);
    add(12, 0, 10);
    add(11, 0, 10);
    add(5, 0, 10);
    for (TextureRecord* target : {&wide, &square}) {
        auto c = std::make_unique<CaptureLayer>(*target);
        c->start = 0, c->end = 10;
        list.addCapture(std::move(c));
    }
    device.clearLog();
    EXPECT_EQ(frame(1), (std::vector<int>{1, 0, 1, 0, 2}));
    EXPECT_EQ(device.log, (std::vector<std::string>{"SetRenderTarget(0, 256x128)", "Clear(1, 0xff000000, 1.000000, 0)",
                                                    "SetRenderTarget(0, 64x64)", "Clear(1, 0xff000000, 1.000000, 0)",
                                                    "SetRenderTarget(0, backbuffer)"}));
    EXPECT_EQ(drawn[0].aspect, 2.0f);
    EXPECT_EQ(drawn[2].aspect, 1.0f);
    EXPECT_EQ(drawn[4].aspect, kScreenAspectRatio);
    EXPECT_EQ(context.aspectRatio, kScreenAspectRatio);
}

TEST_F(ListFixture, VisibleCaptureClearsEvenWithNothingToDraw) {
    TextureRegistry textures;
    auto c = std::make_unique<CaptureLayer>(textures.createRenderTarget(device, "rt", 32, 32));
    c->start = 2, c->end = 7;
    list.addCapture(std::move(c));
    device.clearLog();
    frame(1.9f);
    EXPECT_TRUE(device.log.empty());
    frame(6.99f);
    EXPECT_EQ(device.calls("Clear").size(), 1u);
}

TEST_F(ListFixture, DeleteAllEmptiesThePositions) {
    int n = add(0, 0, 10);
    list.deleteAll();
    EXPECT_EQ(list.at(n), nullptr);
    EXPECT_EQ(frame(1), std::vector<int>{});
}

} // namespace
} // namespace zamp
