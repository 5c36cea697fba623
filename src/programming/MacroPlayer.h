#pragma once

#include "common/OwnerTasks.h"
#include "device/KeyboardState.h"
#include "device/Sleeper.h"
#include "macros/MacroRecord.h"
#include "programming/DeviceMonitorTables.h"
#include "programming/SoftMacroState.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>

namespace zel {

class DeviceLink;
class ProfileStore;
class SoftMacroSource;
struct DeviceDescription;
namespace ini {
class IniStore;
}

/// Where the player's input commands go: the mouse passes them on to the computer as
/// keyboard, pointer and consumer input.
class PlayerCommands {
public:
    virtual ~PlayerCommands() = default;
    virtual void keyboardState(const KeyboardState& state) = 0;
    virtual void pointerButtons(const KeyboardState& state) = 0;
    virtual void pointerMove(int dx, int dy, int direction, int extraDy) = 0;
    /// Multimedia function `index` (0..10) as its consumer usage.
    virtual void consumerKey(int index) = 0;
};

/// The commands sent through the device link.
class LinkPlayerCommands final : public PlayerCommands {
public:
    explicit LinkPlayerCommands(DeviceLink& link) : m_link(link) {}
    void keyboardState(const KeyboardState& state) override;
    void pointerButtons(const KeyboardState& state) override;
    void pointerMove(int dx, int dy, int direction, int extraDy) override;
    void consumerKey(int index) override;

private:
    DeviceLink& m_link;
};

/// What the event monitor and the player read and change besides their shared state. They
/// read the profile records only through the copy the owner publishes
/// (`store.published()`), and change them only through `onOwner`.
struct SoftMacroContext {
    ProfileStore& store;
    std::atomic<std::int32_t>& currentProfile;
    const DeviceDescription& device;
    const SharedButtonTables& tables;
    SoftMacroSource& macros;
    RepaintSink& view;
    /// The settings-file engine the Init/CurConfig write goes through.
    ini::IniStore& ini;
    /// config.ini (CurConfig, DPI_LEVEL).
    std::string settingsFile;
    /// ConfigDir, the folder profiles are loaded from.
    std::string configDir;
    /// The DPI stage of the sound-reactive lighting, when it runs.
    std::atomic<std::int32_t>* soundDpiStage = nullptr;
    /// The owner of `store`'s records: the workers read the copy it publishes and hand
    /// what they change to it. Null: the calling thread is the owner.
    OwnerTasks* owner = nullptr;

    /// Runs `task` on the owner of the records.
    void onOwner(std::function<void()> task) const;
};

/// What a pending press plays.
enum class PressKind { Nothing, GroupMacro, Combination, Multimedia, TogglePlay };

// Button codes (AssignCode) the player tells apart.
inline constexpr std::int32_t kFirstCombinationCode = 33;
inline constexpr std::int32_t kLastCombinationCode = 40;
inline constexpr std::int32_t kLastGroupMacroCode = 3083;
inline constexpr std::uint8_t kFirstButtonEvent = 0xF1;

/// Repeats of a macro that plays while held or until pressed again.
inline constexpr int kEndlessRepeats = 10000;
/// Pointer-button steps pause at least this long, and below the second bound a random
/// part of up to half the delay is added.
inline constexpr int kPointerStepFloorMs = 60;
inline constexpr int kPointerStepJitterBelowMs = 120;
inline constexpr auto kReleasePause = std::chrono::milliseconds(10);

/// The classification of a pending press of a button with `code` and `macroLight`.
PressKind classifyPress(std::int32_t code, std::int32_t macroLight, std::uint8_t lastEvent,
                        bool toggleActive);

/// The pause after a step: its delay, but for a pointer-button press or release (code
/// 0xF0 and up, action 1 or 2) at least 60 ms, lengthened below 120 ms by
/// `random() mod (delay / 2)`.
std::chrono::milliseconds stepPause(const MacroStep& step,
                                    const std::function<std::uint32_t()>& random);

/// A random value drawn from a source seeded from the current time (the player seeds
/// anew at every step).
std::uint32_t timeSeededRandom();

/// The software macro player: one pass takes a DPI release and a pending press from the
/// shared state and plays what the pressed button names, through `commands`, with the
/// macro's timing.
class MacroPlayer {
public:
    using Random = std::function<std::uint32_t()>;

    MacroPlayer(SoftMacroState& state, SoftMacroContext context, PlayerCommands& commands,
                Sleeper& sleeper, Random random = timeSeededRandom);

    /// One pass of the worker, without its closing 2 ms pause. A stop request ends a
    /// playing macro at its next step boundary (with the release of everything).
    void pass(std::stop_token stop = {});

    /// Plays `record` `repeats` times with its stop conditions, then releases everything.
    void play(const MacroRecord& record, int repeats, std::stop_token stop = {});
    /// Sends step `s` of `record`.
    void sendStep(const MacroRecord& record, int s);
    /// Pause 10 ms, all pointer buttons up, pause 10 ms, all keys up.
    void releaseEverything();

    const KeyboardState& keyboard() const { return m_keyboard; }
    /// The state shared with the monitor (the worker sleeps on its wake-up count).
    SoftMacroState& state() { return m_state; }

private:
    void followDpiRelease();
    void playPending(std::stop_token stop);
    bool stopped(const MacroRecord& record, const std::stop_token& stop) const;

    SoftMacroState& m_state;
    SoftMacroContext m_context;
    PlayerCommands& m_commands;
    Sleeper& m_sleeper;
    Random m_random;
    KeyboardState m_keyboard;
};

/// How far the calling thread's priority could be raised.
enum class WorkerPriority { Unchanged, Raised, RealTime };

/// Gives the calling worker thread the highest priority it may have, so the pauses of a
/// played macro end on time on a busy machine: the lowest real-time priority (round robin)
/// where the user may use real-time scheduling, else nice -10 where that is allowed, else
/// nothing; and the finest timer slack. The workers sleep between short bursts of work, so
/// they never hold a processor for long (and the kernel caps real-time use anyway).
WorkerPriority raiseWorkerPriority();

/// The endless worker around a player: sleeps until the monitor has left a DPI release or a
/// press for it (or a stop is requested), then runs a pass.
class MacroPlayerWorker {
public:
    explicit MacroPlayerWorker(MacroPlayer& player);
    ~MacroPlayerWorker();
    MacroPlayerWorker(const MacroPlayerWorker&) = delete;
    MacroPlayerWorker& operator=(const MacroPlayerWorker&) = delete;
    /// Asks the worker to end and waits for it.
    void stop();

private:
    std::jthread m_thread;
};

} // namespace zel
