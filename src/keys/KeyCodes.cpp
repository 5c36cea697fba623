// Virtual-key code <-> device key code tables: the base pairs and the differences of
// each language's keyboard.

#include "keys/KeyTables.h"

#include <array>

namespace zel::keys {
namespace {

// Base forward pairs besides the regular runs (letters, digits, function keys, keypad
// digits), which baseForwardTable() fills by formula.
constexpr CodePair kBaseSingles[] = {
    {8, 42},
    {9, 43},
    {12, 156},
    {13, 40},
    {19, 72},
    {20, 57},
    {27, 41},
    {32, 44},
    {33, 75},
    {34, 78},
    {35, 77},
    {36, 74},
    {37, 80},
    {38, 82},
    {39, 79},
    {40, 81},
    {41, 119},
    {43, 116},
    {44, 70},
    {45, 73},
    {46, 76},
    {47, 117},
    {48, 39},
    {91, 227},
    {92, 231},
    {93, 101},
    {96, 98},
    {106, 85},
    {107, 87},
    {108, 159},
    {109, 86},
    {110, 99},
    {111, 84},
    {144, 83},
    {145, 71},
    {160, 225},
    {161, 229},
    {162, 224},
    {163, 228},
    {164, 226},
    {165, 230},
    {186, 51},
    {187, 46},
    {188, 54},
    {189, 45},
    {190, 55},
    {191, 56},
    {192, 53},
    {219, 47},
    {220, 49},
    {221, 48},
    {222, 52},
    // The mouse buttons' pseudo keys: left, right, middle.
    {240, 241},
    {241, 243},
    {242, 242},
};
static_assert(strictlyAscendingPairs(kBaseSingles));

constexpr std::array<std::uint8_t, 256> baseForwardTable() {
    std::array<std::uint8_t, 256> table{};
    for (int vk = 0; vk < 256; ++vk) {
        table[vk] = static_cast<std::uint8_t>(vk);
    }
    for (int vk = 65; vk <= 90; ++vk) { // A .. Z
        table[vk] = static_cast<std::uint8_t>(vk - 61);
    }
    for (int vk = 49; vk <= 57; ++vk) { // 1 .. 9
        table[vk] = static_cast<std::uint8_t>(vk - 19);
    }
    for (int vk = 112; vk <= 123; ++vk) { // F1 .. F12
        table[vk] = static_cast<std::uint8_t>(vk - 54);
    }
    for (int vk = 124; vk <= 135; ++vk) { // F13 .. F24
        table[vk] = static_cast<std::uint8_t>(vk - 20);
    }
    for (int vk = 97; vk <= 105; ++vk) { // keypad 1 .. 9
        table[vk] = static_cast<std::uint8_t>(vk - 8);
    }
    for (const CodePair& pair : kBaseSingles) {
        table[pair.from] = pair.to;
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> kBaseForward = baseForwardTable();

constexpr std::array<std::uint8_t, 256> baseReverseTable() {
    std::array<std::uint8_t, 256> table{};
    for (int code = 0; code < 256; ++code) {
        table[code] = static_cast<std::uint8_t>(code);
    }
    for (int vk = 0; vk < 256; ++vk) {
        if (kBaseForward[vk] != vk) {
            table[kBaseForward[vk]] = static_cast<std::uint8_t>(vk);
        }
    }
    // 240 is no key, and as a virtual key it would read back as the left button (240 is
    // that button's pseudo key); 0 reads back as "no key" instead.
    table[240] = 0;
    return table;
}

constexpr std::array<std::uint8_t, 256> kBaseReverse = baseReverseTable();

// No device code comes from two listed keys, so the reverse table is a true inverse.
constexpr bool baseIsInvertible() {
    for (int vk = 0; vk < 256; ++vk) {
        if (kBaseForward[vk] != vk && kBaseReverse[kBaseForward[vk]] != vk) {
            return false;
        }
    }
    return true;
}
static_assert(baseIsInvertible());
static_assert(kBaseForward[65] == 4 && kBaseForward[48] == 39 && kBaseForward[96] == 98);
static_assert(kBaseReverse[243] == 241 && kBaseReverse[50] == 50 && kBaseReverse[244] == 244);

// Per-language differences. Forward and reverse are kept apart: the keyboards'
// tables are not always each other's inverse (a Russian 189 gives the keypad minus,
// which writes back as 109).

constexpr CodePair kFrenchForward[] = {
    {65, 20},  {77, 51},  {81, 4},   {87, 29},  {90, 26},  {186, 48}, {188, 16}, {190, 54},
    {191, 55}, {192, 52}, {219, 45}, {220, 50}, {221, 47}, {222, 53}, {223, 56},
};
constexpr CodePair kFrenchReverse[] = {
    {4, 81},   {16, 188}, {20, 65},  {26, 90},  {29, 87},  {45, 219}, {47, 221}, {48, 186},
    {50, 220}, {51, 77},  {52, 192}, {53, 222}, {54, 190}, {55, 191}, {56, 223}, {230, 162},
};

constexpr CodePair kBelgianForward[] = {
    {65, 20},  {77, 51},  {81, 4},   {87, 29},  {90, 26},  {186, 48}, {187, 56}, {188, 16},
    {189, 46}, {190, 54}, {191, 55}, {192, 52}, {219, 45}, {221, 47}, {222, 53},
};
constexpr CodePair kBelgianReverse[] = {
    {4, 81},   {16, 188}, {20, 65},  {26, 90},  {29, 87},  {45, 219}, {46, 189}, {47, 221},
    {48, 186}, {51, 77},  {52, 192}, {53, 222}, {54, 190}, {55, 191}, {56, 187},
};

constexpr CodePair kGermanForward[] = {
    {89, 29},  {90, 28},  {186, 47}, {187, 48}, {189, 56},
    {191, 49}, {192, 51}, {219, 45}, {220, 53}, {221, 46},
};
constexpr CodePair kGermanReverse[] = {
    {28, 90},  {29, 89},  {45, 219}, {46, 221}, {47, 186},
    {48, 187}, {49, 191}, {51, 192}, {53, 220}, {56, 189},
};

// Spanish and Italian.
constexpr CodePair kSouthernForward[] = {
    {186, 47}, {187, 48}, {189, 56}, {191, 49}, {192, 51}, {219, 45}, {220, 53}, {221, 46},
};
constexpr CodePair kSouthernReverse[] = {
    {45, 219}, {46, 221}, {47, 186}, {48, 187}, {49, 191}, {51, 192}, {53, 220}, {56, 189},
};

constexpr CodePair kRussianForward[] = {{189, 86}, {223, 46}};

constexpr CodePair kTurkishForward[] = {
    {188, 49}, {189, 86}, {190, 56}, {191, 54}, {220, 55}, {223, 85},
};
constexpr CodePair kTurkishReverse[] = {{49, 188}, {54, 191}, {55, 220}, {56, 190}};

constexpr CodePair kPortugueseForward[] = {
    {186, 48}, {187, 47}, {189, 56}, {191, 49}, {192, 51},
    {219, 45}, {220, 53}, {221, 46}, {223, 85},
};
constexpr CodePair kPortugueseReverse[] = {
    {45, 219}, {46, 221}, {47, 187}, {48, 186}, {49, 191}, {51, 192}, {53, 220}, {56, 189},
};

constexpr CodePair kCzechForward[] = {{89, 29}, {90, 28}, {187, 45}, {189, 56}, {191, 46}};
constexpr CodePair kCzechReverse[] = {{28, 90}, {29, 89}, {45, 187}, {46, 191}, {56, 189}};

// Swedish and Danish.
constexpr CodePair kNordicForward[] = {
    {186, 48}, {187, 45}, {189, 56}, {191, 49}, {192, 51}, {219, 46}, {220, 53}, {221, 47},
};
constexpr CodePair kNordicReverse[] = {
    {45, 187}, {46, 219}, {47, 221}, {48, 186}, {49, 191}, {51, 192}, {53, 220}, {56, 189},
};

constexpr CodePair kBrazilianForward[] = {{223, 85}};

// Belgian Dutch: the Belgian layout, with its own reverse quirks (46 stays 46, 51 gives
// the minus key).
constexpr CodePair kBelgianDutchForward[] = {
    {65, 20},  {81, 4},   {87, 29},  {90, 26},  {186, 48}, {187, 56}, {188, 16},
    {189, 46}, {190, 54}, {191, 55}, {192, 52}, {219, 45}, {221, 47}, {222, 53},
};
constexpr CodePair kBelgianDutchReverse[] = {
    {4, 81},   {16, 188}, {20, 65},  {26, 90},  {29, 87},  {45, 219}, {46, 46},  {47, 221},
    {48, 186}, {51, 189}, {52, 192}, {53, 222}, {54, 190}, {55, 191}, {56, 187},
};

constexpr CodePair kSlovakForward[] = {{189, 56}, {191, 45}, {223, 46}};
constexpr CodePair kSlovakReverse[] = {{45, 191}, {46, 223}, {56, 189}};

// Hungarian: the reverse table swaps Y and Z while the forward table keeps them.
constexpr CodePair kHungarianForward[] = {
    {48, 53}, {189, 56}, {191, 45}, {192, 39}, {226, 100},
};
constexpr CodePair kHungarianReverse[] = {
    {28, 90}, {29, 89}, {39, 192}, {45, 191}, {53, 48}, {56, 189}, {100, 226},
};

static_assert(strictlyAscendingPairs(kFrenchForward) && strictlyAscendingPairs(kFrenchReverse));
static_assert(strictlyAscendingPairs(kBelgianForward) && strictlyAscendingPairs(kBelgianReverse));
static_assert(strictlyAscendingPairs(kGermanForward) && strictlyAscendingPairs(kGermanReverse));
static_assert(strictlyAscendingPairs(kSouthernForward) && strictlyAscendingPairs(kSouthernReverse));
static_assert(strictlyAscendingPairs(kRussianForward));
static_assert(strictlyAscendingPairs(kTurkishForward) && strictlyAscendingPairs(kTurkishReverse));
static_assert(strictlyAscendingPairs(kPortugueseForward) &&
              strictlyAscendingPairs(kPortugueseReverse));
static_assert(strictlyAscendingPairs(kCzechForward) && strictlyAscendingPairs(kCzechReverse));
static_assert(strictlyAscendingPairs(kNordicForward) && strictlyAscendingPairs(kNordicReverse));
static_assert(strictlyAscendingPairs(kBelgianDutchForward) &&
              strictlyAscendingPairs(kBelgianDutchReverse));
static_assert(strictlyAscendingPairs(kSlovakForward) && strictlyAscendingPairs(kSlovakReverse));
static_assert(strictlyAscendingPairs(kHungarianForward) &&
              strictlyAscendingPairs(kHungarianReverse));

using Pairs = std::span<const CodePair>;
using Names = std::span<const KeyName>;

} // namespace

const LanguageKeys& languageKeys(int language) {
    // Built on first use: the name lists live in other files.
    // Indexed by language; 0, 1 and 25 (no language) keep the base.
    static const std::array<LanguageKeys, kLastLanguage + 1> kLanguages = {{
        /* 0 CN */ {Pairs{}, Pairs{}, Names{}},
        /* 1 EN */ {Pairs{}, Pairs{}, Names{}},
        /* 2 FR */ {kFrenchForward, kFrenchReverse, frenchKeyNames()},
        /* 3 BILI */ {kBelgianForward, kBelgianReverse, belgianKeyNames()},
        /* 4 DE */ {kGermanForward, kGermanReverse, germanKeyNames()},
        /* 5 SP */ {kSouthernForward, kSouthernReverse, spanishKeyNames()},
        /* 6 IT */ {kSouthernForward, kSouthernReverse, italianKeyNames()},
        /* 7 RU */ {kRussianForward, Pairs{}, russianKeyNames()},
        /* 8 TU */ {kTurkishForward, kTurkishReverse, turkishKeyNames()},
        /* 9 PO */ {kPortugueseForward, kPortugueseReverse, portugueseKeyNames()},
        /* 10 TH */ {Pairs{}, Pairs{}, thaiKeyNames()},
        /* 11 KR */ {Pairs{}, Pairs{}, koreanKeyNames()},
        /* 12 JP */ {Pairs{}, Pairs{}, japaneseKeyNames()},
        /* 13 AR */ {Pairs{}, Pairs{}, arabicKeyNames()},
        /* 14 PL */ {Pairs{}, Pairs{}, polishKeyNames()},
        /* 15 CZ */ {kCzechForward, kCzechReverse, czechKeyNames()},
        /* 16 SE */ {kNordicForward, kNordicReverse, swedishKeyNames()},
        /* 17 NL */ {Pairs{}, Pairs{}, dutchKeyNames()},
        /* 18 POBR */ {kBrazilianForward, Pairs{}, Names{}},
        /* 19 CNTW */ {Pairs{}, Pairs{}, Names{}},
        /* 20 NLBE */ {kBelgianDutchForward, kBelgianDutchReverse, Names{}},
        /* 21 DA */ {kNordicForward, kNordicReverse, danishKeyNames()},
        /* 22 SL */ {kSlovakForward, kSlovakReverse, slovakKeyNames()},
        /* 23 FA */ {Pairs{}, Pairs{}, persianKeyNames()},
        /* 24 UA */ {Pairs{}, Pairs{}, ukrainianKeyNames()},
        /* 25 */ {Pairs{}, Pairs{}, Names{}},
        /* 26 HUN */ {kHungarianForward, kHungarianReverse, hungarianKeyNames()},
    }};

    if (language < 0 || language > kLastLanguage) {
        return kLanguages[0];
    }
    return kLanguages[static_cast<std::size_t>(language)];
}

std::uint8_t baseVkToDeviceCode(std::uint8_t vk) {
    return kBaseForward[vk];
}

std::uint8_t baseDeviceCodeToVk(std::uint8_t code) {
    return kBaseReverse[code];
}

} // namespace zel::keys
