#include "programming/ConfigImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace zel {
namespace {

using Bytes = std::vector<std::uint8_t>;

DeviceDescription eightButtons() {
    DeviceDescription d;
    d.keyCount = 8;
    for (int k = 0; k < 8; ++k) {
        d.keyMap[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k + 1);
    }
    return d;
}

// The factory settings of the shipped model (eight buttons, six DPI stages).
struct Factory {
    std::array<ProfileSettings, kProfileCount> profiles{};
    SharedSettings shared{};
    ButtonMacroModes modes{};

    Factory() {
        const std::array<std::array<std::int32_t, 8>, 4> codes = {{
            {1, 2, 3, 4, 5, 16, 17, 6},
            {1, 2, 3, 33, 33, 16, 17, 33},
            {1, 2, 3, 23, 24, 25, 26, 27},
            {1, 2, 3, 256, 257, 16, 17, 7},
        }};
        for (std::size_t p = 0; p < 4; ++p) {
            for (std::size_t k = 0; k < 8; ++k) {
                profiles[p].buttonCode[k] = codes[p][k];
                profiles[p].reactEnable[k] = 1;
                if (codes[p][k] == 33) {
                    modes[p][k] = 2; // combination records play in run mode 2
                }
            }
        }
        profiles[3].macroLight[3] = 1;
        shared.dpiLevel = 1;
        shared.dpiValueIndex = {3, 7, 11, 15, 19, 22};
        shared.dpiEnabled = {true, true, true, true, true, true};
        shared.dpiColourLevel = {
            {{0, 15, 15}, {15, 0, 15}, {15, 15, 0}, {0, 0, 15}, {15, 0, 0}, {0, 15, 0}}};
        shared.userColourLevel = {{{0, 15, 15},
                                   {0, 6, 15},
                                   {0, 0, 15},
                                   {15, 0, 15},
                                   {15, 15, 0},
                                   {15, 0, 0},
                                   {0, 15, 0}}};
        shared.cycleColourOn = {1, 1, 1, 1, 1, 1, 1};
        shared.ledType = 2;
        shared.ledCycleTime = 3;
        shared.ledBrightness = 5;
        shared.fireTime = 50;
        shared.macroColour = {0, 1, 2, 3, 4, 5, 6, 0, 1, 2, 3, 4};
    }

    ConfigImage image(int currentProfile = 0, bool fullHeader = false) const {
        const ButtonTables tables = buildButtonTables(profiles, eightButtons(), modes);
        return buildConfigImage(
            ConfigImageInput{tables, shared, currentProfile, fullHeader, 0, 0x0468});
    }
};

Bytes blockAt(const ConfigImage& image, std::uint16_t address) {
    for (const BlockWrite& w : image.blocks) {
        if (w.address == address) {
            return w.bytes;
        }
    }
    ADD_FAILURE() << "no block at " << address;
    return Bytes(8, 0);
}

TEST(ConfigImage, FactorySettingsGiveTheWholeImage) {
    const ConfigImage image = Factory().image();
    const std::vector<BlockWrite> expected = {
        {0x08, {0x21, 0x22, 0x23, 0x24, 0x25, 0x2B, 0x2C, 0x26}},
        {0x10, {0x00, 0x00, 0x00, 0x38, 0x08, 0x48, 0xD1, 0x58}},
        {0x18, {0x19, 0x3F, 0x06, 0x00, 0xA3, 0xFF, 0x07, 0x00}},
        {0x20, {0x00, 0xFF, 0xFF, 0x0F, 0x60, 0xFF, 0x0F, 0x0F}},
        {0x28, {0xF0, 0xF0, 0x00, 0xFF, 0xFF, 0xF0, 0x00, 0xF0}},
        {0x30, {0x0F, 0x00, 0xFF, 0x3F, 0x00, 0x00, 0x00, 0x00}},
        {0x38, {0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x0F, 0x50}},
        {0x40, {0x00, 0x00, 0x00, 0x6E, 0x21, 0x22, 0x23, 0x2E}},
        {0x48, {0x2E, 0x2B, 0x2C, 0x2E, 0x00, 0x00, 0x00, 0x00}},
        {0x50, {0x21, 0x22, 0x23, 0x2F, 0x2F, 0x2F, 0x2F, 0x2F}},
        {0x58, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {0x60, {0x21, 0x22, 0x23, 0x3E, 0x2D, 0x2B, 0x2C, 0x22}},
        {0x68, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x68, 0x04}},
        {0x98, {0x11, 0x23, 0x35, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    EXPECT_EQ(image.blocks, expected);
    EXPECT_EQ(image.header, (BlockWrite{0x01, {0x03}}));
    EXPECT_EQ(image.effect, 2);
}

TEST(ConfigImage, HeaderDependsOnTheProductSeen) {
    const Factory f;
    EXPECT_EQ(f.image(2, true).header,
              (BlockWrite{0x00, {0x5A, 0x43, 0xA5, 0x40, 0x10, 0xA7, 0xE5, 0x00}}));
    EXPECT_EQ(f.image(2, false).header, (BlockWrite{0x01, {0x43}}));
    EXPECT_EQ(f.image(3, false).header, (BlockWrite{0x01, {0x63}}));
}

TEST(ConfigImage, RapidFireIsTheIntervalInEighths) {
    Factory f;
    for (const auto& [fire, low, high] : std::vector<std::tuple<int, int, int>>{
             {50, 0x06, 0x00}, {2047, 0xFF, 0x00}, {2048, 0x00, 0x01}, {7, 0x00, 0x00}}) {
        f.shared.fireTime = fire;
        const Bytes b = blockAt(f.image(), 0x18);
        EXPECT_EQ(b[2], low) << fire;
        EXPECT_EQ(b[3], high) << fire;
    }
}

TEST(ConfigImage, DpiCodesSkipElevenAndClampTheIndex) {
    EXPECT_EQ(dpiCodeOf(9), 10);
    EXPECT_EQ(dpiCodeOf(10), 12);
    EXPECT_EQ(dpiCodeOf(22), 24);
    EXPECT_EQ(dpiCodeOf(23), 24);
    EXPECT_EQ(dpiCodeOf(255), 24);
    EXPECT_EQ(dpiCodeOf(-1), 1);

    Factory f;
    f.shared.dpiValueIndex = {10, 0, 200, 15, 0, 0};
    f.shared.dpiEnabled = {true, false, true, false, false, true};
    const Bytes b10 = blockAt(f.image(), 0x10);
    // Codes 12, 1, 24, 17, 1, 1: bit 4 set for stages 2 and 3.
    EXPECT_EQ(b10[3], 0x0C);
    EXPECT_EQ(b10[5], 0xC1);
    EXPECT_EQ(b10[6], 0x81);
    EXPECT_EQ(b10[7], 0x11);
    EXPECT_EQ(blockAt(f.image(), 0x18)[1], 0x25);
}

TEST(ConfigImage, EffectRules) {
    Factory f;
    f.shared.ledCycleTime = 5;
    f.shared.ledType = 12;
    EXPECT_EQ(blockAt(f.image(), 0x18)[4], 0x80 + 0x10 + 0x08 + 5);
    EXPECT_EQ(f.image().effect, 1);

    // Bit 3 of the effect goes to byte 3 at 0x30.
    f.shared.ledType = 9;
    EXPECT_EQ(blockAt(f.image(), 0x18)[4], 0x80 + 0x10 + 5);
    EXPECT_EQ(blockAt(f.image(), 0x30)[3], 0xBF);

    // Effect 13 keeps the previous download's effect at speed 7.
    const ButtonTables tables = buildButtonTables(f.profiles, eightButtons(), f.modes);
    f.shared.ledType = 13;
    const ConfigImage after9 = buildConfigImage(ConfigImageInput{tables, f.shared, 0, false, 9, 0});
    EXPECT_EQ(after9.blocks[2].bytes[4], 0x80 + 0x10 + 7);
    EXPECT_EQ(after9.blocks[5].bytes[3], 0xBF);
    EXPECT_EQ(after9.effect, 9);
    const ConfigImage atStart =
        buildConfigImage(ConfigImageInput{tables, f.shared, 0, false, 0, 0});
    EXPECT_EQ(atStart.blocks[2].bytes[4], 0x87);
}

TEST(ConfigImage, FeatureBrightnessAndOutOfRangeColourLevels) {
    Factory f;
    f.shared.ledFeatureSymmetry = 3;
    f.shared.ledFeatureDirection = 6;
    f.shared.ledBrightness = 9;
    f.shared.userColourLevel[6] = {1, 2, 3};
    const Bytes b = blockAt(f.image(), 0x38);
    EXPECT_EQ(b[2], 0x40 + 0x20 + 0x0B);
    EXPECT_EQ(b[6], 0x12);
    EXPECT_EQ(b[7], 0x13);

    // A level outside 0..15 keeps to its own nibble.
    f.shared.userColourLevel[0][0] = 20;
    f.shared.dpiColourLevel[0][0] = 17;
    EXPECT_EQ(blockAt(f.image(), 0x20)[0], 0x41);
}

TEST(ConfigImage, ButtonsMoveToPhysicalOrderWithTheirReaction) {
    Factory f;
    DeviceDescription d;
    d.keyCount = 3;
    d.keyMap = {12, 1, 10};
    f.profiles[0].buttonCode = {1, 3, 18};
    f.profiles[0].reactEnable = {1, 0, 1};
    f.profiles[0].reactType = {2, 3, 0};
    f.shared.macroColour = {5, 6, 1};
    const ButtonTables t = buildButtonTables(f.profiles, d, f.modes);
    EXPECT_EQ(t.slotOfPhysical[12], 0);
    EXPECT_EQ(t.slotOfPhysical[2], -1);
    EXPECT_TRUE(t.switchKey[0][2]);
    const ConfigImage image = buildConfigImage(ConfigImageInput{t, f.shared, 0, false, 0, 0});
    EXPECT_EQ(image.blocks[0].bytes, (Bytes{0xC3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(image.blocks[6].bytes[3], 0x20 + 0x14);     // B(0,10)
    EXPECT_EQ(image.blocks[6].bytes[5], 0x80 + 0x20 + 1); // B(0,12)
    // Macro colours: button 10 has colour 1, button 12 colour 5, button 1 has no field.
    EXPECT_EQ(image.blocks[13].bytes, (Bytes{0, 0, 0, 0, 1, 5, 0, 0}));
}

TEST(ConfigImage, ButtonFunctionTable) {
    const std::vector<std::pair<std::int32_t, int>> plain = {
        {0, 0},     {6, 6},     {7, 2},        {14, 9},    {15, 0x15}, {16, 11},
        {17, 12},   {18, 0x14}, {19, 0x17},    {22, 0x1A}, {23, 0x0F}, {32, 0x0F},
        {30000, 0}, {30001, 0}, {40000, 0x16}, {40001, 0}, {-5, 0}};
    for (const auto& [code, fn] : plain) {
        EXPECT_EQ(buttonFunction(code, 0, 0), fn) << code;
    }
    EXPECT_EQ(buttonFunction(33, 0, 0), 0x0D);
    EXPECT_EQ(buttonFunction(33, 2, 0), 0x0E);
    EXPECT_EQ(buttonFunction(33, 6, 0), 0x0E); // only the low two bits count
    EXPECT_EQ(buttonFunction(33, 0, 1), 0x1E);
    EXPECT_EQ(buttonFunction(50, 0, 0), 0x1E);
    EXPECT_EQ(buttonFunction(255, 2, 0), 0x1F);
    EXPECT_EQ(buttonFunction(256, 1, 0), 0x0D);
    EXPECT_EQ(buttonFunction(29999, 2, 7), 0x1F);

    Factory f;
    f.profiles[0].buttonCode[0] = 16;
    const ButtonTables t = buildButtonTables(f.profiles, eightButtons(), f.modes);
    EXPECT_TRUE(t.dpiKey[0][0]); // 11
    EXPECT_TRUE(t.dpiKey[0][6]); // 12
    EXPECT_TRUE(t.dpiKey[0][7]); // 6
    EXPECT_FALSE(t.dpiKey[0][1]);
}

} // namespace
} // namespace zel
