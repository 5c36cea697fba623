#include "UmockdevMouse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zel::test {

namespace {

std::atomic<int> g_nextNumber{0};

std::string hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string format(const char* pattern, int a, int b = 0, int c = 0) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
    return buffer;
}

} // namespace

namespace {

// Holds the testbed for the whole program and removes its folder at the end.
class TestbedEnvironment final : public ::testing::Environment {
public:
    UMockdevTestbed* get() {
        if (m_bed == nullptr) {
            m_bed = umockdev_testbed_new();
        }
        return m_bed;
    }
    void TearDown() override {
        if (m_bed != nullptr) {
            g_object_unref(m_bed);
            m_bed = nullptr;
        }
    }

private:
    UMockdevTestbed* m_bed = nullptr;
};

TestbedEnvironment* g_environment =
    dynamic_cast<TestbedEnvironment*>(::testing::AddGlobalTestEnvironment(new TestbedEnvironment));

} // namespace

UMockdevTestbed* testbed() {
    return g_environment->get();
}

UmockdevMouse::UmockdevMouse(sim::SimulatedMouse& mouse, Options options)
    : m_mouse(mouse), m_options(std::move(options)), m_number(g_nextNumber++) {
    const auto& layout = mouse.layout();
    m_devnode = format("/dev/hidraw%d", m_number);
    if (m_options.usbProduct) {
        m_usbPath = format("/devices/pci0000:00/0000:00:14.0/usb1/1-%02d", m_number);
        m_interfacePath = m_usbPath + format("/1-%02d:1.0", m_number);
    } else {
        m_interfacePath = "/devices/virtual/misc/uhid";
    }
    m_hidPath = m_interfacePath + format("/0003:%04X:%04X", layout.vendorId, layout.productId) +
                format(".%04X", m_number + 1);
    m_hidrawPath = m_hidPath + format("/hidraw/hidraw%d", m_number);

    m_handler = umockdev_ioctl_base_new();
    g_signal_connect(m_handler, "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(m_handler, "handle-read", G_CALLBACK(onRead), this);
    addToTestbed(true);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed(), m_devnode.c_str(), m_handler, &error)) {
        g_error("attach_ioctl: %s", error->message);
    }
    m_master = umockdev_testbed_get_dev_fd(testbed(), m_devnode.c_str());
    if (m_master >= 0) {
        m_peer = ::ioctl(m_master, TIOCGPTPEER, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    m_pump = std::thread([this] { pump(); });
}

UmockdevMouse::~UmockdevMouse() {
    m_stop = true;
    m_pump.join();
    if (m_present) {
        removeFromTestbed();
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_pendingRead != nullptr) {
            umockdev_ioctl_client_complete(m_pendingRead, -1, ENODEV);
            g_object_unref(m_pendingRead);
            m_pendingRead = nullptr;
        }
    }
    umockdev_testbed_detach_ioctl(testbed(), m_devnode.c_str(), nullptr);
    if (m_peer >= 0) {
        ::close(m_peer);
    }
    g_object_unref(m_handler);
}

void UmockdevMouse::addToTestbed(bool firstTime) {
    const auto& layout = m_mouse.layout();
    const std::vector<std::uint8_t> descriptor =
        m_options.descriptor ? *m_options.descriptor : m_mouse.reportDescriptor();
    std::string text;
    if (m_options.usbProduct) {
        text += "P: " + m_usbPath +
                "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: product=" + layout.productString +
                "\n" +
                format("A: idVendor=%04x\nA: idProduct=%04x\n", layout.vendorId, layout.productId) +
                "\n";
        text += "P: " + m_interfacePath + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n\n";
    }
    text += "P: " + m_hidPath + "\nE: SUBSYSTEM=hid\nE: DRIVER=hid-generic\n" +
            format("E: HID_ID=0003:%08X:%08X\n", layout.vendorId, layout.productId) +
            "E: HID_NAME=" + m_options.hidName + "\nH: report_descriptor=" + hex(descriptor) +
            "\n\n";
    // Re-adding a node of the same name would make umockdev create a second pty for it;
    // the old one is linked back in place instead.
    if (!firstTime) {
        g_autofree gchar* root = umockdev_testbed_get_root_dir(testbed());
        const std::string link = std::string(root) + m_devnode;
        if (::symlink(ptsname(m_master), link.c_str()) != 0) {
            g_error("relink %s: %s", link.c_str(), std::strerror(errno));
        }
    }
    text += "P: " + m_hidrawPath + "\n" +
            (firstTime ? format("N: hidraw%d\n", m_number) : std::string()) +
            "E: DEVNAME=" + m_devnode + "\nE: SUBSYSTEM=hidraw\nE: MAJOR=241\n" +
            format("E: MINOR=%d\nA: dev=241:%d\n", m_number, m_number);
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed(), text.c_str(), &error)) {
        g_error("add_from_string: %s", error->message);
    }
    m_present = true;
}

void UmockdevMouse::removeFromTestbed() {
    umockdev_testbed_uevent(testbed(), ("/sys" + m_hidrawPath).c_str(), "remove");
    umockdev_testbed_remove_device(testbed(), ("/sys" + m_hidrawPath).c_str());
    umockdev_testbed_remove_device(testbed(), ("/sys" + m_hidPath).c_str());
    if (m_options.usbProduct) {
        umockdev_testbed_remove_device(testbed(), ("/sys" + m_interfacePath).c_str());
        umockdev_testbed_remove_device(testbed(), ("/sys" + m_usbPath).c_str());
    }
    m_present = false;
}

void UmockdevMouse::unplug() {
    m_mouse.unplug();
    removeFromTestbed();
    std::lock_guard lock(m_mutex);
    m_inputs.clear();
    if (m_pendingRead != nullptr) {
        umockdev_ioctl_client_complete(m_pendingRead, -1, ENODEV);
        g_object_unref(m_pendingRead);
        m_pendingRead = nullptr;
    }
}

void UmockdevMouse::plug() {
    m_mouse.plug();
    addToTestbed(false);
}

// Moves the mouse's input reports to the node's readers.
void UmockdevMouse::pump() {
    while (!m_stop) {
        std::vector<std::uint8_t> report;
        if (m_mouse.takeInput(report)) {
            deliver(std::move(report));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

void UmockdevMouse::deliver(std::vector<std::uint8_t> report) {
    std::lock_guard lock(m_mutex);
    if (m_pendingRead != nullptr) {
        completeRead(m_pendingRead, report);
        g_object_unref(m_pendingRead);
        m_pendingRead = nullptr;
        return;
    }
    m_inputs.push_back(std::move(report));
    if (m_master >= 0) {
        static_cast<void>(::write(m_master, "!", 1));
    }
}

void UmockdevMouse::completeRead(UMockdevIoctlClient* client,
                                 const std::vector<std::uint8_t>& report) {
    UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
    const std::size_t n = std::min<std::size_t>(buffer->data_len, report.size());
    std::memcpy(buffer->data, report.data(), n);
    umockdev_ioctl_client_complete(client, static_cast<glong>(n), 0);
}

// Runs on umockdev's worker thread; never blocks.
gboolean UmockdevMouse::onRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    auto* self = static_cast<UmockdevMouse*>(data);
    std::lock_guard lock(self->m_mutex);
    if (!self->m_mouse.plugged()) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
    } else if (!self->m_inputs.empty()) {
        completeRead(client, self->m_inputs.front());
        self->m_inputs.pop_front();
        if (self->m_peer >= 0) {
            char byte = 0;
            static_cast<void>(::read(self->m_peer, &byte, 1));
        }
    } else {
        self->m_pendingRead = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    }
    return TRUE;
}

gboolean UmockdevMouse::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    auto* self = static_cast<UmockdevMouse*>(data);
    const auto request = static_cast<unsigned>(umockdev_ioctl_client_get_request(client));
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const unsigned size = _IOC_SIZE(request);
    const unsigned base = request & ~static_cast<unsigned>(_IOC_SIZEMASK << _IOC_SIZESHIFT);

    if (base != HIDIOCSFEATURE(0) && base != HIDIOCGFEATURE(0)) {
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }
    if (!self->m_mouse.plugged()) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return TRUE;
    }
    GError* error = nullptr;
    UMockdevIoctlData* buffer =
        size > 0 ? umockdev_ioctl_data_resolve(arg, 0, size, &error) : nullptr;
    if (buffer == nullptr) {
        if (error != nullptr) {
            g_error_free(error);
        }
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return TRUE;
    }
    ++self->m_featureIoctls;
    const bool ok = base == HIDIOCSFEATURE(0) ? self->m_mouse.setFeature(buffer->data, size)
                                              : self->m_mouse.getFeature(buffer->data, size);
    // A report the device does not take stalls the control pipe.
    umockdev_ioctl_client_complete(client, ok ? static_cast<glong>(size) : -1, ok ? 0 : EPIPE);
    g_object_unref(buffer);
    return TRUE;
}

} // namespace zel::test
