#include "macros/MacroEditor.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace zel {

namespace {

// Entries of the "other" text table.
constexpr int kModeLabel = 6;
constexpr int kLevelLabel = 7;
constexpr int kNoLevelLabel = 8;
constexpr int kTimeLabel = 9;
constexpr int kCpiReturnText = 11;
constexpr int kDelayUnitText = 12;
constexpr int kLightingStepText = 13;
constexpr int kLightingOtherText = 14;
constexpr int kPauseText = 17;

// Entries of the lighting table naming the modes of a lighting step.
constexpr int kModeSteadyText = 15; // mode 1
constexpr int kMode2Text = 3;
constexpr int kMode3Text = 4;
constexpr int kMode6Text = 7;
constexpr int kModeOtherText = 8;
// The mode an unnamed mode is shown and kept as.
constexpr std::uint8_t kModeUnnamed = 7;
constexpr std::uint8_t kModeNoLevelA = 6;
constexpr std::uint8_t kModeUnnamedKeep = 9;

constexpr std::uint16_t kNewStepDelay = 100;
constexpr std::uint16_t kNewMoveDistance = 10;
constexpr std::uint16_t kDefaultCpiIndex = 4; // 800
constexpr int kMaxMoveDistance = 100;
constexpr int kMaxLightingValue = 100;
constexpr int kMaxEditedDelayValue = kMaxEditedDelay;
// Codes above this are the device's own steps (moves, CPI, lighting), which take parameters.
constexpr std::uint8_t kLastPlainCode = 128;

/// The CPI of each level index 1..15 of a "set CPI" step.
constexpr std::array<int, 15> kCpiOfIndex{200,  400,  600,  800,  1000, 1200, 1600, 1600,
                                          2000, 2000, 2400, 2400, 3200, 4000, 4800};
constexpr int kDefaultCpi = 800;

/// The CPI values the editor accepts and the level index each is stored as.
struct CpiChoice {
    int cpi;
    std::uint16_t index;
};
constexpr std::array<CpiChoice, 12> kCpiChoices{{{200, 1},
                                                 {400, 2},
                                                 {600, 3},
                                                 {800, 4},
                                                 {1000, 5},
                                                 {1200, 6},
                                                 {1600, 7},
                                                 {2000, 9},
                                                 {2400, 11},
                                                 {3200, 13},
                                                 {4000, 14},
                                                 {4800, 15}}};

/// The insert items 241..258: the step each inserts and whether it goes after the selection.
struct InsertItem {
    std::uint8_t code;
    std::uint8_t action;
    bool after;
};
constexpr std::array<InsertItem, 18> kInsertItems{{
    {kCodeLeftButton, kActionPress, false},
    {kCodeLeftButton, kActionRelease, false},
    {kCodeMiddleButton, kActionPress, false},
    {kCodeMiddleButton, kActionRelease, false},
    {kCodeRightButton, kActionPress, false},
    {kCodeRightButton, kActionRelease, false},
    {kCodeLeftButton, kActionPress, true},
    {kCodeLeftButton, kActionRelease, true},
    {kCodeMiddleButton, kActionPress, true},
    {kCodeMiddleButton, kActionRelease, true},
    {kCodeRightButton, kActionPress, true},
    {kCodeRightButton, kActionRelease, true},
    {kCodeMove, kActionMoveLeftUp, true},
    {kCodeMove, kActionMoveLeftDown, true},
    {kCodeMove, kActionMoveRightUp, true},
    {kCodeMove, kActionMoveRightDown, true},
    {kCodeCpi, kActionSetCpi, true},
    {kCodeCpi, kActionReturnCpi, true},
}};

/// The leading decimal number of `text` (0 when there is none), saturated well above every
/// limit the editor applies.
int leadingNumber(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min(value * 10 + (c - '0'), 1'000'000);
    }
    return value;
}

/// The counter of the steps of `code`, or nullptr for a code without one.
std::uint16_t* wideCounter(MacroRecord& r, std::uint8_t code) {
    switch (code) {
    case kCodeMove:
        return &r.moveCount;
    case kCode247:
        return &r.count247;
    case kCodeCpi:
        return &r.cpiCount;
    case kCode250:
        return &r.count250;
    default:
        return nullptr;
    }
}

} // namespace

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

MacroEditor::MacroEditor(MacroGroupState& group, MacroEditorTexts texts, MacroEditorOutput& output)
    : m_group(group), m_texts(std::move(texts)), m_output(output) {}

void MacroEditor::setMacro(int macro) {
    if (macro != m_macro) {
        m_selectedRow = -1;
    }
    m_macro = macro;
}

MacroRecord* MacroEditor::current() {
    if (m_macro < 0 || m_macro >= m_group.groupMacros.count || m_macro >= kMaxMacrosPerGroup) {
        return nullptr;
    }
    return &m_group.groupMacros.records[static_cast<std::size_t>(m_macro)];
}

const MacroRecord* MacroEditor::current() const {
    return const_cast<MacroEditor*>(this)->current();
}

void MacroEditor::warn(Tip tip, std::string_view prefix) {
    m_output.warn(tip, prefix);
}

std::string MacroEditor::delayText(int delay) const {
    return std::to_string(delay) + m_texts.other(kDelayUnitText);
}

EditorRow MacroEditor::stepRow(const MacroRecord& r, int s) const {
    const auto i = static_cast<std::size_t>(s);
    const std::uint8_t code = r.code[i];
    const std::uint8_t action = r.action[i];
    const int p1 = r.params[i].param1;
    const int p2 = r.params[i].param2;
    switch (code) {
    case kCodePause:
        return {m_texts.other(kPauseText), StepRowKind::Other};
    case kCodeMove: {
        static constexpr std::array<const char*, 4> kSigns{"[X-]:", "[X-]:", "[X+]:", "[X+]:"};
        static constexpr std::array<const char*, 4> kYSigns{",[Y-]:", ",[Y+]:", ",[Y-]:", ",[Y+]:"};
        if (action >= kActionMoveLeftUp && action <= kActionMoveRightDown) {
            const auto d = static_cast<std::size_t>(action - kActionMoveLeftUp);
            return {kSigns[d] + std::to_string(p1) + kYSigns[d] + std::to_string(p2),
                    StepRowKind::Move};
        }
        return {"[X]:eeror,[Y]:eeror", StepRowKind::Move};
    }
    case kCodeCpi:
        if (action == kActionSetCpi) {
            const int cpi =
                p1 >= 1 && p1 <= 15 ? kCpiOfIndex[static_cast<std::size_t>(p1 - 1)] : kDefaultCpi;
            return {"[DPI]:" + std::to_string(cpi) + " ", StepRowKind::Cpi};
        }
        if (action == kActionReturnCpi) {
            return {m_texts.other(kCpiReturnText), StepRowKind::Cpi};
        }
        return {"[DPI]:Error", StepRowKind::Cpi};
    case kCodeLed:
        if (action >= kActionLed && action <= kActionLed + 2) {
            return {m_texts.other(kLightingStepText) + std::to_string(p1 + 1),
                    StepRowKind::Lighting};
        }
        return {m_texts.other(kLightingStepText) + m_texts.other(kLightingOtherText),
                StepRowKind::Lighting};
    default:
        return {m_texts.keyName(code),
                action == kActionRelease ? StepRowKind::Release : StepRowKind::Press};
    }
}

std::vector<EditorRow> MacroEditor::stepRows() const {
    std::vector<EditorRow> rows;
    const MacroRecord* r = current();
    if (m_group.groupSealed || r == nullptr) {
        return rows;
    }
    const int steps = std::min<int>(r->stepCount, kMaxSteps);
    for (int s = 0; s < steps; ++s) {
        rows.push_back(stepRow(*r, s));
        rows.push_back({delayText(r->delay[static_cast<std::size_t>(s)]), StepRowKind::Other});
    }
    return rows;
}

MacroEditor::RepeatBox MacroEditor::repeatBox() const {
    const MacroRecord* r = current();
    if (m_group.groupSealed || r == nullptr || (r->runMode & 3) != 0) {
        return RepeatBox{"1", false};
    }
    return RepeatBox{std::to_string(r->repeatCount), true};
}

bool MacroEditor::menuItem(int item) {
    if (recording()) {
        return true;
    }
    const MacroRecord* r = current();
    const bool empty = r == nullptr || r->stepCount == 0;
    const int after = empty ? 0 : selectedStep() + 1;
    const int before = empty ? 0 : selectedStep();
    if (item >= kInsertLeftPressBefore && item <= kInsertCpiReturnAfter) {
        const InsertItem& what =
            kInsertItems[static_cast<std::size_t>(item - kInsertLeftPressBefore)];
        static_cast<void>(insertStep(what.after ? after : before, what.code, what.action));
        return true;
    }
    switch (item) {
    case kInsertLighting:
        if (r != nullptr && r->ledSlotCount >= kMaxLedSteps) {
            warn(Tip::LimitReached);
            return true;
        }
        static_cast<void>(insertStep(after, kCodeLed, kActionLed));
        return true;
    case kInsertPause:
        static_cast<void>(insertStep(after, kCodePause, 0));
        return true;
    case kDeleteStep:
        static_cast<void>(deleteSelected());
        return true;
    default:
        return false;
    }
}

bool MacroEditor::insertStep(int at, std::uint8_t code, std::uint8_t action) {
    if (m_group.groupSealed) {
        warn(Tip::GroupSealed);
        return false;
    }
    MacroRecord* r = current();
    if (r == nullptr) {
        return false;
    }
    if (r->stepCount >= kMaxSteps) {
        warn(Tip::LimitReached);
        return false;
    }
    const bool atLimit = (code == kCodeMove && r->moveCount >= kMaxMoves) ||
                         (code == kCodeCpi && r->cpiCount >= kMaxCpiSteps) ||
                         (code == kCodeLed && r->ledSlotCount >= kMaxLedSteps);
    if (atLimit) {
        warn(Tip::OperationFailed);
        return false;
    }
    const int count = r->stepCount;
    at = std::clamp(at, 0, count);
    for (int s = count; s > at; --s) {
        r->setStep(s, r->step(s - 1));
    }
    r->stepCount = static_cast<std::uint16_t>(count + 1);
    MacroStep step{code, action, 0, 0, kNewStepDelay};
    if (code == kCodeMove) {
        step.param1 = kNewMoveDistance;
        step.param2 = kNewMoveDistance;
        ++r->moveCount;
    } else if (code == kCodeCpi) {
        step.param1 = kDefaultCpiIndex;
        ++r->cpiCount;
    } else if (code == kCodeLed) {
        // The lighting steps after the new one move their data one slot up, from the last.
        for (int s = count; s > at; --s) {
            const auto i = static_cast<std::size_t>(s);
            if (r->code[i] != kCodeLed) {
                continue;
            }
            const int k = r->params[i].param1;
            if (k + 1 < kLedSlotCount) {
                r->ledSlots[static_cast<std::size_t>(k + 1)] =
                    r->ledSlots[static_cast<std::size_t>(k)];
            }
            r->params[i].param1 = static_cast<std::uint16_t>(k + 1);
        }
        int slot = 0;
        for (int s = at - 1; s >= 0; --s) {
            if (r->code[static_cast<std::size_t>(s)] == kCodeLed) {
                slot = r->params[static_cast<std::size_t>(s)].param1 + 1;
                break;
            }
        }
        slot = std::clamp(slot, 0, kLedSlotCount - 1);
        r->ledSlots[static_cast<std::size_t>(slot)] = LedSlot::created();
        step.param1 = static_cast<std::uint16_t>(slot);
        ++r->ledSlotCount;
    }
    r->setStep(at, step);
    m_selectedRow = 2 * at;
    return true;
}

bool MacroEditor::deleteSelected() {
    if (recording()) {
        return false;
    }
    MacroRecord* r = current();
    if (r == nullptr || r->stepCount == 0) {
        return false;
    }
    // A sealed group shows no steps: nothing may go unseen.
    if (m_group.groupSealed) {
        warn(Tip::GroupSealed);
        return false;
    }
    const int count = std::min<int>(r->stepCount, kMaxSteps);
    const int at = std::min(selectedStep(), count - 1);
    const auto i = static_cast<std::size_t>(at);
    const std::uint8_t code = r->code[i];
    if (std::uint16_t* counter = wideCounter(*r, code); counter != nullptr && *counter > 0) {
        --*counter;
    }
    // A lighting step (and a code-251 step) frees its slot: the later ones move down.
    const auto dropSlot = [&](std::uint8_t slotCode, std::uint8_t& slotCount, auto& slots) {
        if (code != slotCode) {
            return;
        }
        if (slotCount > 0) {
            --slotCount;
        }
        for (int s = at + 1; s < count; ++s) {
            const auto j = static_cast<std::size_t>(s);
            if (r->code[j] != slotCode || r->params[j].param1 == 0) {
                continue;
            }
            const int k = r->params[j].param1;
            if (k < kLedSlotCount) {
                slots[static_cast<std::size_t>(k - 1)] = slots[static_cast<std::size_t>(k)];
            }
            r->params[j].param1 = static_cast<std::uint16_t>(k - 1);
        }
        if (slotCount < kLedSlotCount) {
            slots[slotCount] = {};
        }
    };
    dropSlot(kCodeLed, r->ledSlotCount, r->ledSlots);
    dropSlot(kCode251, r->count251Slots, r->extraSlots);
    for (int s = at; s + 1 < count; ++s) {
        r->setStep(s, r->step(s + 1));
    }
    r->setStep(count - 1, MacroStep{});
    r->stepCount = static_cast<std::uint16_t>(count - 1);
    m_selectedRow = m_selectedRow <= 2 ? 0 : m_selectedRow - 2;
    return true;
}

std::uint8_t MacroEditor::selectedCode() const {
    const MacroRecord* r = current();
    if (r == nullptr || m_selectedRow < 0 || m_selectedRow % 2 != 0 ||
        selectedStep() >= r->stepCount) {
        return 0;
    }
    return r->code[static_cast<std::size_t>(selectedStep())];
}

MacroEditor::Modify MacroEditor::modify() const {
    const MacroRecord* r = current();
    if (r == nullptr || m_selectedRow < 0 || selectedStep() >= r->stepCount) {
        return Modify::Nothing;
    }
    if (m_selectedRow % 2 != 0) {
        return canModifyDelay() ? Modify::EditRow : Modify::Nothing;
    }
    const std::uint8_t code = selectedCode();
    if (code == kCodeLed) {
        return Modify::Nothing;
    }
    if (code == kCodeMove || code == kCodeCpi) {
        return canChangeParameters() ? Modify::EditRow : Modify::Nothing;
    }
    const bool keyOrButton = code == kCodePause ||
                             (code >= kCodeFirstKey && code <= kCodeLastKey) ||
                             (code >= kCodeLeftButton && code <= kCodeRightButton);
    return keyOrButton ? Modify::CaptureKey : Modify::Nothing;
}

bool MacroEditor::canChangeParameters() const {
    const MacroRecord* r = current();
    return !recording() && r != nullptr && r->stepCount > 0 && m_selectedRow >= 0 &&
           m_selectedRow % 2 == 0 && selectedStep() < r->stepCount &&
           selectedCode() > kLastPlainCode;
}

bool MacroEditor::canModifyDelay() const {
    const MacroRecord* r = current();
    return !recording() && r != nullptr && r->stepCount > 0 && m_selectedRow >= 0 &&
           m_selectedRow % 2 == 1 && selectedStep() < r->stepCount;
}

bool MacroEditor::setKey(std::uint8_t code) {
    MacroRecord* r = current();
    if (r == nullptr || m_group.groupSealed || m_selectedRow < 0 || m_selectedRow % 2 != 0 ||
        selectedStep() >= r->stepCount) {
        return false;
    }
    r->code[static_cast<std::size_t>(selectedStep())] = code;
    return true;
}

bool MacroEditor::commitStepEdit(int row, const std::string& text) {
    MacroRecord* r = current();
    if (text.empty() || r == nullptr || m_group.groupSealed || row < 0 || row / 2 >= r->stepCount) {
        return false;
    }
    m_selectedRow = row;
    const auto s = static_cast<std::size_t>(row / 2);
    if (row % 2 == 1) {
        std::string_view number = text;
        if (!allDigits(number)) {
            const std::string unit = m_texts.other(kDelayUnitText);
            const std::size_t end = unit.empty() ? std::string::npos : text.find(unit);
            if (end == std::string::npos) {
                return false;
            }
            number = std::string_view(text).substr(0, end);
            if (!allDigits(number)) {
                return false;
            }
        }
        int value = leadingNumber(number);
        if (value > kMaxEditedDelayValue) {
            warn(Tip::LimitReached);
            value = kMaxEditedDelayValue;
        }
        r->delay[s] = static_cast<std::uint16_t>(value);
        return true;
    }
    const std::uint8_t code = r->code[s];
    if (code == kCodeCpi && r->action[s] == kActionSetCpi) {
        const std::size_t colon = text.find(':');
        const int cpi = leadingNumber(
            colon == std::string::npos ? text : std::string_view(text).substr(colon + 1));
        const auto* choice = std::find_if(kCpiChoices.begin(), kCpiChoices.end(),
                                          [cpi](const CpiChoice& c) { return c.cpi == cpi; });
        if (choice == kCpiChoices.end()) {
            m_output.plainMessage(kCpiChoicesMessage);
            r->params[s].param1 = kDefaultCpiIndex;
        } else {
            r->params[s].param1 = choice->index;
        }
        return true;
    }
    if (code == kCodeMove) {
        const std::size_t firstColon = text.find(':');
        if (firstColon == std::string::npos) {
            return false;
        }
        const std::size_t comma = text.find(',', firstColon + 1);
        if (comma == std::string::npos) {
            return false;
        }
        const std::size_t secondColon = text.find(':', comma + 1);
        if (secondColon == std::string::npos) {
            return false;
        }
        const std::string_view x =
            std::string_view(text).substr(firstColon + 1, comma - firstColon - 1);
        const std::string_view y = std::string_view(text).substr(secondColon + 1);
        if (!allDigits(x) || !allDigits(y)) {
            return false;
        }
        int xValue = leadingNumber(x);
        int yValue = leadingNumber(y);
        if (xValue > kMaxMoveDistance) {
            warn(Tip::OperationFailed, "[X]; ");
            xValue = kMaxMoveDistance;
        }
        if (yValue > kMaxMoveDistance) {
            warn(Tip::OperationFailed, "[Y]; ");
            yValue = kMaxMoveDistance;
        }
        r->params[s] =
            StepParams{static_cast<std::uint16_t>(xValue), static_cast<std::uint16_t>(yValue)};
        return true;
    }
    return false;
}

LedSlot* MacroEditor::selectedSlot() {
    MacroRecord* r = current();
    if (r == nullptr || m_group.groupSealed || m_selectedRow < 0 || m_selectedRow % 2 != 0 ||
        selectedStep() >= r->stepCount) {
        return nullptr;
    }
    const auto s = static_cast<std::size_t>(selectedStep());
    if (r->code[s] != kCodeLed || r->params[s].param1 >= kLedSlotCount) {
        return nullptr;
    }
    return &r->ledSlots[r->params[s].param1];
}

std::vector<EditorRow> MacroEditor::lightingRows() {
    std::vector<EditorRow> rows;
    LedSlot* slot = selectedSlot();
    if (slot == nullptr) {
        return rows;
    }
    auto& b = slot->bytes;
    const int entries = std::min<int>(b[0], kLedSlotMaxEntries);
    for (int i = 4; i <= 4 * entries + 2; ++i) {
        std::string text;
        switch (i % 4) {
        case 0:
            text = m_texts.other(kModeLabel) + " ";
            if (i == 4) {
                switch (b[4]) {
                case 1:
                    text += m_texts.lighting(kModeSteadyText);
                    break;
                case 2:
                    text += m_texts.lighting(kMode2Text);
                    break;
                case 3:
                    text += m_texts.lighting(kMode3Text);
                    break;
                case kModeNoLevelA:
                    text += m_texts.lighting(kMode6Text);
                    break;
                case kModeUnnamedKeep:
                    // Mode 9 has no name of its own: it shows as the unnamed modes do
                    // but keeps its value.
                    text += m_texts.lighting(kModeOtherText);
                    break;
                default:
                    text += m_texts.lighting(kModeOtherText);
                    b[4] = kModeUnnamed;
                    break;
                }
            }
            break;
        case 1:
            if (b[4] == kModeNoLevelA || b[4] == kModeUnnamed) {
                text = m_texts.other(kNoLevelLabel);
            } else {
                text = m_texts.other(kLevelLabel) + "  ";
                if (i == 5) {
                    if (b[5] == 0) {
                        b[5] = 1;
                    }
                    text += " " + std::to_string(b[5]);
                }
            }
            break;
        case 2:
            text = m_texts.other(kTimeLabel);
            if (i == 6) {
                text += std::to_string(b[6]) + "*122" + m_texts.other(kDelayUnitText);
            }
            break;
        default:
            text = rows.back().text;
            break;
        }
        rows.push_back({std::move(text), StepRowKind::Lighting});
    }
    return rows;
}

bool MacroEditor::commitLightingEdit(int row, const std::string& text) {
    LedSlot* slot = selectedSlot();
    if (slot == nullptr || row < 0 || row + 4 >= kLedSlotBytes) {
        return false;
    }
    std::string_view number = text;
    if (!allDigits(number)) {
        const std::size_t colon = text.find(':');
        if (colon == std::string::npos) {
            return false;
        }
        number = std::string_view(text).substr(colon + 1);
        constexpr std::size_t kUnitChars = 6;
        if (number.size() <= kUnitChars) {
            return false;
        }
        number.remove_suffix(kUnitChars);
        if (!allDigits(number)) {
            return false;
        }
    }
    int value = leadingNumber(number);
    if (value > kMaxLightingValue) {
        warn(Tip::LimitReached);
        value = kMaxLightingValue;
    }
    value = std::max(value, 1);
    slot->bytes[static_cast<std::size_t>(row + 4)] = static_cast<std::uint8_t>(value);
    m_output.saveMacro(m_macro);
    return true;
}

bool MacroEditor::setLightingByte(int row, std::uint8_t value) {
    LedSlot* slot = selectedSlot();
    if (slot == nullptr || row < 0 || row + 4 >= kLedSlotBytes) {
        return false;
    }
    slot->bytes[static_cast<std::size_t>(row + 4)] = value;
    return true;
}

std::string MacroEditor::repeatTextChanged(const std::string& text) {
    const int value = std::clamp(leadingNumber(text), 1, kMaxRepeatCount);
    if (MacroRecord* r = current(); r != nullptr) {
        r->repeatCount = static_cast<std::uint16_t>(value);
        m_output.saveMacro(m_macro);
    }
    return std::to_string(value);
}

bool MacroEditor::setRunMode(int mode) {
    MacroRecord* r = current();
    if (m_group.groupSealed || r == nullptr) {
        return false;
    }
    if (mode == 1 || mode == 2) {
        r->runMode = static_cast<std::uint8_t>((r->runMode & ~7) + mode);
        r->repeatCount = 1;
    } else {
        r->runMode = static_cast<std::uint8_t>(r->runMode & ~0x0B);
    }
    m_output.saveMacro(m_macro);
    return true;
}

} // namespace zel
