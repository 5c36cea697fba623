#include "settings/ProfileManager.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class ProfileManagerTest : public ::testing::Test {
protected:
    ProfileManagerTest() {
        description = loadDeviceDescription(ini, folders.settingsFile());
        for (int p = 0; p < 4; ++p) {
            store.loadProfile(folders.configDir, p, false);
        }
        manager.redraw = [this] { ++redraws; };
    }

    std::string exportPath(const std::string& name) const { return app.appDir() + "/" + name; }

    test::TempAppDir app;
    FolderTree folders = FolderTree::make(app.appDir(), 1);
    ini::IniStore ini;
    test::RecordingWarningSink warnings;
    test::ScriptedFileChooser chooser;
    MacVkAndText keys;
    DeviceDescription description;
    ProfileStore store{ini, warnings, keys, [] { return 1; }};
    std::atomic<std::int32_t> current{0};
    ProfileManager manager{store, ini, description, folders, current, warnings, chooser};
    int redraws = 0;
};

} // namespace

TEST_F(ProfileManagerTest, SelectingAProfileWritesNothing) {
    const std::string before = test::readFile(folders.settingsFile());
    manager.selectProfile(2);
    EXPECT_EQ(current.load(), 2);
    EXPECT_EQ(redraws, 1);
    manager.selectProfile(4);
    EXPECT_EQ(current.load(), 2);
    EXPECT_EQ(test::readFile(folders.settingsFile()), before);
}

TEST_F(ProfileManagerTest, ExportCopiesTheSettingsFileAndReplacesAnOldOne) {
    const std::string target = exportPath("mine.ini");
    test::writeFile(target, "old");
    chooser.answers.push_back(target);
    manager.exportProfiles();
    EXPECT_EQ(test::readFile(target), test::readFile(folders.settingsFile()));
    EXPECT_TRUE(warnings.warnings.empty());
    EXPECT_EQ(redraws, 1);
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].defaultExtension, "ini");
    EXPECT_EQ(chooser.requests[0].filter, "All Files(*.ini)|*.ini||");
    EXPECT_EQ(chooser.requests[0].initialFolder, app.appDir());
    EXPECT_EQ(chooser.requests[0].suggestedName, "ZEL GMouse GM8 profiles.ini");
    // Cancel: nothing happens.
    manager.exportProfiles();
    EXPECT_EQ(redraws, 1);
}

TEST_F(ProfileManagerTest, FailedExportIsReportedEvenWhenAnOldFileIsThere) {
    const std::string target = exportPath("locked/mine.ini");
    test::writeFile(target, "old");
    chooser.answers.push_back(target);
    std::filesystem::remove(folders.settingsFile()); // nothing to copy
    manager.exportProfiles();
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_EQ(test::readFile(target), "old");
}

TEST_F(ProfileManagerTest, ImportOfTheSameModelReplacesAndReloads) {
    // The imported file names the model in other letter case through PRODUCTNAME_CN.
    std::string text = test::readFile(folders.settingsFile());
    const std::string from = "PRODUCTNAME_CN=" + description.productNameCn;
    text.replace(text.find(from), from.size(), "PRODUCTNAME_CN=zel gmouse gm8");
    const std::string key = "[Config2]\nK0=1\n";
    text.replace(text.find(key), key.size(), "[Config2]\nK0=5\n");
    const std::string source = exportPath("import.ini");
    test::writeFile(source, text);
    current = 3;
    chooser.answers.push_back(source);
    manager.importProfiles();
    EXPECT_TRUE(warnings.warnings.empty());
    EXPECT_EQ(test::readFile(folders.settingsFile()), text);
    EXPECT_EQ(store.profiles[2].buttonCode[0], 5);
    EXPECT_EQ(current.load(), 3);
    EXPECT_EQ(redraws, 1);
}

TEST_F(ProfileManagerTest, ImportOfAnotherModelOrAMissingFileChangesNothing) {
    const std::string before = test::readFile(folders.settingsFile());
    const std::string other = exportPath("other.ini");
    test::writeFile(other, "[PRODUCTNAME]\nPRODUCTNAME_CN=Other Mouse\n[Config0]\nK0=9\n");
    const std::string noName = exportPath("noname.ini");
    test::writeFile(noName, "[Config0]\nK0=9\n");
    chooser.answers = {other, noName, exportPath("absent.ini")};
    manager.importProfiles();
    manager.importProfiles();
    manager.importProfiles();
    // A missing file has no product name either, so it is refused as another model.
    EXPECT_EQ(warnings.warnings,
              (std::vector<Tip>{Tip::OtherModel, Tip::OtherModel, Tip::OtherModel}));
    EXPECT_EQ(test::readFile(folders.settingsFile()), before);
    EXPECT_EQ(store.profiles[0].buttonCode[0], 1);
    EXPECT_EQ(redraws, 0);
}

TEST_F(ProfileManagerTest, ResetRestoresTheFactoryProfilesWithTheLoadFilters) {
    // A factory copy with a switched-off reaction: the load forces it back on.
    std::string factory = test::readFile(folders.factoryFile());
    const std::string flag = "[Config0]\nK0=1\nLED_REACT_EN0=1";
    factory.replace(factory.find(flag), flag.size(), "[Config0]\nK0=1\nLED_REACT_EN0=0");
    test::writeFile(folders.factoryFile(), factory);
    store.profiles[1].buttonCode[0] = 7;
    store.shared.fireTime = 300;
    ASSERT_TRUE(store.saveAllProfiles(folders.settingsFile(), 0));
    current = 2;
    manager.resetAllProfiles();
    EXPECT_EQ(store.profiles[1].buttonCode[0], 1);
    EXPECT_EQ(store.shared.fireTime, 50);
    EXPECT_EQ(ini.read(folders.settingsFile(), "Config1", "K0", 259), "1");
    EXPECT_EQ(ini.read(folders.settingsFile(), "Config0", "LED_REACT_EN0", 4), "1");
    EXPECT_EQ(ini.read(folders.settingsFile(), "ShareData", "FIRE_TIME", 4), "50");
    EXPECT_EQ(current.load(), 2);
    EXPECT_EQ(redraws, 1);
}

TEST_F(ProfileManagerTest, ResetWithoutFactoryCopyWarnsForEveryProfile) {
    std::filesystem::remove(folders.factoryFile());
    store.shared.fireTime = 123;
    manager.resetAllProfiles();
    EXPECT_EQ(warnings.warnings, (std::vector<Tip>{Tip::FileMissing, Tip::FileMissing,
                                                   Tip::FileMissing, Tip::FileMissing}));
    EXPECT_EQ(ini.read(folders.settingsFile(), "ShareData", "FIRE_TIME", 4), "123");
}
