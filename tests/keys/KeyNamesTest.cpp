// Device key names: the base table, the German table in full, the other languages'
// own names and the mouse buttons named by the language pack.

#include "keys/MacVkAndText.h"

#include "keys/KeyTables.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
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

// The codes each language names on its own, and samples of those names, as the
// keyboards' reference lists give them.
struct OwnNames {
    int language;
    std::string_view codes;
    std::vector<std::pair<int, std::string>> samples;
};

const std::vector<OwnNames> kOwnNames = {
    {2,
     "4, 16, 20, 26, 29 .. 45, 47 .. 57, 70 .. 73, 75 .. 78, 83 .. 87, 89 .. 99, 101, 224, "
     "226 .. 228, 230",
     {{4, "Q"}, {20, "A"}, {44, "Espace"}, {57, "MAJ"}, {230, "Alt Gr"}}},
    {3,
     "4, 16, 20, 26, 29 .. 43, 45 .. 49, 51 .. 56, 71 .. 73, 75, 77, 78, 84 .. 87, 89 .. 99, 101, "
     "224, 226 .. 228, 230, 231",
     {{42, "Terug"}, {231, "Fn"}}},
    {4,
     "28, 29, 31, 32, 35 .. 42, 44 .. 49, 51 .. 57, 70, 71, 73 .. 78, 83 .. 87, 89 .. 99, 101, "
     "224, 226 .. 228, 230, 231",
     {{28, "Z"}, {29, "Y"}, {44, "Leerzeichen"}, {224, "G-STRG"}, {231, "NULL"}}},
    {5,
     "31, 32, 35 .. 42, 44 .. 49, 51 .. 57, 70 .. 79, 81, 83 .. 87, 89 .. 99, 101, 224 .. 231",
     {{51, "Ñ"}, {225, "L-Mayúscula"}}},
    {6,
     "31, 32, 35 .. 42, 44 .. 49, 51 .. 57, 70 .. 73, 75 .. 78, 83 .. 87, 89 .. 99, 101, 224 .. "
     "231",
     {{57, "BLOC MAIUSC"}}},
    {7,
     "4 .. 29, 31 .. 33, 35, 36, 40, 47 .. 49, 51 .. 55, 84 .. 87, 89 .. 99",
     {{4, "Ф"}, {32, "3№"}}},
    {8, "31 .. 33, 35 .. 39, 45 .. 51, 53 .. 56", {{47, "Ğğ"}}},
    {9, "31, 35 .. 38, 40 .. 49, 51 .. 57, 71 .. 78, 83 .. 87, 89 .. 99, 228", {{44, "Espaço"}}},
    {10, "4 .. 41, 45 .. 48, 53, 70, 72, 73, 75 .. 78, 83 .. 87, 89 .. 99", {{4, "ฟฤ"}}},
    {11, "42, 71, 72", {{71, "스크롤"}}},
    {12, "40, 41, 43, 57, 84 .. 87, 89 .. 99", {{41, "Esc"}}},
    {13, "4 .. 38, 40, 42, 43, 47, 48, 51 .. 57, 84 .. 87, 89 .. 99, 226, 230", {{4, "ش"}}},
    {14, "41, 43, 57", {{43, "Tab"}, {57, "Caps"}}},
    {15, "28 .. 39, 45 .. 49, 51 .. 56", {{31, "2Ě"}}},
    {16, "39, 41, 43, 45 .. 49, 51 .. 56", {{47, "Åå"}}},
    {17, "41, 43", {{41, "Esc"}}},
    {18, "", {}},
    {19, "", {}},
    {20, "", {}},
    {21, "31, 33, 35 .. 41, 43, 45 .. 49, 51 .. 53, 56, 57, 84 .. 87, 89 .. 97", {{51, "æÆ"}}},
    {22, "30 .. 39, 41, 45 .. 48, 51 .. 57", {{32, "3š"}}},
    {23, "4 .. 29, 38, 40, 45, 47 .. 49, 51 .. 55, 84 .. 87, 89 .. 99", {{4, "ش"}}},
    {24,
     "4 .. 29, 31 .. 33, 35, 36, 40, 47 .. 49, 51 .. 56, 84 .. 87, 89 .. 99",
     {{22, "І"}, {53, "₴"}}},
    {26,
     "30 .. 33, 35 .. 39, 45 .. 49, 51 .. 56, 100, 240",
     {{39, "ö"}, {100, "í"}, {240, "NULL"}}},
};

// Parses "4, 16, 29 .. 45" into the set of codes.
std::set<int> parseCodes(std::string_view text) {
    std::set<int> codes;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string item(text.substr(0, comma));
        const std::size_t dots = item.find("..");
        const int first = std::stoi(item.substr(0, dots));
        const int last = dots == std::string::npos ? first : std::stoi(item.substr(dots + 2));
        for (int code = first; code <= last; ++code) {
            codes.insert(code);
        }
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    return codes;
}

// Well-formed UTF-8 without control characters.
bool isCleanUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 1;
        if (lead < 0x20 || lead == 0x7F) {
            return false;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC2) {
            length = 2;
        } else if (lead >= 0x80) {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > text.size()) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) !=
                0x80) {
                return false;
            }
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

TEST(KeyNames, EachLanguageNamesExactlyItsOwnCodes) {
    for (const OwnNames& entry : kOwnNames) {
        SCOPED_TRACE(entry.language);
        std::set<int> named;
        for (const zel::keys::KeyName& name : zel::keys::languageKeys(entry.language).names) {
            EXPECT_TRUE(named.insert(name.code).second) << "code " << int(name.code) << " twice";
        }
        EXPECT_EQ(named, entry.codes.empty() ? std::set<int>{} : parseCodes(entry.codes));
    }
}

TEST(KeyNames, OwnNamesReplaceTheBaseAndEverythingElseKeepsIt) {
    FakeDevMacNames pack;
    const MacVkAndText tables(&pack);
    for (const OwnNames& entry : kOwnNames) {
        SCOPED_TRACE(entry.language);
        const std::set<int> own = entry.codes.empty() ? std::set<int>{} : parseCodes(entry.codes);
        for (int code = 0; code < 256; ++code) {
            SCOPED_TRACE(code);
            const std::string name = nameOf(tables, entry.language, code);
            if (own.count(code)) {
                EXPECT_NE(name, nameOf(tables, 0, code)); // translated, not a copy
                EXPECT_FALSE(name.empty());
                EXPECT_TRUE(isCleanUtf8(name)) << name;
            } else {
                EXPECT_EQ(name, nameOf(tables, 0, code));
            }
        }
        for (const auto& [code, name] : entry.samples) {
            EXPECT_EQ(nameOf(tables, entry.language, code), name) << "code " << code;
        }
    }
}

TEST(KeyNames, EveryIndexAndCodeIsSafe) {
    FakeDevMacNames pack;
    const MacVkAndText tables(&pack);
    std::vector<int> languages;
    for (int language = -3; language <= 30; ++language) {
        languages.push_back(language);
    }
    languages.insert(languages.end(), {-1000, 1000, 2147483647, -2147483647 - 1});
    for (int language : languages) {
        for (int code = 0; code < 256; ++code) {
            const auto byte = static_cast<std::uint8_t>(code);
            static_cast<void>(tables.vkToDeviceCode(language, byte));
            static_cast<void>(tables.deviceCodeToVk(language, byte));
            EXPECT_TRUE(isCleanUtf8(tables.deviceCodeName(language, byte)));
        }
    }
}

} // namespace
