#pragma once

#include "device/DeviceLink.h"

#include <cstdint>

namespace zel {

/// Pattern values of the sound lighting command (bits 0..9).
inline constexpr int kSoundPatternFull = 0x3FF;
inline constexpr int kSoundPatternSparse = 0x3EB;

/// The values of one sound lighting command. Unlike the profile's lighting command it
/// carries a brightness of its own, a 10-bit pattern in bytes 6 and 7, and the extent in
/// byte 4 varies (the bar height).
struct SoundLighting {
    int colourMask = 0x7F;
    int restore = 1;
    int effect = 0;
    int speed = 0;
    int direction = 0;
    int extent = 0;
    int brightness = 0;
    int pattern = kSoundPatternFull;
    int symmetry = 0;
};

/// Writes the sound lighting command into bytes 0..7 of `report`. Byte 3 keeps only the
/// low 8 bits of restore x 0x80 + effect x 0x10 + speed, so for an effect of 8 or more its
/// bit 7 is lost; byte 6 carries the effect's bit 3 (0x80) instead, with bits 8..9 of
/// the pattern.
void fillSoundLighting(ReportBuffer& report, const SoundLighting& lighting);

/// DPI colour levels (0 full intensity .. 15 off) of one DPI stage.
struct DpiColourLevels {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const DpiColourLevels&) const = default;
};

/// The DPI colour cycle of the pulse pattern by step 0..3: red, magenta, yellow, blue.
DpiColourLevels soundDpiColour(int step);

} // namespace zel
