#pragma once

#include "macros/MacroRecord.h"

#include <array>
#include <cstdint>
#include <string>

namespace zel {

inline constexpr int kProfileCount = 4;
inline constexpr int kButtonSlots = 12;
inline constexpr int kDpiLevels = 6;
inline constexpr int kUserColours = 7;
inline constexpr int kLedTypeSwitches = 10;

/// AssignCode of a button that sends a key combination.
inline constexpr std::int32_t kCodeCombination = 33;

/// A colour as the drawing code takes it: red in bits 0..7, green 8..15, blue 16..23.
using ColourRef = std::uint32_t;

/// Colour level 0..15 (0 = full intensity) of an 8-bit component. Worked in 64 bits, so a
/// component of any value read from a file gives its level without overflow.
constexpr std::int32_t colourLevel(std::int32_t component) {
    return static_cast<std::int32_t>((std::int64_t{255} - component) / 16);
}
/// 8-bit drawing value of a colour level: the low byte of 255 − 16 × level, worked in
/// unsigned arithmetic so that a stored level of any value wraps instead of overflowing.
constexpr std::uint8_t displayComponent(std::int32_t level) {
    return static_cast<std::uint8_t>((255u - 16u * static_cast<std::uint32_t>(level)) & 0xFFu);
}
/// Display colour of three colour levels.
constexpr ColourRef displayColour(std::int32_t r, std::int32_t g, std::int32_t b) {
    return static_cast<ColourRef>(displayComponent(r)) |
           (static_cast<ColourRef>(displayComponent(g)) << 8) |
           (static_cast<ColourRef>(displayComponent(b)) << 16);
}

/// One of the four profiles; every array has one entry per button slot.
struct ProfileSettings {
    std::array<std::int32_t, kButtonSlots> buttonCode{};  ///< AssignCode; 33 = combination
    std::array<std::string, kButtonSlots> comboText;      ///< combination text when code 33
    std::array<MacroRecord, kButtonSlots> comboRecord{};  ///< the combination as a macro
    std::array<std::int32_t, kButtonSlots> macroLight{};  ///< LEFT_MAC<p><s>
    std::array<std::int32_t, kButtonSlots> reactEnable{}; ///< always 1 after a load
    std::array<std::int32_t, kButtonSlots> reactType{};
};

/// The report interval code the program always uses: a download sets `reportRateCode` to
/// it and writes it into the mouse's configuration.
inline constexpr std::uint8_t kReportIntervalCode = 7;

/// The settings the four profiles share.
struct SharedSettings {
    std::array<std::int32_t, kButtonSlots> macroColour{}; ///< 0..6, index of a user colour
    std::int32_t wheelStatus = 0;
    std::int32_t dpiLevel = 0;
    std::array<std::uint8_t, kDpiLevels> dpiValueIndex{};
    std::array<bool, kDpiLevels> dpiEnabled{};
    std::array<std::array<std::int32_t, 3>, kDpiLevels> dpiColourLevel{};
    std::array<ColourRef, kDpiLevels> dpiDisplayColour{};
    std::uint8_t ledType = 0;
    std::array<std::int32_t, kLedTypeSwitches> ledTypeSwitch{};
    std::uint8_t ledCycleTime = 0;
    std::int32_t ledUserColourEnable = 1;
    std::int32_t ledFeatureSingleColour = 0;
    std::int32_t ledFeatureDirection = 0;
    std::int32_t ledFeatureSymmetry = 0;
    std::int32_t ledBrightness = 0;
    std::int32_t lightMode = 0;
    std::int32_t softHardMacro = 0;
    std::array<std::array<std::int32_t, 3>, kUserColours> userColourLevel{};
    std::array<ColourRef, kUserColours> userDisplayColour{};
    std::uint8_t cycleColourMask = 0;
    std::array<std::int32_t, kUserColours> cycleColourOn{};
    std::uint8_t dpiSpeed = 0;
    std::uint8_t wheelSpeed = 0;
    std::uint8_t usbSpeed = 0;
    std::uint8_t reportRateCode = 0;
    std::int32_t fireTime = 50;
};

} // namespace zel
