#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace zel::sim {

/// How the simulated mouse enumerates: identity, which top-level collections its report
/// descriptor declares and how long their reports are (lengths count the report ID byte;
/// 0 declares no report of that kind).
struct SimLayout {
    std::uint16_t vendorId = 0xE5A7;
    std::uint16_t productId = 0x1040;
    std::string productString = "ZEL GMouse";
    bool mouseCollection = true;       ///< the standard mouse collection (usage page 1, usage 2)
    bool readCollection = true;        ///< vendor collection 0xFF00/1, input report ID 6
    bool writeCollection = true;       ///< vendor collection 0xFF01/1, feature report ID 7
    bool writeCollectionFirst = false; ///< declare 0xFF01 before 0xFF00
    std::uint16_t inputReportBytes = 8;
    std::uint16_t featureReportBytes = 8;
};

/// The report descriptor of a layout.
std::vector<std::uint8_t> buildReportDescriptor(const SimLayout& layout);

/// One feature report as the mouse saw it: a set, or a get with the reply it gave.
struct SimReport {
    bool get = false;
    std::vector<std::uint8_t> bytes;
};

/// A live or input command (0x0B, 0x10, 0x11, 0x13..0x17, 0x20) with its arrival time.
struct SimCommand {
    std::chrono::steady_clock::time_point at;
    std::vector<std::uint8_t> bytes;
};

/// The mouse's side of the feature-report protocol, the device the program is tested
/// against and runs with when no mouse is attached. Thread-safe: any thread may send
/// reports, read input reports, inject events and inspect the state.
///
/// Behaviour:
///  - configuration memory of 16 KiB; memory-transfer data steps (flags 0x03) are
///    buffered per index and written at the commit (0x09); a close (0x00) drops what was
///    not committed; a read step (0x05) makes the next get answer that byte in byte 1;
///    an end of transfer (0x10) applies the configuration: a header with profile bits
///    (byte 1 = profile × 0x20 + 3) makes that profile active and the DPI block at 0x18
///    sets the DPI stage; bytes outside the memory are ignored;
///  - a get without a pending read step answers the status report: byte 6 bits 2..3
///    hold the active profile;
///  - commands other than memory transfer are recorded with their arrival time;
///  - input reports (ID 6) are queued on demand and handed to readers in order;
///  - a report of the wrong length or report ID, and every call while unplugged, fails.
class SimulatedMouse {
public:
    static constexpr std::size_t kMemorySize = 16 * 1024;
    static constexpr std::uint8_t kFeatureReportId = 7;
    static constexpr std::uint8_t kInputReportId = 6;
    /// Records kept of reports and of commands; older ones are dropped.
    static constexpr std::size_t kRecordLimit = 200000;

    explicit SimulatedMouse(SimLayout layout = {});
    SimulatedMouse(const SimulatedMouse&) = delete;
    SimulatedMouse& operator=(const SimulatedMouse&) = delete;

    const SimLayout& layout() const { return m_layout; }
    const std::vector<std::uint8_t>& reportDescriptor() const { return m_descriptor; }

    // Device side of the link.
    bool setFeature(const std::uint8_t* data, std::size_t length);
    bool getFeature(std::uint8_t* data, std::size_t length);
    /// Waits up to `timeoutMs` (negative: without limit) for an input report. Returns the
    /// bytes copied, 0 on timeout, -1 when the mouse is unplugged (also while waiting).
    int readInput(std::uint8_t* data, std::size_t length, int timeoutMs);
    /// Waits without limit for an input report, until `stop` is requested. Returns the
    /// bytes copied, 0 when the stop ended the wait, -1 when the mouse is unplugged (also
    /// while waiting).
    int readInput(std::uint8_t* data, std::size_t length, std::stop_token stop);
    /// Takes the next input report without waiting; false when none is queued.
    bool takeInput(std::vector<std::uint8_t>& report);

    // What happens on the mouse.
    void pressButton(int physical);
    /// The release report carries the current DPI stage in bits 0..2 of byte 2.
    void releaseButton(int physical);
    /// A DPI button: press, the stage changes, release carrying the new stage.
    void clickDpiButton(int physical, int stage);
    void sendEvent(std::uint8_t event);
    /// The profile button on the mouse: the profile becomes active and event 3 is sent.
    void changeProfileOnMouse(int profile);
    void queueInputReport(std::vector<std::uint8_t> report);
    void setActiveProfile(int profile);
    void setDpiStage(int stage);

    /// The advisory lock of the node the mouse enumerates under, as flock gives it on a
    /// hidraw node: programs sharing the mouse hold it around their block sequences.
    /// `lockNode` waits while it is held; it belongs to no thread.
    void lockNode();
    void unlockNode();

    // Plugging.
    void plug();
    void unplug();
    bool plugged() const;
    /// Counts plug-ins; handles opened before an unplug keep failing after a re-plug.
    std::uint64_t generation() const;
    /// Calls `listener(plugged)` after every plug and unplug; returns an id for removal.
    int addPlugListener(std::function<void(bool)> listener);
    void removePlugListener(int id);

    // Inspection.
    std::array<std::uint8_t, kMemorySize> memory() const;
    std::vector<std::uint8_t> memory(std::size_t address, std::size_t count) const;
    void setMemory(std::size_t address, const std::vector<std::uint8_t>& bytes);
    std::vector<SimCommand> commands() const;
    std::vector<SimReport> reports() const;
    void clearRecords();
    int activeProfile() const;
    int dpiStage() const;
    /// How many ends of transfer have been seen.
    int configurationsApplied() const;
    std::size_t pendingInputReports() const;

private:
    void queueLocked(std::vector<std::uint8_t> report);
    bool inputWaitOverLocked(std::uint64_t generation) const;
    int takeInputLocked(std::uint64_t generation, std::uint8_t* data, std::size_t length);
    void memoryTransferLocked(const std::uint8_t* data);
    void applyConfigurationLocked();
    void notifyPlug(bool plugged);

    const SimLayout m_layout;
    const std::vector<std::uint8_t> m_descriptor;

    std::mutex m_nodeMutex;
    std::condition_variable m_nodeFree;
    bool m_nodeLocked = false;

    mutable std::mutex m_mutex;
    // Signalled when an input report is queued and on unplug; the _any kind also wakes a
    // reader whose stop is requested.
    std::condition_variable_any m_inputReady;
    std::array<std::uint8_t, kMemorySize> m_memory{};
    // Data steps of the block under way: index -> byte.
    std::map<std::uint8_t, std::uint8_t> m_pending;
    std::uint16_t m_pendingAddress = 0;
    bool m_readLatched = false;
    std::uint8_t m_readByte = 0;
    int m_activeProfile = 0;
    int m_dpiStage = 0;
    int m_configurationsApplied = 0;
    bool m_plugged = true;
    std::uint64_t m_generation = 1;
    std::deque<std::vector<std::uint8_t>> m_inputs;
    // Bounded, so a simulated mouse that runs for hours does not grow without end.
    std::deque<SimCommand> m_commands;
    std::deque<SimReport> m_reports;

    std::mutex m_listenerMutex;
    std::map<int, std::function<void(bool)>> m_listeners;
    int m_nextListener = 1;
};

} // namespace zel::sim
