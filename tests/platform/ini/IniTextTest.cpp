#include "platform/ini/IniText.h"

#include <gtest/gtest.h>

using namespace zel::ini;

TEST(LeadingInt, FollowsTheLeadingDigitsRule) {
    EXPECT_EQ(leadingInt("7abc"), 7);
    EXPECT_EQ(leadingInt("abc"), 0);
    EXPECT_EQ(leadingInt(""), 0);
    EXPECT_EQ(leadingInt("  -12x"), -12);
    EXPECT_EQ(leadingInt("\t+33,Ctrl"), 33);
    EXPECT_EQ(leadingInt("- 5"), 0);
    EXPECT_EQ(leadingInt("258"), 258);
    EXPECT_EQ(leadingInt("4294967295"), -1); // wraps like a 32-bit parse, no overflow trap
    EXPECT_EQ(leadingInt("99999999999999999999"), leadingInt("99999999999999999999"));
}

TEST(CutToCharacters, CutsOnCharacterBoundaries) {
    EXPECT_EQ(cutToCharacters("12345", 4), "1234");
    EXPECT_EQ(cutToCharacters("abc", 10), "abc");
    EXPECT_EQ(cutToCharacters("游戏鼠标", 2), "游戏");
    EXPECT_EQ(characterCount("游戏鼠标"), 4u);
    // A malformed byte counts as one character and is never split further.
    EXPECT_EQ(cutToCharacters("\xE6\xB8zz", 2), "\xE6\xB8");
    EXPECT_EQ(cutToCharacters("abc", 0), "");
}

TEST(EqualsIgnoreCase, ComparesAsciiLetters) {
    EXPECT_TRUE(equalsIgnoreCase("ShareData", "SHAREDATA"));
    EXPECT_FALSE(equalsIgnoreCase("Config0", "Config1"));
    EXPECT_FALSE(equalsIgnoreCase("a", "ab"));
}
