#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

// Limits of one macro and of a macro group.
inline constexpr int kMaxSteps = 275;
inline constexpr int kMaxMoves = 50;
inline constexpr int kMaxCpiSteps = 5;
inline constexpr int kMaxLedSteps = 5;
inline constexpr int kMaxCount247 = 5;
inline constexpr int kMaxCount250 = 5;
inline constexpr int kMaxCount251 = 5;
inline constexpr int kMaxMacrosPerGroup = 12;
/// Records of a macro buffer: the 12 macros of a group and the blank template (index 12).
inline constexpr int kBufferRecords = 13;
inline constexpr int kBlankTemplate = 12;
inline constexpr int kNameBytes = 60;
/// A name holds at most 29 UTF-16 code units before its terminating zero.
inline constexpr int kMaxNameChars = 29;
inline constexpr int kLedSlotCount = 5;
inline constexpr int kLedSlotBytes = 68;
/// 4-byte entries that fit in a slot after its 4-byte head.
inline constexpr std::uint8_t kLedSlotMaxEntries = (kLedSlotBytes - 4) / 4;
inline constexpr int kMaxRepeatCount = 1000;
inline constexpr int kMaxEditedDelay = 10000;

// Step codes (in-memory values; keyboard keys 4..231 are HID keyboard usages).
inline constexpr std::uint8_t kCodePause = 0;
inline constexpr std::uint8_t kCodeFirstKey = 4;
inline constexpr std::uint8_t kCodeLastKey = 231;
inline constexpr std::uint8_t kCodeLeftButton = 241;
inline constexpr std::uint8_t kCodeMiddleButton = 242;
inline constexpr std::uint8_t kCodeRightButton = 243;
inline constexpr std::uint8_t kCodeMove = 246;
inline constexpr std::uint8_t kCode247 = 247;
inline constexpr std::uint8_t kCodeCpi = 248;
inline constexpr std::uint8_t kCodeLed = 249;
inline constexpr std::uint8_t kCode250 = 250;
inline constexpr std::uint8_t kCode251 = 251;

// Step actions.
inline constexpr std::uint8_t kActionPress = 1;
inline constexpr std::uint8_t kActionRelease = 2;
inline constexpr std::uint8_t kActionMoveLeftUp = 3;    // X-, Y-
inline constexpr std::uint8_t kActionMoveLeftDown = 4;  // X-, Y+
inline constexpr std::uint8_t kActionMoveRightUp = 5;   // X+, Y-
inline constexpr std::uint8_t kActionMoveRightDown = 6; // X+, Y+
inline constexpr std::uint8_t kActionSetCpi = 9;
inline constexpr std::uint8_t kActionReturnCpi = 10;
inline constexpr std::uint8_t kActionLed = 13;

/// One event of a macro. A record keeps its steps as parallel arrays; this is the view of
/// one index of them.
struct MacroStep {
    std::uint8_t code = 0;
    std::uint8_t action = 0;
    std::uint16_t param1 = 0;
    std::uint16_t param2 = 0;
    std::uint16_t delay = 0;

    friend bool operator==(const MacroStep&, const MacroStep&) = default;
};

/// The two parameters of one step, kept together as the record stores them.
struct StepParams {
    std::uint16_t param1 = 0;
    std::uint16_t param2 = 0;

    friend bool operator==(const StepParams&, const StepParams&) = default;
};

/// Lighting data of one lighting step (code 249): byte 0 the number of 4-byte entries from
/// byte 4; entry e is mode (4 + 4e), level (5 + 4e), time value (6 + 4e) and a zero byte.
struct LedSlot {
    std::array<std::uint8_t, kLedSlotBytes> bytes{};

    /// A slot as a new lighting step gets it: one entry, time value 10.
    static LedSlot created() {
        LedSlot slot;
        slot.bytes[0] = 1;
        slot.bytes[6] = 10;
        return slot;
    }

    friend bool operator==(const LedSlot&, const LedSlot&) = default;
};

/// One macro. The fields stand in the order of the macro file's items; `extraSlots` is
/// kept in memory only.
struct MacroRecord {
    /// UTF-16LE code units, zero-terminated.
    std::array<std::uint8_t, kNameBytes> name{};
    /// Low two bits: 0 = play `repeatCount` times, 1 and 2 = the device's other run modes.
    std::uint8_t runMode = 0;
    std::uint16_t repeatCount = 0;
    std::uint16_t stepCount = 0;
    std::uint16_t moveCount = 0;
    std::uint16_t count247 = 0;
    std::uint16_t cpiCount = 0;
    std::uint16_t count250 = 0;
    std::uint8_t ledSlotCount = 0;
    std::uint8_t count251Slots = 0;
    /// 0 for a recorded macro, 1 for one stored by the weapon preset dialog.
    std::uint8_t extra76 = 0;
    /// 10 for a recorded macro, the pull strength for a weapon preset.
    std::uint8_t extra77 = 0;
    std::array<std::uint8_t, 4> reserved{};
    std::array<std::uint8_t, kMaxSteps> action{};
    std::array<std::uint8_t, kMaxSteps> code{};
    std::array<StepParams, kMaxSteps> params{};
    std::array<std::uint16_t, kMaxSteps> delay{};
    std::array<LedSlot, kLedSlotCount> ledSlots{};
    std::array<std::array<std::uint8_t, kLedSlotBytes>, kLedSlotCount> extraSlots{};

    /// Step `s` (0..274) as one value.
    MacroStep step(int s) const {
        const auto i = static_cast<std::size_t>(s);
        return MacroStep{code[i], action[i], params[i].param1, params[i].param2, delay[i]};
    }
    void setStep(int s, const MacroStep& st) {
        const auto i = static_cast<std::size_t>(s);
        code[i] = st.code;
        action[i] = st.action;
        params[i] = StepParams{st.param1, st.param2};
        delay[i] = st.delay;
    }

    /// The name's UTF-16 code units up to the terminating zero (at most 30 units: a name
    /// that fills all 60 bytes without a zero is read to the end of the field, never beyond).
    std::u16string nameUtf16() const;
    /// The name as UTF-8 (unpaired surrogates become U+FFFD).
    std::string nameUtf8() const;
    /// Stores `text` (UTF-8) cut to `maxUnits` UTF-16 units (at most 30, the whole field) on
    /// a character boundary; the rest of the field is zeroed.
    void setNameUtf8(std::string_view text, int maxUnits = kMaxNameChars);

    friend bool operator==(const MacroRecord&, const MacroRecord&) = default;
};

/// A buffer of macros: a signed 16-bit count (0..12) and 13 records. For the current group
/// (`GroupMacros`) records 0..11 are the group's macros in file order and record 12 stays
/// all zero as the blank template of a re-recording.
struct MacroBuffer {
    std::int16_t count = 0;
    std::array<MacroRecord, kBufferRecords> records{};
};

using GroupMacros = MacroBuffer;
/// The constant macros of "constMacro.dat", which the software macro player plays.
using ConstMacros = MacroBuffer;

/// The current macro group as the program holds it: its macros, whether the last group file
/// read carried the seal marker (or a sealed export is under way), and that file's DAT_VER.
struct MacroGroupState {
    GroupMacros groupMacros;
    bool groupSealed = false; // GroupSealed
    int datVersion = 0;       // DatVersion
};

// Serialised form of a record in a macro file: every byte one item of three digits, u16
// fields low byte first. The version-3 header has 81 items (name 60, runMode, six u16
// fields, ledSlotCount, count251Slots, extra76, extra77, 4 reserved); the older header ends
// after count251Slots (75 items).
inline constexpr int kItemDigits = 3;
inline constexpr int kHeaderItemsV3 = kNameBytes + 1 + 6 * 2 + 1 + 1 + 1 + 1 + 4;
inline constexpr int kHeaderItemsOld = kNameBytes + 1 + 6 * 2 + 1 + 1;
inline constexpr int kStepItems = 1 + 1 + 2 + 2 + 2;
inline constexpr int kStepsItems = kMaxSteps * kStepItems;
inline constexpr int kSlotsItems = kLedSlotCount * kLedSlotBytes;
inline constexpr int kValueItems = kHeaderItemsV3 + kStepsItems + kSlotsItems;
inline constexpr int kValueChars = kValueItems * kItemDigits;

static_assert(kHeaderItemsV3 == 81);
static_assert(kHeaderItemsOld == 75);
static_assert(kStepsItems == 2200);
static_assert(kSlotsItems == 340);
static_assert(kValueItems == 2621);
static_assert(kValueChars == 7863);

/// Byte size of the record in the device program's memory layout (a padding byte after
/// `runMode`, so `extra76` stands at byte 76): header 82 bytes, steps, both slot sets.
inline constexpr int kRecordMemoryBytes =
    82 + kMaxSteps * (1 + 1 + 4 + 2) + 2 * kLedSlotCount * kLedSlotBytes;
static_assert(kRecordMemoryBytes == 2962);

} // namespace zel
