// Messages shown to users are always UTF-8: the SIV files' Windows-1252 names are converted,
// text that already is UTF-8 passes unchanged.
#include "core/DisplayText.h"
#include "core/Error.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

TEST(DisplayText, KeepsUtf8AndConvertsWindows1252) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"plain ascii", "plain ascii"},
        {"scene.siv kan ikke \xE5pnes.", "scene.siv kan ikke \xC3\xA5pnes."},      // cp1252 a-ring
        {"scene.siv kan ikke \xC3\xA5pnes.", "scene.siv kan ikke \xC3\xA5pnes."},  // already UTF-8
        {"\x80 \x9F \xFF", "\xE2\x82\xAC \xC5\xB8 \xC3\xBF"},                     // euro, Y-diaeresis, y-diaeresis
        {"\x81", "\xEF\xBF\xBD"},                                                 // undefined in cp1252
        {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},                                     // a cut sequence is cp1252
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                         // overlong: not UTF-8
        {"\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},                         // overlong in three bytes
        {"\xF0\x82\x82\xAC", "\xC3\xB0\xE2\x80\x9A\xE2\x80\x9A\xC2\xAC"},         // overlong in four bytes
        {"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},     // beyond U+10FFFF
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                         // a surrogate: not UTF-8
        {"\xF0\x9F\x8E\xB5 music", "\xF0\x9F\x8E\xB5 music"},                     // four bytes
    };
    for (const Case& c : cases) EXPECT_EQ(displayText(c.in), c.out) << c.in;
}

TEST(DisplayText, ZeroBytesInANameAreSpelledOutSoTheMessageIsSeenWhole) {
    EXPECT_EQ(visibleZeros(std::string("a\0b\0", 4)), "a\\0b\\0");
    EXPECT_EQ(visibleZeros("plain.png"), "plain.png");
    EXPECT_EQ(std::string(Error("x " + visibleZeros(std::string("p\0q", 3))).what()), "x p\\0q");
}

TEST(Error, CarriesItsMessageAsAStandardException) {
    try {
        throw Error("Ugyldig kamera valgt!");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Ugyldig kamera valgt!");
    }
}

} // namespace
} // namespace zamp
