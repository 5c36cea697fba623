#pragma once

#include "lighting/SoundLightState.h"

#include <array>
#include <string>

namespace zel {

namespace ini {
class IniStore;
}

/// The sound window's settings in section "ShareData" of the settings file.
struct SoundWaveSettings {
    int soundMode = 0;
    int soundSpeaker = 0;    ///< carried through unchanged
    int soundMicrophone = 0; ///< carried through unchanged
    int soundBright2 = 0;    ///< carried through unchanged
    int soundShow = 0;       ///< not 0: the lights follow the sound
};

/// Reads the five settings (each bounded to 5 characters; missing or not a number is 0).
SoundWaveSettings readSoundWaveSettings(const ini::IniStore& ini, const std::string& settingsFile);
/// Writes them on closing; "WaveShowStatu" is always stored as 1, so the next run follows
/// the sound as soon as the window is first opened. False when a write failed.
bool writeSoundWaveSettings(ini::IniStore& ini, const std::string& settingsFile,
                            const SoundWaveSettings& settings);

struct SoundRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    bool operator==(const SoundRect&) const = default;
};

/// Where the window opens: beside a main window centred on the desktop, whatever the
/// main window's actual place.
struct SoundWindowPlace {
    int x = 0;
    int y = 0;
    bool operator==(const SoundWindowPlace&) const = default;
};
SoundWindowPlace soundWindowPlace(int desktopWidth, int desktopHeight, int mainWidth,
                                  int mainHeight);

/// Elements of the window's layout.
inline constexpr int kSoundHitElements = 12; ///< only 0..11 are hit-tested
inline constexpr int kSoundSwitchElement = 9;
inline constexpr int kSoundCloseElement = 10;
inline constexpr int kSoundFirstCell = 13;
inline constexpr int kSoundCells = 36;
inline constexpr int kSoundNoElement = 255;

/// The first of elements 0..11 whose rectangle holds the point, else 255.
int soundHitTest(const std::array<SoundRect, kSoundHitElements>& rects, int px, int py);

/// What a press of the left button on the hot element does.
enum class SoundPress {
    Nothing,    ///< elements 0, 1, 5..8
    ChooseMode, ///< elements 2, 3, 4: the pattern of that number
    SwitchOn,   ///< element 9 while off
    SwitchOff,  ///< element 9 while on: the profile's lighting comes back 250 ms later
    Close,      ///< element 10: store the settings, hide the window
    MoveWindow, ///< element 11 or no element: the window follows the pointer
};
SoundPress soundPress(int hotElement, int soundShow);

/// Applies a press to the shared words (pattern, switch); the window does the rest.
SoundPress pressSoundElement(SoundLightState& state, int hotElement);

/// Whether the graph shows bars (there is sound, a level and the switch is on) rather
/// than flat lines.
bool soundGraphShowsBars(const SoundLightState& state);

/// The values the 36 cells show: cell k shows sample k + 1, held to 99 and stored back
/// held, so a full-scale sample reads 99 from then on.
std::array<int, kSoundCells> soundGraphValues(SampleHistory& history);

/// The part of `cell` a value 0..99 fills: a bar of height h x v / 100 centred on the
/// cell's middle line.
SoundRect soundBar(const SoundRect& cell, int value);
/// The flat line a cell shows without sound: 2 pixels just above its middle line.
SoundRect soundFlatLine(const SoundRect& cell);

} // namespace zel
