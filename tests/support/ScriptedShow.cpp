#include "support/ScriptedShow.h"

#include "core/Error.h"
#include "platform/Platform.h"

#include <lua.hpp>

namespace zamp::test {

ScriptedShow::ScriptedShow(Device& d)
    : device(d), imageFiles(openImageFiles()),
      script(std::make_unique<ScriptHost>(ScriptContext{show, device, *imageFiles})) {}

ScriptedShow::~ScriptedShow() { script.reset(); }

ScriptRun ScriptedShow::run(const std::string& source) {
    const ScriptRun status = script->runString(source);
    show.renderStates.apply(device);
    return status;
}

std::string ScriptedShow::failure(const std::string& source) {
    try {
        run(source);
    } catch (const Error& e) {
        return e.message();
    }
    return "(no failure)";
}

double ScriptedShow::global(const char* name) {
    lua_State* L = script->state();
    lua_getglobal(L, name);
    const double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
}

} // namespace zamp::test
