#include "sim/MemoryDecoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace zel::sim {
namespace {

using Memory = std::vector<std::uint8_t>;

void put(Memory& m, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        m[at++] = b;
    }
}

TEST(MemoryDecoder, ConfigurationFieldsFromLiteralBytes) {
    Memory m(16 * 1024, 0);
    put(m, 0x00, {0x5A, 0x43, 0xA5, 0x40, 0x10, 0xA7, 0xE5, 0x00});
    put(m, 0x13, {0x0C, 0x08, 0xC1, 0x81, 0x11, 0x1A, 0x25, 0x00, 0x01, 0x9D, 0x85, 0x07});
    put(m, 0x20, {0x12});
    put(m, 0x32, {0xFF, 0xBF});
    put(m, 0x3A, {0x6B, 0xB4});
    put(m, 0x3E, {0x12, 0x53});
    put(m, 0x45, {0x0E});
    put(m, 0x98, {0x11, 0x00, 0x00, 0x00, 0x08, 0x05});

    const DecodedMemory d = decodeMemory(m);
    EXPECT_TRUE(d.fullHeader);
    EXPECT_EQ(d.profile, 2);
    EXPECT_EQ(d.buttons[0][10], (DecodedButton{0x14, true, 2}));
    EXPECT_EQ(d.buttons[1][2], (DecodedButton{0x0E, false, 0}));
    EXPECT_EQ(d.dpiCode, (std::array<int, 6>{12, 1, 24, 17, 1, 1}));
    EXPECT_EQ(d.dpiLevel, 2);
    EXPECT_EQ(d.dpiEnableBits, 0x25);
    EXPECT_EQ(d.rapidFire, 256);
    EXPECT_EQ(d.effect, 9);
    EXPECT_EQ(d.effectFlag, 1);
    EXPECT_EQ(d.effectSpeed, 5);
    EXPECT_EQ(d.colourMask, 0x05);
    EXPECT_EQ(d.reportInterval, 7);
    EXPECT_EQ(d.functionMask, 0x3FFF);
    EXPECT_EQ(d.userColour[0][0], 1);
    EXPECT_EQ(d.dpiColour[0][0], 2);
    EXPECT_EQ(d.symmetry, 1);
    EXPECT_EQ(d.direction, 2);
    EXPECT_EQ(d.userColour[6], (std::array<int, 3>{1, 2, 3}));
    EXPECT_EQ(d.brightness, 5);
    EXPECT_EQ(d.macroColour[2], 1);
    EXPECT_EQ(d.macroColour[3], 2);
    EXPECT_EQ(d.macroColour[11], 1);
    EXPECT_EQ(d.macroColour[12], 5);
}

TEST(MemoryDecoder, DirectoryAndStreamWithExtensionPairs) {
    Memory m(16 * 1024, 0);
    put(m, 0x45, {0x0E}); // profile 1, button 2 plays a macro
    put(m, 0xA0 + 140 + 10, {0x00, 0x83, 0xFF, 0x00, 0x00, 0x00, 0xC4, 0x40, 0x8A, 0x00});
    put(m, 0x400, {0x02, 0x00, 0x94, 0x04, 0x7F, 0x00, 0x14, 0x04});
    put(m, 0x6E, {0x08, 0x04});
    put(m, 0x70, {0x10, 0x04, 0x18, 0x04, 0x20, 0x04, 0x42, 0x71});
    put(m, 0x78, {0x00, 0x28, 0x04});

    const DecodedMemory d = decodeMemory(m);
    const DecodedDirectoryEntry& e = d.directory[1][2];
    EXPECT_TRUE(e.used);
    EXPECT_TRUE(e.loop);
    EXPECT_TRUE(e.hold);
    EXPECT_TRUE(e.toggle);
    EXPECT_TRUE(e.repeat);
    EXPECT_EQ(e.stepCount, 3);
    EXPECT_EQ(e.keyCode, 0xFF);
    EXPECT_EQ(e.address, 0x400);
    EXPECT_TRUE(e.extra76);
    EXPECT_EQ(e.extra77, 10);
    EXPECT_FALSE(d.directory[1][1].used);
    EXPECT_EQ(d.macroEnd, 0x408);
    EXPECT_EQ(d.reservedAreas, (std::array<int, 4>{0x410, 0x418, 0x420, 0x428}));
    EXPECT_EQ(d.modeByte, 0x42);

    ASSERT_EQ(d.macros.size(), 1u);
    const DecodedMacro& macro = d.macros.at(0x400);
    EXPECT_EQ(macro.repeat, 2);
    EXPECT_EQ(macro.entries, 3);
    ASSERT_EQ(macro.steps.size(), 2u);
    EXPECT_EQ(macro.steps[0].kind, DecodedStepKind::Press);
    EXPECT_EQ(macro.steps[0].code, 0x04);
    EXPECT_EQ(macro.steps[0].delay, 20 + 127);
    EXPECT_EQ(macro.steps[0].extensionPairs, 1);
    EXPECT_EQ(macro.steps[1].kind, DecodedStepKind::Release);
    EXPECT_EQ(macro.steps[1].delay, 20);
}

TEST(MemoryDecoder, MovesCpiAndLightingSlots) {
    Memory m(16 * 1024, 0);
    put(m, 0x500,
        {0x01, 0x00, 0x01, 0xF6, 0xFB, 0xFF, 0xF6, 0xFF, 0x8A, 0xF8, 0x03, 0x00, 0x0A, 0xF9, 0x18,
         0x45, 0x00, 0x00});
    put(m, 0x518, {0x01, 0x00, 0x00, 0x00, 0x01, 0x32, 0x0A, 0x00, 0x03, 0x3C, 0x14, 0x00});
    const DecodedMacro macro = decodeMacroStream(m, 0x500, 4);
    ASSERT_EQ(macro.steps.size(), 3u);
    EXPECT_EQ(macro.steps[0].kind, DecodedStepKind::Move);
    EXPECT_EQ(macro.steps[0].x, -5);
    EXPECT_EQ(macro.steps[0].y, -10);
    EXPECT_EQ(macro.steps[1].kind, DecodedStepKind::Cpi);
    EXPECT_EQ(macro.steps[1].cpiAction, 9);
    EXPECT_EQ(macro.steps[1].cpiValue, 3);
    EXPECT_EQ(macro.steps[1].delay, 10);
    const DecodedStep& light = macro.steps[2];
    EXPECT_EQ(light.kind, DecodedStepKind::Lighting);
    EXPECT_EQ(light.light.address, 0x518);
    EXPECT_EQ(light.light.kind, 1);
    EXPECT_EQ(light.extensionPairs, 1);
    ASSERT_EQ(light.light.entries.size(), 2u);
    EXPECT_EQ(light.light.entries[1], (std::array<std::uint8_t, 4>{3, 60, 20, 0}));
}

TEST(MemoryDecoder, ReadsNothingOutsideTheMemory) {
    Memory m(0x410, 0);
    put(m, 0x408, {0x00, 0x00, 0x81, 0x04, 0x05, 0xF9, 0xFF, 0x3F});
    // A stream near the end and a slot address past it: both read as zeros there.
    const DecodedMacro macro = decodeMacroStream(m, 0x408, 8000);
    EXPECT_EQ(macro.steps.size(), 2u);
    EXPECT_EQ(macro.steps[1].light.address, 0x3FFF);
    EXPECT_EQ(macro.steps[1].light.entries.size(), 1u);
    EXPECT_NO_FATAL_FAILURE(decodeMemory(Memory(10, 0xFF)));
}

} // namespace
} // namespace zel::sim
