#pragma once

#include "device/ProductKind.h"
#include "device/Sleeper.h"
#include "platform/hid/HidBackend.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace zel {

/// The transport's one report buffer. Byte 0 is the report ID, byte 1 the command,
/// bytes 2..7 its parameters; a command writes only the bytes it defines.
using ReportBuffer = std::array<std::uint8_t, 256>;

/// Decides whether a product string belongs to the mouse (the device description's test).
using ProductStringTest = std::function<bool(const std::string&)>;

/// The test for an expected product string: an empty one accepts every product string,
/// any other must equal the reported one exactly (letter case included).
ProductStringTest acceptProductString(std::string expected);

/// What a hot-plug event meant for the link.
enum class HotplugResult {
    Ignored,       ///< another device, or an arrival while connected
    Reconnected,   ///< the mouse came back and both collections are open again
    ArrivalFailed, ///< the mouse's path arrived but the search did not connect
    Removed,       ///< the mouse is gone; the program ends
};

/// The link to the mouse: discovery of its two vendor collections, hot-plug, and the
/// feature-report transport with the block protocol of the configuration memory.
///
/// Every command, and every block read or write with its pauses, holds one lock from its
/// first report to its last, so the reports of different threads never interleave.
/// Device writes are fire-and-forget: results are returned but the block protocol goes on
/// whatever a report's result was. With the link closed, reports fail quietly.
class DeviceLink {
public:
    static constexpr std::uint16_t kVendorId = 0xE5A7;
    static constexpr std::uint16_t kProduct1040 = 0x1040;
    static constexpr std::uint16_t kProduct1201 = 0x1201;
    static constexpr std::uint16_t kReadUsagePage = 0xFF00;
    static constexpr std::uint16_t kWriteUsagePage = 0xFF01;
    static constexpr std::uint16_t kCollectionUsage = 0x0001;
    static constexpr int kInterfaceIndices = 100;
    static constexpr std::uint8_t kReportId = 7;

    using LogSink = std::function<void(const std::string&)>;

    /// `log` receives the rare lines worth telling (a collection that cannot be served);
    /// without one they go to standard error.
    DeviceLink(hid::HidBackend& backend, Sleeper& sleeper, ProductStringTest productTest,
               LogSink log = {});
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Discovery.

    /// Searches the HID interfaces (enumeration indices 0..99) for the read collection
    /// (0xFF00/1) and the write collection (0xFF01/1) of a mouse whose product string
    /// passes the test, with vendor 0xE5A7 and product 0x1040 or 0x1201. Returns whether
    /// both collections are open.
    bool open();
    bool connected() const { return m_connected.load(); }
    ProductKind productKind() const { return m_productKind.load(); }
    /// Path of the last interface that passed the product, vendor and product tests.
    std::string devicePath() const;
    hid::HidCaps readCaps() const;
    hid::HidCaps writeCaps() const;
    bool hasReadHandle() const;
    bool hasWriteHandle() const;

    // Hot-plug.

    /// Descriptor that becomes readable when a hot-plug event waits; -1 before the first
    /// match, when no monitor is set up yet.
    int hotplugFd() const;
    /// Takes one event from the monitor (waiting up to `timeoutMs`) and handles it.
    HotplugResult processHotplug(int timeoutMs);
    /// Arrival of the mouse's path (compared without regard to letter case) while not
    /// connected runs the search again; its removal closes the link.
    HotplugResult handleHotplug(const hid::HotplugEvent& event);

    // Transport.

    /// Sends the report buffer as it stands; the platform's success flag.
    bool setFeature();
    /// Fills the report buffer from the mouse; byte 0 must be 7 before the call.
    bool getFeature();
    /// One command: `fill` writes its bytes into the report buffer, which is then sent.
    bool send(const std::function<void(ReportBuffer&)>& fill);
    /// As `send`, but sends nothing and leaves the buffer alone while the write
    /// collection is closed.
    bool sendIfOpen(const std::function<void(ReportBuffer&)>& fill);
    /// Sends a report the caller built in a buffer of its own, leaving the transport's
    /// buffer alone; the report length's worth of `report` goes out.
    bool sendReport(const ReportBuffer& report);
    /// The plain get: byte 0 = 7, nothing else prepared; returns the reply (the report
    /// length's worth of the buffer, whatever the platform call did).
    std::vector<std::uint8_t> statusReport();
    /// Writes `n` bytes (1..8) at a configuration-memory address. False for another n, or
    /// when the mouse did not take every report of the block.
    bool writeBlock(std::uint16_t address, const std::uint8_t* bytes, std::size_t n);
    /// Reads `n` bytes (1..8) from a configuration-memory address; empty for another n.
    std::vector<std::uint8_t> readBlock(std::uint16_t address, std::size_t n);
    /// Closes a series of block operations.
    void endTransfer();
    /// A copy of the report buffer.
    ReportBuffer reportBuffer() const;

    /// Keeps other processes off the mouse while it lives: the write collection's device
    /// lock (flock on a hidraw node) is taken at its creation, waiting while another
    /// process holds it, and released at its end. The threads of this process still send
    /// their commands between the reports of the holder; the transport lock keeps those
    /// apart. Every command and block takes the device lock too, so a holder only widens
    /// it over a sequence that must reach the mouse whole (a download, a read-back).
    class DeviceHold {
    public:
        explicit DeviceHold(DeviceLink& link) : m_link(&link) { m_link->acquireDevice(); }
        ~DeviceHold() { m_link->releaseDevice(); }
        DeviceHold(const DeviceHold&) = delete;
        DeviceHold& operator=(const DeviceHold&) = delete;

    private:
        DeviceLink* m_link;
    };

    /// Reads one input report of the read collection's length (at most `capacity` bytes).
    /// Returns the bytes read, 0 on timeout, -1 when the read collection is closed or the
    /// read fails.
    int readInput(std::uint8_t* data, std::size_t capacity, int timeoutMs);
    /// Sleeps until an input report of the read collection arrives and reads it (at most
    /// `capacity` bytes); while the read collection is closed, sleeps until it opens.
    /// Returns the bytes read; 0 when `stop` ended the wait or the read collection was
    /// closed or opened anew meanwhile (the next call reads the new one); -1 when the read
    /// failed, returned only once that collection has been closed or replaced (or at the
    /// stop), so a caller that reads in a loop does not spin on a device that is gone.
    int readInput(std::uint8_t* data, std::size_t capacity, std::stop_token stop);

private:
    /// The transport lock and, inside it, the device lock, for one command or block.
    class TransportLock {
    public:
        explicit TransportLock(DeviceLink& link) : m_lock(link.m_transportMutex), m_hold(link) {}

    private:
        std::lock_guard<std::mutex> m_lock;
        DeviceHold m_hold;
    };

    void acquireDevice();
    void releaseDevice();
    bool setFeatureLocked();
    bool getFeatureLocked();
    bool memoryTransferLocked(std::uint8_t flags, std::uint8_t index, std::uint16_t address,
                              std::uint8_t data, std::uint8_t lastIndex);
    void pause(int milliseconds);
    void closeLink();
    void readHandleChangedLocked();

    hid::HidBackend& m_backend;
    Sleeper& m_sleeper;
    ProductStringTest m_productTest;
    LogSink m_log;

    // Guards the handles and caps against replacement; the transport lock is also held
    // whenever the write handle changes, so a command never sees it change midway.
    mutable std::mutex m_transportMutex;
    mutable std::mutex m_stateMutex;
    ReportBuffer m_report{};
    std::shared_ptr<hid::HidHandle> m_readHandle;
    std::shared_ptr<hid::HidHandle> m_writeHandle;
    hid::HidCaps m_readCaps;
    hid::HidCaps m_writeCaps;
    std::string m_devicePath;
    std::unique_ptr<hid::HotplugMonitor> m_monitor;
    // Under the state lock: signalled whenever the read handle is set or cleared, and a
    // stop source requested then, which ends a read waiting on the old handle.
    std::condition_variable_any m_readChanged;
    std::stop_source m_readReplaced;

    // The device lock is counted: the first holder of this process takes it from the
    // handle, the last one releases it on the handle it was taken on.
    std::mutex m_deviceLockMutex;
    int m_deviceLockDepth = 0;
    std::shared_ptr<hid::HidHandle> m_lockedHandle;

    std::atomic<bool> m_connected{false};
    std::atomic<ProductKind> m_productKind{ProductKind::NotSeen};
};

} // namespace zel
