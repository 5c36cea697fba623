#include "macros/MacroRecord.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(MacroRecordTest, NameIsStoredAsUtf16AndCutTo29Units) {
    MacroRecord r;
    r.setNameUtf8("M");
    EXPECT_EQ(r.name[0], 77);
    for (int i = 1; i < kNameBytes; ++i) {
        EXPECT_EQ(r.name[static_cast<std::size_t>(i)], 0) << i;
    }
    r.setNameUtf8("\xE5\xAE\x8F"); // U+5B8F
    EXPECT_EQ(r.name[0], 0x8F);
    EXPECT_EQ(r.name[1], 0x5B);
    EXPECT_EQ(r.nameUtf8(), "\xE5\xAE\x8F");

    r.setNameUtf8(std::string(40, 'a'));
    EXPECT_EQ(r.nameUtf16().size(), 29u);
    EXPECT_EQ(r.name[58], 0);
    EXPECT_EQ(r.name[59], 0);

    // A character outside the basic plane is never split: 28 letters + one pair = 30 units.
    r.setNameUtf8(std::string(28, 'b') + "\xF0\x9F\x98\x80");
    EXPECT_EQ(r.nameUtf8(), std::string(28, 'b'));
}

TEST(MacroRecordTest, NameFillingTheWholeFieldIsReadWithinIt) {
    MacroRecord r;
    r.name.fill('A'); // 30 units of U+4141, no terminating zero
    r.runMode = 0x42; // the byte after the field must not be taken as a name unit
    EXPECT_EQ(r.nameUtf16(), std::u16string(30, u'\x4141'));
}

TEST(MacroRecordTest, StepViewMatchesTheParallelArrays) {
    MacroRecord r;
    r.setStep(274, MacroStep{kCodeMove, kActionMoveRightDown, 3, 100, 65535});
    EXPECT_EQ(r.code[274], kCodeMove);
    EXPECT_EQ(r.params[274].param2, 100);
    EXPECT_EQ(r.delay[274], 65535);
    EXPECT_EQ(r.step(274), (MacroStep{kCodeMove, kActionMoveRightDown, 3, 100, 65535}));
    EXPECT_EQ(LedSlot::created().bytes[0], 1);
    EXPECT_EQ(LedSlot::created().bytes[6], 10);
}

} // namespace
} // namespace zel
