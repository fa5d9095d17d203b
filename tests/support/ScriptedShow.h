// Shows built in tests by running script snippets, the way the player builds them.
#pragma once

#include "platform/ImageFiles.h"
#include "script/ScriptHost.h"
#include "support/ShowSupport.h"

#include <memory>
#include <string>

namespace zamp::test {

// A show built by running script snippets into it, one after the other on one Lua state.
// After each run the show's render states go to the device, as when the player starts a show.
class ScriptedShow {
public:
    explicit ScriptedShow(Device& device);
    ~ScriptedShow();

    // ScriptHost::runString's result; a script function's failure is thrown.
    ScriptRun run(const std::string& source);
    // The message of the failure that running `source` ends with (without the line that
    // says where), or "(no failure)".
    std::string failure(const std::string& source);
    void drawFrame(float t) { test::drawFrame(show, device, t); }
    // The number a global of the script holds.
    double global(const char* name);

    Device& device;
    std::unique_ptr<ImageFiles> imageFiles;
    Show show;
    std::unique_ptr<ScriptHost> script;
};

} // namespace zamp::test
