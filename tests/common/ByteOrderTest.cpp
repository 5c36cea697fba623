#include "common/ByteOrder.h"

#include <gtest/gtest.h>

#include <array>

namespace zel {
namespace {

TEST(ByteOrder, NegativeValuesGiveTheirTwosComplementBytes) {
    EXPECT_EQ(lowByte(-300), 0xD4);
    EXPECT_EQ(highByte(-300), 0xFE);
    EXPECT_EQ(lowByte(0x12345), 0x45);
    EXPECT_EQ(highByte(0x12345), 0x23);

    std::array<std::uint8_t, 3> bytes{0xEE, 0xEE, 0xEE};
    putLe16(bytes.data(), 0x1A2B);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 3>{0x2B, 0x1A, 0xEE}));
    EXPECT_EQ(getLe16(bytes.data()), 0x1A2B);
    putLe16(bytes.data(), -2);
    EXPECT_EQ(getLe16(bytes.data()), 0xFFFE);
}

} // namespace
} // namespace zel
