#include <gtest/gtest.h>

#include <vector>

#include "common/Cp1251.h"

namespace {

TEST(Cp1251, CyrillicAndSignsMapToTheirCodePageBytes) {
    EXPECT_EQ(sb::ToCp1251("АЯая"), std::string("\xC0\xDF\xE0\xFF"));
    EXPECT_EQ(sb::ToCp1251("Ёё№"), std::string("\xA8\xB8\xB9"));
    EXPECT_EQ(sb::ToCp1251("Прием(3,OK): "), std::string("\xCF\xF0\xE8\xE5\xEC(3,OK): "));
    EXPECT_EQ(sb::ToCp1251("€"), std::string("\x88"));
}

TEST(Cp1251, UnmappableAndBrokenInputBecomeQuestionMarks) {
    EXPECT_EQ(sb::ToCp1251("a\xE2\x82"), "a??");  // cut-off three-byte sequence
    EXPECT_EQ(sb::ToCp1251("\xFF"), "?");         // not UTF-8 at all
    EXPECT_EQ(sb::ToCp1251("日"), "?");           // no such character in the code page
    EXPECT_EQ(sb::ToCp1251("\xD0"), "?");         // lead byte at the very end
    // A text that is not zero-terminated: a sequence cut off at its end is not completed from memory beyond.
    const char beyond[] = "\xD0\x90\xE2\x82\xAC";
    EXPECT_EQ(sb::ToCp1251(std::string_view(beyond, 1)), "?");
    EXPECT_EQ(sb::ToCp1251(std::string_view(beyond + 2, 2)), "??");
    const std::vector<char> exact{'a', '\xE2', '\x82'};  // nothing after it to read: the sanitizer would say so
    EXPECT_EQ(sb::ToCp1251(std::string_view(exact.data(), exact.size())), "a??");
}

TEST(Cp1251, RoundTripsEveryDefinedByte) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte != 0x98) all += static_cast<char>(byte);
    }
    EXPECT_EQ(sb::ToCp1251(sb::ToUtf8(all)), all);
    EXPECT_EQ(sb::ToUtf8("\x98"), "\xEF\xBF\xBD");
}

}  // namespace
