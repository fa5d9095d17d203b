#include "app/PageOptions.h"
#include "core/Error.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

TEST(PageOptions, TakesTheFrozenTimeAndTheSize) {
    PageOptions none = parsePageOptions({});
    EXPECT_FALSE(none.at.has_value());
    EXPECT_EQ(none.width, 0);

    PageOptions o = parsePageOptions({"--size", "1024x768", "--at", "12.5"});
    EXPECT_EQ(o.at.value(), 12.5);
    EXPECT_EQ(o.width, 1024);
    EXPECT_EQ(o.height, 768);
}

TEST(PageOptions, RefusesWhatThePageCannotMean) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    for (const Case& c : std::vector<Case>{{{"--at"}, "page option --at needs a value"},
                                           {{"--at", "soon"}, "at needs a number, not 'soon'"},
                                           {{"--at", "inf"}, "at needs a number, not 'inf'"},
                                           {{"--size", "4:3"}, "--size needs WIDTHxHEIGHT in whole pixels"},
                                           {{"--render", "x"}, "unknown page option --render"}}) {
        try {
            parsePageOptions(c.args);
            ADD_FAILURE() << "accepted " << c.args[0];
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace zamp
