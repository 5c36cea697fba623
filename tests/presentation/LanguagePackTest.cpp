#include "presentation/LanguagePack.h"
#include "presentation/LanguageSwitch.h"
#include "presentation/LayoutReader.h"
#include "settings/FolderTree.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(LanguageFolders, TableAndGap) {
    EXPECT_EQ(languageFolderName(0), "/0_INI_CN");
    EXPECT_EQ(languageFolderName(1), "/1_INI_EN");
    EXPECT_EQ(languageFolderName(4), "/4_INI_DE");
    EXPECT_EQ(languageFolderName(19), "/19_INI_CNTW");
    EXPECT_EQ(languageFolderName(24), "/24_INI_UA");
    EXPECT_EQ(languageFolderName(25), "");
    EXPECT_EQ(languageFolderName(26), "/26_INI_HUN");
    EXPECT_EQ(languageFolderName(27), "");
    EXPECT_EQ(languageFolderName(-1), "");
    EXPECT_EQ(languageDir("/a/skins", 25), "/a/skins");
}

TEST(LanguageFolders, VerSelReadsWithItsBound) {
    test::TempDir dir;
    ini::IniStore store;
    const std::string config = dir.str() + "/config.ini";
    EXPECT_EQ(readLanguageIndex(store, config), 0);
    test::writeFile(config, "[Init]\nVER_SEL=26\n");
    EXPECT_EQ(readLanguageIndex(store, config), 26);
    store.clearCache();
    test::writeFile(config, "[Init]\nVER_SEL=12345\n");
    EXPECT_EQ(readLanguageIndex(store, config), 1234 & 0xFF);
}

TEST(LanguagePack, TablesTakeFieldOneAndBuildTheLightingLists) {
    test::TempDir dir;
    std::string led = "[UniqueName_LED]\n";
    for (int i = 0; i < 50; ++i) {
        led += std::to_string(i) + "=" + std::to_string(i) + ",L" + std::to_string(i) + ",\n";
    }
    test::writeFile(dir.path() / "LanguageText.ini",
                    "[TipText]\n5=5,Settings file missing,\n6=6,a,b,c\n7=whole\n"
                    "[UniqueName_DevMac]\n20=20,Left,\n21=21,Middle,\n22=22,Right,\n" +
                        led + "[UniqueName_MouseKey]\nfontFlag=0\nfont=/f.ttf\nfontName=Face\n");
    ini::IniStore store;
    LanguagePack pack;
    test::RecordingMessageSink messages;
    ASSERT_TRUE(pack.load(store, dir.str(), &messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(pack.text(TextTable::TipText, 5), "Settings file missing");
    EXPECT_EQ(pack.text(TextTable::TipText, 6), "");  // three commas: the whole value is field 0
    EXPECT_EQ(pack.text(TextTable::TipText, 7), "");  // no comma: no field 1
    EXPECT_EQ(pack.text(TextTable::TipText, 50), ""); // outside the table
    EXPECT_EQ(pack.devMacName(20), "Left");
    EXPECT_EQ(pack.devMacName(22), "Right");
    ASSERT_EQ(pack.effectNames().size(), 14u);
    EXPECT_EQ(pack.effectNames().front(), "L1");
    EXPECT_EQ(pack.effectNames().back(), "L14");
    EXPECT_EQ(pack.reactionNames(), (std::vector<std::string>{"L2", "L4", "L6", "L5"}));
    EXPECT_EQ(pack.modeNames(), (std::vector<std::string>{"L15", "L3", "L4", "L7", "L8"}));
    EXPECT_EQ(pack.fontFlag(), "0");
    EXPECT_EQ(pack.fontFile(), "/f.ttf");
    EXPECT_EQ(pack.fontName(), "Face");

    // The key tables name mouse buttons through the pack.
    const DevMacNames& names = pack;
    EXPECT_EQ(names.devMacName(21), "Middle");
}

TEST(LanguagePack, MissingPackShowsTheMessageAndEmptiesEverything) {
    test::TempDir dir;
    test::writeFile(dir.path() / "LanguageText.ini", "[TipText]\n5=5,Old,\n");
    ini::IniStore store;
    LanguagePack pack;
    ASSERT_TRUE(pack.load(store, dir.str(), nullptr));
    EXPECT_EQ(pack.text(TextTable::TipText, 5), "Old");

    test::RecordingMessageSink messages;
    EXPECT_FALSE(pack.load(store, dir.str() + "/nothing", &messages));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"找不到配置文件"});
    EXPECT_EQ(pack.text(TextTable::TipText, 5), "");
    EXPECT_EQ(pack.effectNames().size(), 14u);
    EXPECT_EQ(pack.fontFlag(), "");
}

TEST(LanguagePack, HugeValuesAreCut) {
    test::TempDir dir;
    test::writeFile(dir.path() / "LanguageText.ini",
                    "[TipText]\n1=1," + std::string(10000, 'w') +
                        ",\n2=" + std::string(10000, ',') +
                        "\n[UniqueName_MouseKey]\nfontName=" + std::string(10000, 'f') + "\n");
    ini::IniStore store;
    LanguagePack pack;
    ASSERT_TRUE(pack.load(store, dir.str(), nullptr));
    EXPECT_EQ(pack.text(TextTable::TipText, 1), std::string(kEntryBound - 2, 'w'));
    EXPECT_EQ(pack.text(TextTable::TipText, 2), "");
    EXPECT_EQ(pack.fontName().size(), kEntryBound);
}

TEST(LanguageSwitch, AppliesInOrderAndStoresTheIndex) {
    test::TempDir dir;
    const std::string skins = dir.str() + "/skins";
    test::writeFile(skins + "/config/config.ini", "[Init]\nVER_SEL=1\n");
    test::writeFile(skins + "/0_INI_CN/LanguageText.ini", "[TipText]\n5=5,中文,\n");
    ini::IniStore store;
    LanguagePack pack;
    int language = 1;
    LanguageContext context{store, skins, language, pack, nullptr};
    std::vector<std::string> steps;
    auto step = [&steps](const char* name) { return [&steps, name] { steps.push_back(name); }; };
    LanguageHooks hooks{step("save"),  step("skins"), step("macros"), step("page"),
                        step("menus"), step("title"), step("presets")};
    switchLanguage(0, context, hooks);
    EXPECT_EQ(language, 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"save", "skins", "macros", "page", "menus", "title",
                                               "presets"}));
    EXPECT_EQ(readLanguageIndex(store, skins + "/config/config.ini"), 0);
    EXPECT_EQ(pack.text(TextTable::TipText, 5), "中文");
}

} // namespace
} // namespace zel
