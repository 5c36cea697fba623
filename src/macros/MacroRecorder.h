#pragma once

#include "common/Tip.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroRecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zel {

/// Milliseconds in a day, and the longest wait a recorded delay holds.
inline constexpr int kMsPerDay = 86'400'000;
inline constexpr int kMaxRecordedDelay = 65535;

/// The time between two clock readings (milliseconds since midnight): a reading below the
/// previous one means midnight passed; the result is limited to 65535. `previous` becomes
/// `now`.
int elapsedMs(int now, int& previous);

/// Milliseconds since midnight (UTC) of the system clock.
int msSinceMidnight();

/// The four key messages the recorder tells apart: presses and releases, each plain or with
/// Alt held (or F10), as the system reports them.
enum class KeyMessage { KeyDown, KeyUp, SysKeyDown, SysKeyUp };

/// Where the recorder reports: warnings, the keyboard it takes while recording, the group
/// file and the page that shows the macro.
class MacroRecorderOutput {
public:
    virtual ~MacroRecorderOutput() = default;
    virtual void warn(Tip tip) = 0;
    /// Takes the keyboard from everything else (true) or gives it back (false).
    virtual void holdKeyboard(bool hold) = 0;
    /// Writes macro `macro` of the current group to its group file.
    virtual void saveMacro(int macro) = 0;
    /// The recorded macro changed (started, a step added, stopped, dropped): show it again.
    virtual void showMacro() = 0;
};

/// What the record button acts on: the macro list as it stands.
struct RecordTarget {
    bool listEmpty = true;
    bool groupRowSelected = false; ///< a group row, or no row at all
    int macro = -1;                ///< the selected row's macro
    std::string name;              ///< the selected row's text
};

/// Records the keyboard into the selected macro: the record button starts it, emptying
/// the macro; every press and release becomes a step with the real time to the next event
/// as its delay; the record button stops it and writes the macro, as does the 111th event
/// (with 110 steps). Selecting another row of the macro list drops the recording and gives
/// the macro back as it was before it started.
///
/// Limits: 110 steps, 55 presses, and 9 keys held at once (a press while 9 keys are held is
/// not recorded, nor is its release). A release without a recorded press is ignored, so is
/// a key without a device code. The same message for the same key twice in a row is the
/// keyboard's auto-repeat and is dropped.
///
/// Runs on the window's thread; the clock is injected so that tests set the time.
class MacroRecorder final : public MacroRecordingControl {
public:
    static constexpr int kMaxRecordedSteps = 110;
    static constexpr int kMaxRecordedPresses = 55;
    static constexpr int kMaxHeldKeys = 9;
    /// The delay of the last recorded step until the next event measures it.
    static constexpr std::uint16_t kLastStepDelay = 20;

    /// `deviceCode` turns a virtual-key code into the step's key code (0: none); `clock`
    /// gives milliseconds since midnight.
    MacroRecorder(MacroGroupState& group, std::function<std::uint8_t(std::uint8_t vk)> deviceCode,
                  std::function<int()> clock, MacroRecorderOutput& output);

    /// The record button: starts recording into the target's macro, or stops and saves.
    void toggle(const RecordTarget& target);
    /// One key message. Returns false when it was not recorded (dropped or refused).
    bool keyMessage(KeyMessage message, std::uint8_t vk);

    /// The macro being recorded (-1: none).
    int macro() const { return m_recording ? m_macro : -1; }
    int recordedSteps() const { return m_steps; }
    int heldKeys() const { return m_heldCount; }

    // MacroRecordingControl
    bool recording() const override { return m_recording; }
    /// Ends the recording without writing it; the macro is as it was before.
    void endWithoutSaving() override;

private:
    void start(const RecordTarget& target);
    void stop();
    MacroRecord* record();

    MacroGroupState& m_group;
    std::function<std::uint8_t(std::uint8_t)> m_deviceCode;
    std::function<int()> m_clock;
    MacroRecorderOutput& m_output;

    bool m_recording = false;
    int m_macro = -1;
    int m_steps = 0;
    int m_presses = 0;
    std::array<std::uint8_t, kMaxHeldKeys> m_held{};
    int m_heldCount = 0;
    std::optional<KeyMessage> m_lastMessage;
    std::uint8_t m_lastKey = 0;
    int m_lastTime = 0;
    /// The macro as it was when the recording started, given back when it is dropped.
    MacroRecord m_before;
};

} // namespace zel
