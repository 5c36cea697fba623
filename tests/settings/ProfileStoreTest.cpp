#include "settings/ProfileStore.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"

#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

using namespace zel;

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    std::string folder() const { return dir.str() + "/"; }
    std::string configFile() const { return folder() + "config.ini"; }
    void writeConfig(const std::string& text) const { test::writeFile(configFile(), text); }
    std::string stored(const std::string& section, const std::string& key) {
        ini::IniStore fresh;
        return fresh.read(configFile(), section, key, 1000);
    }

    test::TempDir dir;
    ini::IniStore ini;
    test::RecordingWarningSink warnings;
    MacVkAndText keys;
    ProfileStore store{ini, warnings, keys, [] { return 1; }};
};

} // namespace

TEST_F(ProfileStoreTest, MissingFileWarnsAndKeepsTheStartValues) {
    EXPECT_FALSE(store.loadProfile(folder(), 0, false));
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::FileMissing});
    EXPECT_EQ(store.shared.fireTime, 50);
    EXPECT_EQ(store.shared.ledUserColourEnable, 1);
    EXPECT_EQ(store.profiles[0].buttonCode[0], 0);
}

TEST_F(ProfileStoreTest, ButtonKeysAndCombinations) {
    writeConfig("[Config2]\nK3=7\nK4=7,abc\nK5=33,\nK6=33,Ctrl&split&162&split&Shift&split&"
                "&split&Alt&split&&split&Win&split&&split&A&split&65\nK7=12345678901\n");
    ASSERT_TRUE(store.loadProfile(folder(), 2, false));
    const auto& p = store.profiles[2];
    EXPECT_EQ(p.buttonCode[3], 7);
    EXPECT_EQ(p.comboText[3], "");
    EXPECT_EQ(p.buttonCode[4], 7);
    EXPECT_EQ(p.comboText[4], "abc");
    EXPECT_EQ(p.buttonCode[5], 33);
    EXPECT_EQ(p.comboRecord[5].stepCount, 0);
    EXPECT_EQ(p.comboRecord[5].nameUtf8(), "");
    const MacroRecord& r = p.comboRecord[6];
    EXPECT_EQ(r.nameUtf8(), "Ctrl+A");
    EXPECT_EQ(r.runMode, 2);
    EXPECT_EQ(r.repeatCount, 1);
    ASSERT_EQ(r.stepCount, 2);
    EXPECT_EQ(r.step(0), (MacroStep{224, 1, 0, 0, 4}));
    EXPECT_EQ(r.step(1), (MacroStep{4, 1, 0, 0, 4}));
    // Only code 33 carries its combination into the file.
    ASSERT_TRUE(store.saveProfile(configFile(), 2));
    EXPECT_EQ(stored("Config2", "K4"), "7");
    EXPECT_EQ(stored("Config2", "K5"), "33,");
}

TEST_F(ProfileStoreTest, LoadFiltersOfThePerButtonAndSharedKeys) {
    writeConfig("[Config1]\nMAC_COR2=9\nMAC_COR3=-2\nLED_REACT_EN4=0\nWHEEL_STATUS=5\n"
                "LEFT_MAC111=1\n[ShareData]\nDPI_SET_EN2=5\nDPI_SET1=300\nDPI0_R=0\nDPI0_G=15\n"
                "DPI0_B=8\nCYC_7COL_EN=300\nUSB_SPEED=2\nFIRE_TIME=12345\nLED_USER_COLER_EN=0\n"
                "LED_FEATURE_SCOLOR=3\nLED_TYPE=270\n");
    ASSERT_TRUE(store.loadProfile(folder(), 1, false));
    const auto& sh = store.shared;
    EXPECT_EQ(sh.macroColour[2], 6);
    EXPECT_EQ(sh.macroColour[3], 0);
    EXPECT_EQ(store.profiles[1].reactEnable[4], 1);
    EXPECT_EQ(store.profiles[1].macroLight[11], 1);
    EXPECT_EQ(sh.wheelStatus, 0);
    EXPECT_TRUE(sh.dpiEnabled[2]);
    EXPECT_EQ(sh.dpiValueIndex[1], 44);
    EXPECT_EQ(sh.dpiDisplayColour[0], 255u | (15u << 8) | (127u << 16));
    EXPECT_EQ(sh.cycleColourMask, 44);
    EXPECT_EQ(sh.cycleColourOn, (std::array<std::int32_t, 7>{0, 0, 1, 1, 0, 1, 0}));
    EXPECT_EQ(sh.usbSpeed, 0);
    EXPECT_EQ(sh.reportRateCode, 7);
    EXPECT_EQ(sh.fireTime, 1234);
    EXPECT_EQ(sh.ledUserColourEnable, 1);
    EXPECT_EQ(sh.ledFeatureSingleColour, 0);
    EXPECT_EQ(sh.ledType, 14);
}

TEST_F(ProfileStoreTest, SaveWritesTheFiltersAndTheSharedKeysEverywhere) {
    writeConfig("[Config0]\nLED_REACT_EN0=0\n[ShareData]\nDPI_SET_EN2=5\nUSB_SPEED=2\n");
    ASSERT_TRUE(store.loadProfile(folder(), 0, false));
    store.shared.macroColour[4] = 3;
    store.shared.ledCycleTime = 5;
    store.profiles[1].reactEnable[2] = 0; // switched off on the page
    ASSERT_TRUE(store.saveAllProfiles(configFile(), 2));
    EXPECT_EQ(stored("Init", "CurConfig"), "2");
    EXPECT_EQ(stored("Config0", "LED_REACT_EN0"), "1");
    EXPECT_EQ(stored("Config1", "LED_REACT_EN2"), "0");
    EXPECT_EQ(stored("ShareData", "DPI_SET_EN2"), "1");
    EXPECT_EQ(stored("ShareData", "USB_SPEED"), "0");
    EXPECT_EQ(stored("ShareData", "LED_CYC_TIME"), "5");
    EXPECT_EQ(stored("ShareData", "LED_CYCTIME"), "5");
    EXPECT_EQ(stored("ShareData", "LED_USER_COLER_EN"), "1");
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(stored("Config" + std::to_string(p), "WHEEL_STATUS"), "0");
        EXPECT_EQ(stored("Config" + std::to_string(p), "MAC_COR4"), "3");
    }
    // The switched-off reaction comes back on with the next load.
    ASSERT_TRUE(store.loadProfile(folder(), 1, false));
    EXPECT_EQ(store.profiles[1].reactEnable[2], 1);
}

TEST_F(ProfileStoreTest, NewSectionsGetTheKeysInSaveOrder) {
    ASSERT_TRUE(store.saveProfile(configFile(), 3));
    const std::string text = test::readFile(configFile());
    const auto at = [&](const std::string& s) { return text.find(s); };
    EXPECT_LT(
        at("[Config3]\nK0=0\nLED_REACT_EN0=0\nLEFT_MAC30=0\nMAC_COR0=0\nLED_REACT_TYPE0=0\nK1="),
        text.size());
    EXPECT_LT(at("K11="), at("WHEEL_STATUS=0"));
    EXPECT_LT(at("[ShareData]\nDPI_LEVEL=0\nLED_USER_COLER_EN=1\nCYC_7COL_EN=0\nDPI_SET0="),
              text.size());
    EXPECT_LT(at("LED_USER6_B"), at("LED_TYPE="));
    EXPECT_LT(at("LED_CYC_TIME"), at("LED_FEATURE_SCOLOR"));
    EXPECT_LT(at("FIRE_TIME=50\nMODE_LIGHT=0\nSOFT_HARD_MAC=0\n"), text.size());
}

TEST_F(ProfileStoreTest, SaveAndLoadRoundTripEveryField) {
    auto& p = store.profiles[1];
    for (std::size_t s = 0; s < 12; ++s) {
        p.buttonCode[s] = static_cast<std::int32_t>(s * 300);
        p.macroLight[s] = static_cast<std::int32_t>(s % 2);
        p.reactType[s] = static_cast<std::int32_t>(s % 4);
        p.reactEnable[s] = 1;
        store.shared.macroColour[s] = static_cast<std::int32_t>(s % 7);
    }
    p.buttonCode[2] = 33;
    p.comboText[2] = ProfileStore::combinationText(65, "Shift&split&A");
    auto& sh = store.shared;
    sh.dpiLevel = 4;
    sh.dpiValueIndex = {1, 2, 3, 4, 5, 22};
    sh.dpiEnabled = {true, false, true, false, true, true};
    sh.dpiColourLevel[3] = {1, 2, 3};
    sh.ledType = 13;
    sh.ledTypeSwitch[9] = 4;
    sh.ledCycleTime = 7;
    sh.ledFeatureDirection = 2;
    sh.ledFeatureSymmetry = 1;
    sh.ledBrightness = 6;
    sh.lightMode = 1;
    sh.softHardMacro = 1;
    sh.userColourLevel[6] = {15, 0, 7};
    sh.cycleColourMask = 0x55;
    sh.dpiSpeed = 11;
    sh.wheelSpeed = 9;
    sh.fireTime = 8;
    ASSERT_TRUE(store.saveAllProfiles(configFile(), 1));

    ini::IniStore otherIni;
    ProfileStore other(otherIni, warnings, keys, [] { return 1; });
    for (int q = 0; q < 4; ++q) {
        ASSERT_TRUE(other.loadProfile(folder(), q, false));
    }
    EXPECT_EQ(other.profiles[1].buttonCode, p.buttonCode);
    EXPECT_EQ(other.profiles[1].comboText[2], p.comboText[2]);
    EXPECT_EQ(other.profiles[1].comboRecord[2].nameUtf8(), "Shift+A");
    EXPECT_EQ(other.profiles[1].macroLight, p.macroLight);
    EXPECT_EQ(other.profiles[1].reactType, p.reactType);
    EXPECT_EQ(other.shared.macroColour, sh.macroColour);
    EXPECT_EQ(other.shared.dpiLevel, 4);
    EXPECT_EQ(other.shared.dpiValueIndex, sh.dpiValueIndex);
    EXPECT_EQ(other.shared.dpiEnabled, sh.dpiEnabled);
    EXPECT_EQ(other.shared.dpiColourLevel, sh.dpiColourLevel);
    EXPECT_EQ(other.shared.ledType, 13);
    EXPECT_EQ(other.shared.ledTypeSwitch, sh.ledTypeSwitch);
    EXPECT_EQ(other.shared.ledCycleTime, 7);
    EXPECT_EQ(other.shared.ledFeatureDirection, 2);
    EXPECT_EQ(other.shared.ledFeatureSymmetry, 1);
    EXPECT_EQ(other.shared.ledBrightness, 6);
    EXPECT_EQ(other.shared.lightMode, 1);
    EXPECT_EQ(other.shared.softHardMacro, 1);
    EXPECT_EQ(other.shared.userColourLevel, sh.userColourLevel);
    EXPECT_EQ(other.shared.userDisplayColour[6], 15u | (255u << 8) | (143u << 16));
    EXPECT_EQ(other.shared.cycleColourMask, 0x55);
    EXPECT_EQ(other.shared.dpiSpeed, 11);
    EXPECT_EQ(other.shared.wheelSpeed, 9);
    EXPECT_EQ(other.shared.fireTime, 8);
    EXPECT_EQ(other.readCurrentProfile(configFile()), 1);
}

TEST_F(ProfileStoreTest, CombinationCaptureText) {
    // Shift + A (virtual key 65) as the capture dialog hands it over.
    EXPECT_EQ(store.setCombination(0, 3 * 256 + 65, "Shift&split&A"), 1);
    EXPECT_EQ(
        store.profiles[0].comboText[3],
        "Ctrl&split&&split&Shift&split&160&split&Alt&split&&split&Win&split&&split&A&split&65");
    store.profiles[0].buttonCode[3] = 33;
    store.rebuildCombinationRecords();
    EXPECT_EQ(store.profiles[0].comboRecord[3].nameUtf8(), "Shift+A");
    EXPECT_EQ(store.profiles[0].comboRecord[3].stepCount, 2);
    // Ctrl+Shift+F5 and a capture with only modifiers (main key 255).
    EXPECT_EQ(ProfileStore::combinationText(116, "Ctrl&split&Shift&split&F5"),
              "Ctrl&split&162&split&Shift&split&160&split&Alt&split&&split&Win&split&&split&F5&"
              "split&116");
    EXPECT_EQ(
        ProfileStore::combinationText(255, "Alt&split&Win"),
        "Ctrl&split&&split&Shift&split&&split&Alt&split&164&split&Win&split&91&split&&split&");
    // Names are compared exactly; the last token names the main key, never a modifier.
    EXPECT_EQ(
        ProfileStore::combinationText(17, "ctrl&split&Ctrl"),
        "Ctrl&split&&split&Shift&split&&split&Alt&split&&split&Win&split&&split&Ctrl&split&17");
    // A slot of 12 or more changes nothing.
    const auto before = store.profiles;
    EXPECT_EQ(store.setCombination(0, 12 * 256 + 65, "A"), 1);
    EXPECT_EQ(store.profiles[0].comboText, before[0].comboText);
}

TEST_F(ProfileStoreTest, CombinationRecordsTakeAnyPairsAndStayBounded) {
    // Odd token counts, empty codes and more pairs than a macro holds.
    std::string text = "A&split&65&split&B&split&&split&C";
    MacroRecord r = store.combinationRecord(text);
    EXPECT_EQ(r.stepCount, 1);
    EXPECT_EQ(r.nameUtf8(), "A");
    text.clear();
    for (int i = 0; i < 400; ++i) {
        text += "Key&split&65&split&";
    }
    r = store.combinationRecord(text);
    EXPECT_EQ(r.stepCount, 275);
    // The name keeps the first 30 UTF-16 units of "Key+Key+...".
    EXPECT_EQ(r.nameUtf16().size(), 30u);
}

TEST_F(ProfileStoreTest, FactoryLoadReplacesTheSharedSettings) {
    test::writeFile(folder() + "configReset.ini", "[Config2]\nK0=1\n[ShareData]\nFIRE_TIME=77\n");
    writeConfig("[ShareData]\nFIRE_TIME=10\n");
    ASSERT_TRUE(store.loadProfile(folder(), 0, false));
    EXPECT_EQ(store.shared.fireTime, 10);
    ASSERT_TRUE(store.loadProfile(folder(), 2, true));
    EXPECT_EQ(store.shared.fireTime, 77);
    EXPECT_EQ(store.profiles[2].buttonCode[0], 1);
}

TEST_F(ProfileStoreTest, CurrentProfileAndDpiLevel) {
    writeConfig("[Init]\nCurConfig=7\n[ShareData]\nDPI_LEVEL=3\n");
    EXPECT_EQ(store.readCurrentProfile(configFile()), 0);
    writeConfig("[Init]\nCurConfig=3\n[ShareData]\nDPI_LEVEL=3\n");
    EXPECT_EQ(store.readCurrentProfile(configFile()), 3);
    writeConfig("[Init]\nCurConfig=-1\n");
    EXPECT_EQ(store.readCurrentProfile(configFile()), 0);
    store.shared.dpiLevel = 5;
    ASSERT_TRUE(store.storeDpiLevel(configFile()));
    EXPECT_EQ(store.readStoredDpiLevel(configFile()), 5);
    EXPECT_EQ(stored("Init", "CurConfig"), "-1"); // nothing else touched
}

TEST_F(ProfileStoreTest, ReadOnlySettingsFileLeavesFileAndMemoryAlone) {
    writeConfig("[ShareData]\nFIRE_TIME=10\n");
    ASSERT_TRUE(store.loadProfile(folder(), 0, false));
    ::chmod(configFile().c_str(), 0444);
    store.shared.fireTime = 99;
    EXPECT_FALSE(store.saveAllProfiles(configFile(), 0));
    EXPECT_EQ(test::readFile(configFile()), "[ShareData]\nFIRE_TIME=10\n");
    EXPECT_EQ(store.shared.fireTime, 99);
}

TEST_F(ProfileStoreTest, ShippedSettingsLoadAsTheyAreMeant) {
    const test::TempAppDir app;
    const std::string config = app.appDir() + "/skins/config/";
    for (int p = 0; p < 4; ++p) {
        ASSERT_TRUE(store.loadProfile(config, p, false));
    }
    EXPECT_TRUE(warnings.warnings.empty());
    EXPECT_EQ(store.profiles[0].buttonCode[0], 1); // left click on button 0
    EXPECT_EQ(store.readCurrentProfile(config + "config.ini"), 0);
    for (int j = 0; j < 6; ++j) {
        EXPECT_TRUE(store.shared.dpiEnabled[static_cast<std::size_t>(j)]);
        EXPECT_LE(store.shared.dpiValueIndex[static_cast<std::size_t>(j)], 22);
    }
    EXPECT_EQ(store.profiles[1].comboRecord[3].nameUtf8(), "Ctrl+C");
    // The factory copy holds the same profiles.
    ProfileStore factory(ini, warnings, keys, [] { return 1; });
    for (int p = 0; p < 4; ++p) {
        ASSERT_TRUE(factory.loadProfile(config, p, true));
        EXPECT_EQ(factory.profiles[static_cast<std::size_t>(p)].buttonCode,
                  store.profiles[static_cast<std::size_t>(p)].buttonCode);
    }
}

// Colour levels are read with a bound of nine characters, so a file may hold levels whose
// 16-fold is beyond int; each component is the low byte of 255 - 16 * level all the same.
TEST_F(ProfileStoreTest, ColourLevelsOfAnySizeGiveTheLowByteOfTheirDisplayValue) {
    writeConfig("[ShareData]\nDPI0_R=999999999\nDPI0_G=-99999999\nDPI0_B=15\n"
                "LED_USER0_R=-1\nLED_USER0_G=0\nLED_USER0_B=16\n");
    ASSERT_TRUE(store.loadProfile(folder(), 0, false));
    const auto& sh = store.shared;
    EXPECT_EQ(sh.dpiColourLevel[0], (std::array<std::int32_t, 3>{999999999, -99999999, 15}));
    EXPECT_EQ(sh.dpiDisplayColour[0], 15u | (239u << 8) | (15u << 16));
    EXPECT_EQ(sh.userDisplayColour[0], 15u | (255u << 8) | (255u << 16));
}

TEST(ColourLevels, HoldForEveryIntAndKeepTheValidRange) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(displayComponent(0), 255);
    EXPECT_EQ(displayComponent(8), 127);
    EXPECT_EQ(displayComponent(15), 15);
    EXPECT_EQ(displayComponent(kMax), 15);
    EXPECT_EQ(displayComponent(kMin), 255);
    EXPECT_EQ(colourLevel(255), 0);
    EXPECT_EQ(colourLevel(127), 8);
    EXPECT_EQ(colourLevel(0), 15);
    EXPECT_EQ(colourLevel(kMin), 134217743);
    EXPECT_EQ(colourLevel(kMax), -134217712);
    for (std::int32_t level = 0; level < 16; ++level) {
        EXPECT_EQ(colourLevel(displayComponent(level)), level);
    }
}
