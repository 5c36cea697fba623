// The virtual-key <-> device code tables, checked over every byte and every language.

#include "keys/MacVkAndText.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using zel::MacVkAndText;

using CodeMap = std::map<int, int>;

// Parses "65→20, 77→51" into {65: 20, 77: 51}.
CodeMap parsePairs(std::string_view text) {
    CodeMap pairs;
    const std::string_view arrow = "→";
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (!item.empty() && item.front() == ' ') {
            item.remove_prefix(1);
        }
        const std::size_t at = item.find(arrow);
        pairs[std::stoi(std::string(item.substr(0, at)))] =
            std::stoi(std::string(item.substr(at + arrow.size())));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    return pairs;
}

// The base forward table, written out from the keyboard's layout independently of the
// library's own formulas.
std::array<int, 256> expectedBaseForward() {
    std::array<int, 256> table{};
    for (int vk = 0; vk < 256; ++vk) {
        table[vk] = vk;
    }
    for (int i = 0; i < 26; ++i) {
        table['A' + i] = 4 + i;
    }
    for (int i = 0; i < 9; ++i) {
        table['1' + i] = 30 + i;
        table[97 + i] = 89 + i;
    }
    table['0'] = 39;
    table[96] = 98;
    for (int i = 0; i < 12; ++i) {
        table[112 + i] = 58 + i;
        table[124 + i] = 104 + i;
    }
    const CodeMap singles = parsePairs(
        "8→42, 9→43, 12→156, 13→40, 19→72, 20→57, 27→41, 32→44, 33→75, 34→78, 35→77, 36→74, "
        "37→80, 38→82, 39→79, 40→81, 41→119, 43→116, 44→70, 45→73, 46→76, 47→117, 91→227, "
        "92→231, 93→101, 106→85, 107→87, 108→159, 109→86, 110→99, 111→84, 144→83, 145→71, "
        "160→225, 161→229, 162→224, 163→228, 164→226, 165→230, 186→51, 187→46, 188→54, "
        "189→45, 190→55, 191→56, 192→53, 219→47, 220→49, 221→48, 222→52, 240→241, 241→243, "
        "242→242");
    for (const auto& [vk, code] : singles) {
        table[vk] = code;
    }
    return table;
}

std::array<int, 256> expectedBaseReverse() {
    std::array<int, 256> table{};
    for (int code = 0; code < 256; ++code) {
        table[code] = code;
    }
    const std::array<int, 256> forward = expectedBaseForward();
    for (int vk = 0; vk < 256; ++vk) {
        if (forward[vk] != vk) {
            table[forward[vk]] = vk;
        }
    }
    table[240] = 0; // no key: must not read back as the left button's pseudo key 240
    return table;
}

struct LanguageDifferences {
    int language;
    std::string_view forward;
    std::string_view reverse;
};

constexpr std::string_view kSouthernForward =
    "186→47, 187→48, 189→56, 191→49, 192→51, 219→45, 220→53, 221→46";
constexpr std::string_view kSouthernReverse =
    "45→219, 46→221, 47→186, 48→187, 49→191, 51→192, 53→220, 56→189";
constexpr std::string_view kNordicForward =
    "186→48, 187→45, 189→56, 191→49, 192→51, 219→46, 220→53, 221→47";
constexpr std::string_view kNordicReverse =
    "45→187, 46→219, 47→221, 48→186, 49→191, 51→192, 53→220, 56→189";

// Every language's differences from the base; languages missing here (0, 1, 10 .. 14, 17,
// 19, 23, 24) use the base tables unchanged.
const std::vector<LanguageDifferences> kDifferences = {
    {2,
     "65→20, 77→51, 81→4, 87→29, 90→26, 186→48, 188→16, 190→54, 191→55, 192→52, 219→45, "
     "220→50, 221→47, 222→53, 223→56",
     "4→81, 16→188, 20→65, 26→90, 29→87, 45→219, 47→221, 48→186, 50→220, 51→77, 52→192, "
     "53→222, 54→190, 55→191, 56→223, 230→162"},
    {3,
     "65→20, 77→51, 81→4, 87→29, 90→26, 186→48, 187→56, 188→16, 189→46, 190→54, 191→55, "
     "192→52, 219→45, 221→47, 222→53",
     "4→81, 16→188, 20→65, 26→90, 29→87, 45→219, 46→189, 47→221, 48→186, 51→77, 52→192, "
     "53→222, 54→190, 55→191, 56→187"},
    {4, "89→29, 90→28, 186→47, 187→48, 189→56, 191→49, 192→51, 219→45, 220→53, 221→46",
     "28→90, 29→89, 45→219, 46→221, 47→186, 48→187, 49→191, 51→192, 53→220, 56→189"},
    {5, kSouthernForward, kSouthernReverse},
    {6, kSouthernForward, kSouthernReverse},
    {7, "189→86, 223→46", ""},
    {8, "188→49, 189→86, 190→56, 191→54, 220→55, 223→85", "49→188, 54→191, 55→220, 56→190"},
    {9, "186→48, 187→47, 189→56, 191→49, 192→51, 219→45, 220→53, 221→46, 223→85",
     "45→219, 46→221, 47→187, 48→186, 49→191, 51→192, 53→220, 56→189"},
    {15, "89→29, 90→28, 187→45, 189→56, 191→46", "28→90, 29→89, 45→187, 46→191, 56→189"},
    {16, kNordicForward, kNordicReverse},
    {18, "223→85", ""},
    {20,
     "65→20, 81→4, 87→29, 90→26, 186→48, 187→56, 188→16, 189→46, 190→54, 191→55, 192→52, "
     "219→45, 221→47, 222→53",
     "4→81, 16→188, 20→65, 26→90, 29→87, 45→219, 46→46, 47→221, 48→186, 51→189, 52→192, "
     "53→222, 54→190, 55→191, 56→187"},
    {21, kNordicForward, kNordicReverse},
    {22, "189→56, 191→45, 223→46", "45→191, 46→223, 56→189"},
    {26, "48→53, 189→56, 191→45, 192→39, 226→100",
     "28→90, 29→89, 39→192, 45→191, 53→48, 56→189, 100→226"},
};

const LanguageDifferences* differencesOf(int language) {
    for (const LanguageDifferences& entry : kDifferences) {
        if (entry.language == language) {
            return &entry;
        }
    }
    return nullptr;
}

std::vector<int> allLanguages() {
    std::vector<int> languages;
    for (int language = 0; language <= 26; ++language) {
        if (language != 25) {
            languages.push_back(language);
        }
    }
    return languages;
}

TEST(KeyCodes, EveryLanguageIsTheBasePlusItsListedDifferences) {
    const MacVkAndText tables;
    const std::array<int, 256> baseForward = expectedBaseForward();
    const std::array<int, 256> baseReverse = expectedBaseReverse();
    for (int language : allLanguages()) {
        SCOPED_TRACE(language);
        const LanguageDifferences* differences = differencesOf(language);
        const CodeMap forward = differences ? parsePairs(differences->forward) : CodeMap{};
        const CodeMap reverse = differences ? parsePairs(differences->reverse) : CodeMap{};
        for (int byte = 0; byte < 256; ++byte) {
            SCOPED_TRACE(byte);
            const auto b = static_cast<std::uint8_t>(byte);
            const auto f = forward.find(byte);
            EXPECT_EQ(tables.vkToDeviceCode(language, b),
                      f != forward.end() ? f->second : baseForward[byte]);
            const auto r = reverse.find(byte);
            EXPECT_EQ(tables.deviceCodeToVk(language, b),
                      r != reverse.end() ? r->second : baseReverse[byte]);
        }
    }
}

TEST(KeyCodes, BaseTablesOfTheFirstTwoLanguages) {
    const MacVkAndText tables;
    for (int language : {0, 1}) {
        EXPECT_EQ(tables.vkToDeviceCode(language, 65), 4);
        EXPECT_EQ(tables.vkToDeviceCode(language, 48), 39);
        EXPECT_EQ(tables.vkToDeviceCode(language, 135), 115);
        EXPECT_EQ(tables.deviceCodeToVk(language, 4), 65);
        EXPECT_EQ(tables.deviceCodeToVk(language, 40), 13);
        EXPECT_EQ(tables.deviceCodeToVk(language, 98), 96);
        // Codes no listed key produces pass through.
        for (int code : {50, 88, 100, 118}) {
            EXPECT_EQ(tables.deviceCodeToVk(language, static_cast<std::uint8_t>(code)), code);
        }
    }
}

TEST(KeyCodes, MouseButtonsInEveryLanguage) {
    const MacVkAndText tables;
    for (int language : allLanguages()) {
        SCOPED_TRACE(language);
        EXPECT_EQ(tables.vkToDeviceCode(language, 240), 241); // left
        EXPECT_EQ(tables.vkToDeviceCode(language, 241), 243); // right
        EXPECT_EQ(tables.vkToDeviceCode(language, 242), 242); // middle
        EXPECT_EQ(tables.deviceCodeToVk(language, 241), 240);
        EXPECT_EQ(tables.deviceCodeToVk(language, 243), 241);
        EXPECT_EQ(tables.deviceCodeToVk(language, 242), 242);
        // An unlisted virtual key passes through; device code 7 is the D key, whose
        // virtual key is 68 and not 7.
        EXPECT_EQ(tables.vkToDeviceCode(language, 7), 7);
        EXPECT_EQ(tables.deviceCodeToVk(language, 7), 68);
        EXPECT_EQ(tables.deviceCodeToVk(language, 88), 88);
        EXPECT_EQ(tables.vkToDeviceCode(language, tables.deviceCodeToVk(language, 7)), 7);
        // 244 round-trips as itself; 240 (no key) must not come back as the left button.
        EXPECT_EQ(tables.deviceCodeToVk(language, 244), 244);
        EXPECT_EQ(tables.vkToDeviceCode(language, 244), 244);
        EXPECT_NE(tables.vkToDeviceCode(language, tables.deviceCodeToVk(language, 240)), 241);
    }
}

TEST(KeyCodes, LayoutsThatDoNotRoundTrip) {
    const MacVkAndText tables;
    // French: the key in the place of the US Q is A.
    EXPECT_EQ(tables.vkToDeviceCode(2, 65), 20);
    EXPECT_EQ(tables.deviceCodeToVk(2, 20), 65);
    // German swaps Y and Z.
    EXPECT_EQ(tables.vkToDeviceCode(4, 90), 28);
    // Russian: 189 gives the keypad minus, which writes back as 109, not 189.
    EXPECT_EQ(tables.vkToDeviceCode(7, 189), 86);
    EXPECT_EQ(tables.deviceCodeToVk(7, 86), 109);
    // Hungarian: the reverse table swaps Y and Z, the forward one does not.
    EXPECT_EQ(tables.deviceCodeToVk(26, 28), 90);
    EXPECT_EQ(tables.vkToDeviceCode(26, 90), 29);
    // Belgian Dutch keeps device code 46 as virtual key 46.
    EXPECT_EQ(tables.deviceCodeToVk(20, 46), 46);
}

TEST(KeyCodes, IndicesWithoutTablesUseTheBase) {
    const MacVkAndText tables;
    for (int language : {25, 27, 30, 255, 1000, -1, -26, -1000}) {
        SCOPED_TRACE(language);
        for (int byte = 0; byte < 256; ++byte) {
            const auto b = static_cast<std::uint8_t>(byte);
            EXPECT_EQ(tables.vkToDeviceCode(language, b), tables.vkToDeviceCode(0, b));
            EXPECT_EQ(tables.deviceCodeToVk(language, b), tables.deviceCodeToVk(0, b));
        }
    }
}

} // namespace
