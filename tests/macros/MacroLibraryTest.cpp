#include "macros/MacroLibrary.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "macros/UniqueName.h"
#include "platform/ini/IniStore.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class Texts final : public DevMacNames {
public:
    std::string devMacName(int entry) const override {
        const auto it = names.find(entry);
        return it == names.end() ? std::string() : it->second;
    }
    std::map<int, std::string> names{{36, "Macro Group"}, {37, "Macro"}};
};

class RecordingView final : public MacroPageView {
public:
    void showSteps(int macro) override { shown.push_back(macro); }
    void clearLightingList() override { ++lightingCleared; }
    std::vector<int> shown;
    int lightingCleared = 0;
};

class FakeRecorder final : public MacroRecordingControl {
public:
    bool recording() const override { return active; }
    void endWithoutSaving() override {
        active = false;
        ++ended;
    }
    bool active = false;
    int ended = 0;
};

class MacroLibraryTest : public ::testing::Test {
protected:
    MacroLibraryTest() {
        library.setView(&view);
        library.setRecorder(&recorder);
    }
    std::string lang() const { return app.appDir() + "/skins/1_INI_EN/"; }
    std::string macroDir() const { return lang() + "macro/"; }
    std::vector<std::string> indexNames() {
        store.clearCache();
        std::vector<std::string> names;
        const int n = store.readInt(macroDir() + "macroGrp.ini", "MACRO_GROUP_NUM", "macGrpNum", 8);
        for (int i = 0; i < n; ++i) {
            names.push_back(
                store.read(macroDir() + "macroGrp.ini", "MACRO_GROUP_NAME", std::to_string(i), 59));
        }
        return names;
    }
    int rowOfGroup(int g) const {
        for (std::size_t r = 0; r < library.rows().size(); ++r) {
            if (library.rows()[r].isGroup && library.rows()[r].group == g) {
                return static_cast<int>(r);
            }
        }
        return -1;
    }

    test::TempAppDir app;
    ini::IniStore store;
    MacVkAndText keys;
    test::RecordingWarningSink warnings;
    test::ScriptedFileChooser chooser;
    Texts texts;
    RecordingView view;
    FakeRecorder recorder;
    MacroGroupState current;
    std::vector<int> sleeps;
    MacroFiles files{store, keys, warnings, 1};
    MacroLibrary library{
        store,
        files,
        current,
        warnings,
        chooser,
        texts,
        MacroFolders{macroDir(), lang() + "macroReset/", app.appDir() + "/skins/config/"},
        [this](int ms) { sleeps.push_back(ms); }};
};

TEST(UniqueNameTest, TwoDigitFamilies) {
    EXPECT_EQ(makeUniqueName("Macro", {"Macro", "Macro02"}, 29), "Macro03");
    EXPECT_EQ(makeUniqueName("Macro", {"Macro"}, 29), "Macro02");
    EXPECT_EQ(makeUniqueName("Macro", {"Other"}, 29), "Macro");
    EXPECT_EQ(makeUniqueName("Macro02", {"Macro02", "Macro07", "Macro"}, 29), "Macro08");
    EXPECT_EQ(makeUniqueName("12", {"12"}, 29), "12");
    EXPECT_EQ(makeUniqueName("M", {"M"}, 29), "M02");
    EXPECT_EQ(makeUniqueName("宏", {"宏", "宏05"}, 29), "宏06");
    // The base gives way to the number when the name is at its limit.
    EXPECT_EQ(makeUniqueName("abcdef", {"abcdef"}, 6), "abcd02");
}

TEST(UniqueNameTest, GroupNamesMustStayInTheMacroFolder) {
    EXPECT_TRUE(isSafeGroupName("Office"));
    EXPECT_TRUE(isSafeGroupName("..x"));
    EXPECT_FALSE(isSafeGroupName(""));
    EXPECT_FALSE(isSafeGroupName("."));
    EXPECT_FALSE(isSafeGroupName(".."));
    EXPECT_FALSE(isSafeGroupName("../config/config"));
    EXPECT_FALSE(isSafeGroupName(std::string("a\0b", 3)));
}

TEST_F(MacroLibraryTest, StartLoadsTheShippedGroupsCollapsed) {
    library.start();
    EXPECT_TRUE(warnings.warnings.empty());
    ASSERT_EQ(library.groupNames(), (std::vector<std::string>{"Office", "Game"}));
    ASSERT_EQ(library.rows().size(), 2u);
    EXPECT_EQ(library.rows()[0], (MacroListRow{true, 0, -1, 0, "Office"}));
    EXPECT_EQ(current.groupMacros.count, library.macroCount(0));
    EXPECT_EQ(library.macroNames(0)[0], "Copy");
    EXPECT_EQ(library.groupFilePath(1), macroDir() + "Game.dat");
    EXPECT_EQ(library.groupFilePath(2), std::nullopt);
    // The download reads a group's macro through the index.
    EXPECT_EQ(files.ReadMacroFromGroup(library, 1, 0, 3).nameUtf8(), "Bunny Hop");
}

TEST_F(MacroLibraryTest, GroupsWhoseFileIsMissingAreDropped) {
    writeFile(macroDir() + "Third.dat", "");
    fs::remove(macroDir() + "Office.dat");
    store.write(macroDir() + "macroGrp.ini", "MACRO_GROUP_NUM", "macGrpNum", "4");
    store.write(macroDir() + "macroGrp.ini", "MACRO_GROUP_NAME", "2", "Third");
    store.write(macroDir() + "macroGrp.ini", "MACRO_GROUP_NAME", "3", "../../config/config");
    library.start();
    EXPECT_EQ(library.groupNames(), (std::vector<std::string>{"Game", "Third"}));
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"Game", "Third"}));
    EXPECT_EQ(store.read(macroDir() + "macroGrp.ini", "MACRO_GROUP_NAME", "2", 59), "");
    EXPECT_TRUE(warnings.warnings.empty());

    fs::remove(macroDir() + "macroGrp.ini");
    library.start();
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::FileMissing});
    EXPECT_EQ(library.groupCount(), 0);
    EXPECT_TRUE(library.rows().empty());
}

TEST_F(MacroLibraryTest, AGroupWhoseFileCannotBeReadNowKeepsItsPlace) {
    // A link loop is there but cannot be read: only a file that is gone drops its group.
    fs::remove(macroDir() + "Office.dat");
    fs::create_symlink("Office.dat", macroDir() + "Office.dat");
    const std::string before = readFile(macroDir() + "macroGrp.ini");
    library.start();
    EXPECT_EQ(library.groupNames(), (std::vector<std::string>{"Office", "Game"}));
    EXPECT_EQ(readFile(macroDir() + "macroGrp.ini"), before);
}

TEST_F(MacroLibraryTest, AReadOnlyLibraryDropsMissingGroupsInMemoryOnly) {
    fs::remove(macroDir() + "Office.dat");
    const std::string before = readFile(macroDir() + "macroGrp.ini");
    library.setReadOnly(true);
    library.start();
    EXPECT_EQ(library.groupNames(), (std::vector<std::string>{"Game"}));
    EXPECT_EQ(readFile(macroDir() + "macroGrp.ini"), before);
}

TEST_F(MacroLibraryTest, SelectingRowsExpandsReadsAndSavesTheRepeatCount) {
    library.start();
    library.selectRow(1); // Game
    EXPECT_EQ(library.currentGroup(), 1);
    EXPECT_TRUE(library.expanded(1));
    ASSERT_EQ(library.rows().size(), 2u + 5u);
    EXPECT_EQ(library.rows()[2], (MacroListRow{false, 1, 0, 2, "Bunny Hop"}));
    EXPECT_EQ(library.rows()[1].icon, 1);
    EXPECT_EQ(current.groupMacros.records[0].nameUtf8(), "Bunny Hop");

    library.selectRow(2);
    EXPECT_EQ(library.currentMacro(), 0);
    EXPECT_EQ(view.shown.back(), 0);
    EXPECT_EQ(library.repeatBox.text, "5");
    EXPECT_TRUE(library.repeatBox.enabled);

    // The user types 9, then moves to the next macro: the count reaches the group file.
    library.repeatBox.text = "9";
    recorder.active = true;
    library.selectRow(3);
    EXPECT_EQ(recorder.ended, 1);
    EXPECT_EQ(library.currentMacro(), 1);
    MacroGroupState onDisk;
    files.ReadGroupFile(macroDir() + "Game.dat", onDisk);
    EXPECT_EQ(onDisk.groupMacros.records[0].repeatCount, 9);

    // Back to the group row: it toggles (closed); selected again it only toggles (open).
    library.selectRow(1);
    EXPECT_FALSE(library.expanded(1));
    EXPECT_EQ(library.rows().size(), 2u);
    library.selectRow(1);
    EXPECT_TRUE(library.expanded(1));
    EXPECT_EQ(library.rows().size(), 7u);
}

TEST_F(MacroLibraryTest, NewGroupsAndMacrosGetUniqueNames) {
    library.start();
    library.newGroup();
    library.newGroup();
    library.newGroup();
    EXPECT_EQ(library.groupNames(), (std::vector<std::string>{"Office", "Game", "Macro Group",
                                                              "Macro Group02", "Macro Group03"}));
    EXPECT_EQ(indexNames(), library.groupNames());
    EXPECT_TRUE(fs::exists(macroDir() + "Macro Group03.dat"));
    EXPECT_EQ(library.currentGroup(), 4);
    EXPECT_EQ(library.selectedRow(), rowOfGroup(4));
    EXPECT_EQ(current.groupMacros.count, 0);

    library.newMacro();
    library.newMacro();
    EXPECT_EQ(library.macroNames(4), (std::vector<std::string>{"Macro", "Macro02"}));
    EXPECT_TRUE(library.expanded(4));

    for (int i = 2; i < 12; ++i) {
        library.newMacro();
    }
    EXPECT_TRUE(warnings.warnings.empty());
    library.newMacro();
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::LimitReached});
    EXPECT_EQ(library.macroCount(4), 12);

    while (library.groupCount() < 12) {
        library.newGroup();
    }
    library.newGroup();
    EXPECT_EQ(warnings.warnings.back(), Tip::TwelveGroups);
    EXPECT_EQ(library.groupCount(), 12);
}

TEST_F(MacroLibraryTest, DefaultGroupNameThatWouldLeaveTheFolderIsRefused) {
    texts.names[36] = "../escape";
    library.start();
    library.newGroup();
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_EQ(library.groupCount(), 2);
    EXPECT_FALSE(fs::exists(lang() + "escape.dat"));
}

TEST_F(MacroLibraryTest, RenameGroupMovesItsFile) {
    library.start();
    EXPECT_EQ(library.renameRow(0, "   Work"), "Work");
    EXPECT_EQ(library.groupNames()[0], "Work");
    EXPECT_EQ(indexNames()[0], "Work");
    EXPECT_TRUE(fs::exists(macroDir() + "Work.dat"));
    EXPECT_FALSE(fs::exists(macroDir() + "Office.dat"));
    EXPECT_EQ(library.macroNames(0)[0], "Copy");

    EXPECT_EQ(library.renameRow(0, "   "), "Work"); // empty text puts the old name back
    EXPECT_EQ(library.renameRow(0, "Game"), "Game02");
    EXPECT_EQ(library.renameRow(0, "Game02"), "Game02");
    EXPECT_TRUE(warnings.warnings.empty());

    for (const std::string bad : {"../x", "a/b", "..", "."}) {
        EXPECT_EQ(library.renameRow(0, bad), "Game02");
        EXPECT_EQ(warnings.warnings.back(), Tip::OperationFailed);
    }
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"Game02", "Game"}));
    EXPECT_EQ(library.renameRow(0, std::string(70, 'n')), std::string(59, 'n'));

    EXPECT_EQ(library.renameRow(7, "x"), "");
    EXPECT_EQ(warnings.warnings.back(), Tip::SelectRowFirst);
}

TEST_F(MacroLibraryTest, RenameGroupRollsBackWhenTheCopyFails) {
    library.start();
    fs::create_directories(macroDir() + "Blocked.dat"); // a folder where the copy must go
    EXPECT_EQ(library.renameRow(1, "Blocked"), "Game");
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_EQ(library.groupNames()[1], "Game");
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"Office", "Game"}));
    EXPECT_TRUE(fs::exists(macroDir() + "Game.dat"));

    fs::remove(macroDir() + "Game.dat");
    EXPECT_EQ(library.renameRow(1, "Other"), "Game");
    EXPECT_EQ(warnings.warnings.back(), Tip::FileMissing);
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"Office", "Game"}));
}

TEST_F(MacroLibraryTest, RenameMacroWithinItsGroup) {
    library.start();
    library.selectRow(0); // Office expanded: rows 1.. are Copy, Paste, ...
    EXPECT_EQ(library.renameRow(2, "Copy"), "Copy02");
    EXPECT_EQ(library.renameRow(2, "Copy02"), "Copy02");
    EXPECT_EQ(library.renameRow(2, ""), "Copy02");
    EXPECT_EQ(library.renameRow(2, std::string(40, 'q')), std::string(29, 'q'));
    EXPECT_EQ(files.ReadMacroNames(macroDir() + "Office.dat")[1], std::string(29, 'q'));
    EXPECT_EQ(library.rows()[2].text, std::string(29, 'q'));
}

TEST_F(MacroLibraryTest, DeleteMacroAndGroups) {
    library.start();
    library.selectRow(0);
    library.selectRow(2); // Paste
    const int before = library.macroCount(0);
    library.deleteMacro();
    EXPECT_EQ(library.macroCount(0), before - 1);
    EXPECT_EQ(library.macroNames(0)[1], "Cut");
    EXPECT_EQ(library.selectedRow(), 1);
    EXPECT_EQ(library.currentMacro(), 0);
    MacroGroupState onDisk;
    files.ReadGroupFile(macroDir() + "Office.dat", onDisk);
    EXPECT_EQ(onDisk.groupMacros.count, before - 1);

    recorder.active = true;
    library.deleteMacro(); // never while recording
    EXPECT_EQ(library.macroCount(0), before - 1);
    recorder.active = false;

    library.selectRow(0);
    library.deleteGroup();
    EXPECT_EQ(library.groupNames(), std::vector<std::string>{"Game"});
    EXPECT_FALSE(fs::exists(macroDir() + "Office.dat"));
    EXPECT_EQ(current.groupMacros.records[0].nameUtf8(), "Bunny Hop");
    library.deleteGroup();
    EXPECT_EQ(library.groupCount(), 0);
    EXPECT_TRUE(library.rows().empty());
    EXPECT_EQ(current.groupMacros.count, 0);
    EXPECT_EQ(indexNames(), std::vector<std::string>{});
    library.deleteGroup(); // nothing left: nothing happens
    EXPECT_TRUE(warnings.warnings.empty());
}

TEST_F(MacroLibraryTest, ResetRestoresTheFactoryGroups) {
    library.start();
    library.newGroup();
    library.renameRow(0, "Work");
    writeFile(macroDir() + "sub/stray.txt", "x");
    library.resetAllGroups();
    EXPECT_EQ(library.groupNames(), (std::vector<std::string>{"Office", "Game"}));
    EXPECT_FALSE(fs::exists(macroDir() + "Work.dat"));
    EXPECT_FALSE(fs::exists(macroDir() + "sub"));
    EXPECT_EQ(sleeps, std::vector<int>{100});
    EXPECT_EQ(current.groupMacros.records[0].nameUtf8(), "Copy");
    EXPECT_FALSE(library.expanded(0));

    // A factory copy that cannot be copied whole leaves the library as it was.
    library.renameRow(0, "Mine");
    fs::create_symlink(lang() + "nowhere", lang() + "macroReset/broken.dat");
    library.resetAllGroups();
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"Mine", "Game"}));
    EXPECT_TRUE(fs::exists(macroDir() + "Mine.dat"));
    EXPECT_FALSE(fs::exists(lang() + "macro.new"));
}

TEST_F(MacroLibraryTest, ImportGroup) {
    library.start();
    // Its own files are ignored, however the path is written.
    chooser.answers.push_back(app.appDir() + "/skins/config/../config/PUBG.dat");
    library.importGroup();
    EXPECT_EQ(library.groupCount(), 2);
    EXPECT_TRUE(warnings.warnings.empty());

    chooser.answers.push_back(lang() + "macroReset/Game.dat");
    library.importGroup();
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::GroupExists});
    EXPECT_EQ(library.currentGroup(), 0);

    fs::copy_file(lang() + "macroReset/Game.dat", app.path() / "Shooter.DAT");
    chooser.answers.push_back((app.path() / "Shooter.DAT").string());
    library.importGroup();
    EXPECT_EQ(library.groupNames().back(), "Shooter");
    EXPECT_EQ(library.currentGroup(), 2);
    EXPECT_EQ(current.groupMacros.records[0].nameUtf8(), "Bunny Hop");
    EXPECT_EQ(indexNames().back(), "Shooter");
    EXPECT_EQ(chooser.requests.back().filter, "All Files(*.dat)|*.dat||");
    EXPECT_EQ(chooser.requests.back().initialFolder, macroDir());

    writeFile(app.path() / ".dat", "");
    chooser.answers.push_back((app.path() / ".dat").string());
    library.importGroup();
    EXPECT_EQ(warnings.warnings.back(), Tip::OperationFailed);
    EXPECT_EQ(library.groupCount(), 3);
}

TEST_F(MacroLibraryTest, SealedExportBlocksViewingAndSingleMacroExchange) {
    library.start();
    library.selectRow(0);
    library.selectRow(1); // Copy
    const std::string sealedPath = (app.path() / "sealed.dat").string();
    chooser.answers.push_back(sealedPath);
    library.exportGroupSealed();
    EXPECT_TRUE(current.groupSealed);
    EXPECT_EQ(view.shown.back(), -1);
    EXPECT_FALSE(library.repeatBox.enabled);
    EXPECT_NE(readFile(sealedPath).find("MacMd5=MacMd5"), std::string::npos);

    library.exportMacro();
    library.importMacro();
    EXPECT_EQ(warnings.warnings, (std::vector<Tip>{Tip::GroupSealed, Tip::GroupSealed}));

    // Imported back, the sealed group shows no steps.
    chooser.answers.push_back(sealedPath);
    library.importGroup();
    EXPECT_EQ(library.groupNames().back(), "sealed");
    library.selectRow(rowOfGroup(2));
    library.selectRow(rowOfGroup(2) + 1);
    EXPECT_TRUE(current.groupSealed);
    EXPECT_EQ(view.shown.back(), -1);

    // A plain export of a sealed group is sealed again.
    const std::string again = (app.path() / "again.dat").string();
    chooser.answers.push_back(again);
    library.exportGroup();
    EXPECT_NE(readFile(again).find("MacMd5=MacMd5"), std::string::npos);
}

TEST_F(MacroLibraryTest, SingleMacroExportAndImport) {
    library.start();
    library.selectRow(0);
    library.selectRow(1); // Copy
    const std::string path = (app.path() / "copy.sdat").string();
    chooser.answers.push_back(path);
    library.exportMacro();
    EXPECT_EQ(chooser.requests.back().defaultExtension, "sdat");
    // The save dialog proposes the macro's own name.
    EXPECT_EQ(chooser.requests.back().suggestedName, "Copy.sdat");
    ASSERT_TRUE(fs::exists(path));

    chooser.answers.push_back(path);
    library.importMacro();
    const int n = library.macroCount(0);
    EXPECT_EQ(library.macroNames(0).back(), "Copy02");
    MacroGroupState onDisk;
    files.ReadGroupFile(macroDir() + "Office.dat", onDisk);
    EXPECT_EQ(onDisk.groupMacros.count, n);
    MacroRecord expected = onDisk.groupMacros.records[0];
    expected.setNameUtf8("Copy02");
    EXPECT_EQ(onDisk.groupMacros.records[static_cast<std::size_t>(n - 1)], expected);
    EXPECT_TRUE(warnings.warnings.empty());
}

} // namespace
} // namespace zel
