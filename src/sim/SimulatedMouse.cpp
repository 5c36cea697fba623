#include "sim/SimulatedMouse.h"

#include "common/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace zel::sim {

namespace {

// Memory-transfer flags of command 0x18.
constexpr std::uint8_t kFlagBlock = 0x01;
constexpr std::uint8_t kFlagWrite = 0x02;
constexpr std::uint8_t kFlagRead = 0x04;
constexpr std::uint8_t kFlagCommit = 0x08;
constexpr std::uint8_t kFlagEnd = 0x10;

constexpr std::uint8_t kCmdMemoryTransfer = 0x18;
constexpr std::uint8_t kFirstButtonEvent = 0xF0;
constexpr std::size_t kFrameBytes = 8;

void appendReportCount(std::vector<std::uint8_t>& d, unsigned count) {
    if (count <= 0xFF) {
        d.insert(d.end(), {0x95, static_cast<std::uint8_t>(count)});
    } else {
        d.insert(d.end(), {0x96, lowByte(count), highByte(count)});
    }
}

// A vendor collection with one report of `bytes` bytes (report ID included).
void appendVendorCollection(std::vector<std::uint8_t>& d, std::uint8_t pageLow,
                            std::uint8_t reportId, std::uint8_t mainItem, unsigned bytes) {
    d.insert(d.end(), {0x06, pageLow, 0xFF, // Usage Page (vendor 0xFF00 + pageLow)
                       0x09, 0x01,          // Usage (1)
                       0xA1, 0x01});        // Collection (Application)
    if (bytes > 1) {
        d.insert(d.end(), {0x85, reportId,   // Report ID
                           0x09, 0x01,       // Usage (1)
                           0x15, 0x00,       // Logical Minimum (0)
                           0x26, 0xFF, 0x00, // Logical Maximum (255)
                           0x75, 0x08});     // Report Size (8)
        appendReportCount(d, bytes - 1);
        d.insert(d.end(), {mainItem, 0x02}); // Input / Feature (Data, Var, Abs)
    }
    d.push_back(0xC0); // End Collection
}

} // namespace

std::vector<std::uint8_t> buildReportDescriptor(const SimLayout& layout) {
    std::vector<std::uint8_t> d;
    if (layout.mouseCollection) {
        d.insert(d.end(), {
                              0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, // Generic Desktop, Mouse
                              0x85, 0x01,                         // Report ID (1)
                              0x09, 0x01, 0xA1, 0x00,             // Pointer, Physical
                              0x05, 0x09, 0x19, 0x01, 0x29, 0x05, // Buttons 1..5
                              0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01,
                              0x81, 0x02, 0x95, 0x01, 0x75, 0x03, 0x81, 0x01, // padding
                              0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, // X, Y, Wheel
                              0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03,
                              0x81, 0x06, 0xC0, 0xC0, // End Collection x2
                          });
    }
    const auto readPart = [&] {
        if (layout.readCollection) {
            appendVendorCollection(d, 0x00, SimulatedMouse::kInputReportId, 0x81,
                                   layout.inputReportBytes);
        }
    };
    const auto writePart = [&] {
        if (layout.writeCollection) {
            appendVendorCollection(d, 0x01, SimulatedMouse::kFeatureReportId, 0xB1,
                                   layout.featureReportBytes);
        }
    };
    if (layout.writeCollectionFirst) {
        writePart();
        readPart();
    } else {
        readPart();
        writePart();
    }
    return d;
}

SimulatedMouse::SimulatedMouse(SimLayout layout)
    : m_layout(std::move(layout)), m_descriptor(buildReportDescriptor(m_layout)) {}

bool SimulatedMouse::setFeature(const std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged || !m_layout.writeCollection || length != m_layout.featureReportBytes ||
        length < 2 || data[0] != kFeatureReportId) {
        return false;
    }
    // Reports shorter than the frame read as if the missing bytes were zero.
    std::array<std::uint8_t, kFrameBytes> frame{};
    std::memcpy(frame.data(), data, std::min(length, kFrameBytes));

    m_reports.push_back({false, std::vector<std::uint8_t>(data, data + length)});
    if (m_reports.size() > kRecordLimit) {
        m_reports.pop_front();
    }
    if (frame[1] == kCmdMemoryTransfer) {
        memoryTransferLocked(frame.data());
    } else {
        m_commands.push_back(
            {std::chrono::steady_clock::now(), std::vector<std::uint8_t>(data, data + length)});
        if (m_commands.size() > kRecordLimit) {
            m_commands.pop_front();
        }
    }
    return true;
}

void SimulatedMouse::memoryTransferLocked(const std::uint8_t* frame) {
    const std::uint8_t flags = frame[2];
    const std::uint8_t index = frame[3];
    const std::uint16_t address = getLe16(frame + 4);
    const std::uint8_t value = frame[6];

    if (flags == (kFlagBlock | kFlagWrite)) {
        if (m_pending.empty() || address != m_pendingAddress) {
            m_pending.clear();
            m_pendingAddress = address;
        }
        m_pending[index] = value;
    } else if (flags == (kFlagBlock | kFlagCommit)) {
        if (address == m_pendingAddress) {
            for (const auto& [i, byte] : m_pending) {
                const std::size_t at = std::size_t{address} + i;
                if (at < kMemorySize) {
                    m_memory[at] = byte;
                }
            }
        }
        m_pending.clear();
    } else if (flags == (kFlagBlock | kFlagRead)) {
        const std::size_t at = std::size_t{address} + index;
        m_readLatched = true;
        m_readByte = at < kMemorySize ? m_memory[at] : 0;
    } else if (flags == kFlagEnd) {
        m_pending.clear();
        applyConfigurationLocked();
    } else if (flags == 0) {
        m_pending.clear();
    }
    // Other combinations are never sent by the program; the mouse ignores them.
}

void SimulatedMouse::applyConfigurationLocked() {
    ++m_configurationsApplied;
    const std::uint8_t header = m_memory[1];
    if ((header & 0x1F) == 0x03) {
        m_activeProfile = (header >> 5) & 0x3;
    }
    const std::uint8_t dpi = m_memory[0x18];
    if ((dpi & 0xF8) == 0x18) {
        m_dpiStage = dpi & 0x7;
    }
}

bool SimulatedMouse::getFeature(std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged || !m_layout.writeCollection || length != m_layout.featureReportBytes ||
        length < 2 || data[0] != kFeatureReportId) {
        return false;
    }
    std::fill(data + 1, data + length, std::uint8_t{0});
    if (m_readLatched) {
        data[1] = m_readByte;
        m_readLatched = false;
    } else if (length > 6) {
        data[6] = static_cast<std::uint8_t>((m_activeProfile & 0x3) << 2);
    }
    m_reports.push_back({true, std::vector<std::uint8_t>(data, data + length)});
    if (m_reports.size() > kRecordLimit) {
        m_reports.pop_front();
    }
    return true;
}

bool SimulatedMouse::inputWaitOverLocked(std::uint64_t generation) const {
    return !m_plugged || m_generation != generation || !m_inputs.empty();
}

int SimulatedMouse::takeInputLocked(std::uint64_t generation, std::uint8_t* data,
                                    std::size_t length) {
    if (!m_plugged || m_generation != generation) {
        return -1;
    }
    std::vector<std::uint8_t> report = std::move(m_inputs.front());
    m_inputs.pop_front();
    const std::size_t n = std::min(length, report.size());
    std::copy_n(report.begin(), n, data);
    return static_cast<int>(n);
}

int SimulatedMouse::readInput(std::uint8_t* data, std::size_t length, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    const std::uint64_t generation = m_generation;
    const auto ready = [&] { return inputWaitOverLocked(generation); };
    if (timeoutMs < 0) {
        m_inputReady.wait(lock, ready);
    } else if (!m_inputReady.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return 0;
    }
    return takeInputLocked(generation, data, length);
}

int SimulatedMouse::readInput(std::uint8_t* data, std::size_t length, std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    const std::uint64_t generation = m_generation;
    if (!m_inputReady.wait(lock, stop, [&] { return inputWaitOverLocked(generation); })) {
        return 0;
    }
    return takeInputLocked(generation, data, length);
}

bool SimulatedMouse::takeInput(std::vector<std::uint8_t>& report) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged || m_inputs.empty()) {
        return false;
    }
    report = std::move(m_inputs.front());
    m_inputs.pop_front();
    return true;
}

void SimulatedMouse::queueLocked(std::vector<std::uint8_t> report) {
    if (!m_plugged) {
        return;
    }
    m_inputs.push_back(std::move(report));
    m_inputReady.notify_all();
}

void SimulatedMouse::queueInputReport(std::vector<std::uint8_t> report) {
    std::lock_guard lock(m_mutex);
    queueLocked(std::move(report));
}

namespace {
std::vector<std::uint8_t> inputReport(std::size_t length, std::uint8_t event, std::uint8_t state) {
    std::vector<std::uint8_t> r(std::max<std::size_t>(length, 3), 0);
    r[0] = SimulatedMouse::kInputReportId;
    r[1] = event;
    r[2] = state;
    return r;
}
} // namespace

void SimulatedMouse::pressButton(int physical) {
    std::lock_guard lock(m_mutex);
    queueLocked(inputReport(m_layout.inputReportBytes,
                            static_cast<std::uint8_t>(kFirstButtonEvent + physical),
                            static_cast<std::uint8_t>(m_dpiStage & 0x7)));
}

void SimulatedMouse::releaseButton(int physical) {
    std::lock_guard lock(m_mutex);
    queueLocked(inputReport(m_layout.inputReportBytes,
                            static_cast<std::uint8_t>(kFirstButtonEvent + physical),
                            static_cast<std::uint8_t>(0x80 | (m_dpiStage & 0x7))));
}

void SimulatedMouse::clickDpiButton(int physical, int stage) {
    pressButton(physical);
    setDpiStage(stage);
    releaseButton(physical);
}

void SimulatedMouse::sendEvent(std::uint8_t event) {
    std::lock_guard lock(m_mutex);
    queueLocked(inputReport(m_layout.inputReportBytes, event, 0));
}

void SimulatedMouse::changeProfileOnMouse(int profile) {
    std::lock_guard lock(m_mutex);
    m_activeProfile = profile & 0x3;
    queueLocked(inputReport(m_layout.inputReportBytes, 3, 0));
}

void SimulatedMouse::setActiveProfile(int profile) {
    std::lock_guard lock(m_mutex);
    m_activeProfile = profile & 0x3;
}

void SimulatedMouse::setDpiStage(int stage) {
    std::lock_guard lock(m_mutex);
    m_dpiStage = stage & 0x7;
}

void SimulatedMouse::plug() {
    {
        std::lock_guard lock(m_mutex);
        if (m_plugged) {
            return;
        }
        m_plugged = true;
        ++m_generation;
        m_pending.clear();
        m_readLatched = false;
    }
    notifyPlug(true);
}

void SimulatedMouse::unplug() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged) {
            return;
        }
        m_plugged = false;
        m_inputs.clear();
        m_inputReady.notify_all();
    }
    notifyPlug(false);
}

void SimulatedMouse::notifyPlug(bool isPlugged) {
    std::lock_guard lock(m_listenerMutex);
    for (const auto& [id, listener] : m_listeners) {
        listener(isPlugged);
    }
}

bool SimulatedMouse::plugged() const {
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

std::uint64_t SimulatedMouse::generation() const {
    std::lock_guard lock(m_mutex);
    return m_generation;
}

int SimulatedMouse::addPlugListener(std::function<void(bool)> listener) {
    std::lock_guard lock(m_listenerMutex);
    const int id = m_nextListener++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void SimulatedMouse::removePlugListener(int id) {
    std::lock_guard lock(m_listenerMutex);
    m_listeners.erase(id);
}

std::array<std::uint8_t, SimulatedMouse::kMemorySize> SimulatedMouse::memory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

std::vector<std::uint8_t> SimulatedMouse::memory(std::size_t address, std::size_t count) const {
    std::lock_guard lock(m_mutex);
    if (address >= kMemorySize) {
        return {};
    }
    const std::size_t n = std::min(count, kMemorySize - address);
    return {m_memory.begin() + static_cast<std::ptrdiff_t>(address),
            m_memory.begin() + static_cast<std::ptrdiff_t>(address + n)};
}

void SimulatedMouse::setMemory(std::size_t address, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < bytes.size() && address + i < kMemorySize; ++i) {
        m_memory[address + i] = bytes[i];
    }
}

std::vector<SimCommand> SimulatedMouse::commands() const {
    std::lock_guard lock(m_mutex);
    return {m_commands.begin(), m_commands.end()};
}

std::vector<SimReport> SimulatedMouse::reports() const {
    std::lock_guard lock(m_mutex);
    return {m_reports.begin(), m_reports.end()};
}

void SimulatedMouse::clearRecords() {
    std::lock_guard lock(m_mutex);
    m_commands.clear();
    m_reports.clear();
}

int SimulatedMouse::activeProfile() const {
    std::lock_guard lock(m_mutex);
    return m_activeProfile;
}

int SimulatedMouse::dpiStage() const {
    std::lock_guard lock(m_mutex);
    return m_dpiStage;
}

int SimulatedMouse::configurationsApplied() const {
    std::lock_guard lock(m_mutex);
    return m_configurationsApplied;
}

std::size_t SimulatedMouse::pendingInputReports() const {
    std::lock_guard lock(m_mutex);
    return m_inputs.size();
}

void SimulatedMouse::lockNode() {
    std::unique_lock lock(m_nodeMutex);
    m_nodeFree.wait(lock, [this] { return !m_nodeLocked; });
    m_nodeLocked = true;
}

void SimulatedMouse::unlockNode() {
    {
        std::lock_guard lock(m_nodeMutex);
        m_nodeLocked = false;
    }
    m_nodeFree.notify_one();
}

} // namespace zel::sim
