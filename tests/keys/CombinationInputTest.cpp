// What the combination dialog makes of a stored combination and what it hands to the store.

#include "keys/CombinationInput.h"
#include "settings/ProfileStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zel;

// Ctrl + A as the store keeps it: ten fields, the codes of the enabled modifiers, the
// main key's name and its virtual-key code.
const std::string kCtrlA =
    "Ctrl&split&162&split&Shift&split&&split&Alt&split&&split&Win&split&&split&A&split&65";

TEST(CombinationInput, PrefillReadsTheStoredModifiersAndMainKey) {
    CombinationInput in = prefillCombination(kCombinationAssignCode, kCtrlA);
    EXPECT_TRUE(in.ctrl);
    EXPECT_FALSE(in.shift || in.alt || in.win);
    EXPECT_EQ(in.mainKey, 65);
    EXPECT_EQ(in.mainName, "A");

    in = prefillCombination(kCombinationAssignCode,
                            "Ctrl&split&&split&Shift&split&160&split&Alt&split&164&split&Win&"
                            "split&91&split&&split&");
    EXPECT_FALSE(in.ctrl);
    EXPECT_TRUE(in.shift && in.alt && in.win);
    EXPECT_EQ(in.mainKey, kNoMainKey); // an empty name means no main key
    EXPECT_EQ(in.mainName, "");

    // Only a combination button has a stored combination.
    in = prefillCombination(12, kCtrlA);
    EXPECT_FALSE(in.anyModifier());
    EXPECT_EQ(in.mainKey, kNoMainKey);
    EXPECT_EQ(in.mainName, "");
    in = prefillCombination(kCombinationAssignCode, "");
    EXPECT_FALSE(in.anyModifier());
    EXPECT_EQ(in.mainKey, kNoMainKey);
}

TEST(CombinationInput, PrefillKeepsABrokenMainKeyCodeOutOfTheSlot) {
    // A code that is not a byte would spill into the slot of the message parameter.
    for (const char* code : {"256", "-1", "x", "99999999999"}) {
        const CombinationInput in = prefillCombination(
            kCombinationAssignCode,
            std::string("Ctrl&split&&split&Shift&split&&split&Alt&split&&split&Win&split&&split&"
                        "Q&split&") +
                code);
        EXPECT_EQ(in.mainKey, kNoMainKey) << code;
        EXPECT_EQ(in.mainName, "Q") << code;
    }
    // Nine fields: the last pair is the Win pair.
    const CombinationInput nine = prefillCombination(
        kCombinationAssignCode,
        "Ctrl&split&162&split&Shift&split&&split&Alt&split&&split&Win&split&91&split&A");
    EXPECT_TRUE(nine.ctrl && nine.win);
    EXPECT_EQ(nine.mainName, "Win");
    EXPECT_EQ(nine.mainKey, 91);
}

TEST(CombinationInput, ModifierKeysAreTheShiftCtrlAltAndWinKeys) {
    int count = 0;
    for (int vk = 0; vk < 256; ++vk) {
        count += isModifierKey(static_cast<std::uint8_t>(vk)) ? 1 : 0;
    }
    EXPECT_EQ(count, 11);
    for (int vk : {0x10, 0x11, 0x12, 0x5B, 0x5C, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5}) {
        EXPECT_TRUE(isModifierKey(static_cast<std::uint8_t>(vk))) << vk;
    }
    // Caps Lock, the menu key and the keys beside the modifier range are ordinary keys.
    for (int vk : {0x14, 0x5D, 0x9F, 0xA6, 0x41}) {
        EXPECT_FALSE(isModifierKey(static_cast<std::uint8_t>(vk))) << vk;
    }
}

TEST(CombinationInput, TokensAndDisplayFollowCtrlShiftAltWinOrder) {
    CombinationInput in;
    EXPECT_EQ(combinationTokens(in), "");
    EXPECT_EQ(modifierDisplayText(in), "");
    EXPECT_EQ(combinationArgument(3, in), 3 * 256 + 255);

    in.toggleModifier(3);
    in.toggleModifier(0);
    in.toggleModifier(7); // no such modifier
    EXPECT_EQ(modifierTokens(in), "Ctrl&split&Win");
    EXPECT_EQ(modifierDisplayText(in), "Ctrl+Win");
    EXPECT_EQ(combinationTokens(in), "Ctrl&split&Win");

    in.mainKey = 'A';
    in.mainName = "A";
    EXPECT_EQ(combinationTokens(in), "Ctrl&split&Win&split&A");
    EXPECT_EQ(combinationArgument(11, in), 11 * 256 + 65);

    in.toggleModifier(0);
    in.toggleModifier(3);
    EXPECT_EQ(combinationTokens(in), "A");
    in.clear();
    EXPECT_EQ(combinationTokens(in), "");
    EXPECT_EQ(in.mainKey, kNoMainKey);
}

TEST(CombinationInput, WhatIsHandedToTheStoreReadsBackTheSame) {
    // Ctrl + A entered, stored by the store, and the stored text opened again.
    CombinationInput entered;
    entered.ctrl = true;
    entered.mainKey = 65;
    entered.mainName = "A";
    const std::int64_t argument = combinationArgument(2, entered);
    const std::string stored = ProfileStore::combinationText(
        static_cast<std::uint8_t>(argument & 0xFF), combinationTokens(entered));
    EXPECT_EQ(stored, kCtrlA);
    const CombinationInput reopened = prefillCombination(kCombinationAssignCode, stored);
    EXPECT_TRUE(reopened.ctrl);
    EXPECT_FALSE(reopened.shift || reopened.alt || reopened.win);
    EXPECT_EQ(reopened.mainKey, 65);
    EXPECT_EQ(reopened.mainName, "A");

    // Modifiers without a main key round-trip too.
    CombinationInput modsOnly;
    modsOnly.shift = modsOnly.alt = true;
    const CombinationInput back =
        prefillCombination(kCombinationAssignCode,
                           ProfileStore::combinationText(kNoMainKey, combinationTokens(modsOnly)));
    EXPECT_TRUE(back.shift && back.alt);
    EXPECT_FALSE(back.ctrl || back.win);
    EXPECT_EQ(back.mainKey, kNoMainKey);
    EXPECT_EQ(back.mainName, "");
}

} // namespace
