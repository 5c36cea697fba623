#include "macros/MacroRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

constexpr std::uint8_t kA = 'A';
constexpr std::uint8_t kB = 'B';
constexpr std::uint8_t kAlt = 0xA4;
/// A key the fake table has no device code for.
constexpr std::uint8_t kNoCode = 0x07;

class ReportsOutput final : public MacroRecorderOutput {
public:
    void warn(Tip tip) override { warnings.push_back(tip); }
    void holdKeyboard(bool hold) override { holds.push_back(hold); }
    void saveMacro(int macro) override { saved.push_back(macro); }
    void showMacro() override { ++shown; }

    std::vector<Tip> warnings;
    std::vector<bool> holds;
    std::vector<int> saved;
    int shown = 0;
};

class MacroRecorderTest : public ::testing::Test {
protected:
    MacroRecorderTest()
        : recorder(
              group, [](std::uint8_t vk) { return vk == kNoCode ? std::uint8_t{0} : vk; },
              [this] { return now; }, output) {
        group.groupMacros.count = 2;
        MacroRecord& r = record();
        r.setNameUtf8("Old");
        r.runMode = 2;
        r.repeatCount = 7;
        r.stepCount = 3;
        r.code[0] = 9;
        r.extra76 = 1;
        r.extra77 = 40;
    }

    MacroRecord& record() { return group.groupMacros.records[1]; }
    void start() { recorder.toggle(RecordTarget{false, false, 1, "Typed"}); }
    bool press(std::uint8_t vk) { return recorder.keyMessage(KeyMessage::KeyDown, vk); }
    bool release(std::uint8_t vk) { return recorder.keyMessage(KeyMessage::KeyUp, vk); }

    MacroGroupState group;
    int now = 1000;
    ReportsOutput output;
    MacroRecorder recorder;
};

TEST(ElapsedMs, MeasuresFromThePreviousReadingAcrossMidnightAndUpTo65535) {
    int previous = 1000;
    EXPECT_EQ(elapsedMs(1250, previous), 250);
    EXPECT_EQ(previous, 1250);
    // Midnight passed between the readings.
    previous = kMsPerDay - 100;
    EXPECT_EQ(elapsedMs(150, previous), 250);
    EXPECT_EQ(previous, 150);
    previous = 0;
    EXPECT_EQ(elapsedMs(70'000, previous), kMaxRecordedDelay);
    // The limit holds across midnight as well.
    previous = kMsPerDay - 10;
    EXPECT_EQ(elapsedMs(80'000, previous), kMaxRecordedDelay);
    EXPECT_EQ(elapsedMs(80'000, previous), 0);
}

TEST_F(MacroRecorderTest, StartingEmptiesTheMacroAndStoppingWritesIt) {
    start();
    EXPECT_TRUE(recorder.recording());
    EXPECT_EQ(recorder.macro(), 1);
    EXPECT_EQ(output.holds, std::vector<bool>{true});
    EXPECT_EQ(record().stepCount, 0);
    EXPECT_EQ(record().code[0], 0);
    EXPECT_EQ(record().runMode, 2); // kept
    EXPECT_EQ(record().nameUtf8(), "Typed");
    EXPECT_EQ(record().repeatCount, 1);
    EXPECT_EQ(record().extra76, 0);
    EXPECT_EQ(record().extra77, 10);
    EXPECT_TRUE(output.saved.empty());

    start(); // the record button again
    EXPECT_FALSE(recorder.recording());
    EXPECT_EQ(output.saved, std::vector<int>{1});
    EXPECT_EQ(output.holds, (std::vector<bool>{true, false}));
    EXPECT_FALSE(press(kA)); // nothing is recorded any more
}

TEST_F(MacroRecorderTest, TheRecordButtonRefusesWithoutAMacroRow) {
    recorder.toggle(RecordTarget{true, true, -1, ""});
    recorder.toggle(RecordTarget{false, true, -1, "Group"});
    group.groupSealed = true;
    start();
    EXPECT_EQ(output.warnings,
              (std::vector<Tip>{Tip::NoMacroList, Tip::SelectRowFirst, Tip::OperationFailed}));
    EXPECT_FALSE(recorder.recording());
    EXPECT_TRUE(output.holds.empty());
    EXPECT_EQ(record().stepCount, 3);
}

TEST_F(MacroRecorderTest, EachStepGetsTheTimeToTheNextEventAndTheLastOneTwenty) {
    start();
    now = 5000;
    EXPECT_TRUE(press(kA));
    // A single press keeps delay 0 until the next event measures it.
    EXPECT_EQ(record().stepCount, 1);
    EXPECT_EQ(record().delay[0], 0);
    now = 5230;
    EXPECT_TRUE(release(kA));
    now = 6000;
    EXPECT_TRUE(recorder.keyMessage(KeyMessage::SysKeyDown, kAlt));
    start();
    ASSERT_EQ(record().stepCount, 3);
    EXPECT_EQ(record().step(0), (MacroStep{kA, kActionPress, 0, 0, 230}));
    EXPECT_EQ(record().step(1), (MacroStep{kA, kActionRelease, 0, 0, 770}));
    EXPECT_EQ(record().step(2),
              (MacroStep{kAlt, kActionPress, 0, 0, MacroRecorder::kLastStepDelay}));
}

TEST_F(MacroRecorderTest, WaitsAcrossMidnightAndBeyond65535AreStoredLimited) {
    start();
    now = kMsPerDay - 400;
    press(kA);
    now = 600;
    release(kA);
    now = 600 + 100'000;
    press(kB);
    EXPECT_EQ(record().delay[0], 1000);
    EXPECT_EQ(record().delay[1], kMaxRecordedDelay);
}

TEST_F(MacroRecorderTest, AHeldKeyIsOnePressAndStrayEventsAreIgnored) {
    start();
    EXPECT_TRUE(press(kA));
    EXPECT_FALSE(press(kA)); // the keyboard repeats the press
    EXPECT_FALSE(press(kA));
    EXPECT_FALSE(release(kB));      // never pressed while recording
    EXPECT_FALSE(press(kNoCode));   // no device code: not a pause step
    EXPECT_FALSE(release(kNoCode)); // and so neither is its release
    EXPECT_TRUE(release(kA));
    // Alt combinations come as system messages and are kept apart from plain ones.
    EXPECT_TRUE(recorder.keyMessage(KeyMessage::SysKeyDown, kAlt));
    EXPECT_FALSE(recorder.keyMessage(KeyMessage::SysKeyDown, kAlt));
    EXPECT_TRUE(recorder.keyMessage(KeyMessage::SysKeyDown, kB));
    EXPECT_TRUE(recorder.keyMessage(KeyMessage::SysKeyUp, kB));
    EXPECT_TRUE(recorder.keyMessage(KeyMessage::KeyUp, kAlt));
    EXPECT_EQ(recorder.recordedSteps(), 6);
    EXPECT_EQ(recorder.heldKeys(), 0);
}

TEST_F(MacroRecorderTest, NineKeysAreHeldAtMostAndReleasesFindThemInAnyOrder) {
    start();
    for (std::uint8_t k = 0; k < MacroRecorder::kMaxHeldKeys; ++k) {
        EXPECT_TRUE(press(static_cast<std::uint8_t>(kA + k)));
    }
    // A tenth key is not recorded, nor is its release.
    const auto tenth = static_cast<std::uint8_t>(kA + MacroRecorder::kMaxHeldKeys);
    EXPECT_FALSE(press(tenth));
    EXPECT_FALSE(release(tenth));
    // Releasing one from the middle leaves the later ones findable.
    EXPECT_TRUE(release(kA + 4));
    EXPECT_TRUE(release(kA + 8));
    EXPECT_TRUE(release(kA));
    EXPECT_EQ(recorder.heldKeys(), 6);
    EXPECT_TRUE(press(tenth));
    EXPECT_EQ(recorder.recordedSteps(), 13);
}

TEST_F(MacroRecorderTest, PressesStopAt55AndThe111thEventStopsAndSaves110Steps) {
    start();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(press(kA));
        ASSERT_TRUE(release(kA));
    }
    for (std::uint8_t k = 0; k < 5; ++k) {
        ASSERT_TRUE(press(static_cast<std::uint8_t>(kB + k)));
    }
    EXPECT_FALSE(press(kA)); // the 56th press
    EXPECT_TRUE(recorder.recording());
    for (std::uint8_t k = 0; k < 5; ++k) {
        ASSERT_TRUE(release(static_cast<std::uint8_t>(kB + k)));
    }
    EXPECT_EQ(recorder.recordedSteps(), 110);
    EXPECT_TRUE(output.saved.empty());
    EXPECT_FALSE(press(kA)); // the 111th event
    EXPECT_FALSE(recorder.recording());
    EXPECT_EQ(record().stepCount, 110);
    EXPECT_EQ(output.saved, std::vector<int>{1});
    EXPECT_EQ(output.holds.back(), false);
}

TEST_F(MacroRecorderTest, ADroppedRecordingLeavesTheMacroAsItWasAndUnwritten) {
    const MacroRecord before = record();
    start();
    press(kA);
    release(kA);
    recorder.endWithoutSaving();
    EXPECT_FALSE(recorder.recording());
    EXPECT_EQ(record(), before);
    EXPECT_TRUE(output.saved.empty());
    EXPECT_EQ(output.holds, (std::vector<bool>{true, false}));
    EXPECT_FALSE(press(kB));
}

} // namespace
} // namespace zel
