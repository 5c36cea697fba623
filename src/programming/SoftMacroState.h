#pragma once

#include "macros/MacroRecord.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace zel {

/// Where the monitor's working macro came from: it is written back to its group file
/// only when it is a group macro.
enum class WorkingMacroSource { None, Group, WeaponPreset };

/// The state the event monitor and the software macro player share. Each flag has one
/// side that sets it and one that clears it, so plain atomic words are enough for the
/// hand-over; the working macro belongs to the monitor's thread (the lock only lets
/// others take a consistent copy).
class SoftMacroState {
public:
    /// Byte 1 of the press that the player is to act on.
    std::atomic<std::uint8_t> lastEvent{0};
    /// A press waits to be played.
    std::atomic<bool> macroPending{false};
    /// Set by a press, cleared by a release.
    std::atomic<bool> held{false};
    /// Flips with every press; play-until-pressed-again macros run while it is set.
    std::atomic<bool> toggled{false};
    /// A macro-light button has taken over physical button 1.
    std::atomic<bool> toggleActive{false};
    /// The button slot that did so.
    std::atomic<int> toggleKey{0};
    /// A release arrived; the player updates the DPI stage.
    std::atomic<bool> dpiPending{false};
    /// Byte 1 of that release and byte 2 of its report (the mouse's DPI stage in bits
    /// 0..2), kept apart from the press so a release cannot redirect a pending press.
    std::atomic<std::uint8_t> dpiEvent{0};
    std::atomic<std::uint8_t> dpiReportByte{0};

    /// Wakes the player: called after every report the monitor has treated (the press and
    /// release flags above are set there) and at a stop. The count only ever grows, so a
    /// waiter that read it before looking at the flags cannot miss a wake-up.
    void wakePlayer() {
        m_playerWakes.fetch_add(1);
        m_playerWakes.notify_all();
    }
    std::uint32_t playerWakes() const { return m_playerWakes.load(); }
    /// Sleeps until the count differs from `seen` (a wake-up after `seen` was read).
    void waitForPlayerWake(std::uint32_t seen) const { m_playerWakes.wait(seen); }

    /// The macro-light takeover ends (a download or a profile button does this).
    void clearToggle() { toggleActive.store(false); }

    /// The macro of the last button event whose code was above 40.
    MacroRecord workingMacro() const {
        std::lock_guard lock(m_mutex);
        return m_workingMacro;
    }
    WorkingMacroSource workingSource() const {
        std::lock_guard lock(m_mutex);
        return m_workingSource;
    }
    /// Group and macro number of the last group macro loaded into the working macro.
    int lastGroup() const { return m_lastGroup.load(); }
    int lastMacro() const { return m_lastMacro.load(); }

    void setWorkingGroupMacro(int group, int macro, const MacroRecord& record) {
        std::lock_guard lock(m_mutex);
        m_lastGroup.store(group);
        m_lastMacro.store(macro);
        m_workingMacro = record;
        m_workingSource = WorkingMacroSource::Group;
    }
    void setWorkingPreset(const MacroRecord& record) {
        std::lock_guard lock(m_mutex);
        m_workingMacro = record;
        m_workingSource = WorkingMacroSource::WeaponPreset;
    }
    /// Changes the working macro in place (the monitor's thread).
    template <typename F>
    void editWorkingMacro(F&& edit) {
        std::lock_guard lock(m_mutex);
        edit(m_workingMacro);
    }

private:
    mutable std::mutex m_mutex;
    MacroRecord m_workingMacro{};
    WorkingMacroSource m_workingSource = WorkingMacroSource::None;
    std::atomic<int> m_lastGroup{0};
    std::atomic<int> m_lastMacro{0};
    std::atomic<std::uint32_t> m_playerWakes{0};
};

} // namespace zel

namespace zel {

/// How the workers ask the main window to redraw itself (they never touch its controls).
class RepaintSink {
public:
    virtual ~RepaintSink() = default;
    virtual void repaint() = 0;
};

} // namespace zel
