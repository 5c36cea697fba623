#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace zel::sim {

/// The mouse's configuration memory read back into records, straight from the memory
/// layout: what a mouse would make of the bytes a download left there.
struct DecodedButton {
    std::uint8_t function = 0; ///< 5-bit device function
    bool reactEnable = false;
    std::uint8_t reactType = 0;

    friend bool operator==(const DecodedButton&, const DecodedButton&) = default;
};

/// One 10-byte entry of the macro directory.
struct DecodedDirectoryEntry {
    bool used = false; ///< any byte non-zero
    bool loop = false;
    bool hold = false;
    bool toggle = false;
    bool repeat = false;
    int stepCount = 0; ///< stream entries: steps and delay-extension pairs
    std::uint8_t keyCode = 0;
    std::uint16_t consumerUsage = 0;
    std::uint16_t address = 0;
    bool extra76 = false;
    std::uint8_t extra77 = 0;
};

enum class DecodedStepKind { Press, Release, Move, Cpi, Lighting };

/// The data of a lighting step's slot: up to 16 entries of mode, level, time.
struct DecodedLightSlot {
    std::uint16_t address = 0;
    int kind = 0; ///< 0, 1, 2
    std::vector<std::array<std::uint8_t, 4>> entries;
};

/// One step of a macro stream with the extension pairs that followed it folded into its
/// delay.
struct DecodedStep {
    DecodedStepKind kind = DecodedStepKind::Release;
    std::uint8_t code = 0; ///< key or button code; 0 for a pure pause
    int delay = 0;         ///< milliseconds: the step's own 7 bits + 127 per full pair
    int extensionPairs = 0;
    int x = 0; ///< pointer move
    int y = 0;
    /// CPI step: 9 set, 10 return, 0 anything else; its value byte.
    int cpiAction = 0;
    std::uint8_t cpiValue = 0;
    DecodedLightSlot light;
};

struct DecodedMacro {
    std::uint16_t address = 0;
    int repeat = 0;
    int entries = 0; ///< stream entries read (steps + pairs)
    std::vector<DecodedStep> steps;
};

struct DecodedMemory {
    std::array<std::uint8_t, 8> headerBytes{};
    bool fullHeader = false; ///< the 8-byte header with its 0x5A marker
    int profile = 0;         ///< bits 5..6 of header byte 1

    /// Buttons by profile and physical number 1..12 (index 0 unused).
    std::array<std::array<DecodedButton, 13>, 4> buttons{};

    int dpiLevel = 0;
    std::uint8_t dpiEnableBits = 0;
    std::array<int, 6> dpiCode{}; ///< 5-bit codes
    int rapidFire = 0;
    int effect = 0; ///< 4 bits: three in the effect byte, bit 3 at 0x30
    int effectFlag = 0;
    int effectSpeed = 0;
    std::uint8_t colourMask = 0;
    int reportInterval = 0;
    int functionMask = 0;
    int symmetry = 0;
    int direction = 0;
    int brightness = 0;
    std::array<std::array<int, 3>, 7> userColour{};
    std::array<std::array<int, 3>, 6> dpiColour{};
    /// Macro colour of physical buttons 2..12 (index = number).
    std::array<int, 13> macroColour{};

    int macroEnd = 0;
    std::array<int, 4> reservedAreas{}; ///< T1..T4
    std::uint8_t modeByte = 0;

    /// Directory by profile and physical number 1..14 (index 0 unused).
    std::array<std::array<DecodedDirectoryEntry, 15>, 4> directory{};
    /// Every macro stream a used directory entry of a macro button points to, by address.
    std::map<std::uint16_t, DecodedMacro> macros;
};

/// Reads a configuration memory (16 KiB; a shorter span reads as zero beyond its end).
DecodedMemory decodeMemory(std::span<const std::uint8_t> memory);

/// The stream at `address` with `entries` entries (as the directory counts them).
DecodedMacro decodeMacroStream(std::span<const std::uint8_t> memory, std::uint16_t address,
                               int entries);

/// Readable lines of everything decoded, for people and for checks.
std::vector<std::string> describeMemory(const DecodedMemory& decoded);

} // namespace zel::sim
