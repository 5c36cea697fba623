#include "settings/DeviceDescription.h"

#include "TestSupport.h"
#include "platform/ini/IniStore.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

DeviceDescription describe(const std::string& text) {
    test::TempDir dir;
    const std::string path = (dir.path() / "config.ini").string();
    test::writeFile(path, text);
    ini::IniStore ini;
    return loadDeviceDescription(ini, path);
}

} // namespace

TEST(DeviceDescription, MissingFileDescribesNoButtonsAndAcceptsAnyMouse) {
    ini::IniStore ini;
    const auto d = loadDeviceDescription(ini, "/nonexistent/config.ini");
    EXPECT_EQ(d.keyCount, 0);
    EXPECT_EQ(d.slotOfDeviceKey(1), -1);
    EXPECT_TRUE(d.acceptsProductString("anything"));
}

TEST(DeviceDescription, IdentityAndPermutedMaps) {
    std::string text = "[KEYNUM]\nKeyNum=12\n[KEYMAP]\n";
    for (int n = 1; n <= 12; ++n) {
        text += "K" + std::to_string(n) + "_MAP=" + std::to_string(n) + "\n";
    }
    auto d = describe(text);
    EXPECT_EQ(d.keyCount, 12);
    for (int key = 1; key <= 12; ++key) {
        EXPECT_EQ(d.slotOfDeviceKey(key), key - 1);
    }
    d = describe("[KEYNUM]\nKeyNum=3\n[KEYMAP]\nK1_MAP=3\nK2_MAP=2\nK3_MAP=1\n");
    EXPECT_EQ(d.deviceKeyOfSlot(0), 3);
    EXPECT_EQ(d.slotOfDeviceKey(3), 0); // a key event 0xF3 belongs to slot 0
    EXPECT_EQ(d.slotOfDeviceKey(1), 2);
    EXPECT_EQ(d.slotOfDeviceKey(4), -1);
}

TEST(DeviceDescription, ValuesFollowTheIntegerAndLengthRules) {
    const auto d =
        describe("[PRODUCTNAME]\nPRODUCTNAME_EN=" + std::string(60, 'N') +
                 "\nPRODUCTNAME_CN=游戏鼠标\nDevString=ZEL Mouse\n[KEYNUM]\nKeyNum=7abc\n"
                 "[KEYMAP]\nK1_MAP=abc\nK2_MAP=258\nK3_MAP=7abc\n");
    EXPECT_EQ(d.productNameEn, std::string(49, 'N'));
    EXPECT_EQ(d.productName(0), "游戏鼠标");
    EXPECT_EQ(d.productName(4), d.productNameEn);
    EXPECT_EQ(d.keyCount, 7);
    EXPECT_EQ(d.keyMap[0], 0);
    EXPECT_EQ(d.keyMap[1], 2); // low 8 bits of 258
    EXPECT_EQ(d.keyMap[2], 7);
    EXPECT_TRUE(d.acceptsProductString("ZEL Mouse"));
    EXPECT_FALSE(d.acceptsProductString("zel mouse")); // letter case counts
}

TEST(DeviceDescription, DescriptionsBeyondTwelveButtonsStayInBounds) {
    std::string text = "[KEYNUM]\nKeyNum=40\n[KEYMAP]\n";
    for (int n = 1; n <= 40; ++n) {
        text += "K" + std::to_string(n) + "_MAP=" + std::to_string(n * 7) + "\n";
    }
    auto d = describe(text);
    EXPECT_EQ(d.keyCount, 12);
    EXPECT_EQ(d.slotOfDeviceKey(7), 0);
    EXPECT_EQ(d.slotOfDeviceKey(0), -1);
    EXPECT_EQ(d.slotOfDeviceKey(13), -1);
    EXPECT_EQ(d.slotOfDeviceKey(200), -1);
    EXPECT_EQ(d.deviceKeyOfSlot(12), 0);
    EXPECT_EQ(d.deviceKeyOfSlot(-1), 0);
    d = describe("[KEYNUM]\nKeyNum=-5\n");
    EXPECT_EQ(d.keyCount, 0);
}
