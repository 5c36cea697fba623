#include "sim/SimHidBackend.h"

#include "common/UniqueFd.h"
#include "platform/hid/ReportDescriptor.h"

#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace zel::sim {

namespace {

class SimHandle final : public hid::HidHandle {
public:
    SimHandle(SimulatedMouse& mouse, hid::HidCaps caps, hid::OpenMode mode)
        : m_mouse(mouse), m_caps(caps), m_mode(mode), m_generation(mouse.generation()) {}

    std::optional<hid::HidAttributes> attributes() override {
        if (!alive()) {
            return std::nullopt;
        }
        return hid::HidAttributes{m_mouse.layout().vendorId, m_mouse.layout().productId};
    }
    std::optional<std::string> productString() override {
        if (!alive()) {
            return std::nullopt;
        }
        return m_mouse.layout().productString;
    }
    std::optional<hid::HidCaps> caps() override {
        if (!alive()) {
            return std::nullopt;
        }
        return m_caps;
    }
    // Feature reports go through the collection that declares them, opened for writing.
    bool setFeature(const std::uint8_t* data, std::size_t length) override {
        return m_mode == hid::OpenMode::Write && m_caps.featureReportByteLength != 0 && alive() &&
               m_mouse.setFeature(data, length);
    }
    bool getFeature(std::uint8_t* data, std::size_t length) override {
        return m_mode == hid::OpenMode::Write && m_caps.featureReportByteLength != 0 && alive() &&
               m_mouse.getFeature(data, length);
    }
    int readInput(std::uint8_t* data, std::size_t length, int timeoutMs) override {
        if (m_mode != hid::OpenMode::Read || m_caps.usagePage != 0xFF00 || !alive()) {
            return -1;
        }
        return m_mouse.readInput(data, length, timeoutMs);
    }
    int readInputUntilStopped(std::uint8_t* data, std::size_t length,
                              std::stop_token stop) override {
        if (m_mode != hid::OpenMode::Read || m_caps.usagePage != 0xFF00 || !alive()) {
            return -1;
        }
        return m_mouse.readInput(data, length, std::move(stop));
    }
    bool lockDevice() override {
        m_mouse.lockNode();
        m_locked = true;
        return true;
    }
    void unlockDevice() override {
        if (m_locked) {
            m_locked = false;
            m_mouse.unlockNode();
        }
    }
    ~SimHandle() override { unlockDevice(); } // as closing a node drops its lock

private:
    bool alive() const { return m_mouse.plugged() && m_mouse.generation() == m_generation; }

    SimulatedMouse& m_mouse;
    const hid::HidCaps m_caps;
    const hid::OpenMode m_mode;
    const std::uint64_t m_generation;
    bool m_locked = false;
};

// Plug and unplug of the watched mice as events; a pipe makes the queue pollable.
class SimMonitor final : public hid::HotplugMonitor {
public:
    SimMonitor() {
        int ends[2] = {-1, -1};
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
            m_bellOut.reset(ends[0]);
            m_bellIn.reset(ends[1]);
        }
    }
    ~SimMonitor() override {
        for (const auto& [mouse, id] : m_listeners) {
            mouse->removePlugListener(id);
        }
    }
    void watch(SimulatedMouse& mouse, const std::string& path) {
        const int id = mouse.addPlugListener([this, path](bool plugged) {
            push({plugged ? hid::HotplugKind::Arrival : hid::HotplugKind::Removal, path});
        });
        m_listeners.emplace_back(&mouse, id);
    }
    int fd() const override { return m_bellOut.get(); }
    std::optional<hid::HotplugEvent> next(int timeoutMs) override {
        std::unique_lock lock(m_mutex);
        const auto ready = [&] { return !m_events.empty(); };
        if (timeoutMs < 0) {
            m_ready.wait(lock, ready);
        } else if (!m_ready.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
            return std::nullopt;
        }
        hid::HotplugEvent event = std::move(m_events.front());
        m_events.pop_front();
        if (m_bellOut.valid()) {
            char byte = 0;
            static_cast<void>(::read(m_bellOut.get(), &byte, 1)); // one doorbell byte per event
        }
        return event;
    }

private:
    void push(hid::HotplugEvent event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
        if (m_bellIn.valid()) {
            static_cast<void>(
                ::write(m_bellIn.get(), "!", 1)); // a full pipe still leaves it readable
        }
        m_ready.notify_all();
    }

    // A pipe whose read end is readable while events wait.
    UniqueFd m_bellOut;
    UniqueFd m_bellIn;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<hid::HotplugEvent> m_events;
    std::vector<std::pair<SimulatedMouse*, int>> m_listeners;
};

} // namespace

void SimHidBackend::addDevice(SimulatedMouse& mouse, std::string path) {
    std::lock_guard lock(m_mutex);
    m_devices.push_back({&mouse, std::move(path)});
}

std::vector<hid::HidInterface> SimHidBackend::enumerate() {
    std::lock_guard lock(m_mutex);
    std::vector<hid::HidInterface> out;
    for (const Device& device : m_devices) {
        if (!device.mouse->plugged()) {
            continue;
        }
        const auto collections = hid::parseReportDescriptor(device.mouse->reportDescriptor());
        const std::size_t count = collections ? collections->size() : 0;
        for (std::size_t i = 0; i < count; ++i) {
            out.push_back({device.path, static_cast<int>(i)});
        }
    }
    return out;
}

std::unique_ptr<hid::HidHandle> SimHidBackend::open(const hid::HidInterface& entry,
                                                    hid::OpenMode mode) {
    if (beforeOpen) {
        beforeOpen(entry, mode);
    }
    std::lock_guard lock(m_mutex);
    ++m_opens[static_cast<int>(mode)];
    for (const Device& device : m_devices) {
        if (device.path != entry.path || !device.mouse->plugged()) {
            continue;
        }
        const auto collections = hid::parseReportDescriptor(device.mouse->reportDescriptor());
        if (!collections || entry.collection < 0 ||
            static_cast<std::size_t>(entry.collection) >= collections->size()) {
            return nullptr;
        }
        return std::make_unique<SimHandle>(*device.mouse, (*collections)[entry.collection], mode);
    }
    return nullptr;
}

std::unique_ptr<hid::HotplugMonitor> SimHidBackend::monitor() {
    std::lock_guard lock(m_mutex);
    auto monitor = std::make_unique<SimMonitor>();
    for (const Device& device : m_devices) {
        monitor->watch(*device.mouse, device.path);
    }
    return monitor;
}

int SimHidBackend::openCount(hid::OpenMode mode) const {
    std::lock_guard lock(m_mutex);
    return m_opens[static_cast<int>(mode)];
}

} // namespace zel::sim
