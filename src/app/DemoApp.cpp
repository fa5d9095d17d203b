#include "app/DemoApp.h"

#include "app/Interrupt.h"
#include "core/DisplayText.h"
#include "core/ShowFiles.h"
#include "platform/Platform.h"
#include "script/ScriptHost.h"
#include "show/Frame.h"
#include "show/ModelImport.h"
#include "show/RenderContext.h"
#include "show/Show.h"

#include <iostream>

namespace zamp {

DemoApp::DemoApp() = default;

DemoApp::~DemoApp() {
    // The script's context refers to the show.
    script.reset();
}

void DemoApp::createWindow(const WindowOptions& options) {
    window = openWindow(options);
    attachDevice(window->device());
}

void DemoApp::attachDevice(Device& d) {
    device = &d;
    backBuffer = d.renderTarget(0);
    if (!imageFiles) imageFiles = openImageFiles();
}

ScriptRun DemoApp::loadShow(const std::string& scriptPath, bool keepTime) {
    auto fresh = std::make_unique<Show>();
    fresh->warnings.listener = [this](const std::string& text) { warn(text); };
    auto host =
        std::make_unique<ScriptHost>(ScriptContext{*fresh, *device, *imageFiles, &Interrupt::requested(), models.get(), scriptRules});
    ScriptRun status = ScriptRun::Finished;
    try {
        status = host->runFile(showFilePath(scriptPath));
    } catch (...) {
        filesOfFailedLoad = host->chunkFiles();
        for (std::string& file : showFilesSought(*fresh)) filesOfFailedLoad.push_back(std::move(file));
        throw;
    }
    filesOfFailedLoad.clear();
    if (status == ScriptRun::FileMissing) return status;
    checkFinishedShow(*fresh);
    script.reset();
    show = std::move(fresh);
    script = std::move(host);
    show->renderStates.apply(*device);
    if (!keepTime) demoTime = show->startTime;
    return status;
}

void DemoApp::warn(const std::string& text) {
    std::cerr << "warning: " << displayText(text) << '\n';
    std::cerr.flush();
}

void DemoApp::renderFrame() {
    drawShow();
    device->present();
}

void DemoApp::drawShow() {
    RenderContext context{*device, backBuffer, kScreenAspectRatio, cullMeshes, &meshCounts};
    if (show) {
        composeFrame(*show, demoTime, context);
    } else {
        device->clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    }
}

} // namespace zamp
