#include "show/Show.h"

#include "core/Error.h"
#include "core/ShowFiles.h"
#include "gfx/Device.h"

#include <algorithm>
#include <cstdio>

namespace zamp {

ScriptRenderStates::ScriptRenderStates() {
    set(State::FogStart, floatBits(0.0f));
    set(State::FogEnd, floatBits(1.0f));
}

std::size_t ScriptRenderStates::slot(State state) {
    const auto index = std::size_t(state);
    if (index >= kDeviceStates.size())
        throw Error("render state slot " + std::to_string(index) + " is not one a script sets");
    return index;
}

void ScriptRenderStates::set(State state, DWORD value) { values_[slot(state)] = value; }

DWORD ScriptRenderStates::get(State state) const { return values_[slot(state)]; }

void ScriptRenderStates::apply(Device& device) const {
    for (std::size_t i = 0; i < kDeviceStates.size(); ++i) device.setRenderState(kDeviceStates[i], values_[i]);
}

namespace {

std::string seconds(float t) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", double(t));
    return text;
}

} // namespace

std::vector<std::string> showFiles(const Show& show) {
    std::vector<std::string> files;
    auto add = [&files](const std::string& path) {
        if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
    };
    for (const std::string& path : show.scenes.files()) add(path);
    for (const std::string& path : show.textures.files()) add(path);
    if (show.music) add(showFilePath(show.music->path));
    return files;
}

std::vector<std::string> showFilesSought(const Show& show) {
    std::vector<std::string> files = showFiles(show);
    auto add = [&files](const std::string& path) {
        if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
    };
    for (const std::string& path : show.scenes.filesSought()) add(path);
    for (const std::string& path : show.textures.filesSought()) add(path);
    return files;
}

void checkFinishedShow(Show& show) {
    if (!(show.endTime > show.startTime))
        show.warnings.add("the end time (" + seconds(show.endTime) + ") is not above the start time (" +
                          seconds(show.startTime) + "), so the show ends at once; set it with endtime");
}

} // namespace zamp
