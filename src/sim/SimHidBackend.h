#pragma once

#include "platform/hid/HidBackend.h"
#include "sim/SimulatedMouse.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zel::sim {

/// The HID backend of the simulated devices: each added mouse is one HID interface whose
/// top-level collections come from its report descriptor, in descriptor order, all under
/// the path it was added with. Unplugged mice do not enumerate; their handles fail, also
/// after a re-plug, as a real device's would. The monitor reports plug and unplug.
class SimHidBackend final : public hid::HidBackend {
public:
    /// Adds a device; `mouse` must outlive the backend and everything it opened.
    void addDevice(SimulatedMouse& mouse, std::string path);

    std::vector<hid::HidInterface> enumerate() override;
    std::unique_ptr<hid::HidHandle> open(const hid::HidInterface& entry,
                                         hid::OpenMode mode) override;
    std::unique_ptr<hid::HotplugMonitor> monitor() override;

    /// Called at the start of every open, before the device is looked at (tests use it to
    /// pull a device away between enumeration and open).
    std::function<void(const hid::HidInterface&, hid::OpenMode)> beforeOpen;

    /// How many opens were asked for, per mode (Query, Read, Write).
    int openCount(hid::OpenMode mode) const;

private:
    struct Device {
        SimulatedMouse* mouse;
        std::string path;
    };
    mutable std::mutex m_mutex;
    std::vector<Device> m_devices;
    int m_opens[3] = {0, 0, 0};
};

} // namespace zel::sim
