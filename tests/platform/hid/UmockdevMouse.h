#pragma once

#include "sim/SimulatedMouse.h"

#include <umockdev.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zel::test {

/// The umockdev testbed of the test program, created on first use (before anything can
/// ask the preload library whether it runs in a mock environment).
UMockdevTestbed* testbed();

/// A HID device in the testbed: a USB device (unless `usbProduct` is unset: then a
/// virtual HID device that only has HID_NAME), its HID interface with the report
/// descriptor, and a hidraw node whose ioctls and reads the simulated mouse answers.
/// Removed from the testbed again on destruction.
class UmockdevMouse {
public:
    struct Options {
        bool usbProduct = true;                              ///< product string from USB "product"
        std::string hidName = "ZEL Device HID";              ///< HID_NAME of the HID parent
        std::optional<std::vector<std::uint8_t>> descriptor; ///< instead of the mouse's own
    };

    UmockdevMouse(sim::SimulatedMouse& mouse, Options options);
    explicit UmockdevMouse(sim::SimulatedMouse& mouse) : UmockdevMouse(mouse, Options{}) {}
    ~UmockdevMouse();
    UmockdevMouse(const UmockdevMouse&) = delete;
    UmockdevMouse& operator=(const UmockdevMouse&) = delete;

    const std::string& devnode() const { return m_devnode; }
    /// Pulls the device out: the "remove" event, then the sysfs entries; the simulated
    /// mouse is unplugged, so old descriptors fail.
    void unplug();
    /// Puts it back under the same node, with its "add" event.
    void plug();
    /// Feature ioctls answered so far.
    unsigned featureIoctls() const { return m_featureIoctls.load(); }

private:
    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static gboolean onRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    void addToTestbed(bool firstTime);
    void removeFromTestbed();
    void pump();
    void deliver(std::vector<std::uint8_t> report);
    static void completeRead(UMockdevIoctlClient* client, const std::vector<std::uint8_t>& report);

    sim::SimulatedMouse& m_mouse;
    const Options m_options;
    const int m_number;
    std::string m_devnode;
    std::string m_usbPath;
    std::string m_interfacePath;
    std::string m_hidPath;
    std::string m_hidrawPath;
    bool m_present = false;

    UMockdevIoctlBase* m_handler = nullptr;
    std::mutex m_mutex;
    std::deque<std::vector<std::uint8_t>> m_inputs;
    UMockdevIoctlClient* m_pendingRead = nullptr;
    int m_master = -1; // pty master of the node, owned by the testbed
    int m_peer = -1;   // doorbell: one byte per waiting report makes poll() see input
    std::atomic<unsigned> m_featureIoctls{0};
    std::atomic<bool> m_stop{false};
    std::thread m_pump;
};

} // namespace zel::test
