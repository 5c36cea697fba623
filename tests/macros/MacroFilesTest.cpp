#include "macros/MacroFiles.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"

#include <gtest/gtest.h>
#include <map>

namespace zel {
namespace {

using test::readFile;
using test::RecordingWarningSink;
using test::TempDir;
using test::writeFile;

class PathGroups final : public MacroGroupFiles {
public:
    std::optional<std::string> groupFilePath(int group) const override {
        const auto it = paths.find(group);
        return it == paths.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::map<int, std::string> paths;
};

MacroRecord namedMacro(const std::string& name, std::uint8_t key, std::uint16_t delay) {
    MacroRecord r;
    r.setNameUtf8(name);
    r.repeatCount = 1;
    r.extra77 = 10;
    r.stepCount = 2;
    r.setStep(0, MacroStep{key, kActionPress, 0, 0, delay});
    r.setStep(1, MacroStep{key, kActionRelease, 0, 0, delay});
    return r;
}

class MacroFilesTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return (dir.path() / name).string(); }

    MacroGroupState threeMacros() const {
        MacroGroupState g;
        g.groupMacros.count = 3;
        g.groupMacros.records[0] = namedMacro("Copy", 6, 20);
        g.groupMacros.records[1] = namedMacro("Paste", 25, 30);
        g.groupMacros.records[2] = namedMacro("Undo", 29, 40);
        return g;
    }

    TempDir dir;
    ini::IniStore store;
    MacVkAndText keys;
    RecordingWarningSink warnings;
    MacroFiles files{store, keys, warnings, 1};
};

TEST_F(MacroFilesTest, GroupFileRoundTripsWithHeaderAndNames) {
    const MacroGroupState g = threeMacros();
    ASSERT_TRUE(files.WriteGroupFile(file("Office.dat"), g));
    const std::string text = readFile(file("Office.dat"));
    EXPECT_NE(text.find("[Init]\nDAT_VER=3\n"), std::string::npos) << text.substr(0, 80);
    EXPECT_NE(text.find("[Macros]\nmacroNum=3\n0="), std::string::npos);
    EXPECT_EQ(text.find("MacMd5"), std::string::npos);

    MacroGroupState back;
    back.groupSealed = true;
    files.ReadGroupFile(file("Office.dat"), back);
    EXPECT_EQ(back.datVersion, 3);
    EXPECT_FALSE(back.groupSealed);
    EXPECT_EQ(back.groupMacros.count, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.groupMacros.records[i], g.groupMacros.records[i]) << i;
    }
    EXPECT_EQ(back.groupMacros.records[kBlankTemplate], MacroRecord{});
    EXPECT_EQ(files.ReadMacroNames(file("Office.dat")),
              (std::vector<std::string>{"Copy", "Paste", "Undo"}));
    EXPECT_TRUE(warnings.warnings.empty());
}

TEST_F(MacroFilesTest, SealMarkerIsReadAndWrittenAgain) {
    MacroGroupState g = threeMacros();
    g.groupSealed = true;
    ASSERT_TRUE(files.WriteGroupFile(file("Sealed.dat"), g));
    EXPECT_NE(readFile(file("Sealed.dat")).find("MacMd5=MacMd5"), std::string::npos);

    MacroGroupState back;
    files.ReadGroupFile(file("Sealed.dat"), back);
    EXPECT_TRUE(back.groupSealed);
    // The flag is kept, so writing the group anywhere writes the marker again.
    ASSERT_TRUE(files.WriteGroupFile(file("Again.dat"), back));
    MacroGroupState again;
    files.ReadGroupFile(file("Again.dat"), again);
    EXPECT_TRUE(again.groupSealed);
    EXPECT_EQ(again.groupMacros.records[1], g.groupMacros.records[1]);
}

TEST_F(MacroFilesTest, MissingGroupFileWarnsAndGivesAnEmptyGroup) {
    MacroGroupState g = threeMacros();
    g.datVersion = 3;
    files.ReadGroupFile(file("absent.dat"), g);
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::FileMissing});
    EXPECT_EQ(g.datVersion, 0);
    EXPECT_EQ(g.groupMacros.count, 0);
    EXPECT_EQ(g.groupMacros.records[0], MacroRecord{});
}

TEST_F(MacroFilesTest, MacroNumOfZeroAndAboveTwelve) {
    const std::string one = encodeMacroValue(namedMacro("One", 4, 1), MacroKeyForm{keys, 1});
    std::string text = "[Init]\nDAT_VER=3\n[Macros]\nmacroNum=0\n0=" + one + "\n";
    writeFile(file("zero.dat"), text);
    MacroGroupState g;
    files.ReadGroupFile(file("zero.dat"), g);
    EXPECT_EQ(g.groupMacros.count, 0);
    EXPECT_EQ(g.groupMacros.records[0], MacroRecord{});

    text = "[Init]\nDAT_VER=3\n[Macros]\nmacroNum=40\n";
    for (int i = 0; i < 14; ++i) {
        text += std::to_string(i) + "=" + one + "\n";
    }
    writeFile(file("many.dat"), text);
    files.ReadGroupFile(file("many.dat"), g);
    EXPECT_EQ(g.groupMacros.count, 12);
    EXPECT_EQ(g.groupMacros.records[11].nameUtf8(), "One");
    EXPECT_EQ(g.groupMacros.records[kBlankTemplate], MacroRecord{});
    // The list of names treats such a file as a group without macros.
    EXPECT_TRUE(files.ReadMacroNames(file("many.dat")).empty());
    writeFile(file("neg.dat"), "[Macros]\nmacroNum=-3\n");
    files.ReadGroupFile(file("neg.dat"), g);
    EXPECT_EQ(g.groupMacros.count, 0);
}

TEST_F(MacroFilesTest, OlderVersionGroupFileUsesTheShortHeader) {
    std::string v(75 * 3, '0');
    v.replace(0, 3, "088");          // name "X"
    v.replace(63 * 3, 3, "001");     // one step
    v += "001240000000000000050000"; // left press, 50 ms
    writeFile(file("old.dat"), "[Init]\nDAT_VER=2\n[Macros]\nmacroNum=1\n0=" + v + "\n");
    MacroGroupState g;
    files.ReadGroupFile(file("old.dat"), g);
    EXPECT_EQ(g.datVersion, 2);
    EXPECT_EQ(g.groupMacros.records[0].nameUtf8(), "X");
    EXPECT_EQ(g.groupMacros.records[0].step(0),
              (MacroStep{kCodeLeftButton, kActionPress, 0, 0, 50}));
}

TEST_F(MacroFilesTest, WriteMacroTouchesOnlyItsKeyAndTheCount) {
    MacroGroupState g = threeMacros();
    ASSERT_TRUE(files.WriteGroupFile(file("g.dat"), g));
    const std::string before = readFile(file("g.dat"));
    g.groupMacros.records[1].repeatCount = 7;
    g.groupMacros.records[0].repeatCount = 9; // changed in memory only, not written
    ASSERT_TRUE(files.WriteMacro(file("g.dat"), g, 1));
    MacroGroupState back;
    files.ReadGroupFile(file("g.dat"), back);
    EXPECT_EQ(back.groupMacros.records[1].repeatCount, 7);
    EXPECT_EQ(back.groupMacros.records[0].repeatCount, 1);
    EXPECT_EQ(back.groupMacros.records[2], g.groupMacros.records[2]);

    // A new macro appended: the count grows with the new key.
    g.groupMacros.count = 4;
    g.groupMacros.records[3] = namedMacro("New", 7, 5);
    ASSERT_TRUE(files.WriteMacro(file("g.dat"), g, 3));
    EXPECT_EQ(files.ReadMacroNames(file("g.dat")).size(), 4u);
}

TEST_F(MacroFilesTest, LeftOverKeysOfALongerGroupAreNotReadAsMacros) {
    MacroGroupState g = threeMacros();
    ASSERT_TRUE(files.WriteGroupFile(file("g.dat"), g));
    g.groupMacros.count = 2; // the last macro deleted
    ASSERT_TRUE(files.WriteGroupFile(file("g.dat"), g));
    EXPECT_NE(readFile(file("g.dat")).find("\n2="), std::string::npos);

    PathGroups groups;
    groups.paths[0] = file("g.dat");
    EXPECT_EQ(files.ReadMacroFromGroup(groups, 0, 1, 3), g.groupMacros.records[1]);
    EXPECT_EQ(files.ReadMacroFromGroup(groups, 0, 2, 3), MacroRecord{});
    EXPECT_EQ(files.ReadMacroFromGroup(groups, 1, 0, 3), MacroRecord{});
    EXPECT_EQ(files.ReadMacroFromGroup(groups, 0, -1, 3), MacroRecord{});
}

TEST_F(MacroFilesTest, SingleMacroFileAndValueOfARecordHeldElsewhere) {
    MacroGroupState g = threeMacros();
    g.groupMacros.records[2].extra76 = 1;
    g.groupMacros.records[2].extra77 = 40;
    ASSERT_TRUE(files.WriteSingleMacroFile(file("undo.sdat"), g, 2));
    const std::string text = readFile(file("undo.sdat"));
    EXPECT_EQ(text.rfind("[Macros]\nMacro=", 0), 0u);
    EXPECT_EQ(text.find("[Init]"), std::string::npos);
    EXPECT_EQ(files.ReadSingleMacroFile(file("undo.sdat"), 3), g.groupMacros.records[2]);
    // With an older current group the extra items are not taken.
    const MacroRecord older = files.ReadSingleMacroFile(file("undo.sdat"), 2);
    EXPECT_EQ(older.extra77, 0);
    EXPECT_EQ(older.nameUtf8(), "Undo");

    ASSERT_TRUE(files.WriteGroupFile(file("g.dat"), g));
    MacroRecord changed = g.groupMacros.records[0];
    changed.repeatCount = 3;
    ASSERT_TRUE(files.WriteMacroValue(file("g.dat"), 0, changed));
    PathGroups groups;
    groups.paths[4] = file("g.dat");
    EXPECT_EQ(files.ReadMacroFromGroup(groups, 4, 0, 3), changed);
}

TEST_F(MacroFilesTest, ConstantMacrosCountOnlyTheFirst1463Characters) {
    MacroRecord r;
    r.setNameUtf8("Long");
    r.repeatCount = 1;
    r.stepCount = 60;
    for (int s = 0; s < 60; ++s) {
        r.setStep(s, MacroStep{4, kActionPress, 0, 0, static_cast<std::uint16_t>(100 + s)});
    }
    r.setStep(50, MacroStep{kCodeMove, kActionMoveLeftDown, 1, 2, 123}); // delay item "123"
    r.moveCount = 1;
    MacroGroupState g;
    g.groupMacros.count = 1;
    g.groupMacros.records[0] = r;
    ASSERT_TRUE(files.WriteGroupFile(file("constMacro.dat"), g));

    ConstMacros c;
    files.ReadConstMacros(file("constMacro.dat"), c);
    ASSERT_EQ(c.count, 1);
    const MacroRecord& got = c.records[0];
    EXPECT_EQ(got.nameUtf8(), "Long");
    EXPECT_EQ(got.step(49), r.step(49));
    // Step 50: action, code and both parameters, and two digits of the delay's low item.
    EXPECT_EQ(got.step(50), (MacroStep{kCodeMove, kActionMoveLeftDown, 1, 2, 12}));
    EXPECT_EQ(got.code[51], 0);
    EXPECT_EQ(got.stepCount, 60); // the steps past the limit read as pauses
    EXPECT_EQ(got.moveCount, 1);

    // The same file read as a group file has every step.
    MacroGroupState whole;
    files.ReadGroupFile(file("constMacro.dat"), whole);
    EXPECT_EQ(whole.groupMacros.records[0].delay[59], 159);
}

TEST_F(MacroFilesTest, ClearAndMoveRecords) {
    MacroBuffer b;
    b.records[3] = namedMacro("Three", 4, 1);
    b.records[3].extra76 = 1;
    b.records[3].extra77 = 50;
    b.records[3].reserved = {1, 2, 3, 4};
    MoveRecord(b, 3, 5);
    EXPECT_EQ(b.records[5], b.records[3]);
    ClearRecord(b, 3);
    MacroRecord expected;
    expected.extra76 = 1;
    expected.extra77 = 50;
    expected.reserved = {1, 2, 3, 4};
    EXPECT_EQ(b.records[3], expected);
    ClearRecord(b, 13); // outside the buffer: nothing happens
    MoveRecord(b, -1, 0);
    EXPECT_EQ(b.records[0], MacroRecord{});
}

TEST_F(MacroFilesTest, WriteIntoAnUnwritableFolderFails) {
    MacroGroupState g = threeMacros();
    EXPECT_FALSE(files.WriteGroupFile(file("no/such/folder/g.dat"), g));
    EXPECT_FALSE(files.WriteMacro(file("g.dat"), g, 13));
}

} // namespace
} // namespace zel
