#include "macros/MacroCodec.h"

#include "keys/MacVkAndText.h"

#include <gtest/gtest.h>
#include <random>

namespace zel {
namespace {

constexpr int kEnglish = 1;
constexpr int kGerman = 4;

std::string item(const std::string& value, int j) {
    return value.substr(static_cast<std::size_t>(j) * 3, 3);
}

// The item index of field `field` (0 action, 1 code, 2..7 params and delay) of step s.
int stepItem(int s, int field, int header = kHeaderItemsV3) {
    return header + s * kStepItems + field;
}

class MacroCodecTest : public ::testing::Test {
protected:
    MacVkAndText keys;
    MacroKeyForm english{keys, kEnglish};
    MacroValueLayout v3{};
};

TEST_F(MacroCodecTest, EmptyMacroStillWritesEveryItem) {
    const std::string value = encodeMacroValue(MacroRecord{}, english);
    ASSERT_EQ(value.size(), 7863u);
    EXPECT_EQ(value, std::string(7863, '0'));
}

TEST_F(MacroCodecTest, HeaderItemsStandInTheirPlaces) {
    MacroRecord r;
    r.setNameUtf8("M");
    r.runMode = 0x81;
    r.repeatCount = 1000; // 0x03E8
    r.stepCount = 1;
    r.moveCount = 1;
    r.extra76 = 1;
    r.extra77 = 35;
    r.reserved = {9, 9, 9, 9}; // never written
    r.setStep(0, MacroStep{kCodeMove, kActionMoveRightDown, 2, 300, 7});
    r.ledSlots[4].bytes[67] = 255;
    const std::string v = encodeMacroValue(r, english);
    ASSERT_EQ(v.size(), 7863u);
    EXPECT_EQ(v.substr(0, 6), "077000");
    EXPECT_EQ(v.substr(6, 58 * 3), std::string(58 * 3, '0'));
    EXPECT_EQ(item(v, 60), "129");
    EXPECT_EQ(item(v, 61), "232");
    EXPECT_EQ(item(v, 62), "003");
    EXPECT_EQ(item(v, 63), "001");
    EXPECT_EQ(item(v, 65), "001");
    EXPECT_EQ(item(v, 75), "001");
    EXPECT_EQ(item(v, 76), "035");
    EXPECT_EQ(v.substr(77 * 3, 12), "000000000000");
    EXPECT_EQ(v.substr(81 * 3, 24), "006246002000044001007000");
    EXPECT_EQ(item(v, 2620), "255");
}

TEST_F(MacroCodecTest, KeyAndMouseCodesUseTheirFileForm) {
    MacroRecord r;
    r.stepCount = 6;
    r.setStep(0, MacroStep{kCodeLeftButton, kActionPress, 0, 0, 10});
    r.setStep(1, MacroStep{kCodeRightButton, kActionPress, 0, 0, 10});
    r.setStep(2, MacroStep{kCodeMiddleButton, kActionRelease, 0, 0, 10});
    r.setStep(3, MacroStep{4, kActionPress, 0, 0, 10});  // A
    r.setStep(4, MacroStep{40, kActionPress, 0, 0, 10}); // Enter
    r.setStep(5, MacroStep{kCodePause, 0, 0, 0, 500});
    const std::string v = encodeMacroValue(r, english);
    EXPECT_EQ(item(v, stepItem(0, 1)), "240");
    EXPECT_EQ(item(v, stepItem(1, 1)), "241");
    EXPECT_EQ(item(v, stepItem(2, 1)), "242");
    EXPECT_EQ(item(v, stepItem(3, 1)), "065");
    EXPECT_EQ(item(v, stepItem(4, 1)), "013");
    EXPECT_EQ(item(v, stepItem(5, 1)), "000");

    const MacroRecord back = decodeMacroValue(v, v3, english);
    EXPECT_EQ(back, r);

    // The German keyboard swaps Y and Z: the usage of the key marked Z is stored as VK_Z.
    MacroKeyForm german{keys, kGerman};
    MacroRecord z;
    z.stepCount = 1;
    z.setStep(0, MacroStep{29, kActionPress, 0, 0, 0});
    const std::string gv = encodeMacroValue(z, german);
    EXPECT_EQ(item(gv, stepItem(0, 1)), "089");
    EXPECT_EQ(decodeMacroValue(gv, v3, german).code[0], 29);
}

TEST_F(MacroCodecTest, ReadingRightButtonItemGivesCode243) {
    std::string v(7863, '0');
    v.replace(static_cast<std::size_t>(stepItem(0, 1)) * 3, 3, "241");
    v.replace(63 * 3, 3, "001");
    EXPECT_EQ(decodeMacroValue(v, v3, english).code[0], kCodeRightButton);
}

TEST_F(MacroCodecTest, FullRecordRoundTrips) {
    MacroRecord r;
    r.setNameUtf8("Recoil \xE5\xAE\x8F 01");
    r.runMode = 2;
    r.repeatCount = 1;
    int s = 0;
    for (; s < 50; ++s) {
        r.setStep(s, MacroStep{kCodeMove, kActionMoveLeftDown, 0, static_cast<std::uint16_t>(s),
                               static_cast<std::uint16_t>(s * 1000)});
    }
    r.setStep(s++, MacroStep{kCodeCpi, kActionSetCpi, 7, 0, 20});
    r.setStep(s++, MacroStep{kCodeLed, kActionLed, 0, 0, 20});
    r.setStep(s++, MacroStep{kCodeLed, kActionLed, 1, 0, 20});
    r.setStep(s++, MacroStep{kCodeCpi, kActionReturnCpi, 4, 0, 65535});
    r.stepCount = static_cast<std::uint16_t>(s);
    r.moveCount = 50;
    r.cpiCount = 2;
    r.ledSlotCount = 2;
    r.ledSlots[0] = LedSlot::created();
    r.ledSlots[1].bytes = {2, 0, 0, 0, 6, 100, 55, 0, 9, 1, 1, 0};
    r.extra76 = 1;
    r.extra77 = 99;
    EXPECT_EQ(decodeMacroValue(encodeMacroValue(r, english), v3, english), r);

    // Without the extra items (a single macro read while the group is of an older version)
    // the same value gives the record without extra76 and extra77.
    MacroRecord noExtras = r;
    noExtras.extra76 = 0;
    noExtras.extra77 = 0;
    EXPECT_EQ(decodeMacroValue(encodeMacroValue(r, english),
                               MacroValueLayout{kHeaderItemsV3, false}, english),
              noExtras);
}

TEST_F(MacroCodecTest, OlderHeaderTakesTheFirstStepFromItem75) {
    std::string v(75 * 3, '0');
    v.replace(63 * 3, 3, "001"); // one step
    v += "001"
         "065"
         "000000000000"
         "100000"; // press A, delay 100
    const MacroRecord r = decodeMacroValue(v, MacroValueLayout{kHeaderItemsOld, true}, english);
    EXPECT_EQ(r.stepCount, 1);
    EXPECT_EQ(r.step(0), (MacroStep{4, kActionPress, 0, 0, 100}));
    EXPECT_EQ(r.extra76, 0);
}

TEST_F(MacroCodecTest, ShortOrNonDigitValuesReadMissingItemsAsZero) {
    EXPECT_EQ(decodeMacroValue("", v3, english), MacroRecord{});
    // Name "AB", then the value ends in the middle of runMode.
    MacroRecord r = decodeMacroValue("065000066000" + std::string(56 * 3, '0') + "00", v3, english);
    EXPECT_EQ(r.nameUtf8(), "AB");
    EXPECT_EQ(r.runMode, 0);
    // Non-digits end an item: "1x3" is 1, "abc" is 0, "12" at the very end is 12.
    r = decodeMacroValue("1x3abc12", v3, english);
    EXPECT_EQ(r.name[0], 1);
    EXPECT_EQ(r.name[1], 0);
    EXPECT_EQ(r.name[2], 12);
    // A byte field takes the low eight bits of a larger item; a u16 field low + 256 x high.
    std::string big(kValueChars, '0');
    big.replace(60 * 3, 3, "999");
    big.replace(61 * 3, 6, "255255");
    r = decodeMacroValue(big, v3, english);
    EXPECT_EQ(r.runMode, 999 & 0xFF);
    EXPECT_EQ(r.repeatCount, 65535);
}

TEST_F(MacroCodecTest, NameFillingAllSixtyBytesStaysInItsField) {
    std::string v;
    for (int j = 0; j < 60; ++j) {
        v += "066";
    }
    v += "200"; // runMode right after the name
    const MacroRecord r = decodeMacroValue(v, v3, english);
    EXPECT_EQ(r.nameUtf16().size(), 30u);
    EXPECT_EQ(decodeMacroName(v).size(), 30u * 3); // U+4242 is three UTF-8 bytes
}

TEST_F(MacroCodecTest, CountersThatDisagreeWithTheStepsAreSetFromTheSteps) {
    MacroRecord r;
    r.stepCount = 3;
    r.moveCount = 40;     // only one move
    r.cpiCount = 9;       // none
    r.ledSlotCount = 200; // one lighting step, whose slot number is wrong
    r.count251Slots = 3;  // none
    r.setStep(0, MacroStep{kCodeMove, kActionMoveLeftUp, 1, 1, 5});
    r.setStep(1, MacroStep{kCodeLed, kActionLed, 77, 0, 5});
    r.setStep(2, MacroStep{4, kActionPress, 0, 0, 5});
    r.setStep(3, MacroStep{5, kActionPress, 0, 0, 5}); // past the step count
    r.ledSlots[0].bytes[0] = 250;                      // more entries than fit
    const MacroRecord back = decodeMacroValue(encodeMacroValue(r, english), v3, english);
    EXPECT_EQ(back.stepCount, 3);
    EXPECT_EQ(back.moveCount, 1);
    EXPECT_EQ(back.cpiCount, 0);
    EXPECT_EQ(back.ledSlotCount, 1);
    EXPECT_EQ(back.count251Slots, 0);
    EXPECT_EQ(back.params[1].param1, 0);
    EXPECT_EQ(back.code[3], 0);
    EXPECT_EQ(back.ledSlots[0].bytes[0], kLedSlotMaxEntries);

    // A step count beyond 275 and a sixth lighting step: the macro ends before it.
    MacroRecord many;
    many.stepCount = 60000;
    for (int s = 0; s < 6; ++s) {
        many.setStep(s, MacroStep{kCodeLed, kActionLed, static_cast<std::uint16_t>(s), 0, 1});
    }
    const MacroRecord cut = decodeMacroValue(encodeMacroValue(many, english), v3, english);
    EXPECT_EQ(cut.stepCount, 5);
    EXPECT_EQ(cut.ledSlotCount, 5);
    EXPECT_EQ(cut.code[5], 0);

    MacroRecord fine;
    fine.stepCount = 1;
    fine.moveCount = 1;
    fine.setStep(0, MacroStep{kCodeMove, kActionMoveLeftUp, 1, 1, 5});
    EXPECT_FALSE(normaliseMacroRecord(fine));
}

// Random text, random digits and truncated values never break the reader, and what it gives
// back always keeps the record's invariants.
TEST_F(MacroCodecTest, RandomValuesGiveConsistentRecords) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> len(0, 9000);
    std::uniform_int_distribution<int> digit('0', '9');
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int round = 0; round < 300; ++round) {
        std::string v(static_cast<std::size_t>(len(rng)), '0');
        for (char& c : v) {
            c = static_cast<char>(round % 3 == 0 ? anyByte(rng) : digit(rng));
        }
        const MacroRecord r = decodeMacroValue(
            v, MacroValueLayout{round % 2 ? kHeaderItemsV3 : kHeaderItemsOld, true}, english);
        ASSERT_LE(r.stepCount, kMaxSteps);
        int moves = 0, led = 0;
        for (int s = 0; s < r.stepCount; ++s) {
            moves += r.code[static_cast<std::size_t>(s)] == kCodeMove;
            if (r.code[static_cast<std::size_t>(s)] == kCodeLed) {
                EXPECT_EQ(r.params[static_cast<std::size_t>(s)].param1, led);
                ++led;
            }
        }
        EXPECT_EQ(r.moveCount, moves);
        EXPECT_EQ(r.ledSlotCount, led);
        // Re-reading what is written gives the same record.
        EXPECT_EQ(decodeMacroValue(encodeMacroValue(r, english), v3, english).stepCount,
                  r.stepCount);
    }
}

} // namespace
} // namespace zel
