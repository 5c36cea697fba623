#pragma once

#include "platform/hid/HidBackend.h"

#include <memory>

struct udev;

namespace zel::hid {

/// The Linux HID backend: hidraw nodes found through libudev. Each node enumerates as one
/// entry per top-level collection of its report descriptor, all with the node's path
/// (/dev/hidrawN). Vendor and product come from the HID parent's HID_ID, the product
/// string from the USB device's "product" attribute or else HID_NAME, the capabilities
/// from the report descriptor in sysfs. Feature reports use HIDIOCSFEATURE and
/// HIDIOCGFEATURE, input reports read(); the monitor follows the udev events of the
/// hidraw subsystem.
class HidrawBackend final : public HidBackend {
public:
    HidrawBackend();
    ~HidrawBackend() override;
    HidrawBackend(const HidrawBackend&) = delete;
    HidrawBackend& operator=(const HidrawBackend&) = delete;

    std::vector<HidInterface> enumerate() override;
    std::unique_ptr<HidHandle> open(const HidInterface& entry, OpenMode mode) override;
    std::unique_ptr<HotplugMonitor> monitor() override;

private:
    udev* m_udev = nullptr;
};

} // namespace zel::hid
