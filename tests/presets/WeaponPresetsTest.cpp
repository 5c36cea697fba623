#include "presets/WeaponPresets.h"
#include "presets/GunDialogModel.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "macros/MacroFiles.h"
#include "platform/ini/IniStore.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace zel {
namespace {

namespace fs = std::filesystem;

class WeaponPresetsTest : public ::testing::Test {
protected:
    std::string langFile(const std::string& folder) const {
        return app.appDir() + "/skins/" + folder + "/PUBG.dat";
    }
    std::string path() const { return langFile("1_INI_EN"); }
    WeaponPresets reread() {
        WeaponPresets p;
        MacroGroupState g;
        store.clearCache();
        presetStore.LoadPresets(path(), p, g);
        return p;
    }

    test::TempAppDir app;
    ini::IniStore store;
    MacVkAndText keys;
    test::RecordingWarningSink warnings;
    test::RecordingMessageSink messages;
    MacroFiles files{store, keys, warnings, 1};
    PresetStore presetStore{files, messages};
    WeaponPresets presets;
    MacroGroupState group;
};

// Every shipped preset file reads back through the preset reader: up to 12 weapons, each a
// loop of fire, pull down and release, named after its weapon.
TEST_F(WeaponPresetsTest, ShippedPresetFilesReadBack) {
    const std::string config = app.appDir() + "/skins/config/";
    for (const std::string& file :
         {langFile("0_INI_CN"), langFile("1_INI_EN"), langFile("4_INI_DE"), config + "PUBG.dat",
          config + "PUBG_CN.dat", config + "PUBG_EN.dat"}) {
        WeaponPresets p;
        MacroGroupState g;
        presetStore.LoadPresets(file, p, g);
        EXPECT_EQ(g.datVersion, 3) << file;
        ASSERT_GE(p.count, 1) << file;
        ASSERT_LE(p.count, 12) << file;
        for (int i = 0; i < p.count; ++i) {
            const MacroRecord& r = p.records[static_cast<std::size_t>(i)];
            EXPECT_FALSE(p.names[static_cast<std::size_t>(i)].empty()) << file << i;
            EXPECT_EQ(r.runMode & 3, 2) << file << i;
            EXPECT_EQ(r.step(0).code, kCodeLeftButton) << file << i;
            EXPECT_EQ(r.step(1).code, kCodeMove) << file << i;
            EXPECT_GT(r.params[1].param2, 0) << file << i;
            EXPECT_EQ(r.params[1].param2, r.extra77) << file << i;
            EXPECT_GT(r.delay[0], 0) << file << i;
        }
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(warnings.warnings.empty());
    WeaponPresets en;
    presetStore.LoadPresets(path(), en, group);
    EXPECT_EQ(en.names[0], "M416");
}

TEST_F(WeaponPresetsTest, MissingFileShowsTheMessageOnLoadAndOnStore) {
    fs::remove(path());
    presets.count = 5;
    presets.names[0] = "kept";
    presetStore.LoadPresets(path(), presets, group);
    EXPECT_EQ(presets.count, 0);
    EXPECT_EQ(presets.names[0], "kept");
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Can't find the PUBG file."});
    EXPECT_FALSE(presetStore.SavePreset(path(), presets, 0, 5));
    EXPECT_EQ(messages.messages.size(), 2u);
    EXPECT_FALSE(fs::exists(path()));
}

TEST_F(WeaponPresetsTest, SavePresetWritesTheStrengthIntoEveryPullingStep) {
    presetStore.LoadPresets(path(), presets, group);
    MacroRecord& r = presets.records[2];
    r.setStep(3, MacroStep{kCodeMove, kActionMoveRightDown, 4, 0, 10}); // sideways only
    r.stepCount = 4;
    r.moveCount = 2;
    ASSERT_TRUE(presetStore.SavePreset(path(), presets, 2, 42));
    EXPECT_EQ(r.params[1].param2, 42);
    EXPECT_EQ(r.params[3].param2, 0);
    const WeaponPresets back = reread();
    EXPECT_EQ(back.records[2].params[1].param2, 42);
    EXPECT_EQ(back.records[2].params[3].param2, 0);
    EXPECT_EQ(back.records[1], presets.records[1]);
    EXPECT_EQ(back.count, presets.count);
}

TEST_F(WeaponPresetsTest, DialogStoresTheBoxes) {
    presetStore.LoadPresets(path(), presets, group);
    GunDialogModel dialog(presetStore, presets, path());
    dialog.open();
    EXPECT_EQ(dialog.boxes.repeat, "1");
    EXPECT_FALSE(dialog.boxes.repeatEnabled);
    EXPECT_EQ(dialog.boxes.strength, std::to_string(presets.records[0].params[1].param2));
    EXPECT_EQ(dialog.boxes.interval, std::to_string(presets.records[0].delay[0]));

    dialog.boxes.strength = "0";
    dialog.boxes.interval = "77";
    dialog.storeAndClose();
    WeaponPresets back = reread();
    EXPECT_EQ(back.records[0].params[1].param2, 1);
    EXPECT_EQ(back.records[0].extra77, 1);
    EXPECT_EQ(back.records[0].extra76, 1);
    EXPECT_EQ(back.records[0].delay[0], 77);
    EXPECT_EQ(back.records[0].delay[1], 77);

    dialog.boxes.strength = "99";
    dialog.storeAndClose();
    EXPECT_EQ(reread().records[0].params[1].param2, 99);
}

TEST_F(WeaponPresetsTest, ChoosingAnotherWeaponStoresThePreviousOne) {
    presetStore.LoadPresets(path(), presets, group);
    GunDialogModel dialog(presetStore, presets, path());
    dialog.open();
    dialog.repeatMode();
    EXPECT_TRUE(dialog.boxes.repeatEnabled);
    EXPECT_EQ(presets.records[0].runMode & 3, 0);
    dialog.boxes.repeat = "3";
    dialog.boxes.strength = "12";
    dialog.chooseWeapon(3);
    EXPECT_EQ(presets.current, 2);
    const WeaponPresets back = reread();
    EXPECT_EQ(back.records[0].repeatCount, 3);
    EXPECT_EQ(back.records[0].params[1].param2, 12);
    EXPECT_EQ(dialog.boxes.strength, std::to_string(presets.records[2].params[1].param2));

    dialog.runMode2();
    EXPECT_EQ(presets.records[2].runMode & 7, 2);
    EXPECT_EQ(presets.records[2].repeatCount, 1);
    EXPECT_FALSE(dialog.boxes.repeatEnabled);

    // A weapon beyond the list, or the one shown, changes nothing.
    dialog.chooseWeapon(presets.count + 1);
    dialog.chooseWeapon(3);
    EXPECT_EQ(presets.current, 2);
    EXPECT_TRUE(messages.messages.empty());

    // A current preset that is not below the count is not stored.
    presets.count = 2;
    dialog.chooseWeapon(1);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"宏内容出错!"});
    EXPECT_EQ(presets.current, 0);
}

} // namespace
} // namespace zel
