#pragma once

#include "device/Sleeper.h"
#include "programming/Download.h"
#include "programming/MacroPlayer.h"
#include "programming/SoftMacroState.h"

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <thread>

namespace zel {

class DeviceLink;

// Input reports of the read collection.
inline constexpr std::uint8_t kInputReportId = 6;
inline constexpr std::uint8_t kEventStrengthUp = 1;   ///< the working macro's extra77 + 1
inline constexpr std::uint8_t kEventStrengthDown = 2; ///< the working macro's extra77 - 1
inline constexpr std::uint8_t kEventProfileChanged = 3;
inline constexpr std::uint8_t kLastPlainEvent = 0xEF;
inline constexpr std::uint8_t kReleaseBit = 0x80;
/// Device functions of the profile buttons.
inline constexpr std::uint8_t kFirstProfileFunction = 0x17;
inline constexpr std::uint8_t kLastProfileFunction = 0x1A;
/// The temporary effect that shows a macro-light button's colour.
inline constexpr int kMacroLightEffect = 1;
inline constexpr int kMacroLightSpeed = 4;
inline constexpr auto kMonitorPause = std::chrono::milliseconds(2);

/// Follows what the mouse reports: profile changes, profile buttons, switch keys, the
/// macro-light takeover of physical button 1, and the presses and releases the player acts
/// on. `handleReport` is the whole treatment of one input report.
class DeviceMonitor {
public:
    DeviceMonitor(SoftMacroState& state, SoftMacroContext context, DeviceLink& link);

    /// Loads macro 0 of group 0 as the working macro (the state at start).
    void loadInitialWorkingMacro();

    /// Treats one input report (byte 0 the report ID).
    void handleReport(const std::uint8_t* report, std::size_t length);

    /// The state shared with the player (the worker wakes the player through it).
    SoftMacroState& state() { return m_state; }

private:
    /// Takes the profile the mouse reports as the current one; `handOver`: after a profile
    /// button, the new profile's macro buttons are handed over again.
    void followProfileOnMouse(bool handOver);
    void handleButton(const ProfileRecords& records, std::uint8_t event, std::uint8_t status);
    void showMacroColour(const SharedSettings& shared, int slot);
    void restoreProfileLighting(const SharedSettings& shared);

    SoftMacroState& m_state;
    SoftMacroContext m_context;
    DeviceLink& m_link;
};

/// The endless worker around a monitor: sleeps until an input report arrives, treats it,
/// wakes the player and pauses 2 ms before the next read; while the mouse is not open it
/// sleeps until it is. A stop ends every wait at once.
class DeviceMonitorWorker {
public:
    DeviceMonitorWorker(DeviceMonitor& monitor, DeviceLink& link);
    ~DeviceMonitorWorker();
    DeviceMonitorWorker(const DeviceMonitorWorker&) = delete;
    DeviceMonitorWorker& operator=(const DeviceMonitorWorker&) = delete;
    /// Asks the worker to end and waits for it.
    void stop();

private:
    std::jthread m_thread;
};

} // namespace zel
