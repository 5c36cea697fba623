#include "programming/ConfigImage.h"

#include "common/ByteOrder.h"

#include <algorithm>

namespace zel {

namespace {

// The mouse's DPI codes by value index; there is no code 11.
constexpr std::array<std::uint8_t, 23> kDpiCodeTable = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};

// Every function item of the mouse is enabled.
constexpr std::uint32_t kFunctionMask = 0x3FFF;

constexpr std::uint8_t nibble(std::int32_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0x0Fu);
}

} // namespace

MacroSourceKind macroSourceOf(std::int32_t code) {
    if (code >= kCodeCombination && code < kFirstPresetCode) {
        return MacroSourceKind::Combination;
    }
    if (code >= kFirstPresetCode && code < kFirstGroupCode) {
        return MacroSourceKind::Preset;
    }
    if (code >= kFirstGroupCode && code <= kLastMacroCode) {
        return MacroSourceKind::Group;
    }
    return MacroSourceKind::None;
}

std::uint8_t buttonFunction(std::int32_t code, std::uint8_t macroMode, std::int32_t macroLight) {
    if (code >= 0 && code <= 6) {
        return static_cast<std::uint8_t>(code);
    }
    if ((code >= 7 && code <= 14) || code == 16 || code == 17) {
        return static_cast<std::uint8_t>(code - 5);
    }
    switch (code) {
    case 15:
        return 0x15;
    case kSwitchKeyCode:
        return kFnSwitch;
    case 19:
        return 0x17;
    case 20:
        return 0x18;
    case 21:
        return 0x19;
    case 22:
        return 0x1A;
    case 30001:
        return 0;
    case 40000:
        return 0x16;
    default:
        break;
    }
    if (code >= kFirstMultimediaCode && code <= kLastMultimediaCode) {
        return kFnMultimedia;
    }
    if (code >= kCodeCombination && code <= kLastMacroCode) {
        // A macro with the light mark (or a weapon preset) lights up while it plays.
        const bool light = (code >= kFirstPresetCode && code <= 255) || macroLight != 0;
        if ((macroMode & 3) == 2) {
            return light ? kFnMacroLoopLight : kFnMacroLoop;
        }
        return light ? kFnMacroLight : kFnMacro;
    }
    return 0;
}

std::uint8_t dpiCodeOf(int valueIndex) {
    const int last = static_cast<int>(kDpiCodeTable.size()) - 1;
    return kDpiCodeTable[static_cast<std::size_t>(std::clamp(valueIndex, 0, last))];
}

EffectValues effectValues(std::uint8_t ledType, std::uint8_t ledCycleTime,
                          std::uint8_t previousEffect) {
    if (ledType == 12) {
        return EffectValues{1, 1, ledCycleTime};
    }
    if (ledType == 13) {
        return EffectValues{previousEffect, 0, 7};
    }
    return EffectValues{ledType, 0, ledCycleTime};
}

ButtonTables buildButtonTables(const std::array<ProfileSettings, kProfileCount>& profiles,
                               const DeviceDescription& device, const ButtonMacroModes& modes) {
    ButtonTables t;
    t.slotOfPhysical.fill(-1);
    const int keyCount = std::clamp(device.keyCount, 0, kButtonSlots);
    for (int k = 0; k < keyCount; ++k) {
        const int b = device.keyMap[static_cast<std::size_t>(k)];
        if (b >= 1 && b <= kPhysicalButtons) {
            t.slotOfPhysical[static_cast<std::size_t>(b)] = k;
        }
    }
    for (std::size_t p = 0; p < kProfileCount; ++p) {
        const ProfileSettings& profile = profiles[p];
        for (std::size_t k = 0; k < static_cast<std::size_t>(keyCount); ++k) {
            const std::int32_t code = profile.buttonCode[k];
            const std::uint8_t fn = buttonFunction(code, modes[p][k], profile.macroLight[k]);
            t.function[p][k] = fn;
            t.switchKey[p][k] = code == kSwitchKeyCode;
            t.dpiKey[p][k] = fn == 6 || fn == 11 || fn == 12;
        }
        for (int b = 1; b <= kPhysicalButtons; ++b) {
            const int k = t.slotOfPhysical[static_cast<std::size_t>(b)];
            if (k < 0) {
                continue;
            }
            const auto slot = static_cast<std::size_t>(k);
            const auto at = static_cast<std::size_t>(b);
            t.deviceButton[p][at] = t.function[p][slot];
            t.buttonByte[p][at] =
                lowByte(std::int64_t{profile.reactType[slot]} * 0x40 +
                        std::int64_t{profile.reactEnable[slot]} * 0x20 + t.deviceButton[p][at]);
        }
    }
    return t;
}

ConfigImage buildConfigImage(const ConfigImageInput& in) {
    const SharedSettings& s = in.shared;
    const auto B = [&](int p, int b) {
        return in.tables.buttonByte[static_cast<std::size_t>(p)][static_cast<std::size_t>(b)];
    };

    ConfigImage image;
    const std::uint8_t profileByte = lowByte(std::int64_t{in.currentProfile} * 0x20 + 3);
    if (in.fullHeader) {
        // Bytes 3..6: product 0x1040 and vendor 0xE5A7, low bytes first.
        image.header =
            BlockWrite{kHeaderAddress, {0x5A, profileByte, 0xA5, 0x40, 0x10, 0xA7, 0xE5, 0x00}};
    } else {
        image.header = BlockWrite{kProfileByteAddress, {profileByte}};
    }

    std::array<std::uint8_t, kDpiLevels> dpiCode{};
    std::uint8_t dpiHighBits = 0;
    std::uint8_t dpiEnableBits = 0;
    for (std::size_t j = 0; j < kDpiLevels; ++j) {
        dpiCode[j] = dpiCodeOf(s.dpiValueIndex[j]);
        if ((dpiCode[j] & 0x10) != 0) {
            dpiHighBits = static_cast<std::uint8_t>(dpiHighBits | (1u << j));
        }
        if (s.dpiEnabled[j]) {
            dpiEnableBits = static_cast<std::uint8_t>(dpiEnableBits | (1u << j));
        }
    }
    const auto dpiPair = [&](std::size_t j) {
        return lowByte(dpiCode[j] * 16 + (dpiCode[j + 1] & 0x0F));
    };
    std::uint8_t colourMask = 0;
    for (std::size_t c = 0; c < kUserColours; ++c) {
        if (s.cycleColourOn[c] != 0) {
            colourMask = static_cast<std::uint8_t>(colourMask | (1u << c));
        }
    }
    const EffectValues effect = effectValues(s.ledType, s.ledCycleTime, in.previousEffect);
    image.effect = effect.effect;
    const std::uint8_t effectByte =
        lowByte(0x80 + (effect.effect & 7) * 0x10 + effect.flag * 8 + (effect.speed & 7));
    const auto rapid = static_cast<std::uint16_t>(static_cast<std::uint32_t>(s.fireTime / 8));

    // Colour pair n: user colour component n in the high nibble, the DPI stage colour
    // component of the same position in the low nibble (stage 0 red, green, blue, stage 1...).
    std::array<std::uint8_t, 18> pair{};
    for (std::size_t n = 0; n < pair.size(); ++n) {
        const std::int32_t user = s.userColourLevel[n / 3][n % 3];
        const std::int32_t dpi = s.dpiColourLevel[n / 3][n % 3];
        pair[n] = static_cast<std::uint8_t>(nibble(user) * 16 + nibble(dpi));
    }
    const std::uint8_t featureByte =
        lowByte((s.ledFeatureSymmetry & 1) * 0x40 + (s.ledFeatureDirection & 3) * 0x10 + 0x0B);
    const auto& user6 = s.userColourLevel[6];
    const std::uint8_t user6RedGreen =
        static_cast<std::uint8_t>(nibble(user6[0]) * 16 + nibble(user6[1]));
    const std::uint8_t brightBlue =
        static_cast<std::uint8_t>((s.ledBrightness & 7) * 16 + nibble(user6[2]));
    // The mouse reads bit 3 of the effect from byte 3 at 0x30.
    const std::uint8_t functionHigh =
        lowByte(((kFunctionMask >> 8) & 0x3F) + ((effect.effect & 8) != 0 ? 0x80 : 0));

    std::array<std::uint8_t, kDirectoryButtons + 1> macroColour{};
    for (int b = 1; b <= kPhysicalButtons; ++b) {
        const int k = in.tables.slotOfPhysical[static_cast<std::size_t>(b)];
        if (k >= 0) {
            macroColour[static_cast<std::size_t>(b)] =
                lowByte(s.macroColour[static_cast<std::size_t>(k)]);
        }
    }
    const auto colourPair = [&](int b) {
        return lowByte(macroColour[static_cast<std::size_t>(b)] +
                       8 * macroColour[static_cast<std::size_t>(b + 1)]);
    };

    const std::uint8_t profilesDpi = lowByte(0x18 + (s.dpiLevel & 7));

    image.blocks = {
        {0x08, {B(0, 1), B(0, 2), B(0, 3), B(0, 4), B(0, 5), B(0, 6), B(0, 7), B(0, 8)}},
        {0x10, {B(0, 9), 0, 0, dpiHighBits, 8, dpiPair(0), dpiPair(2), dpiPair(4)}},
        {0x18,
         {profilesDpi, dpiEnableBits, lowByte(rapid), highByte(rapid), effectByte,
          lowByte(0x80 + colourMask), kReportIntervalCode, 0}},
        {0x20, {pair[0], pair[1], pair[2], pair[3], pair[4], pair[5], pair[6], pair[7]}},
        {0x28, {pair[8], pair[9], pair[10], pair[11], pair[12], pair[13], pair[14], pair[15]}},
        {0x30, {pair[16], pair[17], lowByte(kFunctionMask), functionHigh, 0, 0, 0, 0}},
        {0x38, {0, 0, featureByte, B(0, 10), B(0, 11), B(0, 12), user6RedGreen, brightBlue}},
        {0x40, {0, 0, 0, 0x6E, B(1, 1), B(1, 2), B(1, 3), B(1, 4)}},
        {0x48, {B(1, 5), B(1, 6), B(1, 7), B(1, 8), B(1, 9), B(1, 10), B(1, 11), B(1, 12)}},
        {0x50, {B(2, 1), B(2, 2), B(2, 3), B(2, 4), B(2, 5), B(2, 6), B(2, 7), B(2, 8)}},
        {0x58, {B(2, 9), B(2, 10), B(2, 11), B(2, 12), 0, 0, 0, 0}},
        {0x60, {B(3, 1), B(3, 2), B(3, 3), B(3, 4), B(3, 5), B(3, 6), B(3, 7), B(3, 8)}},
        {0x68,
         {B(3, 9), B(3, 10), B(3, 11), B(3, 12), 0, 0, lowByte(in.previousMacroEnd),
          highByte(in.previousMacroEnd)}},
        {kMacroColourAddress,
         {colourPair(2), colourPair(4), colourPair(6), colourPair(8), colourPair(10),
          macroColour[12], 0, 0}},
    };
    return image;
}

} // namespace zel
