#include "device/DeviceLink.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <memory>

using namespace zel;
using sim::SimLayout;
using sim::SimulatedMouse;

namespace {

// A backend with devices, a link over it with a recorded log.
struct Rig {
    explicit Rig(std::string devString = "ZEL GMouse")
        : link(backend, sleeper, acceptProductString(std::move(devString)),
               [this](const std::string& line) { log.push_back(line); }) {}

    SimulatedMouse& add(SimLayout layout, std::string path) {
        mice.push_back(std::make_unique<SimulatedMouse>(std::move(layout)));
        backend.addDevice(*mice.back(), std::move(path));
        return *mice.back();
    }

    sim::SimHidBackend backend;
    RecordingSleeper sleeper;
    std::vector<std::string> log;
    std::vector<std::unique_ptr<SimulatedMouse>> mice; // outlive the link's monitor
    DeviceLink link;
};

SimLayout layoutWith(auto change) {
    SimLayout layout;
    change(layout);
    return layout;
}

} // namespace

TEST(Discovery, OpensBothCollectionsOfTheMouse) {
    Rig rig;
    rig.add(layoutWith([](SimLayout& l) { l.vendorId = 0x1234; }), "/dev/hidraw0");
    rig.add(layoutWith([](SimLayout& l) { l.writeCollectionFirst = true; }), "/dev/hidraw1");
    EXPECT_EQ(rig.link.productKind(), ProductKind::NotSeen);
    ASSERT_TRUE(rig.link.open());
    EXPECT_TRUE(rig.link.connected());
    EXPECT_EQ(rig.link.productKind(), ProductKind::Pid1040);
    EXPECT_EQ(rig.link.devicePath(), "/dev/hidraw1");
    EXPECT_EQ(rig.link.readCaps(), (hid::HidCaps{0xFF00, 1, 8, 0, 0}));
    EXPECT_EQ(rig.link.writeCaps(), (hid::HidCaps{0xFF01, 1, 0, 0, 8}));
    // The standard mouse collection passes the tests but opens nothing.
    EXPECT_EQ(rig.backend.openCount(hid::OpenMode::Read), 1);
    EXPECT_EQ(rig.backend.openCount(hid::OpenMode::Write), 1);
    EXPECT_TRUE(rig.log.empty());
}

TEST(Discovery, ProductStringAndIdentifiersDecide) {
    {
        Rig rig;
        rig.add(layoutWith([](SimLayout& l) { l.productString = "ZEL GMOUSE"; }), "/dev/hidraw0");
        EXPECT_FALSE(rig.link.open());
        EXPECT_EQ(rig.link.productKind(), ProductKind::NotSeen);
    }
    {
        Rig rig("");
        rig.add(layoutWith([](SimLayout& l) { l.productString = "Anything"; }), "/dev/hidraw0");
        EXPECT_TRUE(rig.link.open());
    }
    {
        Rig rig;
        rig.add(layoutWith([](SimLayout& l) { l.productId = 0x1041; }), "/dev/hidraw0");
        EXPECT_FALSE(rig.link.open());
    }
    {
        Rig rig;
        rig.add(layoutWith([](SimLayout& l) { l.productId = 0x1201; }), "/dev/hidraw0");
        EXPECT_TRUE(rig.link.open());
        EXPECT_EQ(rig.link.productKind(), ProductKind::Pid1201);
    }
}

TEST(Discovery, OnlyTheInputCollectionIsNotEnough) {
    Rig rig;
    rig.add(layoutWith([](SimLayout& l) { l.writeCollection = false; }), "/dev/hidraw0");
    EXPECT_FALSE(rig.link.open());
    EXPECT_FALSE(rig.link.connected());
    EXPECT_TRUE(rig.link.hasReadHandle());
    EXPECT_FALSE(rig.link.hasWriteHandle());
    // It matched, so its path is remembered and notifications are watched.
    EXPECT_EQ(rig.link.devicePath(), "/dev/hidraw0");
    EXPECT_EQ(rig.link.productKind(), ProductKind::Pid1040);
    EXPECT_GE(rig.link.hotplugFd(), 0);
}

TEST(Discovery, InterfacesBeyondIndex99AreNeverExamined) {
    for (const int others : {98, 99}) {
        Rig rig;
        // Each foreign device brings three collections; the mouse's two vendor
        // collections follow them.
        for (int i = 0; i < others / 3; ++i) {
            rig.add(layoutWith([](SimLayout& l) { l.vendorId = 0x1111; }),
                    "/dev/other" + std::to_string(i));
        }
        for (int i = 0; i < others % 3; ++i) {
            rig.add(layoutWith([](SimLayout& l) {
                        l.vendorId = 0x1111;
                        l.readCollection = l.writeCollection = false;
                    }),
                    "/dev/single" + std::to_string(i));
        }
        rig.add(layoutWith([](SimLayout& l) { l.mouseCollection = false; }), "/dev/hidraw9");
        ASSERT_EQ(rig.backend.enumerate().size(), static_cast<std::size_t>(others + 2));
        // 98 others: the mouse sits at 98 and 99. 99 others: its write collection is at 100.
        EXPECT_EQ(rig.link.open(), others == 98) << others;
    }
}

TEST(Discovery, DeviceVanishingBeforeOpenLeavesTheLinkClosed) {
    Rig rig;
    SimulatedMouse& mouse = rig.add({}, "/dev/hidraw0");
    rig.backend.beforeOpen = [&](const hid::HidInterface&, hid::OpenMode mode) {
        if (mode == hid::OpenMode::Write) {
            mouse.unplug();
        }
    };
    EXPECT_FALSE(rig.link.open());
    EXPECT_FALSE(rig.link.hasWriteHandle());
    // Reports fail quietly on the closed link.
    EXPECT_FALSE(rig.link.setFeature());
    EXPECT_EQ(rig.link.readBlock(0, 2).size(), 2u);
    mouse.plug();
    EXPECT_TRUE(mouse.reports().empty());
}

TEST(Discovery, FeatureLengthsTheBufferCannotServeKeepTheLinkClosed) {
    for (const std::uint16_t length : {0, 300}) {
        Rig rig;
        rig.add(layoutWith([&](SimLayout& l) { l.featureReportBytes = length; }), "/dev/hidraw0");
        EXPECT_FALSE(rig.link.open());
        EXPECT_FALSE(rig.link.hasWriteHandle());
        ASSERT_EQ(rig.log.size(), 1u);
        EXPECT_NE(rig.log[0].find(std::to_string(length) + "-byte feature reports"),
                  std::string::npos)
            << rig.log[0];
        // Nothing is sent, so nothing can be written past the buffer.
        rig.link.writeBlock(0, std::vector<std::uint8_t>(8, 1).data(), 8);
        EXPECT_TRUE(rig.mice[0]->reports().empty());
    }
    Rig rig;
    rig.add(layoutWith([](SimLayout& l) { l.featureReportBytes = 256; }), "/dev/hidraw0");
    EXPECT_TRUE(rig.link.open());
    const std::uint8_t byte = 0x5C;
    rig.link.writeBlock(0x40, &byte, 1);
    EXPECT_EQ(rig.mice[0]->memory(0x40, 1), std::vector<std::uint8_t>{0x5C});
    EXPECT_EQ(rig.mice[0]->reports()[0].bytes.size(), 256u);
}

TEST(Hotplug, RemovalAndArrivalOfTheMousePath) {
    Rig rig;
    SimulatedMouse& other =
        rig.add(layoutWith([](SimLayout& l) { l.vendorId = 0x1; }), "/dev/hidraw0");
    SimulatedMouse& mouse = rig.add({}, "/dev/hidraw1");
    EXPECT_EQ(rig.link.hotplugFd(), -1);
    ASSERT_TRUE(rig.link.open());
    ASSERT_GE(rig.link.hotplugFd(), 0);

    other.unplug();
    EXPECT_EQ(rig.link.processHotplug(100), HotplugResult::Ignored);
    EXPECT_TRUE(rig.link.connected());

    // An arrival while connected changes nothing.
    EXPECT_EQ(rig.link.handleHotplug({hid::HotplugKind::Arrival, "/DEV/HIDRAW1"}),
              HotplugResult::Ignored);

    mouse.unplug();
    EXPECT_EQ(rig.link.processHotplug(100), HotplugResult::Removed);
    EXPECT_FALSE(rig.link.connected());
    EXPECT_FALSE(rig.link.hasWriteHandle());

    mouse.plug();
    EXPECT_EQ(rig.link.processHotplug(100), HotplugResult::Reconnected);
    EXPECT_TRUE(rig.link.connected());

    // The path in other letter case counts as the mouse's.
    EXPECT_EQ(rig.link.handleHotplug({hid::HotplugKind::Removal, "/Dev/HidRaw1"}),
              HotplugResult::Removed);
    EXPECT_EQ(rig.link.handleHotplug({hid::HotplugKind::Arrival, "/DEV/hidraw1"}),
              HotplugResult::Reconnected);
}
