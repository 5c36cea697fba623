#include "programming/ProfileRestore.h"

#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "settings/ProfileStore.h"

namespace zel {

LightingCommand profileLighting(const SharedSettings& shared, std::uint8_t colourMask) {
    LightingCommand lighting;
    lighting.colourMask = colourMask;
    lighting.restore = true;
    lighting.effect = shared.ledType;
    lighting.speed = shared.ledCycleTime;
    lighting.symmetry = shared.ledFeatureSymmetry;
    lighting.direction = shared.ledFeatureDirection;
    lighting.brightness = shared.ledBrightness;
    lighting.extent = kLightingExtentFull;
    return lighting;
}

void restoreLightingAndDpi(DeviceLink& link, ProfileStore& store, const std::string& settingsFile,
                           Sleeper& sleeper) {
    SharedSettings& shared = store.shared;
    const std::vector<std::uint8_t> dpiBlock = link.readBlock(kDpiBlockAddress, 8);
    const int stage = dpiBlock.empty() ? 0 : (dpiBlock[0] & 7);
    // Stages 6 and 7 have no colour; the mouse never reports them for six stages.
    if (stage < kDpiLevels) {
        const auto& colour = shared.dpiColourLevel[static_cast<std::size_t>(stage)];
        static_cast<void>(sendDpiColour(link, stage, colour[0], colour[1], colour[2]));
    }

    std::uint8_t mask = 0;
    for (int c = 0; c < kUserColours; ++c) {
        if (shared.cycleColourOn[static_cast<std::size_t>(c)] != 0) {
            mask = static_cast<std::uint8_t>(mask | (1U << c));
        }
    }
    shared.cycleColourMask = mask;
    static_cast<void>(sendLighting(link, profileLighting(shared, mask)));

    sleeper.sleepFor(std::chrono::milliseconds(2));
    shared.dpiLevel = store.readStoredDpiLevel(settingsFile);
    link.endTransfer();
}

} // namespace zel
