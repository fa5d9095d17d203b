#include "script/ScriptFunctions.h"
#include "script/ScriptHost.h"

#include <iterator>

namespace zamp {

namespace {

// Registered as globals in this order.
const ScriptFunctionEntry kFunctions[] = {
    {"loadmusic", script::loadmusic},
    {"setambientcolor", script::setambientcolor},
    {"starttime", script::starttime},
    {"endtime", script::endtime},
    {"random", script::random},
    {"enablefog", script::enablefog},
    {"disablefog", script::disablefog},
    {"setfogcolor", script::setfogcolor},
    {"setfogrange", script::setfogrange},
};

} // namespace

const ScriptFunctionEntry* scriptFunctions(std::size_t& count) {
    count = std::size(kFunctions);
    return kFunctions;
}

} // namespace zamp
