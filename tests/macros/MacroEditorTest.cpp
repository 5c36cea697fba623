#include "macros/MacroEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zel {
namespace {

class RecordingOutput final : public MacroEditorOutput {
public:
    void warn(Tip tip, std::string_view prefix) override {
        warnings.emplace_back(tip, std::string(prefix));
    }
    void plainMessage(const std::string& text) override { messages.push_back(text); }
    void saveMacro(int macro) override { saved.push_back(macro); }

    std::vector<std::pair<Tip, std::string>> warnings;
    std::vector<std::string> messages;
    std::vector<int> saved;
};

MacroEditorTexts fakeTexts() {
    return MacroEditorTexts{[](int entry) {
                                switch (entry) {
                                case 12:
                                    return std::string("ms");
                                case 13:
                                    return std::string("LED ");
                                case 17:
                                    return std::string("Pause");
                                default:
                                    return "O" + std::to_string(entry);
                                }
                            },
                            [](int entry) { return "L" + std::to_string(entry); },
                            [](std::uint8_t code) { return "K" + std::to_string(code); }};
}

class MacroEditorTest : public ::testing::Test {
protected:
    MacroEditorTest() : editor(group, fakeTexts(), output) {
        group.groupMacros.count = 1;
        group.groupMacros.records[0].repeatCount = 3;
        editor.setMacro(0);
    }

    MacroRecord& record() { return group.groupMacros.records[0]; }
    std::vector<std::string> rowTexts() const {
        std::vector<std::string> out;
        for (const EditorRow& row : editor.stepRows()) {
            out.push_back(row.text);
        }
        return out;
    }
    std::vector<Tip> tips() const {
        std::vector<Tip> out;
        for (const auto& w : output.warnings) {
            out.push_back(w.first);
        }
        return out;
    }

    MacroGroupState group;
    RecordingOutput output;
    MacroEditor editor;
};

TEST_F(MacroEditorTest, InsertAfterIntoEmptyMacroCreatesStepZeroSelectedWithDelay100) {
    ASSERT_TRUE(editor.menuItem(247));
    EXPECT_EQ(record().stepCount, 1);
    EXPECT_EQ(record().step(0), (MacroStep{kCodeLeftButton, kActionPress, 0, 0, 100}));
    EXPECT_EQ(editor.selectedRow(), 0);
    const std::vector<EditorRow> rows = editor.stepRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (EditorRow{"K241", StepRowKind::Press}));
    EXPECT_EQ(rows[1], (EditorRow{"100ms", StepRowKind::Other}));
}

TEST_F(MacroEditorTest, BeforeAndAfterUseTheSelectedStep) {
    editor.menuItem(247);     // left press
    editor.menuItem(252);     // right release after step 0
    editor.setSelectedRow(3); // the delay row of step 1 selects step 1
    editor.menuItem(243);     // middle press before step 1
    editor.setSelectedRow(0);
    editor.menuItem(250); // middle release after step 0
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"K241", "100ms", "K242", "100ms", "K242",
                                                    "100ms", "K243", "100ms"}));
    EXPECT_EQ(record().action[1], kActionRelease);
    EXPECT_EQ(record().action[2], kActionPress);
    EXPECT_EQ(editor.stepRows()[2].kind, StepRowKind::Release);
}

TEST_F(MacroEditorTest, EveryInsertItemGivesItsRowText) {
    for (int item = 253; item <= 258; ++item) {
        editor.menuItem(item);
    }
    editor.menuItem(145);
    editor.menuItem(146);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{
                              "[X-]:10,[Y-]:10", "100ms", "[X-]:10,[Y+]:10", "100ms",
                              "[X+]:10,[Y-]:10", "100ms", "[X+]:10,[Y+]:10", "100ms", "[DPI]:800 ",
                              "100ms", "O11", "100ms", "LED 1", "100ms", "Pause", "100ms"}));
    EXPECT_EQ(record().moveCount, 4);
    EXPECT_EQ(record().cpiCount, 2);
    EXPECT_EQ(record().ledSlotCount, 1);
    EXPECT_EQ(record().ledSlots[0], LedSlot::created());
}

TEST_F(MacroEditorTest, LimitsWarnAndLeaveTheRecord) {
    for (int i = 0; i < kMaxCpiSteps; ++i) {
        editor.menuItem(257);
    }
    editor.menuItem(258); // a sixth CPI step
    for (int i = 0; i < kMaxLedSteps; ++i) {
        editor.menuItem(145);
    }
    const MacroRecord before = record();
    editor.menuItem(145); // a sixth lighting step
    EXPECT_EQ(tips(), (std::vector<Tip>{Tip::OperationFailed, Tip::LimitReached}));
    EXPECT_EQ(record(), before);

    output.warnings.clear();
    record().stepCount = kMaxSteps;
    editor.menuItem(146);
    EXPECT_EQ(tips(), std::vector<Tip>{Tip::LimitReached});

    output.warnings.clear();
    record().stepCount = 10;
    group.groupSealed = true;
    editor.menuItem(146);
    EXPECT_EQ(tips(), std::vector<Tip>{Tip::GroupSealed});
    EXPECT_TRUE(editor.stepRows().empty());
    // Nor can a step that is not shown be deleted, typed over or given a key.
    editor.setSelectedRow(0);
    const MacroRecord sealed = record();
    EXPECT_FALSE(editor.deleteSelected());
    EXPECT_FALSE(editor.commitStepEdit(1, "500"));
    EXPECT_FALSE(editor.setKey(0x04));
    EXPECT_TRUE(editor.lightingRows().empty());
    EXPECT_EQ(record(), sealed);
    EXPECT_EQ(tips().back(), Tip::GroupSealed);
    EXPECT_FALSE(editor.repeatBox().enabled);
}

TEST_F(MacroEditorTest, NothingChangesWhileRecording) {
    editor.setRecording([] { return true; });
    editor.menuItem(247);
    EXPECT_EQ(record().stepCount, 0);
}

TEST_F(MacroEditorTest, LightingSlotsFollowTheirStepsOnInsertAndDelete) {
    editor.menuItem(145);
    editor.setSelectedRow(0);
    editor.menuItem(145); // after the first: slot 1
    record().ledSlots[1].bytes[6] = 55;
    editor.setSelectedRow(0);
    editor.menuItem(145); // between the two: takes slot 1, the later one moves to slot 2
    EXPECT_EQ(record().params[1].param1, 1);
    EXPECT_EQ(record().params[2].param1, 2);
    EXPECT_EQ(record().ledSlots[1], LedSlot::created());
    EXPECT_EQ(record().ledSlots[2].bytes[6], 55);
    EXPECT_EQ(rowTexts()[4], "LED 3");

    editor.setSelectedRow(2); // delete the middle one
    ASSERT_TRUE(editor.deleteSelected());
    EXPECT_EQ(record().ledSlotCount, 2);
    EXPECT_EQ(record().params[1].param1, 1);
    EXPECT_EQ(record().ledSlots[1].bytes[6], 55);
    EXPECT_EQ(record().ledSlots[2], LedSlot{});
    EXPECT_EQ(editor.selectedRow(), 0);
}

TEST_F(MacroEditorTest, DeleteKeepsCountersAndClearsTheFreedPosition) {
    editor.menuItem(253);
    editor.menuItem(257);
    editor.setSelectedRow(2);
    editor.deleteSelected();
    EXPECT_EQ(record().cpiCount, 0);
    EXPECT_EQ(record().moveCount, 1);
    EXPECT_EQ(record().step(1), MacroStep{});
    editor.deleteSelected(); // the only step
    EXPECT_EQ(record().stepCount, 0);
    EXPECT_EQ(record().moveCount, 0);
    EXPECT_TRUE(editor.stepRows().empty());
    EXPECT_EQ(editor.selectedRow(), 0);
    EXPECT_FALSE(editor.deleteSelected());
}

TEST_F(MacroEditorTest, ModifyDependsOnTheRow) {
    editor.menuItem(146);
    editor.menuItem(253);
    editor.menuItem(145);
    editor.setSelectedRow(0);
    EXPECT_EQ(editor.modify(), MacroEditor::Modify::CaptureKey);
    editor.setSelectedRow(1);
    EXPECT_EQ(editor.modify(), MacroEditor::Modify::EditRow);
    editor.setSelectedRow(2);
    EXPECT_EQ(editor.modify(), MacroEditor::Modify::EditRow);
    editor.setSelectedRow(4);
    EXPECT_EQ(editor.modify(), MacroEditor::Modify::Nothing);

    editor.setSelectedRow(1); // a delay row takes no key
    EXPECT_FALSE(editor.setKey(0x04));
    editor.setSelectedRow(0);
    EXPECT_TRUE(editor.setKey(0x04));
    EXPECT_EQ(record().code[0], 0x04);
    EXPECT_EQ(record().action[0], 0);
}

TEST_F(MacroEditorTest, DelayEdits) {
    editor.menuItem(146);
    EXPECT_TRUE(editor.commitStepEdit(1, "250"));
    EXPECT_EQ(record().delay[0], 250);
    EXPECT_TRUE(editor.commitStepEdit(1, "300ms"));
    EXPECT_EQ(record().delay[0], 300);
    EXPECT_FALSE(editor.commitStepEdit(1, "3x0ms"));
    EXPECT_FALSE(editor.commitStepEdit(1, "fast"));
    EXPECT_FALSE(editor.commitStepEdit(1, ""));
    EXPECT_EQ(record().delay[0], 300);
    EXPECT_TRUE(output.warnings.empty());
    EXPECT_TRUE(editor.commitStepEdit(1, "20000"));
    EXPECT_EQ(record().delay[0], 10000);
    EXPECT_EQ(tips(), std::vector<Tip>{Tip::LimitReached});
}

TEST_F(MacroEditorTest, CpiEdits) {
    editor.menuItem(257);
    EXPECT_TRUE(editor.commitStepEdit(0, "2000"));
    EXPECT_EQ(rowTexts()[0], "[DPI]:2000 ");
    EXPECT_TRUE(editor.commitStepEdit(0, "[DPI]:4800 "));
    EXPECT_EQ(record().params[0].param1, 15);
    EXPECT_TRUE(output.messages.empty());
    EXPECT_TRUE(editor.commitStepEdit(0, "1500"));
    EXPECT_EQ(rowTexts()[0], "[DPI]:800 ");
    EXPECT_EQ(output.messages, std::vector<std::string>{kCpiChoicesMessage});
}

TEST_F(MacroEditorTest, MoveEdits) {
    editor.menuItem(253);
    EXPECT_TRUE(editor.commitStepEdit(0, "[X-]:150,[Y-]:20"));
    EXPECT_EQ(record().params[0], (StepParams{100, 20}));
    ASSERT_EQ(output.warnings.size(), 1u);
    EXPECT_EQ(output.warnings[0], (std::pair<Tip, std::string>{Tip::OperationFailed, "[X]; "}));
    EXPECT_FALSE(editor.commitStepEdit(0, "[X-]:1a,[Y-]:20"));
    EXPECT_FALSE(editor.commitStepEdit(0, "[X-]:5,[Y-]:"));
    EXPECT_FALSE(editor.commitStepEdit(0, "5,6"));
    EXPECT_EQ(record().params[0], (StepParams{100, 20}));
    EXPECT_TRUE(editor.commitStepEdit(0, "[X-]:0,[Y-]:101"));
    EXPECT_EQ(record().params[0], (StepParams{0, 100}));
    EXPECT_EQ(output.warnings.back().second, "[Y]; ");
}

TEST_F(MacroEditorTest, LightingListAndItsEdits) {
    editor.menuItem(145);
    editor.setSelectedRow(0);
    LedSlot& slot = record().ledSlots[0];
    slot.bytes[0] = 2;
    slot.bytes[4] = 2;
    slot.bytes[5] = 0;
    std::vector<EditorRow> rows = editor.lightingRows();
    ASSERT_EQ(rows.size(), 7u); // bytes 4..10
    EXPECT_EQ(rows[0].text, "O6 L3");
    EXPECT_EQ(rows[1].text, "O7   1");
    EXPECT_EQ(rows[2].text, "O910*122ms");
    EXPECT_EQ(rows[3].text, rows[2].text);
    EXPECT_EQ(slot.bytes[5], 1);

    slot.bytes[4] = 42; // no name: shown as the others and kept as 7, which has no level
    rows = editor.lightingRows();
    EXPECT_EQ(rows[0].text, "O6 L8");
    EXPECT_EQ(rows[1].text, "O8");
    EXPECT_EQ(slot.bytes[4], 7);

    EXPECT_TRUE(editor.commitLightingEdit(2, "O9:55*122ms"));
    EXPECT_EQ(slot.bytes[6], 55);
    EXPECT_TRUE(editor.commitLightingEdit(2, "0"));
    EXPECT_EQ(slot.bytes[6], 1);
    EXPECT_TRUE(editor.commitLightingEdit(2, "150"));
    EXPECT_EQ(slot.bytes[6], 100);
    EXPECT_FALSE(editor.commitLightingEdit(2, "O9:5x*122ms"));
    EXPECT_EQ(tips(), std::vector<Tip>{Tip::LimitReached});
    EXPECT_EQ(output.saved, (std::vector<int>{0, 0, 0}));

    editor.setSelectedRow(1); // a delay row has no lighting list
    EXPECT_TRUE(editor.lightingRows().empty());
    EXPECT_FALSE(editor.commitLightingEdit(2, "5"));
}

TEST_F(MacroEditorTest, RepeatCountAndRunModes) {
    EXPECT_EQ(editor.repeatTextChanged("0"), "1");
    EXPECT_EQ(editor.repeatTextChanged(""), "1");
    EXPECT_EQ(editor.repeatTextChanged("5000"), "1000");
    EXPECT_EQ(editor.repeatTextChanged("12"), "12");
    EXPECT_EQ(record().repeatCount, 12);

    record().runMode = 0x0C;
    ASSERT_TRUE(editor.setRunMode(2));
    EXPECT_EQ(record().runMode, 0x0A);
    EXPECT_EQ(record().repeatCount, 1);
    EXPECT_EQ(editor.repeatBox().text, "1");
    EXPECT_FALSE(editor.repeatBox().enabled);
    ASSERT_TRUE(editor.setRunMode(0));
    EXPECT_EQ(record().runMode, 0x00);
    EXPECT_TRUE(editor.repeatBox().enabled);
    EXPECT_EQ(output.saved.size(), 6u);

    group.groupSealed = true;
    EXPECT_FALSE(editor.setRunMode(1));
    editor.setMacro(-1);
    EXPECT_EQ(editor.repeatTextChanged("7"), "7");
    EXPECT_EQ(output.saved.size(), 6u);
}

} // namespace
} // namespace zel
