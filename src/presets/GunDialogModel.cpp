#include "presets/GunDialogModel.h"

#include "common/WarningSink.h"
#include "platform/ini/IniText.h"

#include <algorithm>

namespace zel {

GunDialogModel::GunDialogModel(PresetStore& store, WeaponPresets& presets, std::string presetPath)
    : m_store(store), m_presets(presets), m_path(std::move(presetPath)) {}

bool GunDialogModel::currentValid() const {
    return m_presets.current >= 0 && m_presets.current < kMaxPresets;
}

int GunDialogModel::strengthFromBox() const {
    return std::clamp(ini::leadingInt(boxes.strength), kMinPullStrength, kMaxPullStrength);
}

void GunDialogModel::open() {
    m_presets.current = 0;
    show(0);
}

void GunDialogModel::show(int i) {
    if (i < 0 || i >= kMaxPresets) {
        return;
    }
    const MacroRecord& r = m_presets.records[static_cast<std::size_t>(i)];
    if (r.stepCount > 0) {
        if ((r.runMode & 3) != 0) {
            boxes.repeat = "1";
            boxes.repeatEnabled = false;
        } else {
            boxes.repeat = std::to_string(r.repeatCount);
            boxes.repeatEnabled = true;
        }
    }
    if (r.moveCount != 0) {
        for (int s = 0; s < kMaxSteps; ++s) {
            if (r.params[static_cast<std::size_t>(s)].param2 != 0) {
                boxes.strength = std::to_string(r.params[static_cast<std::size_t>(s)].param2);
                break;
            }
        }
        boxes.interval = std::to_string(r.delay[0]);
    }
}

void GunDialogModel::storeAndClose() {
    if (!currentValid()) {
        return;
    }
    MacroRecord& r = current();
    // A count of 0 would play nothing: the box's smallest useful value is 1.
    r.repeatCount = static_cast<std::uint16_t>(std::clamp(ini::leadingInt(boxes.repeat), 1, 999));
    const auto interval =
        static_cast<std::uint16_t>(std::clamp(ini::leadingInt(boxes.interval), 0, 9999));
    r.delay[0] = interval;
    r.delay[1] = interval;
    r.extra76 = 1;
    const int strength = strengthFromBox();
    r.extra77 = static_cast<std::uint8_t>(strength);
    static_cast<void>(m_store.SavePreset(m_path, m_presets, m_presets.current, strength));
}

void GunDialogModel::chooseWeapon(int k) {
    if (k < 1 || k > m_presets.count || k > kMaxPresets || k - 1 == m_presets.current) {
        return;
    }
    const int previous = m_presets.current;
    m_presets.current = k - 1;
    if (previous < 0 || previous >= m_presets.count) {
        m_store.messages().message(kPresetContentError);
    } else {
        MacroRecord& r = m_presets.records[static_cast<std::size_t>(previous)];
        r.repeatCount =
            static_cast<std::uint16_t>(std::clamp(ini::leadingInt(boxes.repeat), 1, 999));
        const int strength = strengthFromBox();
        r.extra77 = static_cast<std::uint8_t>(strength);
        static_cast<void>(m_store.SavePreset(m_path, m_presets, previous, strength));
    }
    show(m_presets.current);
}

void GunDialogModel::repeatMode() {
    if (!currentValid()) {
        return;
    }
    MacroRecord& r = current();
    r.runMode = static_cast<std::uint8_t>(r.runMode & ~0x0Bu);
    if (r.repeatCount == 0) {
        r.repeatCount = 1;
    }
    boxes.repeat = std::to_string(r.repeatCount);
    boxes.repeatEnabled = true;
}

void GunDialogModel::runMode2() {
    if (!currentValid()) {
        return;
    }
    MacroRecord& r = current();
    r.runMode = static_cast<std::uint8_t>((r.runMode & ~0x07u) + 2);
    r.repeatCount = 1;
    boxes.repeat = "1";
    boxes.repeatEnabled = false;
}

} // namespace zel
