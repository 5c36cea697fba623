#include "UmockdevMouse.h"

#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "platform/hid/HidrawBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <stop_token>
#include <thread>

using namespace zel;
using sim::SimLayout;
using sim::SimulatedMouse;
using test::UmockdevMouse;

namespace {

using Bytes = std::vector<std::uint8_t>;

class HidrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::testbed();
        const char* preload = std::getenv("LD_PRELOAD");
        if (preload == nullptr || std::strstr(preload, "umockdev") == nullptr) {
            GTEST_SKIP() << "needs the umockdev preload (run under umockdev-wrapper)";
        }
    }

    SimulatedMouse& mouse(SimLayout layout = {}) {
        mice.push_back(std::make_unique<SimulatedMouse>(std::move(layout)));
        return *mice.back();
    }
    UmockdevMouse& node(SimulatedMouse& m, UmockdevMouse::Options options = {}) {
        nodes.push_back(std::make_unique<UmockdevMouse>(m, std::move(options)));
        return *nodes.back();
    }
    std::unique_ptr<DeviceLink> link(std::string devString = "ZEL GMouse") {
        return std::make_unique<DeviceLink>(
            backend, sleeper, acceptProductString(devString),
            [this](const std::string& line) { log.push_back(line); });
    }

    // Declared so that nodes go before their mice, and links before both.
    std::vector<std::unique_ptr<SimulatedMouse>> mice;
    std::vector<std::unique_ptr<UmockdevMouse>> nodes;
    hid::HidrawBackend backend;
    RecordingSleeper sleeper;
    std::vector<std::string> log;
};

SimLayout layoutWith(auto change) {
    SimLayout layout;
    change(layout);
    return layout;
}

} // namespace

TEST_F(HidrawTest, EnumeratesEveryCollectionOfTheNodeWithItsCapabilities) {
    UmockdevMouse& n = node(mouse());
    const auto entries = backend.enumerate();
    ASSERT_EQ(entries.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].path, n.devnode());
        EXPECT_EQ(entries[i].collection, i);
    }
    const auto query = backend.open(entries[2], hid::OpenMode::Query);
    ASSERT_TRUE(query);
    EXPECT_EQ(query->attributes()->vendorId, 0xE5A7);
    EXPECT_EQ(query->attributes()->productId, 0x1040);
    EXPECT_EQ(query->productString(), "ZEL GMouse"); // the USB device's product attribute
    EXPECT_EQ(query->caps(), (hid::HidCaps{0xFF01, 1, 0, 0, 8}));
    EXPECT_EQ(backend.open(entries[1], hid::OpenMode::Query)->caps(),
              (hid::HidCaps{0xFF00, 1, 8, 0, 0}));

    // Without a USB parent the HID name stands in.
    SimulatedMouse& virtualMouse = mouse();
    UmockdevMouse& v = node(virtualMouse, {false, "Virtual Name", std::nullopt});
    for (const auto& entry : backend.enumerate()) {
        if (entry.path == v.devnode()) {
            EXPECT_EQ(backend.open(entry, hid::OpenMode::Query)->productString(), "Virtual Name");
        }
    }
}

TEST_F(HidrawTest, BlocksAndInputReportsThroughRealIoctls) {
    SimulatedMouse& m = mouse(layoutWith([](SimLayout& l) { l.writeCollectionFirst = true; }));
    UmockdevMouse& n = node(m);
    auto l = link();
    ASSERT_TRUE(l->open());
    EXPECT_EQ(l->devicePath(), n.devnode());
    EXPECT_EQ(l->productKind(), ProductKind::Pid1040);

    const Bytes data = {0x5A, 0x23, 0xA5, 0x40, 0x10, 0xA7, 0xE5, 0x00};
    ASSERT_TRUE(l->writeBlock(0x0000, data.data(), data.size()));
    EXPECT_EQ(m.memory(0, 8), data);
    EXPECT_EQ(l->readBlock(0x0000, 8), data);
    l->endTransfer();
    EXPECT_EQ(m.activeProfile(), 1);
    EXPECT_EQ(l->statusReport()[6], 0x04);
    EXPECT_TRUE(sendKeyFunction(*l, 2, 0));
    // Bytes 4..7 are what the status reply left in the buffer.
    EXPECT_EQ(m.commands().back().bytes, (Bytes{7, 0x10, 2, 0, 0x00, 0x00, 0x04, 0x00}));
    // 10 + 1 + 8 × 3 + 1 + 2 reports, a status get and a command.
    EXPECT_EQ(n.featureIoctls(), 10u + 26u + 2u + 1u + 1u);

    // Input reports come through the read collection's own descriptor.
    m.pressButton(3);
    Bytes report(8);
    ASSERT_EQ(l->readInput(report.data(), report.size(), -1), 8);
    EXPECT_EQ(report, (Bytes{6, 0xF3, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(l->readInput(report.data(), report.size(), 50), 0); // nothing waiting
    m.clickDpiButton(5, 2);
    ASSERT_EQ(l->readInput(report.data(), report.size(), 1000), 8);
    ASSERT_EQ(l->readInput(report.data(), report.size(), 1000), 8);
    EXPECT_EQ(report, (Bytes{6, 0xF5, 0x82, 0, 0, 0, 0, 0}));
}

TEST_F(HidrawTest, AWaitingReadWakesForAReportAStopAndTheLinksClosing) {
    using namespace std::chrono_literals;
    SimulatedMouse& m = mouse();
    UmockdevMouse& n = node(m);
    auto l = link();
    ASSERT_TRUE(l->open());
    Bytes report(8);
    std::stop_source stop;
    const auto readAsync = [&] {
        return std::async(std::launch::async, [&] {
            return l->readInput(report.data(), report.size(), stop.get_token());
        });
    };

    // A report that arrives while the reader sleeps.
    auto read = readAsync();
    EXPECT_EQ(read.wait_for(50ms), std::future_status::timeout);
    m.pressButton(3);
    ASSERT_EQ(read.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(read.get(), 8);
    EXPECT_EQ(report, (Bytes{6, 0xF3, 0, 0, 0, 0, 0, 0}));

    // The link closes under a sleeping reader (the mouse is removed): it returns with
    // nothing, and the next read sleeps until the mouse is open again.
    read = readAsync();
    EXPECT_EQ(read.wait_for(50ms), std::future_status::timeout);
    n.unplug();
    ASSERT_EQ(l->processHotplug(2000), HotplugResult::Removed);
    ASSERT_EQ(read.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(read.get(), 0);
    read = readAsync();
    EXPECT_EQ(read.wait_for(50ms), std::future_status::timeout);
    n.plug();
    ASSERT_EQ(l->processHotplug(2000), HotplugResult::Reconnected);
    m.pressButton(5);
    ASSERT_EQ(read.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(read.get(), 8);
    EXPECT_EQ(report[1], 0xF5);

    // A stop from another thread ends the wait at once, with nothing read.
    read = readAsync();
    EXPECT_EQ(read.wait_for(50ms), std::future_status::timeout);
    const auto stopped = std::chrono::steady_clock::now();
    stop.request_stop();
    ASSERT_EQ(read.wait_for(2s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 50ms);
    EXPECT_EQ(read.get(), 0);
}

TEST_F(HidrawTest, MonitorSeesRemovalAndArrival) {
    SimulatedMouse& m = mouse();
    UmockdevMouse& n = node(m);
    auto l = link();
    ASSERT_TRUE(l->open());
    ASSERT_GE(l->hotplugFd(), 0);

    n.unplug();
    EXPECT_EQ(l->processHotplug(2000), HotplugResult::Removed);
    EXPECT_FALSE(l->connected());
    EXPECT_TRUE(backend.enumerate().empty());

    n.plug();
    EXPECT_EQ(l->processHotplug(2000), HotplugResult::Reconnected);
    EXPECT_TRUE(l->connected());
    const std::uint8_t byte = 0x77;
    l->writeBlock(0x40, &byte, 1);
    EXPECT_EQ(m.memory(0x40, 1), Bytes{0x77});

    // The same path in other letter case is the mouse's.
    std::string upper = n.devnode();
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(l->handleHotplug({hid::HotplugKind::Removal, upper}), HotplugResult::Removed);
}

TEST_F(HidrawTest, DiscoveryEdgeCases) {
    {
        node(mouse(layoutWith([](SimLayout& l) { l.productString = "Other Mouse"; })));
        EXPECT_FALSE(link()->open());
        EXPECT_TRUE(link("")->open());
        nodes.clear();
    }
    {
        node(mouse(layoutWith([](SimLayout& l) { l.productId = 0x1201; })));
        auto l = link();
        EXPECT_TRUE(l->open());
        EXPECT_EQ(l->productKind(), ProductKind::Pid1201);
        nodes.clear();
    }
    {
        node(mouse(layoutWith([](SimLayout& l) { l.writeCollection = false; })));
        auto l = link();
        EXPECT_FALSE(l->open());
        EXPECT_TRUE(l->hasReadHandle());
        nodes.clear();
    }
    {
        node(mouse(layoutWith([](SimLayout& l) { l.featureReportBytes = 300; })));
        auto l = link();
        EXPECT_FALSE(l->open());
        ASSERT_EQ(log.size(), 1u);
        nodes.clear();
    }
}

TEST_F(HidrawTest, IndicesBeyond99AreNotExamined) {
    for (const int before : {98, 99}) {
        // A foreign device whose descriptor has `before` collections, then the mouse's two.
        Bytes many;
        for (int i = 0; i < before; ++i) {
            many.insert(many.end(), {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xC0});
        }
        node(mouse(layoutWith([](SimLayout& l) { l.vendorId = 0x1111; })),
             {true, "Keyboard", many});
        node(mouse(layoutWith([](SimLayout& l) { l.mouseCollection = false; })));
        ASSERT_EQ(backend.enumerate().size(), static_cast<std::size_t>(before + 2));
        EXPECT_EQ(link()->open(), before == 98) << before;
        nodes.clear();
    }
}

TEST_F(HidrawTest, DeviceGoneBetweenEnumerationAndOpen) {
    UmockdevMouse& n = node(mouse());
    const auto entries = backend.enumerate();
    ASSERT_EQ(entries.size(), 3u);
    n.unplug();
    EXPECT_FALSE(backend.open(entries[2], hid::OpenMode::Query));
    EXPECT_FALSE(backend.open(entries[2], hid::OpenMode::Write));
}
