#include "lighting/SoundCommands.h"

#include "device/DeviceCommands.h"

#include <array>

namespace zel {

namespace {

std::uint8_t low8(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

void fillSoundLighting(ReportBuffer& report, const SoundLighting& lighting) {
    report[0] = DeviceLink::kReportId;
    report[1] = kCmdLighting;
    report[2] = low8(0x80 + (lighting.colourMask & 0x7F));
    report[3] = low8((lighting.restore & 1) * 0x80 + (lighting.effect & 0x0F) * 0x10 +
                     (lighting.speed & 7));
    report[4] = low8((lighting.symmetry & 1) * 0x40 + (lighting.direction & 3) * 0x10 +
                     (lighting.extent & 0x0F));
    report[5] = low8(lighting.brightness & 7);
    report[6] = low8(((lighting.effect & 0x0F) >= 8 ? 0x80 : 0) + ((lighting.pattern >> 8) & 3));
    report[7] = low8(lighting.pattern);
}

DpiColourLevels soundDpiColour(int step) {
    static constexpr std::array<DpiColourLevels, 4> kCycle{{
        {0, 15, 15}, // red
        {0, 15, 0},  // magenta
        {0, 0, 15},  // yellow
        {15, 15, 0}, // blue
    }};
    return kCycle[static_cast<std::size_t>(step & 3)];
}

} // namespace zel
