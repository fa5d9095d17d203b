#include "script/ScriptFunctions.h"
#include "script/ScriptHost.h"

#include <iterator>

namespace zamp {

namespace {

// Registered as globals in this order.
const ScriptFunctionEntry kFunctions[] = {
    {"loadmusic", script::loadmusic},
    {"loadsiv", script::loadsiv},
    {"loadimage", script::loadimage},
    {"createtexture", script::createtexture},
    {"setambientcolor", script::setambientcolor},
    {"setimagepos", script::setimagepos},
    {"setimagerot", script::setimagerot},
    {"setimagescale", script::setimagescale},
    {"setimagecolor", script::setimagecolor},
    {"starttime", script::starttime},
    {"endtime", script::endtime},
    {"layer", script::layer},
    {"start", script::start},
    {"stop", script::stop},
    {"capture", script::capture},
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
