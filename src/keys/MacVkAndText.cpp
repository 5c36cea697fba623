#include "keys/MacVkAndText.h"

#include "keys/KeyTables.h"

namespace zel {

namespace {

// The mouse buttons' device codes and their entries in the language pack's device and
// macro names.
constexpr std::uint8_t kLeftButton = 241;
constexpr std::uint8_t kRightButton = 243;
constexpr int kLeftButtonEntry = 20;

} // namespace

std::uint8_t MacVkAndText::vkToDeviceCode(int language, std::uint8_t vk) const {
    for (const keys::CodePair& pair : keys::languageKeys(language).forward) {
        if (pair.from == vk) {
            return pair.to;
        }
    }
    return keys::baseVkToDeviceCode(vk);
}

std::uint8_t MacVkAndText::deviceCodeToVk(int language, std::uint8_t code) const {
    for (const keys::CodePair& pair : keys::languageKeys(language).reverse) {
        if (pair.from == code) {
            return pair.to;
        }
    }
    return keys::baseDeviceCodeToVk(code);
}

std::string MacVkAndText::deviceCodeName(int language, std::uint8_t code) const {
    if (code >= kLeftButton && code <= kRightButton) {
        // Left, middle, right: entries 20, 21, 22, read now so a new pack shows at once.
        if (m_names == nullptr) {
            return {};
        }
        return m_names->devMacName(kLeftButtonEntry + (code - kLeftButton));
    }
    for (const keys::KeyName& entry : keys::languageKeys(language).names) {
        if (entry.code == code) {
            return std::string(entry.name);
        }
    }
    return std::string(keys::baseKeyName(code));
}

} // namespace zel
