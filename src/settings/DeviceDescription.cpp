#include "settings/DeviceDescription.h"

#include "platform/ini/IniStore.h"

#include <algorithm>

namespace zel {

std::uint8_t DeviceDescription::deviceKeyOfSlot(int slot) const {
    if (slot < 0 || slot >= keyCount) {
        return 0;
    }
    return keyMap[static_cast<std::size_t>(slot)];
}

int DeviceDescription::slotOfDeviceKey(int key) const {
    if (key < 1 || key > kMaxSlots || !keyHasSlot[static_cast<std::size_t>(key)]) {
        return -1;
    }
    return slotByKey[static_cast<std::size_t>(key)];
}

DeviceDescription loadDeviceDescription(const ini::IniStore& ini, const std::string& settingsFile) {
    DeviceDescription d;
    d.productNameCn = ini.read(settingsFile, "PRODUCTNAME", "PRODUCTNAME_CN", 49);
    d.productNameEn = ini.read(settingsFile, "PRODUCTNAME", "PRODUCTNAME_EN", 49);
    d.keyCount = std::clamp(ini.readInt(settingsFile, "KEYNUM", "KeyNum", 14), 0,
                            DeviceDescription::kMaxSlots);
    for (int n = 1; n <= d.keyCount; ++n) {
        const auto slot = static_cast<std::size_t>(n - 1);
        const std::string number = std::to_string(n);
        d.keyMap[slot] = static_cast<std::uint8_t>(
            ini.readInt(settingsFile, "KEYMAP", "K" + number + "_MAP", 14));
        d.initValue[slot] = static_cast<std::uint8_t>(
            ini.readInt(settingsFile, "KEY_UIFC", "K" + number + "_INIT_VAL", 14));
    }
    d.deviceString = ini.read(settingsFile, "PRODUCTNAME", "DevString", 63);
    for (int s = 0; s < d.keyCount; ++s) {
        const int key = d.keyMap[static_cast<std::size_t>(s)];
        if (key >= 1 && key <= DeviceDescription::kMaxSlots) {
            d.slotByKey[static_cast<std::size_t>(key)] = static_cast<std::uint8_t>(s);
            d.keyHasSlot[static_cast<std::size_t>(key)] = true;
        }
    }
    return d;
}

} // namespace zel
