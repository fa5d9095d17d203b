#include "app/PageOptions.h"

#include "app/CommandLine.h"
#include "core/Error.h"

namespace zamp {

PageOptions parsePageOptions(const std::vector<std::string>& args) {
    PageOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "--at" && a != "--size") throw Error("unknown page option " + a);
        if (i + 1 >= args.size()) throw Error("page option " + a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--at") {
            options.at = parseNumber("at", value);
        } else {
            parseSize(value, options.width, options.height);
        }
    }
    return options;
}

} // namespace zamp
