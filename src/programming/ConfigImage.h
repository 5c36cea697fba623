#pragma once

#include "macros/MacroRecord.h"
#include "settings/DeviceDescription.h"
#include "settings/ProfileSettings.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zel {

/// One write of the mouse's configuration memory: 1..8 bytes at an address.
struct BlockWrite {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;

    friend bool operator==(const BlockWrite&, const BlockWrite&) = default;
};

/// Physical button numbers of the configuration memory: 1..12 carry functions, the macro
/// directory has room for 14.
inline constexpr int kPhysicalButtons = 12;
inline constexpr int kDirectoryButtons = 14;

// Device function codes (`ButtonFunction`) that need a directory entry.
inline constexpr std::uint8_t kFnMacro = 0x0D;
inline constexpr std::uint8_t kFnMacroLoop = 0x0E;
inline constexpr std::uint8_t kFnMultimedia = 0x0F;
inline constexpr std::uint8_t kFnSwitch = 0x14;
inline constexpr std::uint8_t kFnMacroLight = 0x1E;
inline constexpr std::uint8_t kFnMacroLoopLight = 0x1F;

/// AssignCode ranges the download resolves into macros.
inline constexpr std::int32_t kFirstMultimediaCode = 23;
inline constexpr std::int32_t kLastMultimediaCode = 32;
inline constexpr std::int32_t kFirstPresetCode = 50;
inline constexpr std::int32_t kFirstGroupCode = 256;
inline constexpr std::int32_t kLastMacroCode = 29999;
inline constexpr std::int32_t kSwitchKeyCode = 18;
/// The first button code that names a macro (weapon presets, then group macros).
inline constexpr std::int32_t kFirstMacroCode = 41;

/// Where the macro of a button code comes from.
enum class MacroSourceKind { None, Combination, Preset, Group };

/// Codes 33..49 name the button's combination record, 50..255 a weapon preset,
/// 256..29999 a macro of a macro group; every other code names no macro.
MacroSourceKind macroSourceOf(std::int32_t code);

/// Device function of an AssignCode. `macroMode` is the `runMode` of the macro the code
/// names (used only for codes 33..29999); `macroLight` the button's macro-light mark.
std::uint8_t buttonFunction(std::int32_t code, std::uint8_t macroMode, std::int32_t macroLight);

/// The DPI code of a DPI value index; indices beyond the table take its last entry.
std::uint8_t dpiCodeOf(int valueIndex);

/// Effect fields of the lighting byte at 0x18.
struct EffectValues {
    std::uint8_t effect = 0;
    std::uint8_t flag = 0;
    std::uint8_t speed = 0;
};

/// Effect, flag and speed of a lighting effect number; effect 13 keeps the effect of the
/// previous download with speed 7.
EffectValues effectValues(std::uint8_t ledType, std::uint8_t ledCycleTime,
                          std::uint8_t previousEffect);

/// The button tables of one download, by profile: per logical button (slot) and moved to
/// physical order (index = physical number; index 0 and numbers no slot maps to stay 0).
struct ButtonTables {
    using PerSlot = std::array<std::uint8_t, kButtonSlots>;
    using PerPhysical = std::array<std::uint8_t, kDirectoryButtons + 1>;

    std::array<PerSlot, kProfileCount> function{}; ///< `ButtonFunction`
    std::array<std::array<bool, kButtonSlots>, kProfileCount> switchKey{};
    std::array<std::array<bool, kButtonSlots>, kProfileCount> dpiKey{};
    std::array<PerPhysical, kProfileCount> deviceButton{}; ///< `DeviceButtonTable`
    std::array<PerPhysical, kProfileCount> buttonByte{};   ///< `ButtonByte`
    /// Slot that maps to each physical number, -1 for none (the last slot wins when two
    /// slots name the same number).
    std::array<int, kDirectoryButtons + 1> slotOfPhysical{};
};

/// Run mode of the macro each button's code names (0 where it names none).
using ButtonMacroModes = std::array<std::array<std::uint8_t, kButtonSlots>, kProfileCount>;

/// Builds `ButtonFunction`, switchKey, dpiKey, `DeviceButtonTable` and `ButtonByte` for the
/// device's KeyNum logical buttons. Codes must already have passed the macro check.
ButtonTables buildButtonTables(const std::array<ProfileSettings, kProfileCount>& profiles,
                               const DeviceDescription& device, const ButtonMacroModes& modes);

/// What the configuration part of a download writes.
struct ConfigImage {
    BlockWrite header;
    /// The thirteen blocks from 0x08 to 0x68 in address order, then the block at 0x98.
    std::vector<BlockWrite> blocks;
    /// The effect written, remembered for the next download's effect 13.
    std::uint8_t effect = 0;
};

struct ConfigImageInput {
    const ButtonTables& tables;
    const SharedSettings& shared;
    int currentProfile = 0;
    /// The full 8-byte header at 0x00 (a mouse seen with product 0x1201) instead of the
    /// profile byte at 0x01.
    bool fullHeader = false;
    std::uint8_t previousEffect = 0;
    /// Macro end of the previous download, sent at 0x6E until the macro part rewrites it.
    std::uint16_t previousMacroEnd = 0;
};

ConfigImage buildConfigImage(const ConfigImageInput& input);

/// Address of the header block and of the configuration blocks.
inline constexpr std::uint16_t kHeaderAddress = 0x00;
inline constexpr std::uint16_t kProfileByteAddress = 0x01;
inline constexpr std::uint16_t kMacroColourAddress = 0x98;

} // namespace zel
