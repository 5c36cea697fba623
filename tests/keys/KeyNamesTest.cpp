// Device key names: the base table, the German table in full, the other languages'
// own names and the mouse buttons named by the language pack.

#include "keys/MacVkAndText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using zel::MacVkAndText;

// A language pack whose device and macro names are "entry<n>", except the ones removed.
class FakeDevMacNames : public zel::DevMacNames {
public:
    std::string devMacName(int entry) const override {
        requested.push_back(entry);
        return missing.count(entry) ? std::string{} : "entry" + std::to_string(entry);
    }
    mutable std::vector<int> requested;
    std::map<int, bool> missing;
};

std::string nameOf(const MacVkAndText& tables, int language, int code) {
    return tables.deviceCodeName(language, static_cast<std::uint8_t>(code));
}

std::map<int, std::string> expectedBaseNames() {
    std::map<int, std::string> names;
    for (int code = 4; code <= 29; ++code) {
        names[code] = std::string(1, static_cast<char>(code + 61));
    }
    const std::vector<std::string> digits = {"1!", "2@", "3#", "4$", "5%",
                                             "6^", "7&", "8*", "9(", "0)"};
    for (int i = 0; i < 10; ++i) {
        names[30 + i] = digits[static_cast<std::size_t>(i)];
    }
    const std::vector<std::pair<int, std::string>> singles = {
        {40, "KeyPad Enter"},
        {41, "ESCAPE"},
        {42, "BackSpace"},
        {43, "TAB"},
        {44, "Space"},
        {45, "_-"},
        {46, "=+"},
        {47, "[{"},
        {48, "]}"},
        {49, "|"},
        {51, ";:"},
        {52, "'"},
        {53, "~"},
        {54, "<"},
        {55, ">"},
        {56, "/?"},
        {57, "CAPS"},
        {70, "PrintSc"},
        {71, "Scroll"},
        {72, "Pause"},
        {73, "Insert"},
        {74, "Home"},
        {75, "Page Up"},
        {76, "Delete"},
        {77, "End"},
        {78, "Page Down"},
        {79, "→"},
        {80, "←"},
        {81, "↓"},
        {82, "↑"},
        {83, "NumLock"},
        {84, "KeyPad /"},
        {85, "KeyPad *"},
        {86, "KeyPad -"},
        {87, "KeyPad +"},
        {98, "KeyPad 0"},
        {99, "KeyPad ."},
        {101, "App"},
        {116, "EXECUTE"},
        {117, "HELP"},
        {118, "MENU"},
        {119, "SELECT"},
        {156, "CLEAR"},
        {159, "SEPARATOR"},
        {224, "L-Ctrl"},
        {225, "L-Shift"},
        {226, "L-Alt"},
        {227, "L-Win"},
        {228, "R-Ctrl"},
        {229, "R-Shift"},
        {230, "R-Alt"},
        {231, "RWIN"},
        {240, "NILL"},
    };
    for (const auto& [code, name] : singles) {
        names[code] = name;
    }
    for (int i = 1; i <= 12; ++i) {
        names[57 + i] = "F" + std::to_string(i);
        names[103 + i] = "F" + std::to_string(12 + i);
    }
    for (int i = 1; i <= 9; ++i) {
        names[88 + i] = "KeyPad " + std::to_string(i);
    }
    return names;
}

TEST(KeyNames, BaseTableOfTheFirstTwoLanguages) {
    const MacVkAndText tables;
    const std::map<int, std::string> expected = expectedBaseNames();
    for (int language : {0, 1}) {
        for (int code = 0; code < 256; ++code) {
            if (code >= 241 && code <= 243) {
                continue; // mouse buttons, below
            }
            SCOPED_TRACE(code);
            const auto it = expected.find(code);
            EXPECT_EQ(nameOf(tables, language, code), it != expected.end() ? it->second : "NULL");
        }
    }
    EXPECT_EQ(nameOf(tables, 1, 4), "A");
    EXPECT_EQ(nameOf(tables, 0, 50), "NULL");
    EXPECT_EQ(nameOf(tables, 0, 49), "|");
}

TEST(KeyNames, GermanTableInFull) {
    const MacVkAndText tables;
    std::map<int, std::string> expected = expectedBaseNames();
    const std::vector<std::pair<int, std::string>> german = {
        {28, "Z"},
        {29, "Y"},
        {31, "2"},
        {32, "3§"},
        {35, "6&"},
        {36, "7/"},
        {37, "8("},
        {38, "9)"},
        {39, "0="},
        {40, "Ziff.-Block Enter"},
        {41, "Esc"},
        {42, "Backspace"},
        {44, "Leerzeichen"},
        {45, "?ß"},
        {46, "\x60\xC2\xB4"}, // grave accent, acute accent
        {47, "Ü"},
        {48, "+*"},
        {49, "#"},
        {51, "Ö"},
        {52, "Ä"},
        {53, "°^"},
        {54, ";"},
        {55, ".:"},
        {56, "-"},
        {57, "Umschalttaste"},
        {70, "Druck"},
        {71, "Scrollen"},
        {73, "Einfügen"},
        {74, "Pos1"},
        {75, "Seite Oben"},
        {76, "Entf"},
        {77, "Ende"},
        {78, "Seite Unten"},
        {83, "Zahlensperre"},
        {84, "Ziff.-Block /"},
        {85, "Ziff.-Block *"},
        {86, "Ziff.-Block -"},
        {87, "Ziff.-Block +"},
        {98, "Ziff.-Block 0"},
        {99, "Ziff.-Block ."},
        {101, "APP"},
        {224, "G-STRG"},
        {226, "ALT"},
        {227, "WIN"},
        {228, "D-CTRL"},
        {230, "AltGr"},
        {231, "NULL"},
    };
    for (const auto& [code, name] : german) {
        expected[code] = name;
    }
    for (int i = 1; i <= 9; ++i) {
        expected[88 + i] = "Ziff.-Block " + std::to_string(i);
    }
    for (int code = 0; code < 241; ++code) {
        SCOPED_TRACE(code);
        const auto it = expected.find(code);
        EXPECT_EQ(nameOf(tables, 4, code), it != expected.end() ? it->second : "NULL");
    }
}

TEST(KeyNames, MouseButtonsComeFromTheLanguagePackAtEachCall) {
    FakeDevMacNames pack;
    const MacVkAndText tables(&pack);
    for (int language : {0, 4, 26}) {
        EXPECT_EQ(nameOf(tables, language, 241), "entry20"); // left
        EXPECT_EQ(nameOf(tables, language, 242), "entry21"); // middle
        EXPECT_EQ(nameOf(tables, language, 243), "entry22"); // right
    }
    pack.missing[22] = true;
    EXPECT_EQ(nameOf(tables, 1, 243), "");
    EXPECT_EQ(nameOf(tables, 1, 244), "NULL"); // a step kind, not a button
    EXPECT_EQ(pack.requested.back(), 22);
}

TEST(KeyNames, MouseButtonsWithoutALanguagePackAreEmpty) {
    MacVkAndText tables;
    EXPECT_EQ(nameOf(tables, 1, 241), "");
    EXPECT_EQ(nameOf(tables, 1, 243), "");
    FakeDevMacNames pack;
    tables.setNames(&pack);
    EXPECT_EQ(nameOf(tables, 1, 242), "entry21");
    tables.setNames(nullptr);
    EXPECT_EQ(nameOf(tables, 1, 242), "");
}

TEST(KeyNames, IndicesWithoutTablesUseTheBaseNames) {
    FakeDevMacNames pack;
    const MacVkAndText tables(&pack);
    for (int language : {25, 27, 30, 255, -1, -1000}) {
        SCOPED_TRACE(language);
        for (int code = 0; code < 256; ++code) {
            EXPECT_EQ(nameOf(tables, language, code), nameOf(tables, 0, code));
        }
    }
}

} // namespace
