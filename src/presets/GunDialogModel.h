#pragma once

#include "presets/WeaponPresets.h"

#include <string>

namespace zel {

/// The storing rules of the weapon preset dialog, over its three edit boxes: repeat count
/// (3 digits), pull strength (2 digits) and fire interval (4 digits). The window draws this
/// model and forwards its buttons to it.
class GunDialogModel {
public:
    struct Boxes {
        std::string repeat;
        bool repeatEnabled = true;
        std::string strength;
        std::string interval;
    };

    GunDialogModel(PresetStore& store, WeaponPresets& presets, std::string presetPath);

    /// Opening the dialog: the first preset is shown.
    void open();
    /// Fills the boxes from preset `i`.
    void show(int i);
    /// Button 2: the boxes go into the current preset, which is saved; the dialog closes.
    void storeAndClose();
    /// Weapon `k` (1-based) chosen from the list: the previous preset is stored, `k` shown.
    void chooseWeapon(int k);
    /// Button 8: repeat mode (bits 0, 1 and 3 of runMode cleared).
    void repeatMode();
    /// Button 9: run mode 2 (play while held).
    void runMode2();

    Boxes boxes;
    const WeaponPresets& presets() const { return m_presets; }

private:
    MacroRecord& current() {
        return m_presets.records[static_cast<std::size_t>(m_presets.current)];
    }
    int strengthFromBox() const;
    bool currentValid() const;

    PresetStore& m_store;
    WeaponPresets& m_presets;
    std::string m_path;
};

} // namespace zel
