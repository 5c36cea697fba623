#include "lighting/SoundWaveModel.h"

#include "platform/ini/IniStore.h"

#include <algorithm>

namespace zel {

namespace {
constexpr std::size_t kSettingBound = 5;
constexpr const char* kSection = "ShareData";
} // namespace

SoundWaveSettings readSoundWaveSettings(const ini::IniStore& ini, const std::string& settingsFile) {
    SoundWaveSettings s;
    s.soundMode = ini.readInt(settingsFile, kSection, "SoundWaveMode", kSettingBound);
    s.soundSpeaker = ini.readInt(settingsFile, kSection, "SoundSpeaker", kSettingBound);
    s.soundMicrophone = ini.readInt(settingsFile, kSection, "SoundMicroph", kSettingBound);
    s.soundBright2 = ini.readInt(settingsFile, kSection, "SoundBright2", kSettingBound);
    s.soundShow = ini.readInt(settingsFile, kSection, "WaveShowStatu", kSettingBound);
    return s;
}

bool writeSoundWaveSettings(ini::IniStore& ini, const std::string& settingsFile,
                            const SoundWaveSettings& settings) {
    bool ok =
        ini.write(settingsFile, kSection, "SoundWaveMode", std::to_string(settings.soundMode));
    ok = ini.write(settingsFile, kSection, "SoundSpeaker", std::to_string(settings.soundSpeaker)) &&
         ok;
    ok = ini.write(settingsFile, kSection, "SoundMicroph",
                   std::to_string(settings.soundMicrophone)) &&
         ok;
    ok = ini.write(settingsFile, kSection, "SoundBright2", std::to_string(settings.soundBright2)) &&
         ok;
    return ini.write(settingsFile, kSection, "WaveShowStatu", "1") && ok;
}

SoundWindowPlace soundWindowPlace(int desktopWidth, int desktopHeight, int mainWidth,
                                  int mainHeight) {
    return {desktopWidth / 2 - mainWidth / 2 + 250, desktopHeight / 2 - mainHeight / 2 + 100};
}

int soundHitTest(const std::array<SoundRect, kSoundHitElements>& rects, int px, int py) {
    for (int i = 0; i < kSoundHitElements; ++i) {
        if (rects[static_cast<std::size_t>(i)].contains(px, py)) {
            return i;
        }
    }
    return kSoundNoElement;
}

SoundPress soundPress(int hotElement, int soundShow) {
    switch (hotElement) {
    case kSoundModeBar:
    case kSoundModePulse:
    case kSoundModeTempo:
        return SoundPress::ChooseMode;
    case kSoundSwitchElement:
        return soundShow == 0 ? SoundPress::SwitchOn : SoundPress::SwitchOff;
    case kSoundCloseElement:
        return SoundPress::Close;
    case 11: // no longer hot, so the press moves the window
    case kSoundNoElement:
        return SoundPress::MoveWindow;
    default:
        return SoundPress::Nothing;
    }
}

SoundPress pressSoundElement(SoundLightState& state, int hotElement) {
    const SoundPress press = soundPress(hotElement, state.soundShow.load());
    switch (press) {
    case SoundPress::ChooseMode:
        state.setMode(hotElement);
        break;
    case SoundPress::SwitchOn:
        state.setShow(1);
        break;
    case SoundPress::SwitchOff:
        state.setShow(0);
        break;
    default:
        break;
    }
    return press;
}

bool soundGraphShowsBars(const SoundLightState& state) {
    return state.sampleHistory[0].load() > 1 && state.soundLevel.load() > 0 &&
           state.soundShow.load() != 0;
}

std::array<int, kSoundCells> soundGraphValues(SampleHistory& history) {
    std::array<int, kSoundCells> values{};
    for (std::size_t k = 0; k < values.size(); ++k) {
        int v = history[k + 1].load();
        if (v >= 99) {
            v = 99;
            history[k + 1].store(99);
        }
        values[k] = v;
    }
    return values;
}

SoundRect soundBar(const SoundRect& cell, int value) {
    const int filled = cell.height * value / 100;
    return {cell.x, cell.y + (cell.height - filled) / 2, cell.width, filled};
}

SoundRect soundFlatLine(const SoundRect& cell) {
    return {cell.x, cell.y + cell.height / 2 - 2, cell.width, 2};
}

} // namespace zel
