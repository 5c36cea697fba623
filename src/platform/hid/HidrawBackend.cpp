#include "platform/hid/HidrawBackend.h"

#include "common/UniqueFd.h"
#include "platform/hid/ReportDescriptor.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zel::hid {

namespace {

// RAII for the libudev objects used here.
struct UdevDeviceDeleter {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
using UdevDevice = std::unique_ptr<udev_device, UdevDeviceDeleter>;

struct UdevEnumerateDeleter {
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};

// What a hidraw node tells about itself, gathered from udev and sysfs.
struct NodeInfo {
    HidAttributes attributes;
    std::string productString;
    std::vector<HidCaps> collections;
};

bool parseHidId(const char* text, HidAttributes& out) {
    unsigned bus = 0;
    unsigned vendor = 0;
    unsigned product = 0;
    if (text == nullptr || std::sscanf(text, "%x:%x:%x", &bus, &vendor, &product) != 3) {
        return false;
    }
    out.vendorId = static_cast<std::uint16_t>(vendor);
    out.productId = static_cast<std::uint16_t>(product);
    return true;
}

// Binary sysfs attributes are read with open/read; libudev's getter stops at a zero byte.
std::optional<std::vector<std::uint8_t>> readDescriptor(const std::string& hidSyspath) {
    const UniqueFd fd(::open((hidSyspath + "/report_descriptor").c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(HID_MAX_DESCRIPTOR_SIZE);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t r = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    bytes.resize(got);
    return bytes;
}

std::optional<NodeInfo> nodeInfo(udev_device* hidraw) {
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    if (hid == nullptr) {
        return std::nullopt;
    }
    NodeInfo info;
    if (!parseHidId(udev_device_get_property_value(hid, "HID_ID"), info.attributes)) {
        return std::nullopt;
    }
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device");
    const char* product = usb != nullptr ? udev_device_get_sysattr_value(usb, "product") : nullptr;
    if (product == nullptr) {
        product = udev_device_get_property_value(hid, "HID_NAME");
    }
    info.productString = product != nullptr ? product : "";
    const auto descriptor = readDescriptor(udev_device_get_syspath(hid));
    if (descriptor) {
        auto collections = parseReportDescriptor(*descriptor);
        if (collections) {
            info.collections = std::move(*collections);
        }
    }
    return info;
}

// The hidraw device of a /dev path, if it is still there.
UdevDevice findNode(udev* context, const std::string& devnode) {
    const std::size_t slash = devnode.rfind('/');
    const std::string name = slash == std::string::npos ? devnode : devnode.substr(slash + 1);
    UdevDevice device(udev_device_new_from_subsystem_sysname(context, "hidraw", name.c_str()));
    if (!device) {
        return nullptr;
    }
    const char* node = udev_device_get_devnode(device.get());
    if (node == nullptr || devnode != node) {
        return nullptr;
    }
    return device;
}

class HidrawHandle final : public HidHandle {
public:
    HidrawHandle(HidAttributes attributes, std::string productString, std::optional<HidCaps> caps,
                 UniqueFd fd)
        : m_attributes(attributes), m_productString(std::move(productString)), m_caps(caps),
          m_fd(std::move(fd)) {}

    std::optional<HidAttributes> attributes() override { return m_attributes; }
    std::optional<std::string> productString() override { return m_productString; }
    std::optional<HidCaps> caps() override { return m_caps; }

    bool setFeature(const std::uint8_t* data, std::size_t length) override {
        if (!m_fd.valid() || length == 0) {
            return false;
        }
        return ::ioctl(m_fd.get(), HIDIOCSFEATURE(length), data) >= 0;
    }
    bool getFeature(std::uint8_t* data, std::size_t length) override {
        if (!m_fd.valid() || length == 0) {
            return false;
        }
        return ::ioctl(m_fd.get(), HIDIOCGFEATURE(length), data) >= 0;
    }
    // flock on the node: every process that opens the node gets its own open file
    // description, so their locks exclude each other.
    bool lockDevice() override {
        if (!m_fd.valid()) {
            return false;
        }
        int r = 0;
        do {
            r = ::flock(m_fd.get(), LOCK_EX);
        } while (r < 0 && errno == EINTR);
        return r == 0;
    }
    void unlockDevice() override {
        if (m_fd.valid()) {
            static_cast<void>(::flock(m_fd.get(), LOCK_UN)); // closing the node releases it too
        }
    }
    int readInput(std::uint8_t* data, std::size_t length, int timeoutMs) override {
        if (!m_fd.valid()) {
            return -1;
        }
        if (timeoutMs >= 0) {
            const int ready = waitReadable(-1, timeoutMs);
            if (ready <= 0) {
                return ready;
            }
        }
        return readReport(data, length);
    }
    int readInputUntilStopped(std::uint8_t* data, std::size_t length,
                              std::stop_token stop) override {
        if (!m_fd.valid()) {
            return -1;
        }
        // The stop rings an eventfd that is polled beside the node, so the wait needs no
        // timeout to notice it.
        const UniqueFd bell(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!bell.valid()) {
            return -1;
        }
        const std::stop_callback ring(stop, [&bell] {
            const std::uint64_t one = 1;
            static_cast<void>(::write(bell.get(), &one, sizeof one)); // cannot overflow once
        });
        const int ready = waitReadable(bell.get(), -1);
        if (ready <= 0) {
            return ready;
        }
        return readReport(data, length);
    }

private:
    // Polls the node (and `bell`, when given) up to `timeoutMs` (negative: without limit).
    // 1 when a report can be read, 0 on timeout or when the bell rang, -1 on failure.
    int waitReadable(int bell, int timeoutMs) const {
        pollfd p[2] = {{m_fd.get(), POLLIN, 0}, {bell, POLLIN, 0}};
        const nfds_t count = bell >= 0 ? 2 : 1;
        int ready = 0;
        do {
            ready = ::poll(p, count, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready < 0) {
            return -1;
        }
        if ((p[0].revents & POLLIN) != 0) {
            return 1;
        }
        if ((p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return -1;
        }
        return 0;
    }
    int readReport(std::uint8_t* data, std::size_t length) const {
        ssize_t r = 0;
        do {
            r = ::read(m_fd.get(), data, length);
        } while (r < 0 && errno == EINTR);
        return r < 0 ? -1 : static_cast<int>(r);
    }

    HidAttributes m_attributes;
    std::string m_productString;
    std::optional<HidCaps> m_caps;
    UniqueFd m_fd;
};

class UdevMonitor final : public HotplugMonitor {
public:
    explicit UdevMonitor(udev* context) {
        m_monitor = udev_monitor_new_from_netlink(context, "udev");
        if (m_monitor == nullptr) {
            return;
        }
        if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(m_monitor) < 0) {
            udev_monitor_unref(m_monitor);
            m_monitor = nullptr;
        }
    }
    ~UdevMonitor() override {
        if (m_monitor != nullptr) {
            udev_monitor_unref(m_monitor);
        }
    }
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

    bool ok() const { return m_monitor != nullptr; }
    int fd() const override { return udev_monitor_get_fd(m_monitor); }

    std::optional<HotplugEvent> next(int timeoutMs) override {
        // Other actions (change, bind) are passed over within the same wait.
        for (;;) {
            pollfd p{fd(), POLLIN, 0};
            int ready = 0;
            do {
                ready = ::poll(&p, 1, timeoutMs);
            } while (ready < 0 && errno == EINTR);
            if (ready <= 0) {
                return std::nullopt;
            }
            const UdevDevice device(udev_monitor_receive_device(m_monitor));
            if (!device) {
                continue;
            }
            const char* action = udev_device_get_action(device.get());
            const char* node = udev_device_get_devnode(device.get());
            if (action == nullptr || node == nullptr) {
                continue;
            }
            if (std::strcmp(action, "add") == 0) {
                return HotplugEvent{HotplugKind::Arrival, node};
            }
            if (std::strcmp(action, "remove") == 0) {
                return HotplugEvent{HotplugKind::Removal, node};
            }
        }
    }

private:
    udev_monitor* m_monitor = nullptr;
};

} // namespace

HidrawBackend::HidrawBackend() : m_udev(udev_new()) {}

HidrawBackend::~HidrawBackend() {
    if (m_udev != nullptr) {
        udev_unref(m_udev);
    }
}

std::vector<HidInterface> HidrawBackend::enumerate() {
    std::vector<HidInterface> out;
    if (m_udev == nullptr) {
        return out;
    }
    const std::unique_ptr<udev_enumerate, UdevEnumerateDeleter> enumeration(
        udev_enumerate_new(m_udev));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0) {
        return out;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
        const UdevDevice device(
            udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry)));
        if (!device) {
            continue;
        }
        const char* node = udev_device_get_devnode(device.get());
        const auto info = nodeInfo(device.get());
        if (node == nullptr || !info) {
            continue;
        }
        for (std::size_t i = 0; i < info->collections.size(); ++i) {
            out.push_back({node, static_cast<int>(i)});
        }
    }
    return out;
}

std::unique_ptr<HidHandle> HidrawBackend::open(const HidInterface& entry, OpenMode mode) {
    if (m_udev == nullptr) {
        return nullptr;
    }
    // Looked up afresh: a device that went away since the enumeration does not open.
    const UdevDevice device = findNode(m_udev, entry.path);
    if (!device) {
        return nullptr;
    }
    auto info = nodeInfo(device.get());
    if (!info) {
        return nullptr;
    }
    std::optional<HidCaps> caps;
    if (entry.collection >= 0 &&
        static_cast<std::size_t>(entry.collection) < info->collections.size()) {
        caps = info->collections[static_cast<std::size_t>(entry.collection)];
    }
    UniqueFd fd;
    if (mode != OpenMode::Query) {
        const int flags = (mode == OpenMode::Read ? O_RDONLY : O_WRONLY) | O_CLOEXEC;
        fd.reset(::open(entry.path.c_str(), flags));
        if (!fd.valid()) {
            return nullptr;
        }
    }
    return std::make_unique<HidrawHandle>(info->attributes, std::move(info->productString), caps,
                                          std::move(fd));
}

std::unique_ptr<HotplugMonitor> HidrawBackend::monitor() {
    if (m_udev == nullptr) {
        return nullptr;
    }
    auto monitor = std::make_unique<UdevMonitor>(m_udev);
    if (!monitor->ok()) {
        return nullptr;
    }
    return monitor;
}

} // namespace zel::hid
