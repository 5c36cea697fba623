#include "settings/FolderTree.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(FolderTree, BuildsEveryPathByConcatenation) {
    const FolderTree t = FolderTree::make("/opt/zel/", 1);
    EXPECT_EQ(t.appDir, "/opt/zel");
    EXPECT_EQ(t.skinsDir, "/opt/zel/skins");
    EXPECT_EQ(t.configDir, "/opt/zel/skins/config/");
    EXPECT_EQ(t.languageDir, "/opt/zel/skins/1_INI_EN");
    EXPECT_EQ(t.macroDir, "/opt/zel/skins/1_INI_EN/macro/");
    EXPECT_EQ(t.macroResetDir, "/opt/zel/skins/1_INI_EN/macroReset/");
    EXPECT_EQ(t.settingsFile(), "/opt/zel/skins/config/config.ini");
    EXPECT_EQ(t.factoryFile(), "/opt/zel/skins/config/configReset.ini");
    EXPECT_EQ(t.constMacroFile(), "/opt/zel/skins/config//constMacro.dat");
}

TEST(FolderTree, LanguageChangesRebuildTheLanguageFolders) {
    FolderTree t = FolderTree::make("/a", 0);
    EXPECT_EQ(t.languageDir, "/a/skins/0_INI_CN");
    t.setLanguage(26);
    EXPECT_EQ(t.macroDir, "/a/skins/26_INI_HUN/macro/");
    // Index 25 has no folder: the language folder is the skins folder itself.
    t.setLanguage(25);
    EXPECT_EQ(t.languageDir, "/a/skins");
    EXPECT_EQ(languageFolderName(4), "/4_INI_DE");
    EXPECT_EQ(languageFolderName(-1), "");
    EXPECT_EQ(languageFolderName(27), "");
}

TEST(AppDir, OptionThenEnvironmentThenExecutableFolder) {
    EXPECT_EQ(resolveAppDir({std::string("/x/"), std::string("/y"), "/z"}), "/x");
    EXPECT_EQ(resolveAppDir({std::nullopt, std::string("/y"), "/z"}), "/y");
    EXPECT_EQ(resolveAppDir({std::string(""), std::nullopt, "/z/"}), "/z");
    const char* argv1[] = {"prog", "-HIDE", "--app-dir", "/data"};
    EXPECT_EQ(appDirOption(4, argv1), "/data");
    const char* argv2[] = {"prog", "--app-dir=/d2"};
    EXPECT_EQ(appDirOption(2, argv2), "/d2");
    const char* argv3[] = {"prog", "--app-dir"};
    EXPECT_EQ(appDirOption(2, argv3), std::nullopt);
}
