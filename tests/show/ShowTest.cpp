// What a show keeps besides its layers: the script's render states and its warnings.
#include "core/Error.h"
#include "show/Show.h"
#include "support/RecordingDevice.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

TEST(ShowRenderStates, AFreshShowPutsTheDeviceBackToNoFogAndNoAmbientLight) {
    test::RecordingDevice device;
    Show foggy;
    foggy.renderStates.set(ScriptRenderStates::State::FogEnable, 1);
    foggy.renderStates.set(ScriptRenderStates::State::FogEnd, floatBits(500));
    foggy.renderStates.set(ScriptRenderStates::State::Ambient, 0x00102030);
    foggy.renderStates.apply(device);
    EXPECT_EQ(device.renderState(D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(device.renderState(D3DRS_AMBIENT), 0x00102030u);

    // A show built again without fog must not inherit the last one's.
    Show plain;
    plain.renderStates.apply(device);
    const DeviceState fresh;
    for (D3DRENDERSTATETYPE state : ScriptRenderStates::kDeviceStates)
        EXPECT_EQ(device.renderState(state), state == D3DRS_AMBIENT ? 0u : fresh.renderState(state)) << state;
}

TEST(ShowRenderStates, EachStateKeepsItsOwnSlotAndNoneOutsideTheListIsAccepted) {
    ScriptRenderStates states;
    for (std::size_t i = 0; i < ScriptRenderStates::kDeviceStates.size(); ++i)
        states.set(ScriptRenderStates::State(i), DWORD(100 + i));
    test::RecordingDevice device;
    states.apply(device);
    for (std::size_t i = 0; i < ScriptRenderStates::kDeviceStates.size(); ++i)
        EXPECT_EQ(device.renderState(ScriptRenderStates::kDeviceStates[i]), 100 + i) << i;
    EXPECT_THROW(states.set(ScriptRenderStates::State::Count, 1), Error);
    EXPECT_THROW(states.get(ScriptRenderStates::State(250)), Error);
}

TEST(ShowWarnings, EachTextOnceInOrderAndEachNewOneHeardAtOnce) {
    Show show;
    std::vector<std::string> heard;
    show.warnings.listener = [&](const std::string& text) { heard.push_back(text); };
    show.warnings.add("b");
    show.warnings.add("a");
    show.warnings.add("b");
    EXPECT_EQ(show.warnings.all(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(heard, show.warnings.all());
}

TEST(ShowWarnings, AShowThatEndsBeforeItBeginsIsNamed) {
    struct Case {
        float start, end;
        bool warned;
    } cases[] = {{0, 0, true}, {5, 4, true}, {2.5f, 2.5f, true}, {0, 0.01f, false}, {-3, 60, false}};
    for (const Case& c : cases) {
        Show show;
        show.startTime = c.start;
        show.endTime = c.end;
        checkFinishedShow(show);
        EXPECT_EQ(show.warnings.all().size(), c.warned ? 1u : 0u) << c.start << " " << c.end;
    }
    Show show;
    show.startTime = 5;
    show.endTime = 4.5f;
    checkFinishedShow(show);
    EXPECT_EQ(show.warnings.all().at(0),
              "the end time (4.5 s) is not above the start time (5 s), so the show ends at once; set it with endtime");
}

} // namespace
} // namespace zamp
