#include "settings/AppDirSeed.h"

#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace zel;
namespace fs = std::filesystem;

TEST(AppDirSeed, PortableFolderIsUsedAsItIs) {
    test::TempDir dir;
    test::writeFile(dir.path() / "bin" / "skins" / "config" / "config.ini", "[Init]\n");
    EXPECT_EQ(locateAppDir((dir.path() / "bin").string(), (dir.path() / "home").string()),
              (dir.path() / "bin").string());
    EXPECT_FALSE(fs::exists(dir.path() / "home"));
}

TEST(AppDirSeed, InstalledDataIsSeededOnceAndUserFilesSurviveUpgrades) {
    test::TempDir dir;
    const fs::path share = dir.path() / "usr" / "share" / "zel-gmouse";
    test::writeFile(share / "skins" / "config" / "config.ini", "[Init]\nCurConfig=0\n");
    fs::create_directories(dir.path() / "usr" / "bin");
    fs::permissions(share / "skins" / "config" / "config.ini", fs::perms::owner_read);
    const std::string bin = (dir.path() / "usr" / "bin").string();
    const std::string home = (dir.path() / "home").string();

    const auto appDir = locateAppDir(bin, home);
    ASSERT_TRUE(appDir.has_value());
    EXPECT_EQ(*appDir, home + "/zel-gmouse");
    const fs::path userConfig = fs::path(*appDir) / "skins" / "config" / "config.ini";
    EXPECT_EQ(test::readFile(userConfig), "[Init]\nCurConfig=0\n");
    EXPECT_NE(fs::status(userConfig).permissions() & fs::perms::owner_write, fs::perms::none);

    // The user changes a setting; an upgrade brings a new file.
    test::writeFile(userConfig, "[Init]\nCurConfig=2\n");
    test::writeFile(share / "skins" / "1_INI_EN" / "new.ini", "x");
    ASSERT_TRUE(locateAppDir(bin, home).has_value());
    EXPECT_EQ(test::readFile(userConfig), "[Init]\nCurConfig=2\n");
    EXPECT_EQ(test::readFile(fs::path(*appDir) / "skins" / "1_INI_EN" / "new.ini"), "x");
}

TEST(AppDirSeed, NoDataAnywhere) {
    test::TempDir dir;
    EXPECT_EQ(locateAppDir(dir.str(), (dir.path() / "home").string()), std::nullopt);
}
