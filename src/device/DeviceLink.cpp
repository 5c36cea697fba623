#include "device/DeviceLink.h"

#include "device/DeviceCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace zel {

namespace {

constexpr std::size_t kMaxBlock = 8;

bool samePathIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

ProductStringTest acceptProductString(std::string expected) {
    return [expected = std::move(expected)](const std::string& productString) {
        return expected.empty() || productString == expected;
    };
}

DeviceLink::DeviceLink(hid::HidBackend& backend, Sleeper& sleeper, ProductStringTest productTest,
                       LogSink log)
    : m_backend(backend), m_sleeper(sleeper), m_productTest(std::move(productTest)),
      m_log(std::move(log)) {
    if (!m_productTest) {
        m_productTest = acceptProductString({});
    }
    if (!m_log) {
        m_log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    }
}

DeviceLink::~DeviceLink() = default;

bool DeviceLink::open() {
    std::shared_ptr<hid::HidHandle> readHandle;
    std::shared_ptr<hid::HidHandle> writeHandle;
    hid::HidCaps readCaps;
    hid::HidCaps writeCaps;
    bool found = false;

    const std::vector<hid::HidInterface> interfaces = m_backend.enumerate();
    // All 100 indices are tried; the enumeration's order decides which collection comes
    // first, and nothing beyond index 99 is looked at.
    for (int index = 0; index < kInterfaceIndices; ++index) {
        if (static_cast<std::size_t>(index) >= interfaces.size()) {
            continue;
        }
        const hid::HidInterface& entry = interfaces[static_cast<std::size_t>(index)];
        const std::unique_ptr<hid::HidHandle> query = m_backend.open(entry, hid::OpenMode::Query);
        if (!query) {
            continue;
        }
        m_connected = false;
        const std::optional<hid::HidAttributes> attributes = query->attributes();
        const std::string productString = query->productString().value_or(std::string());
        if (!m_productTest(productString) || !attributes || attributes->vendorId != kVendorId ||
            (attributes->productId != kProduct1040 && attributes->productId != kProduct1201)) {
            continue;
        }

        m_productKind =
            attributes->productId == kProduct1040 ? ProductKind::Pid1040 : ProductKind::Pid1201;
        {
            std::lock_guard lock(m_stateMutex);
            m_devicePath = entry.path;
            if (!m_monitor) {
                m_monitor = m_backend.monitor();
            }
        }

        const std::optional<hid::HidCaps> caps = query->caps();
        if (!caps) {
            continue;
        }
        if (caps->usagePage == kReadUsagePage && caps->usage == kCollectionUsage) {
            if (caps->inputReportByteLength == 0 || caps->inputReportByteLength > 256) {
                m_log("device: the input collection of " + entry.path + " reports " +
                      std::to_string(caps->inputReportByteLength) +
                      "-byte input reports; only 1..256 can be read, it stays closed");
            } else {
                readCaps = *caps;
                readHandle = m_backend.open(entry, hid::OpenMode::Read);
            }
        } else if (caps->usagePage == kWriteUsagePage && caps->usage == kCollectionUsage) {
            if (caps->featureReportByteLength == 0 ||
                caps->featureReportByteLength > ReportBuffer{}.size()) {
                m_log("device: the command collection of " + entry.path + " reports " +
                      std::to_string(caps->featureReportByteLength) +
                      "-byte feature reports; the 256-byte report buffer serves only 1..256, "
                      "it stays closed");
            } else {
                writeCaps = *caps;
                writeHandle = m_backend.open(entry, hid::OpenMode::Write);
            }
        }
        if (readHandle && writeHandle) {
            found = true;
            break;
        }
    }

    {
        std::scoped_lock lock(m_transportMutex, m_stateMutex);
        m_readHandle = std::move(readHandle);
        m_writeHandle = std::move(writeHandle);
        m_readCaps = m_readHandle ? readCaps : hid::HidCaps{};
        m_writeCaps = m_writeHandle ? writeCaps : hid::HidCaps{};
        readHandleChangedLocked();
    }
    m_connected = found;
    return found;
}

std::string DeviceLink::devicePath() const {
    std::lock_guard lock(m_stateMutex);
    return m_devicePath;
}

hid::HidCaps DeviceLink::readCaps() const {
    std::lock_guard lock(m_stateMutex);
    return m_readCaps;
}

hid::HidCaps DeviceLink::writeCaps() const {
    std::lock_guard lock(m_stateMutex);
    return m_writeCaps;
}

bool DeviceLink::hasReadHandle() const {
    std::lock_guard lock(m_stateMutex);
    return m_readHandle != nullptr;
}

bool DeviceLink::hasWriteHandle() const {
    std::lock_guard lock(m_stateMutex);
    return m_writeHandle != nullptr;
}

int DeviceLink::hotplugFd() const {
    std::lock_guard lock(m_stateMutex);
    return m_monitor ? m_monitor->fd() : -1;
}

HotplugResult DeviceLink::processHotplug(int timeoutMs) {
    hid::HotplugMonitor* monitor = nullptr;
    {
        std::lock_guard lock(m_stateMutex);
        monitor = m_monitor.get(); // lives as long as the link once created
    }
    if (!monitor) {
        return HotplugResult::Ignored;
    }
    const std::optional<hid::HotplugEvent> event = monitor->next(timeoutMs);
    return event ? handleHotplug(*event) : HotplugResult::Ignored;
}

HotplugResult DeviceLink::handleHotplug(const hid::HotplugEvent& event) {
    const std::string path = devicePath();
    if (path.empty() || !samePathIgnoringCase(event.path, path)) {
        return HotplugResult::Ignored;
    }
    if (event.kind == hid::HotplugKind::Removal) {
        closeLink();
        return HotplugResult::Removed;
    }
    if (connected()) {
        return HotplugResult::Ignored;
    }
    return open() ? HotplugResult::Reconnected : HotplugResult::ArrivalFailed;
}

void DeviceLink::closeLink() {
    m_connected = false;
    std::scoped_lock lock(m_transportMutex, m_stateMutex);
    m_readHandle.reset();
    m_writeHandle.reset();
    readHandleChangedLocked();
}

void DeviceLink::readHandleChangedLocked() {
    m_readReplaced.request_stop();
    m_readReplaced = std::stop_source();
    m_readChanged.notify_all();
}

bool DeviceLink::setFeatureLocked() {
    if (!m_writeHandle) {
        return false;
    }
    return m_writeHandle->setFeature(m_report.data(), m_writeCaps.featureReportByteLength);
}

bool DeviceLink::getFeatureLocked() {
    if (!m_writeHandle) {
        return false;
    }
    return m_writeHandle->getFeature(m_report.data(), m_writeCaps.featureReportByteLength);
}

bool DeviceLink::setFeature() {
    const TransportLock lock(*this);
    return setFeatureLocked();
}

bool DeviceLink::getFeature() {
    const TransportLock lock(*this);
    return getFeatureLocked();
}

bool DeviceLink::send(const std::function<void(ReportBuffer&)>& fill) {
    const TransportLock lock(*this);
    fill(m_report);
    return setFeatureLocked();
}

bool DeviceLink::sendIfOpen(const std::function<void(ReportBuffer&)>& fill) {
    const TransportLock lock(*this);
    if (!m_writeHandle) {
        return false;
    }
    fill(m_report);
    return setFeatureLocked();
}

bool DeviceLink::sendReport(const ReportBuffer& report) {
    const TransportLock lock(*this);
    if (!m_writeHandle) {
        return false;
    }
    return m_writeHandle->setFeature(report.data(), m_writeCaps.featureReportByteLength);
}

std::vector<std::uint8_t> DeviceLink::statusReport() {
    const TransportLock lock(*this);
    m_report[0] = kReportId;
    static_cast<void>(getFeatureLocked()); // the reply is used whatever the call said
    const std::size_t length = m_writeHandle ? m_writeCaps.featureReportByteLength : 0;
    return {m_report.begin(), m_report.begin() + static_cast<std::ptrdiff_t>(length)};
}

void DeviceLink::acquireDevice() {
    std::lock_guard lock(m_deviceLockMutex);
    if (m_deviceLockDepth++ > 0) {
        return;
    }
    {
        std::lock_guard state(m_stateMutex);
        m_lockedHandle = m_writeHandle;
    }
    // Without a lock the reports still go out: nothing is refused for want of it.
    if (m_lockedHandle && !m_lockedHandle->lockDevice()) {
        m_lockedHandle.reset();
    }
}

void DeviceLink::releaseDevice() {
    std::lock_guard lock(m_deviceLockMutex);
    if (--m_deviceLockDepth > 0) {
        return;
    }
    if (m_lockedHandle) {
        m_lockedHandle->unlockDevice();
        m_lockedHandle.reset();
    }
}

bool DeviceLink::memoryTransferLocked(std::uint8_t flags, std::uint8_t index, std::uint16_t address,
                                      std::uint8_t data, std::uint8_t lastIndex) {
    fillMemoryTransfer(m_report, flags, index, address, data, lastIndex);
    // A failed report does not stop a block: the protocol rests on its pauses.
    return setFeatureLocked();
}

void DeviceLink::pause(int milliseconds) {
    m_sleeper.sleepFor(std::chrono::milliseconds(milliseconds));
}

bool DeviceLink::writeBlock(std::uint16_t address, const std::uint8_t* bytes, std::size_t n) {
    if (n == 0 || n > kMaxBlock) {
        return false;
    }
    const auto last = static_cast<std::uint8_t>(n - 1);
    const TransportLock lock(*this);
    bool taken = true;
    for (std::size_t i = 0; i < n; ++i) {
        taken = memoryTransferLocked(kTransferDataStep, static_cast<std::uint8_t>(i), address,
                                     bytes[i], last) &&
                taken;
    }
    pause(4);
    taken = memoryTransferLocked(kTransferCommit, 0, address, 0, last) && taken;
    pause(2);
    taken = memoryTransferLocked(kTransferClose, 0, address, 0, 0) && taken;
    return taken;
}

std::vector<std::uint8_t> DeviceLink::readBlock(std::uint16_t address, std::size_t n) {
    if (n == 0 || n > kMaxBlock) {
        return {};
    }
    const auto last = static_cast<std::uint8_t>(n - 1);
    std::vector<std::uint8_t> out(n, 0);
    const TransportLock lock(*this);
    for (std::size_t i = 0; i < n; ++i) {
        memoryTransferLocked(kTransferDataStep, static_cast<std::uint8_t>(i), address, 0, last);
        pause(2);
    }
    pause(2);
    memoryTransferLocked(kTransferClose, 0, address, 0, 0);
    for (std::size_t i = 0; i < n; ++i) {
        memoryTransferLocked(kTransferReadStep, static_cast<std::uint8_t>(i), address, 0, last);
        pause(2);
        // Byte 1 of the buffer is taken whatever the get returned.
        static_cast<void>(getFeatureLocked());
        out[i] = m_report[1];
    }
    pause(2);
    memoryTransferLocked(kTransferClose, 0, 0, 0, 0);
    return out;
}

void DeviceLink::endTransfer() {
    const TransportLock lock(*this);
    memoryTransferLocked(kTransferEnd, 0, 0, 0, 0);
    pause(5);
    memoryTransferLocked(kTransferClose, 0, 0, 0, 0);
}

ReportBuffer DeviceLink::reportBuffer() const {
    std::lock_guard lock(m_transportMutex);
    return m_report;
}

int DeviceLink::readInput(std::uint8_t* data, std::size_t capacity, int timeoutMs) {
    std::shared_ptr<hid::HidHandle> handle;
    std::size_t length = 0;
    {
        std::lock_guard lock(m_stateMutex);
        handle = m_readHandle;
        length = m_readCaps.inputReportByteLength;
    }
    if (!handle) {
        return -1;
    }
    return handle->readInput(data, std::min(capacity, length), timeoutMs);
}

int DeviceLink::readInput(std::uint8_t* data, std::size_t capacity, std::stop_token stop) {
    std::shared_ptr<hid::HidHandle> handle;
    std::size_t length = 0;
    std::stop_token replaced;
    {
        std::unique_lock lock(m_stateMutex);
        if (!m_readChanged.wait(lock, stop, [this] { return m_readHandle != nullptr; })) {
            return 0;
        }
        handle = m_readHandle;
        length = m_readCaps.inputReportByteLength;
        replaced = m_readReplaced.get_token();
    }
    int n = 0;
    {
        // The wait ends at the caller's stop and when the handle is closed or replaced.
        std::stop_source either;
        const std::stop_callback onStop(stop, [&either] { either.request_stop(); });
        const std::stop_callback onReplaced(replaced, [&either] { either.request_stop(); });
        n = handle->readInputUntilStopped(data, std::min(capacity, length), either.get_token());
    }
    if (n < 0) {
        std::unique_lock lock(m_stateMutex);
        m_readChanged.wait(lock, stop, [this, &handle] { return m_readHandle != handle; });
    }
    return n;
}

} // namespace zel
