#pragma once

#include "common/Tip.h"
#include "macros/MacroRecord.h"
#include "programming/ConfigImage.h"
#include "settings/ProfileSettings.h"

#include <array>
#include <cstdint>
#include <variant>
#include <vector>

namespace zel {

class MacVkAndText;

// The macro part of the configuration memory.
inline constexpr std::uint16_t kMacroEndAddress = 0x6E;
inline constexpr std::uint16_t kMacroPointerAddress = 0x70;
inline constexpr std::uint16_t kMacroPointer4Address = 0x78;
inline constexpr std::uint16_t kMacroPointerEndAddress = 0x7F;
inline constexpr std::uint16_t kDirectoryAddress = 0xA0;
inline constexpr int kDirectoryEntryBytes = 10;
inline constexpr int kDirectoryProfileBytes = kDirectoryButtons * kDirectoryEntryBytes;
inline constexpr int kDirectoryBytes = kProfileCount * kDirectoryProfileBytes;
inline constexpr std::uint16_t kMacroAreaStart = 0x400;
/// The macro area may reach up to this address; a macro that ends above it does not fit.
inline constexpr int kMacroAreaLimit = 0xF1F;
/// A single macro stream never takes more than this.
inline constexpr int kMacroSizeCap = 0x2000;
/// Lighting data may not reach beyond this address.
inline constexpr int kLightingDataLimit = 0x4000;
inline constexpr int kMaxStepDelay = 10000;

static_assert(kDirectoryBytes == 560);
static_assert(kDirectoryAddress + kDirectoryBytes == 0x2D0);

/// A warning box of the download, shown where it stands among the writes.
struct ImageWarning {
    Tip tip{};
    friend bool operator==(const ImageWarning&, const ImageWarning&) = default;
};

/// One step of the macro part, in order: a block write or a warning.
using ImageOp = std::variant<BlockWrite, ImageWarning>;

/// The Windows virtual-key code of a key index of the directory's key field (0..78);
/// 0xFF for any other index.
std::uint8_t keyIndexVirtualKey(int index);

/// The HID Consumer usage of a multimedia function index 0..10; 0 for any other index.
std::uint16_t multimediaUsage(int index);

/// How many times a run-mode-2 library macro (weapon preset or group macro) is laid out
/// in a row: 40 ÷ (1 + the sum of its step delays); 1 when that is below 2 or the run
/// mode byte is not exactly 2.
int unrollCount(const MacroRecord& macro);

/// The macro with steps 0..n-1 repeated `times` times; in the copies, codes from 0xF7 up
/// become pure pauses. Copies stop at 275 steps.
MacroRecord unrollMacro(const MacroRecord& macro, int times);

/// Sizes of a macro's stream in the macro area. Every count is taken from the steps
/// themselves (the first `stepCount` of them, at most 275), so a record whose counters
/// disagree with its steps still gets room for every byte it writes.
struct MacroLayout {
    int steps = 0;          ///< steps encoded
    int extensionPairs = 0; ///< delay-extension pairs of all steps
    int bodySize = 0;       ///< header, steps and pairs, rounded up to 8
    int size = 0;           ///< body + lighting data + reserved slots, at most 0x2000
};
MacroLayout macroLayout(const MacroRecord& macro);

/// The step count the directory gives a macro: steps + extension pairs; 3 for a library
/// macro (weapon preset or group macro) without steps.
int directoryStepCount(const MacroRecord& macro, bool libraryMacro);

/// Bytes of one lighting or reserved slot in the macro area: 4 + 4 × entries, rounded up
/// to 8; the entries named in byte 0 are held to 1..16, what the 68-byte slot has room for.
int slotAreaBytes(std::uint8_t entriesByte);

/// The delay byte of a step and its extension pairs ([0x7F,0] while 127 can be taken off,
/// then [0,0]): delays are capped at 10000 ms, 0 is sent as 1.
struct StepDelay {
    std::uint8_t remainder = 1;
    int pairs = 0;
    int fullPairs = 0; ///< pairs that carry 0x7F
};
StepDelay splitStepDelay(std::uint16_t delay);

/// One macro's stream, laid out for `address`.
struct MacroStream {
    std::vector<std::uint8_t> bytes; ///< macroLayout().size bytes
    std::vector<Tip> warnings;       ///< in order
    bool aborted = false;            ///< lighting data beyond 0x4000
};
MacroStream encodeMacroStream(const MacroRecord& macro, std::uint16_t address);

/// The macro record that each button's code names, or nullptr where it names none.
using ButtonMacros = std::array<std::array<const MacroRecord*, kButtonSlots>, kProfileCount>;

struct MacroImageInput {
    const ButtonTables& tables;
    const std::array<ProfileSettings, kProfileCount>& profiles;
    const ButtonMacros& macros;
    const MacVkAndText& keys;
    int language = 0;
    int currentProfile = 0;
    std::int32_t lightMode = 0;
};

/// Everything the macro part writes, in order, with its warnings.
struct MacroImage {
    std::vector<ImageOp> ops;
    /// The memory was full or the lighting data overran: the download stops here.
    bool aborted = false;
    /// T0, the end of the macro area.
    std::uint16_t macroEnd = kMacroAreaStart;
};

/// The directory of all four profiles, the pointer block and one stream per distinct
/// macro (combinations always get their own), starting at 0x400.
MacroImage buildMacroImage(const MacroImageInput& input);

} // namespace zel
