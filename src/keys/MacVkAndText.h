#pragma once

#include <cstdint>
#include <string>

namespace zel {

/// The language pack's names of the mouse buttons (table UniqueName_DevMac, entries
/// 20 left, 21 middle, 22 right). The pack loader implements it; a missing entry is "".
class DevMacNames {
public:
    virtual ~DevMacNames() = default;
    virtual std::string devMacName(int entry) const = 0;
};

/// The key tables: platform virtual-key code <-> the mouse's device key code, and
/// device key code -> display name, per language index (0..24 and 26; 0 and 1 share
/// the base tables). The tables never change; the language is passed with every call.
/// Index 25 and any index outside 0..26 use the base tables.
class MacVkAndText {
public:
    /// `names` may be null (mouse buttons are then named "").
    explicit MacVkAndText(const DevMacNames* names = nullptr) : m_names(names) {}

    void setNames(const DevMacNames* names) { m_names = names; }

    /// Forward table: a listed virtual key gives its device code, any other byte itself.
    std::uint8_t vkToDeviceCode(int language, std::uint8_t vk) const;
    /// Reverse table: the virtual key of a device code; other bytes come back unchanged,
    /// except 240 (no key), which gives 0 so that it never reads back as the left button.
    std::uint8_t deviceCodeToVk(int language, std::uint8_t code) const;
    /// Display name (UTF-8) of a device code; "NULL" for codes without a name.
    std::string deviceCodeName(int language, std::uint8_t code) const;

private:
    const DevMacNames* m_names;
};

} // namespace zel
