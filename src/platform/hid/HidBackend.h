#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace zel::hid {

/// What the platform reports of one top-level collection: its usage page and usage and the
/// byte lengths of its longest input, output and feature report. Every length counts the
/// report ID byte, also for a collection without report IDs; a kind of report the
/// collection does not have gives 0.
struct HidCaps {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t inputReportByteLength = 0;
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;

    friend bool operator==(const HidCaps&, const HidCaps&) = default;
};

/// One entry of the enumeration: a top-level collection of a HID interface. Collections
/// of one interface share their path and differ in `collection`, their position in the
/// report descriptor.
struct HidInterface {
    std::string path;
    int collection = 0;
};

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

/// How a collection is opened: for queries only (attributes, product string,
/// capabilities), for reading input reports, or for writing (set and get feature).
enum class OpenMode { Query, Read, Write };

/// An opened collection. Every call may fail; failures are return values.
class HidHandle {
public:
    virtual ~HidHandle() = default;
    virtual std::optional<HidAttributes> attributes() = 0;
    virtual std::optional<std::string> productString() = 0;
    virtual std::optional<HidCaps> caps() = 0;
    /// Sends `length` bytes as a feature report (byte 0 is the report ID).
    virtual bool setFeature(const std::uint8_t* data, std::size_t length) = 0;
    /// Asks for a feature report of `length` bytes; byte 0 names the report ID on entry.
    virtual bool getFeature(std::uint8_t* data, std::size_t length) = 0;
    /// Reads one input report into `data`. A negative timeout blocks until a report
    /// arrives. Returns the number of bytes read, 0 on timeout, -1 on failure (for
    /// example when the device is gone).
    virtual int readInput(std::uint8_t* data, std::size_t length, int timeoutMs) = 0;
    /// Waits for one input report and reads it into `data`, sleeping until a report
    /// arrives, the device fails or `stop` is requested. Returns the number of bytes read,
    /// 0 when the stop ended the wait (also a stop requested before the call), -1 on
    /// failure.
    virtual int readInputUntilStopped(std::uint8_t* data, std::size_t length,
                                      std::stop_token stop) = 0;
    /// Takes the advisory lock that keeps other processes' reports off the device, waiting
    /// while another process holds it. False when the lock cannot be taken; the caller
    /// then goes on unlocked. A handle without such a lock takes nothing.
    virtual bool lockDevice() { return true; }
    /// Releases what `lockDevice` took.
    virtual void unlockDevice() {}
};

enum class HotplugKind { Arrival, Removal };

/// One arrival or removal of a HID interface; `path` is the path the enumeration gives.
struct HotplugEvent {
    HotplugKind kind = HotplugKind::Arrival;
    std::string path;
};

/// A source of arrival and removal events. `fd()` becomes readable when an event is
/// waiting (for an event loop's socket notifier); -1 when the source cannot be polled.
class HotplugMonitor {
public:
    virtual ~HotplugMonitor() = default;
    virtual int fd() const = 0;
    /// The next event, waiting up to `timeoutMs` (negative: without limit).
    virtual std::optional<HotplugEvent> next(int timeoutMs) = 0;
};

/// The HID devices of the machine: enumeration in the platform's order, opening of a
/// collection, and hot-plug notifications.
class HidBackend {
public:
    virtual ~HidBackend() = default;
    virtual std::vector<HidInterface> enumerate() = 0;
    /// Opens a collection; nullptr when it cannot be opened (gone, no permission).
    virtual std::unique_ptr<HidHandle> open(const HidInterface& entry, OpenMode mode) = 0;
    /// A monitor of arrivals and removals; nullptr when none can be set up.
    virtual std::unique_ptr<HotplugMonitor> monitor() = 0;
};

} // namespace zel::hid
