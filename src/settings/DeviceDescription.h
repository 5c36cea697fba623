#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zel::ini {
class IniStore;
}

namespace zel {

/// The model description of config.ini: product names, product string, number of
/// programmable buttons and the mapping of button slots to the mouse's own key numbers.
/// Button slots are 0..11; device key numbers are 1..12.
struct DeviceDescription {
    static constexpr int kMaxSlots = 12;

    std::string productNameCn; ///< up to 49 characters
    std::string productNameEn; ///< up to 49 characters
    std::string deviceString;  ///< up to 63 characters; empty accepts any product string
    std::int32_t keyCount = 0; ///< number of button slots, 0..12
    std::array<std::uint8_t, kMaxSlots> keyMap{};        ///< device key number of each slot
    std::array<std::uint8_t, kMaxSlots + 1> slotByKey{}; ///< slot of each device key 1..12
    std::array<bool, kMaxSlots + 1> keyHasSlot{};        ///< device key k belongs to a slot
    std::array<std::uint8_t, kMaxSlots> initValue{};     ///< K<n>_INIT_VAL, carried only

    /// `productNameCn` for language 0, `productNameEn` for every other language.
    const std::string& productName(int languageIndex) const {
        return languageIndex == 0 ? productNameCn : productNameEn;
    }
    /// Device key number of a slot; 0 for a slot outside 0..keyCount-1.
    std::uint8_t deviceKeyOfSlot(int slot) const;
    /// Slot of a device key number, or -1 when no slot maps to it.
    int slotOfDeviceKey(int key) const;
    /// True when `deviceString` is empty or equals the reported string exactly.
    bool acceptsProductString(const std::string& productString) const {
        return deviceString.empty() || productString == deviceString;
    }
};

/// Reads the device sections of the settings file. Never fails: missing keys read as
/// empty or 0. A KeyNum above 12 (or below 0) is clamped into 0..12, and a slot whose key
/// number lies outside 1..12 keeps its number but maps no device key back to it, so no
/// table is ever indexed out of range.
DeviceDescription loadDeviceDescription(const ini::IniStore& ini, const std::string& settingsFile);

} // namespace zel
