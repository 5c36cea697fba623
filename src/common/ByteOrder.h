#pragma once

#include <cstdint>

namespace zel {

// The mouse's reports and memory hold multi-byte values low byte first.

/// Bits 0..7 of `value` (of its two's-complement form when negative).
constexpr std::uint8_t lowByte(std::int64_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) & 0xFFU);
}

/// Bits 8..15 of `value` (of its two's-complement form when negative).
constexpr std::uint8_t highByte(std::int64_t value) {
    return lowByte(value >> 8);
}

/// The 16-bit value stored low byte first at `bytes`.
constexpr std::uint16_t getLe16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

/// Stores the low 16 bits of `value` low byte first at `bytes`.
constexpr void putLe16(std::uint8_t* bytes, std::int64_t value) {
    bytes[0] = lowByte(value);
    bytes[1] = highByte(value);
}

} // namespace zel
