#pragma once

#include "device/DeviceCommands.h"
#include "device/Sleeper.h"

#include <string>

namespace zel {

class DeviceLink;
class ProfileStore;
struct SharedSettings;

/// Window message 0x40C: the sound-reactive lighting has ended.
inline constexpr unsigned kMsgRestoreLighting = 0x40C;
/// Where the mouse keeps its DPI block; byte 0 bits 0..2 is its DPI stage.
inline constexpr unsigned kDpiBlockAddress = 0x18;

/// The profile's own lighting effect as the settings keep it, with its seven-colour cycle
/// mask `colourMask`.
LightingCommand profileLighting(const SharedSettings& shared, std::uint8_t colourMask);

/// Brings the profile's lighting and DPI state back after the sound-reactive lighting:
/// reads the mouse's DPI stage, sends that stage's DPI colour and the profile's lighting
/// effect, then takes the stored DPI level back from `settingsFile` and ends the transfer.
/// The DPI colour is sent only when the mouse reports one of the six stages.
void restoreLightingAndDpi(DeviceLink& link, ProfileStore& store, const std::string& settingsFile,
                           Sleeper& sleeper);

} // namespace zel
