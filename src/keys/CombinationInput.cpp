#include "keys/CombinationInput.h"

#include <array>
#include <charconv>
#include <vector>

namespace zel {

namespace {

constexpr std::array<std::string_view, 4> kModifierNames = {"Ctrl", "Shift", "Alt", "Win"};

std::vector<std::string_view> splitTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(kCombinationSplit, start);
        if (at == std::string_view::npos) {
            tokens.push_back(text.substr(start));
            return tokens;
        }
        tokens.push_back(text.substr(start, at - start));
        start = at + kCombinationSplit.size();
    }
}

bool* modifierFlag(CombinationInput& input, std::string_view name) {
    if (name == kModifierNames[0]) {
        return &input.ctrl;
    }
    if (name == kModifierNames[1]) {
        return &input.shift;
    }
    if (name == kModifierNames[2]) {
        return &input.alt;
    }
    if (name == kModifierNames[3]) {
        return &input.win;
    }
    return nullptr;
}

// The stored decimal code of a main key. Anything that is not a number from 0 to 255 (a
// hand-edited settings file) reads as no main key rather than spilling into the slot
// number of the message parameter.
std::uint8_t mainKeyOf(std::string_view code) {
    int value = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
    if (error != std::errc() || end == code.data() || value < 0 || value > 255) {
        return kNoMainKey;
    }
    return static_cast<std::uint8_t>(value);
}

std::string joined(const CombinationInput& input, std::string_view separator) {
    const std::array<bool, 4> on = {input.ctrl, input.shift, input.alt, input.win};
    std::string text;
    for (std::size_t m = 0; m < on.size(); ++m) {
        if (!on[m]) {
            continue;
        }
        if (!text.empty()) {
            text += separator;
        }
        text += kModifierNames[m];
    }
    return text;
}

} // namespace

void CombinationInput::clear() {
    clearModifiers();
    mainKey = kNoMainKey;
    mainName.clear();
}

void CombinationInput::toggleModifier(int modifier) {
    switch (modifier) {
    case 0:
        ctrl = !ctrl;
        break;
    case 1:
        shift = !shift;
        break;
    case 2:
        alt = !alt;
        break;
    case 3:
        win = !win;
        break;
    default:
        break;
    }
}

CombinationInput prefillCombination(int assignCode, std::string_view storedText) {
    CombinationInput input;
    if (assignCode != kCombinationAssignCode) {
        return input;
    }
    const std::vector<std::string_view> tokens = splitTokens(storedText);
    for (std::size_t t = 0; t + 1 < tokens.size(); t += 2) {
        if (bool* flag = modifierFlag(input, tokens[t])) {
            *flag = !tokens[t + 1].empty();
        }
        const bool lastPair = t + 3 >= tokens.size();
        if (lastPair) {
            input.mainName = std::string(tokens[t]);
            input.mainKey = tokens[t].empty() ? kNoMainKey : mainKeyOf(tokens[t + 1]);
        }
    }
    return input;
}

bool isModifierKey(std::uint8_t virtualKey) {
    return virtualKey == 0x10 || virtualKey == 0x11 || virtualKey == 0x12 || virtualKey == 0x5B ||
           virtualKey == 0x5C || (virtualKey >= 0xA0 && virtualKey <= 0xA5);
}

std::string modifierTokens(const CombinationInput& input) {
    return joined(input, kCombinationSplit);
}

std::string combinationTokens(const CombinationInput& input) {
    std::string tokens = modifierTokens(input);
    if (!tokens.empty() && !input.mainName.empty()) {
        tokens += kCombinationSplit;
    }
    return tokens + input.mainName;
}

std::string modifierDisplayText(const CombinationInput& input) {
    return joined(input, "+");
}

std::int64_t combinationArgument(int slot, const CombinationInput& input) {
    return std::int64_t{slot} * 256 + input.mainKey;
}

} // namespace zel
