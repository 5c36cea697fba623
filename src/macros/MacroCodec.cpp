#include "macros/MacroCodec.h"

#include "keys/MacVkAndText.h"

#include <algorithm>

namespace zel {

namespace {

bool keepsFileForm(std::uint8_t code) {
    return code == 0 || code >= 245;
}

// Three decimal digits of one item.
void appendItem(std::string& out, unsigned value) {
    out += static_cast<char>('0' + (value / 100) % 10);
    out += static_cast<char>('0' + (value / 10) % 10);
    out += static_cast<char>('0' + value % 10);
}

void appendU16(std::string& out, std::uint16_t value) {
    appendItem(out, value & 0xFFu);
    appendItem(out, static_cast<unsigned>(value >> 8));
}

// The number formed by the leading digits of characters 3j..3j+2.
unsigned itemAt(std::string_view value, std::size_t j) {
    const std::size_t begin = j * kItemDigits;
    unsigned number = 0;
    for (std::size_t k = begin; k < begin + kItemDigits && k < value.size(); ++k) {
        const char c = value[k];
        if (c < '0' || c > '9') {
            break;
        }
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return number;
}

std::uint8_t byteItem(std::string_view value, std::size_t j) {
    return static_cast<std::uint8_t>(itemAt(value, j) & 0xFFu);
}

std::uint16_t u16Items(std::string_view value, std::size_t j) {
    return static_cast<std::uint16_t>(itemAt(value, j) + itemAt(value, j + 1) * 256u);
}

} // namespace

std::uint8_t MacroKeyForm::toFile(std::uint8_t code) const {
    return keepsFileForm(code) ? code : keys.deviceCodeToVk(language, code);
}

std::uint8_t MacroKeyForm::fromFile(std::uint8_t item) const {
    return keepsFileForm(item) ? item : keys.vkToDeviceCode(language, item);
}

std::string encodeMacroValue(const MacroRecord& r, const MacroKeyForm& form) {
    std::string out;
    out.reserve(kValueChars);
    for (const std::uint8_t b : r.name) {
        appendItem(out, b);
    }
    appendItem(out, r.runMode);
    appendU16(out, r.repeatCount);
    appendU16(out, r.stepCount);
    appendU16(out, r.moveCount);
    appendU16(out, r.count247);
    appendU16(out, r.cpiCount);
    appendU16(out, r.count250);
    appendItem(out, r.ledSlotCount);
    appendItem(out, r.count251Slots);
    appendItem(out, r.extra76);
    appendItem(out, r.extra77);
    for (int k = 0; k < 4; ++k) {
        appendItem(out, 0); // the reserved bytes are always written as zero
    }
    for (std::size_t s = 0; s < static_cast<std::size_t>(kMaxSteps); ++s) {
        appendItem(out, r.action[s]);
        appendItem(out, form.toFile(r.code[s]));
        appendU16(out, r.params[s].param1);
        appendU16(out, r.params[s].param2);
        appendU16(out, r.delay[s]);
    }
    for (const LedSlot& slot : r.ledSlots) {
        for (const std::uint8_t b : slot.bytes) {
            appendItem(out, b);
        }
    }
    return out;
}

MacroRecord decodeMacroValue(std::string_view value, const MacroValueLayout& layout,
                             const MacroKeyForm& form) {
    MacroRecord r;
    for (std::size_t j = 0; j < static_cast<std::size_t>(kNameBytes); ++j) {
        r.name[j] = byteItem(value, j);
    }
    r.runMode = byteItem(value, 60);
    r.repeatCount = u16Items(value, 61);
    r.stepCount = u16Items(value, 63);
    r.moveCount = u16Items(value, 65);
    r.count247 = u16Items(value, 67);
    r.cpiCount = u16Items(value, 69);
    r.count250 = u16Items(value, 71);
    r.ledSlotCount = byteItem(value, 73);
    r.count251Slots = byteItem(value, 74);
    const bool v3 = layout.headerItems == kHeaderItemsV3;
    if (v3 && layout.takeExtraItems) {
        r.extra76 = byteItem(value, 75);
        r.extra77 = byteItem(value, 76);
        for (std::size_t k = 0; k < 4; ++k) {
            r.reserved[k] = byteItem(value, 77 + k);
        }
    }
    const auto first = static_cast<std::size_t>(v3 ? kHeaderItemsV3 : kHeaderItemsOld);
    for (std::size_t s = 0; s < static_cast<std::size_t>(kMaxSteps); ++s) {
        const std::size_t j = first + s * kStepItems;
        r.action[s] = byteItem(value, j);
        r.code[s] = form.fromFile(byteItem(value, j + 1));
        r.params[s].param1 = u16Items(value, j + 2);
        r.params[s].param2 = u16Items(value, j + 4);
        r.delay[s] = u16Items(value, j + 6);
    }
    const std::size_t slots = first + static_cast<std::size_t>(kStepsItems);
    for (std::size_t k = 0; k < static_cast<std::size_t>(kSlotsItems); ++k) {
        r.ledSlots[k / kLedSlotBytes].bytes[k % kLedSlotBytes] = byteItem(value, slots + k);
    }
    normaliseMacroRecord(r);
    return r;
}

bool normaliseMacroRecord(MacroRecord& r) {
    const MacroRecord before = r;
    int steps = std::min<int>(r.stepCount, kMaxSteps);
    int moves = 0, c247 = 0, cpi = 0, led = 0, c250 = 0, c251 = 0;
    for (int s = 0; s < steps; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const auto within = [&](int& counter, int limit) {
            if (counter >= limit) {
                return false;
            }
            ++counter;
            return true;
        };
        bool fits = true;
        switch (r.code[i]) {
        case kCodeMove:
            fits = within(moves, kMaxMoves);
            break;
        case kCode247:
            fits = within(c247, kMaxCount247);
            break;
        case kCodeCpi:
            fits = within(cpi, kMaxCpiSteps);
            break;
        case kCodeLed:
            fits = within(led, kMaxLedSteps);
            if (fits) {
                r.params[i].param1 = static_cast<std::uint16_t>(led - 1);
            }
            break;
        case kCode250:
            fits = within(c250, kMaxCount250);
            break;
        case kCode251:
            fits = within(c251, kMaxCount251);
            if (fits) {
                r.params[i].param1 = static_cast<std::uint16_t>(c251 - 1);
            }
            break;
        default:
            break;
        }
        if (!fits) {
            steps = s;
            break;
        }
    }
    r.stepCount = static_cast<std::uint16_t>(steps);
    r.moveCount = static_cast<std::uint16_t>(moves);
    r.count247 = static_cast<std::uint16_t>(c247);
    r.cpiCount = static_cast<std::uint16_t>(cpi);
    r.ledSlotCount = static_cast<std::uint8_t>(led);
    r.count250 = static_cast<std::uint16_t>(c250);
    r.count251Slots = static_cast<std::uint8_t>(c251);
    // A slot's entry count decides how much of it the device image copies: at most the 16
    // entries that fit in its 68 bytes.
    for (LedSlot& slot : r.ledSlots) {
        slot.bytes[0] = std::min<std::uint8_t>(slot.bytes[0], kLedSlotMaxEntries);
    }
    for (auto s = static_cast<std::size_t>(steps); s < static_cast<std::size_t>(kMaxSteps); ++s) {
        r.action[s] = 0;
        r.code[s] = 0;
        r.params[s] = StepParams{};
        r.delay[s] = 0;
    }
    return !(before == r);
}

std::string decodeMacroName(std::string_view value) {
    MacroRecord r;
    for (std::size_t j = 0; j < static_cast<std::size_t>(kNameBytes); ++j) {
        r.name[j] = byteItem(value, j);
    }
    return r.nameUtf8();
}

} // namespace zel
