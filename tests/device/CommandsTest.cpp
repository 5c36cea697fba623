#include "device/DeviceCommands.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

// The eight bytes of the frame after filling a buffer pre-set to 0xEE.
template <typename Fill>
std::array<std::uint8_t, 8> frame(Fill fill) {
    ReportBuffer report;
    report.fill(0xEE);
    fill(report);
    EXPECT_EQ(report[8], 0xEE); // byte 8 on is never written
    std::array<std::uint8_t, 8> out{};
    std::copy_n(report.begin(), 8, out.begin());
    return out;
}

using F = std::array<std::uint8_t, 8>;

} // namespace

TEST(Commands, PointerMoveDirectionsAndHighByteFirst) {
    EXPECT_EQ(frame([](auto& r) { fillPointerMove(r, 5, 300, 3); }),
              (F{7, 0x0B, 0xFF, 0xFB, 0xFE, 0xD4, 0, 0}));
    EXPECT_EQ(frame([](auto& r) { fillPointerMove(r, 5, 300, 4); }),
              (F{7, 0x0B, 0xFF, 0xFB, 0x01, 0x2C, 0, 0}));
    EXPECT_EQ(frame([](auto& r) { fillPointerMove(r, 5, 300, 5); }),
              (F{7, 0x0B, 0x00, 0x05, 0xFE, 0xD4, 0, 0}));
    EXPECT_EQ(frame([](auto& r) { fillPointerMove(r, 5, 300, 6, 2); }),
              (F{7, 0x0B, 0x00, 0x05, 0x01, 0x2E, 0, 0}));
    EXPECT_EQ(frame([](auto& r) { fillPointerMove(r, 5, 300, 7); }),
              (F{7, 0x0B, 0, 0, 0, 0, 0, 0}));
    // The extra offset is added before the sign.
    EXPECT_EQ(pointerMoveVector(1, 10, 3, 4), (std::pair{-1, -14}));
}

TEST(Commands, LightingArithmeticWrapsEffectsFromEight) {
    LightingCommand l;
    l.colourMask = 0x7F;
    l.restore = true;
    l.effect = 3;
    l.speed = 4;
    l.symmetry = 1;
    l.direction = 2;
    l.brightness = 5;
    EXPECT_EQ(frame([&](auto& r) { fillLighting(r, l); }),
              (F{7, 0x13, 0xFF, 0xB4, 0x6B, 0x05, 0x00, 0x02}));
    l.restore = true;
    l.effect = 12; // 0x80 + 0xC0 + 4 kept to 8 bits
    l.speed = 12;  // only the low three bits
    l.brightness = 9;
    EXPECT_EQ(frame([&](auto& r) { fillLighting(r, l); }),
              (F{7, 0x13, 0xFF, 0x44, 0x6B, 0x01, 0x00, 0x02}));
    l.restore = false;
    l.effect = 8;
    l.colourMask = 0x01;
    EXPECT_EQ(frame([&](auto& r) { fillLighting(r, l); })[3], 0x84);
    EXPECT_EQ(frame([&](auto& r) { fillLighting(r, l); })[2], 0x81);
}

TEST(Commands, FixedLayouts) {
    EXPECT_EQ(frame([](auto& r) { fillDpiColour(r, 2, 3, 4, 5); }),
              (F{7, 0x14, 0x44, 0x35, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(frame([](auto& r) { fillKeyFunction(r, 12, 0x2A); }),
              (F{7, 0x10, 12, 0x2A, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(frame([](auto& r) { fillModeSwitch(r, false); }), (F{7, 0x11, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(frame([](auto& r) { fillClose(r); }), (F{7, 0x20, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(frame([](auto& r) { fillConsumerKey(r, 0x223); }),
              (F{7, 0x17, 0x02, 0x23, 0xEE, 0xEE, 0xEE, 0xEE}));
    KeyboardState keys;
    keys.press(0xF3);
    EXPECT_EQ(frame([&](auto& r) { fillPointerButtons(r, keys); }),
              (F{7, 0x16, 0xEE, 0xFD, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(Commands, MemoryTransferAddressLowByteFirst) {
    EXPECT_EQ(frame([](auto& r) { fillMemoryTransfer(r, kTransferDataStep, 2, 0x1234, 0xAB, 7); }),
              (F{7, 0x18, 0x03, 2, 0x34, 0x12, 0xAB, 7}));
    EXPECT_EQ(frame([](auto& r) { fillMemoryTransfer(r, kTransferClose, 0, 0, 0, 0); }),
              (F{7, 0x18, 0, 0, 0, 0, 0, 0}));
}

TEST(Commands, ConsumerUsageTable) {
    const std::uint16_t expected[] = {0x223, 0x183, 0x18A, 0xE9,  0xEA, 0xB6,
                                      0xB5,  0xE2,  0xCD,  0x192, 0xB7};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(consumerUsage(i), expected[i]) << i;
    }
    EXPECT_EQ(consumerUsage(11), 0);
    EXPECT_EQ(consumerUsage(-1), 0);
}
