#include "macros/MacroFiles.h"
#include "macros/MacroLibrary.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

class ShippedMacroDataTest : public ::testing::Test {
protected:
    std::string config(const std::string& name) const {
        return test::builtAppDir() + "/skins/config/" + name;
    }
    ini::IniStore store;
    MacVkAndText keys;
    test::RecordingWarningSink warnings;
    MacroFiles files{store, keys, warnings, 1};
};

TEST_F(ShippedMacroDataTest, ConstantMacrosReadBackWhole) {
    ConstMacros c;
    files.ReadConstMacros(config("constMacro.dat"), c);
    EXPECT_TRUE(warnings.warnings.empty());
    ASSERT_GE(c.count, 3);
    EXPECT_EQ(c.records[0].nameUtf8(), "Double Click");
    EXPECT_EQ(c.records[0].step(0), (MacroStep{kCodeLeftButton, kActionPress, 0, 0, 20}));
    EXPECT_EQ(c.records[2].nameUtf8(), "Copy");
    EXPECT_EQ(c.records[2].code[0], 224); // left Control
    EXPECT_EQ(c.records[2].code[1], 6);   // C

    // Every constant macro lies within the part of a value the reader takes, so reading the
    // file as a whole group gives the same records.
    MacroGroupState whole;
    files.ReadGroupFile(config("constMacro.dat"), whole);
    ASSERT_EQ(whole.groupMacros.count, c.count);
    for (int i = 0; i < c.count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(c.records[k], whole.groupMacros.records[k]) << i;
        EXPECT_LE(c.records[k].stepCount, 50) << i;
        EXPECT_GE(c.records[k].stepCount, 1) << i;
        EXPECT_FALSE(c.records[k].nameUtf8().empty()) << i;
    }
}

} // namespace
} // namespace zel

namespace zel {
namespace {

class NoTexts final : public DevMacNames {
public:
    std::string devMacName(int) const override { return std::string(); }
};

// The factory library of each shipped language loads through the group index: two groups,
// every group file present, every macro with a name and steps.
TEST_F(ShippedMacroDataTest, FactoryLibrariesOfEveryLanguageLoad) {
    struct Expected {
        int language;
        std::string folder;
        std::vector<std::string> groups;
    };
    const std::vector<Expected> all = {{0, "0_INI_CN", {"办公", "游戏"}},
                                       {1, "1_INI_EN", {"Office", "Game"}},
                                       {4, "4_INI_DE", {"Büro", "Spiel"}}};
    test::ScriptedFileChooser chooser;
    NoTexts texts;
    for (const Expected& e : all) {
        for (const std::string sub : {"macro/", "macroReset/"}) {
            const std::string dir = test::builtAppDir() + "/skins/" + e.folder + "/" + sub;
            files.setLanguage(e.language);
            MacroGroupState current;
            MacroLibrary library(store, files, current, warnings, chooser, texts,
                                 MacroFolders{dir, dir, config("")});
            library.start();
            EXPECT_EQ(library.groupNames(), e.groups) << dir;
            for (int g = 0; g < library.groupCount(); ++g) {
                MacroGroupState group;
                files.ReadGroupFile(*library.groupFilePath(g), group);
                EXPECT_EQ(group.datVersion, 3);
                EXPECT_FALSE(group.groupSealed);
                ASSERT_GE(group.groupMacros.count, 1) << dir << g;
                EXPECT_EQ(library.macroCount(g), group.groupMacros.count);
                for (int i = 0; i < group.groupMacros.count; ++i) {
                    const MacroRecord& r = group.groupMacros.records[static_cast<std::size_t>(i)];
                    EXPECT_FALSE(r.nameUtf8().empty()) << dir << g << i;
                    EXPECT_GE(r.stepCount, 2) << dir << g << i;
                    MacroRecord copy = r;
                    EXPECT_FALSE(normaliseMacroRecord(copy));
                }
            }
        }
    }
    EXPECT_TRUE(warnings.warnings.empty());

    // Undo is Ctrl+Z on every keyboard: on the German one Z sits where Y is elsewhere.
    MacroGroupState german;
    files.setLanguage(4);
    files.ReadGroupFile(test::builtAppDir() + "/skins/4_INI_DE/macro/Büro.dat", german);
    EXPECT_EQ(german.groupMacros.records[3].nameUtf8(), "Rückgängig");
    EXPECT_EQ(german.groupMacros.records[3].code[1], 28);
    MacroGroupState english;
    files.setLanguage(1);
    files.ReadGroupFile(test::builtAppDir() + "/skins/1_INI_EN/macro/Office.dat", english);
    EXPECT_EQ(english.groupMacros.records[3].code[1], 29);
}

} // namespace
} // namespace zel
