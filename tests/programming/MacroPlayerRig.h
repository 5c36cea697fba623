#pragma once

#include "TestSupport.h"
#include "device/DeviceLink.h"
#include "device/KeyboardState.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"
#include "programming/DeviceMonitorTables.h"
#include "programming/MacroPlayer.h"
#include "programming/MacroPlayerSource.h"
#include "programming/SoftMacroState.h"
#include "settings/DeviceDescription.h"
#include "settings/ProfileStore.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace zel::test {

/// Group macros and presets from memory; records what was stored.
class ScriptedMacros final : public SoftMacroSource {
public:
    std::optional<MacroRecord> groupMacro(int group, int macro) override {
        std::lock_guard lock(mutex);
        const auto it = groups.find({group, macro});
        if (it == groups.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    std::optional<MacroRecord> weaponPreset(int index) override {
        std::lock_guard lock(mutex);
        if (index < 0 || index >= static_cast<int>(presets.size())) {
            return std::nullopt;
        }
        return presets[static_cast<std::size_t>(index)];
    }
    bool storeGroupMacro(int group, int macro, const MacroRecord& record) override {
        std::lock_guard lock(mutex);
        stored.push_back({group, macro, record});
        return true;
    }

    struct Stored {
        int group;
        int macro;
        MacroRecord record;
    };
    std::mutex mutex;
    std::map<std::pair<int, int>, MacroRecord> groups;
    std::vector<MacroRecord> presets;
    std::vector<Stored> stored;
};

class CountingView final : public RepaintSink {
public:
    void repaint() override { ++repaints; }
    std::atomic<int> repaints{0};
};

/// A model whose slots 0..7 are physical buttons 1..8.
inline DeviceDescription eightButtonMouse() {
    DeviceDescription d;
    d.keyCount = 8;
    for (int k = 0; k < 8; ++k) {
        d.keyMap[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k + 1);
        d.slotByKey[static_cast<std::size_t>(k + 1)] = static_cast<std::uint8_t>(k);
        d.keyHasSlot[static_cast<std::size_t>(k + 1)] = true;
    }
    return d;
}

/// A macro of the given steps.
inline MacroRecord macroOf(std::initializer_list<MacroStep> steps, std::uint8_t runMode = 0,
                           std::uint16_t repeats = 1) {
    MacroRecord r;
    r.runMode = runMode;
    r.repeatCount = repeats;
    int s = 0;
    for (const MacroStep& step : steps) {
        r.setStep(s++, step);
    }
    r.stepCount = static_cast<std::uint16_t>(s);
    return r;
}

/// Everything the monitor and the player need, over a settings folder of their own.
struct PlayerRig {
    PlayerRig() { configure(""); }
    std::string configDir() const { return dir.str() + "/"; }
    std::string settingsFile() const { return configDir() + "config.ini"; }
    /// Writes config.ini with `text` (software macros on unless it has its own ShareData)
    /// and loads all four profiles from it.
    void configure(const std::string& text) {
        const bool shared = text.find("[ShareData]") != std::string::npos;
        writeFile(settingsFile(), "[Init]\nCurConfig=0\n" + text +
                                      (shared ? "" : "[ShareData]\nSOFT_HARD_MAC=1\n"));
        reload();
    }
    void reload() {
        ini.clearCache();
        for (int p = 0; p < kProfileCount; ++p) {
            store.loadProfile(configDir(), p, false);
        }
        store.publish();
    }
    std::string stored(const std::string& section, const std::string& key) {
        ini::IniStore fresh;
        return fresh.read(settingsFile(), section, key, 100);
    }
    SoftMacroContext context() {
        return SoftMacroContext{store, currentProfile, device,      tables,        macros, view,
                                ini,   settingsFile(), configDir(), &soundDpiStage};
    }
    ButtonTables& editTables() { return tablesSource; }
    void publishTables() { tables.publish(tablesSource); }

    TempDir dir;
    ini::IniStore ini;
    RecordingWarningSink warnings;
    MacVkAndText keys;
    ProfileStore store{ini, warnings, keys, [] { return 1; }};
    std::atomic<std::int32_t> currentProfile{0};
    DeviceDescription device = eightButtonMouse();
    ButtonTables tablesSource{};
    SharedButtonTables tables;
    ScriptedMacros macros;
    CountingView view;
    std::atomic<std::int32_t> soundDpiStage{-1};
    SoftMacroState state;
};

inline std::string hexBytes(const std::vector<std::uint8_t>& bytes, std::size_t from,
                            std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to && i < bytes.size(); ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X", bytes[i]);
        out += (out.empty() ? "" : " ") + std::string(b);
    }
    return out;
}

} // namespace zel::test
