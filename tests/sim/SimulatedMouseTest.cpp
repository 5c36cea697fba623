#include "sim/SimulatedMouse.h"
#include "platform/hid/ReportDescriptor.h"
#include "sim/SimHidBackend.h"

#include <gtest/gtest.h>

#include <thread>

using namespace zel;
using sim::SimulatedMouse;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A memory-transfer report of the 8-byte layout.
Bytes transfer(std::uint8_t flags, std::uint8_t index, std::uint16_t address, std::uint8_t data,
               std::uint8_t last) {
    return {7,
            0x18,
            flags,
            index,
            static_cast<std::uint8_t>(address & 0xFF),
            static_cast<std::uint8_t>(address >> 8),
            data,
            last};
}

bool set(SimulatedMouse& mouse, Bytes report) {
    return mouse.setFeature(report.data(), report.size());
}

Bytes get(SimulatedMouse& mouse) {
    Bytes reply(8, 0);
    reply[0] = 7;
    EXPECT_TRUE(mouse.getFeature(reply.data(), reply.size()));
    return reply;
}

} // namespace

TEST(SimulatedMouse, DescriptorDeclaresTheThreeCollections) {
    SimulatedMouse mouse;
    const auto caps = hid::parseReportDescriptor(mouse.reportDescriptor());
    ASSERT_TRUE(caps);
    ASSERT_EQ(caps->size(), 3u);
    EXPECT_EQ((*caps)[0].usagePage, 0x0001);
    EXPECT_EQ((*caps)[1], (hid::HidCaps{0xFF00, 1, 8, 0, 0}));
    EXPECT_EQ((*caps)[2], (hid::HidCaps{0xFF01, 1, 0, 0, 8}));

    sim::SimLayout large;
    large.featureReportBytes = 300;
    large.mouseCollection = false;
    const auto largeCaps = hid::parseReportDescriptor(buildReportDescriptor(large));
    ASSERT_TRUE(largeCaps);
    EXPECT_EQ((*largeCaps)[1].featureReportByteLength, 300);
}

TEST(SimulatedMouse, DataStepsReachMemoryOnlyAtTheCommit) {
    SimulatedMouse mouse;
    EXPECT_TRUE(set(mouse, transfer(0x03, 0, 0x120, 0xAB, 1)));
    EXPECT_TRUE(set(mouse, transfer(0x03, 1, 0x120, 0xCD, 1)));
    EXPECT_EQ(mouse.memory(0x120, 2), (Bytes{0, 0}));
    EXPECT_TRUE(set(mouse, transfer(0x09, 0, 0x120, 0, 1)));
    EXPECT_EQ(mouse.memory(0x120, 2), (Bytes{0xAB, 0xCD}));

    // Data steps closed without a commit (the preparation of a read) change nothing.
    set(mouse, transfer(0x03, 0, 0x120, 0x00, 1));
    set(mouse, transfer(0x00, 0, 0x120, 0, 0));
    set(mouse, transfer(0x09, 0, 0x120, 0, 1));
    EXPECT_EQ(mouse.memory(0x120, 2), (Bytes{0xAB, 0xCD}));

    // A read step makes the next get answer the byte in byte 1; then the status again.
    set(mouse, transfer(0x05, 1, 0x120, 0, 1));
    EXPECT_EQ(get(mouse)[1], 0xCD);
    mouse.setActiveProfile(2);
    EXPECT_EQ(get(mouse), (Bytes{7, 0, 0, 0, 0, 0, 0x08, 0}));

    // Bytes beyond the 16 KiB are dropped, not written elsewhere.
    set(mouse, transfer(0x03, 0, 0x3FFF, 0x11, 1));
    set(mouse, transfer(0x03, 1, 0x3FFF, 0x22, 1));
    set(mouse, transfer(0x09, 0, 0x3FFF, 0, 1));
    EXPECT_EQ(mouse.memory(0x3FFF, 4), (Bytes{0x11}));
}

TEST(SimulatedMouse, EndOfTransferAppliesHeaderProfileAndDpiStage) {
    SimulatedMouse mouse;
    mouse.setMemory(0, {0x5A, 0x43, 0xA5});
    mouse.setMemory(0x18, {0x1D});
    set(mouse, transfer(0x10, 0, 0, 0, 0));
    EXPECT_EQ(mouse.activeProfile(), 2);
    EXPECT_EQ(mouse.dpiStage(), 5);
    EXPECT_EQ(mouse.configurationsApplied(), 1);
}

TEST(SimulatedMouse, RecordsCommandsAndRefusesBadReports) {
    SimulatedMouse mouse;
    EXPECT_TRUE(set(mouse, {7, 0x15, 4, 5, 0, 0, 0, 0}));
    EXPECT_TRUE(set(mouse, transfer(0x03, 0, 0, 1, 0)));
    EXPECT_FALSE(set(mouse, {7, 0x15, 4, 5, 0, 0, 0}));    // wrong length
    EXPECT_FALSE(set(mouse, {6, 0x15, 4, 5, 0, 0, 0, 0})); // wrong report ID
    const auto commands = mouse.commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].bytes, (Bytes{7, 0x15, 4, 5, 0, 0, 0, 0}));
    EXPECT_EQ(mouse.reports().size(), 2u);
}

TEST(SimulatedMouse, InputReportsOnDemandAndUnplugWakesReaders) {
    SimulatedMouse mouse;
    mouse.pressButton(4);
    mouse.clickDpiButton(5, 3);
    mouse.changeProfileOnMouse(1);
    Bytes r(8);
    ASSERT_EQ(mouse.readInput(r.data(), r.size(), 0), 8);
    EXPECT_EQ(r, (Bytes{6, 0xF4, 0x00, 0, 0, 0, 0, 0}));
    mouse.readInput(r.data(), r.size(), 0); // press of the DPI button
    mouse.readInput(r.data(), r.size(), 0);
    EXPECT_EQ(r, (Bytes{6, 0xF5, 0x83, 0, 0, 0, 0, 0}));
    mouse.readInput(r.data(), r.size(), 0);
    EXPECT_EQ(r[1], 3);
    EXPECT_EQ(mouse.activeProfile(), 1);
    EXPECT_EQ(mouse.readInput(r.data(), r.size(), 10), 0); // timeout

    int result = 1;
    std::thread reader([&] { result = mouse.readInput(r.data(), r.size(), -1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    mouse.unplug();
    reader.join();
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(set(mouse, {7, 0x15, 0, 0, 0, 0, 0, 0}));
}

TEST(SimHidBackend, EnumeratesCollectionsAndFailsStaleHandles) {
    SimulatedMouse mouse;
    sim::SimHidBackend backend;
    backend.addDevice(mouse, "/dev/hidraw3");
    const auto entries = backend.enumerate();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].path, "/dev/hidraw3");
    EXPECT_EQ(entries[2].collection, 2);

    auto monitor = backend.monitor();
    ASSERT_TRUE(monitor);
    auto write = backend.open(entries[2], hid::OpenMode::Write);
    auto read = backend.open(entries[2], hid::OpenMode::Read);
    ASSERT_TRUE(write && read);
    Bytes report = {7, 0x11, 2, 0, 0, 0, 0, 0};
    EXPECT_TRUE(write->setFeature(report.data(), report.size()));
    EXPECT_FALSE(read->setFeature(report.data(), report.size())); // not opened for writing

    mouse.unplug();
    mouse.plug();
    EXPECT_FALSE(write->setFeature(report.data(), report.size())); // opened before the unplug
    const auto removal = monitor->next(100);
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->kind, hid::HotplugKind::Removal);
    const auto arrival = monitor->next(100);
    ASSERT_TRUE(arrival);
    EXPECT_EQ(arrival->kind, hid::HotplugKind::Arrival);
    EXPECT_EQ(arrival->path, "/dev/hidraw3");
    EXPECT_FALSE(monitor->next(0));
}
