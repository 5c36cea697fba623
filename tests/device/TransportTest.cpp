#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <stop_token>
#include <thread>

using namespace zel;
using sim::SimulatedMouse;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string hex(const Bytes& bytes) {
    std::string out;
    char cell[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, i == 0 ? "%02X" : " %02X", bytes[i]);
        out += cell;
    }
    return out;
}

// The mouse behind the in-process backend, an open link and a recording sleeper whose
// pauses are placed in the sequence of reports the mouse saw.
struct Connected {
    Connected() : link(backend, sleeper, acceptProductString("")) {
        backend.addDevice(mouse, "/dev/hidraw0");
        sleeper.onSleep = [this](std::chrono::microseconds pause) {
            pauses.emplace_back(mouse.reports().size(), pause.count());
        };
        EXPECT_TRUE(link.open());
    }

    // "S <bytes>" per set, "G <bytes>" per get reply, "P <µs>" per pause, in order.
    std::vector<std::string> trace() const {
        std::vector<std::string> out;
        const auto reports = mouse.reports();
        std::size_t p = 0;
        for (std::size_t i = 0; i <= reports.size(); ++i) {
            for (; p < pauses.size() && pauses[p].first == i; ++p) {
                out.push_back("P " + std::to_string(pauses[p].second));
            }
            if (i < reports.size()) {
                out.push_back((reports[i].get ? "G " : "S ") + hex(reports[i].bytes));
            }
        }
        return out;
    }

    SimulatedMouse mouse;
    sim::SimHidBackend backend;
    RecordingSleeper sleeper;
    std::vector<std::pair<std::size_t, long>> pauses;
    DeviceLink link;
};

using Trace = std::vector<std::string>;

} // namespace

TEST(Transport, OneByteBlockWrite) {
    Connected c;
    const std::uint8_t byte = 0x43;
    ASSERT_TRUE(c.link.writeBlock(0x0001, &byte, 1));
    EXPECT_EQ(c.trace(), (Trace{"S 07 18 03 00 01 00 43 00", "P 4000", "S 07 18 09 00 01 00 00 00",
                                "P 2000", "S 07 18 00 00 01 00 00 00"}));
    EXPECT_EQ(c.mouse.memory(0, 2), (Bytes{0x00, 0x43}));
}

TEST(Transport, EightByteBlockWriteIsTenReports) {
    Connected c;
    const Bytes data = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(c.link.writeBlock(0x0168, data.data(), data.size()));
    Trace expected;
    for (int i = 0; i < 8; ++i) {
        expected.push_back("S 07 18 03 0" + std::to_string(i) + " 68 01 0" + std::to_string(i + 1) +
                           " 07");
    }
    expected.insert(expected.end(),
                    {"P 4000", "S 07 18 09 00 68 01 00 07", "P 2000", "S 07 18 00 00 68 01 00 00"});
    EXPECT_EQ(c.trace(), expected);
    EXPECT_EQ(c.mouse.memory(0x168, 8), data);
    EXPECT_FALSE(c.link.writeBlock(0, data.data(), 0));
    EXPECT_FALSE(c.link.writeBlock(0, data.data(), 9));
}

TEST(Transport, BlockReadAndEndTransfer) {
    Connected c;
    c.mouse.setMemory(0x18, {0x1B, 0x3F});
    EXPECT_EQ(c.link.readBlock(0x0018, 2), (Bytes{0x1B, 0x3F}));
    EXPECT_EQ(c.trace(),
              (Trace{"S 07 18 03 00 18 00 00 01", "P 2000", "S 07 18 03 01 18 00 00 01", "P 2000",
                     "P 2000", "S 07 18 00 00 18 00 00 00", "S 07 18 05 00 18 00 00 01", "P 2000",
                     "G 07 1B 00 00 00 00 00 00", "S 07 18 05 01 18 00 00 01", "P 2000",
                     "G 07 3F 00 00 00 00 00 00", "P 2000", "S 07 18 00 00 00 00 00 00"}));
    c.mouse.clearRecords();
    c.pauses.clear();
    c.link.endTransfer();
    EXPECT_EQ(c.trace(),
              (Trace{"S 07 18 10 00 00 00 00 00", "P 5000", "S 07 18 00 00 00 00 00 00"}));
    EXPECT_EQ(c.mouse.configurationsApplied(), 1);
}

TEST(Transport, CommandsKeepTheBytesTheyDoNotDefine) {
    Connected c;
    KeyboardState keys;
    for (std::uint8_t k : {0x04, 0x05, 0x06, 0x07, 0x08, 0x09}) {
        keys.press(k);
    }
    sendKeyboardState(c.link, keys);
    sendConsumerKey(c.link, 9);       // defines bytes 2, 3 only
    sendPointerButtons(c.link, keys); // defines byte 3 only
    sendDpiColour(c.link, 5, 15, 2, 1);
    const auto commands = c.mouse.commands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(hex(commands[0].bytes), "07 15 04 05 06 07 08 09");
    EXPECT_EQ(hex(commands[1].bytes), "07 17 01 92 06 07 08 09");
    EXPECT_EQ(hex(commands[2].bytes), "07 16 01 FF 06 07 08 09");
    EXPECT_EQ(hex(commands[3].bytes), "07 14 A2 F1 06 07 08 09");
    EXPECT_LE(commands[0].at, commands[3].at);
    EXPECT_EQ(c.link.statusReport(), (Bytes{7, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(Transport, AReportOfTheCallersOwnLeavesTheTransportBufferAlone) {
    Connected c;
    ASSERT_TRUE(sendDpiColour(c.link, 1, 2, 3, 4));
    const ReportBuffer before = c.link.reportBuffer();
    ReportBuffer own{};
    own[0] = 7;
    own[1] = kCmdLighting;
    own[7] = 0xEB;
    own[8] = 0x55; // beyond the report length: not sent
    EXPECT_TRUE(c.link.sendReport(own));
    EXPECT_EQ(c.link.reportBuffer(), before);
    ASSERT_FALSE(c.mouse.commands().empty());
    EXPECT_EQ(hex(c.mouse.commands().back().bytes), "07 13 00 00 00 00 00 EB");

    c.mouse.unplug();
    EXPECT_FALSE(c.link.sendReport(own)); // the platform's failure comes back
}

TEST(Transport, KeyboardBookkeepingAsSent) {
    Connected c;
    KeyboardState keys;
    const auto sendAndLast = [&] {
        sendKeyboardState(c.link, keys);
        return hex(c.mouse.commands().back().bytes);
    };
    keys.press(0x04);
    keys.press(0x16);
    keys.press(0x2C);
    EXPECT_EQ(sendAndLast(), "07 15 04 16 2C 00 00 00");
    keys.release(0x33); // never pressed: the same state again
    EXPECT_EQ(sendAndLast(), "07 15 04 16 2C 00 00 00");
    keys.release(0x04); // later slots move down
    EXPECT_EQ(sendAndLast(), "07 15 16 2C 00 00 00 00");
    for (std::uint8_t k : {0x1E, 0x1F, 0x20, 0x21, 0x22}) {
        keys.press(k); // the last of these is a seventh key
    }
    EXPECT_EQ(sendAndLast(), "07 15 16 2C 1E 1F 20 21");
    keys.release(0x22); // the unreported seventh key: nothing changes
    EXPECT_EQ(sendAndLast(), "07 15 16 2C 1E 1F 20 21");

    keys.press(0xF1);
    keys.press(0xF2);
    sendPointerButtons(c.link, keys);
    EXPECT_EQ(c.mouse.commands().back().bytes[3], 0xFA);
    keys.release(0xF1);
    keys.press(0xF3);
    keys.press(0xF6); // not a pointer button: unchanged state
    sendPointerButtons(c.link, keys);
    EXPECT_EQ(c.mouse.commands().back().bytes[3], 0xF9);
    keys.releaseAll();
    EXPECT_EQ(keys.buttons(), 0xFF);
    EXPECT_EQ(keys.slots(), (std::array<std::uint8_t, 6>{}));
}

TEST(Transport, GuardedBuildersSendNothingWhileClosed) {
    sim::SimHidBackend emptyBackend;
    RecordingSleeper sleeper;
    DeviceLink link(emptyBackend, sleeper, acceptProductString(""), [](const std::string&) {});
    EXPECT_FALSE(link.open());
    EXPECT_FALSE(sendKeyFunction(link, 3, 0));
    EXPECT_FALSE(sendModeSwitch(link, true));
    EXPECT_FALSE(sendClose(link));
    EXPECT_EQ(link.reportBuffer(), ReportBuffer{}); // the guarded ones did not touch it
    EXPECT_FALSE(sendConsumerKey(link, 0));         // the others fill and fail
    EXPECT_EQ(link.reportBuffer()[1], kCmdConsumerKey);

    Connected c;
    EXPECT_TRUE(sendKeyFunction(c.link, 3, 0x21));
    EXPECT_TRUE(sendModeSwitch(c.link, true));
    EXPECT_TRUE(sendClose(c.link));
    const auto commands = c.mouse.commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(hex(commands[0].bytes), "07 10 03 21 00 00 00 00");
    EXPECT_EQ(hex(commands[1].bytes), "07 11 02 00 00 00 00 00");
    EXPECT_EQ(hex(commands[2].bytes), "07 20 00 00 00 00 00 00");
}

TEST(Transport, FourThreadsNeverInterleaveTheirSequences) {
    Connected c;
    constexpr int kRounds = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&c, t] {
            KeyboardState keys;
            for (int i = 0; i < kRounds; ++i) {
                const auto address = static_cast<std::uint16_t>(0x400 * (t + 1) + 8 * i);
                Bytes data(8);
                for (std::size_t k = 0; k < data.size(); ++k) {
                    data[k] = static_cast<std::uint8_t>(t * 64 + i + k);
                }
                c.link.writeBlock(address, data.data(), data.size());
                keys.press(static_cast<std::uint8_t>(4 + t));
                sendKeyboardState(c.link, keys);
                keys.release(static_cast<std::uint8_t>(4 + t));
                if (i % 8 == 0) {
                    const Bytes back = c.link.readBlock(address, 8);
                    EXPECT_EQ(back, data);
                }
                sendPointerMove(c.link, t, i, 6);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    // Every memory-transfer report must belong to a whole sequence of its block: a write is
    // 8 data steps, commit and close; a read is its own fixed shape.
    const auto reports = c.mouse.reports();
    std::size_t writes = 0;
    for (std::size_t i = 0; i < reports.size();) {
        const Bytes& r = reports[i].bytes;
        if (reports[i].get || r[1] != kCmdMemoryTransfer) {
            ++i;
            continue;
        }
        const std::uint8_t lo = r[4], hi = r[5];
        const bool isWrite =
            r[2] == 0x03 && i + 10 <= reports.size() && reports[i + 8].bytes[2] == 0x09;
        const std::size_t length = isWrite ? 10 : 8 + 1 + 8 * 2 + 1;
        ASSERT_LE(i + length, reports.size());
        for (std::size_t k = 0; k + 1 < length; ++k) {
            const Bytes& step = reports[i + k].bytes;
            ASSERT_TRUE(reports[i + k].get ||
                        (step[1] == kCmdMemoryTransfer && step[4] == lo && step[5] == hi))
                << "report " << i + k << " interleaved: " << hex(step);
        }
        writes += isWrite ? 1 : 0;
        i += length;
    }
    EXPECT_EQ(writes, 4u * kRounds);
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(c.mouse.memory(0x400 * (t + 1) + 8 * (kRounds - 1), 1)[0],
                  static_cast<std::uint8_t>(t * 64 + kRounds - 1));
    }
}

// A second link on the same mouse stands for another process: it has a transport lock of
// its own, and only the device lock keeps it out while the first link holds the mouse.
TEST(Transport, AnotherLinksCommandsWaitWhileTheMouseIsHeld) {
    Connected c;
    RecordingSleeper otherSleeper;
    DeviceLink other(c.backend, otherSleeper, acceptProductString(""));
    ASSERT_TRUE(other.open());

    std::future<void> waiting;
    {
        const DeviceLink::DeviceHold hold(c.link);
        // Commands of the holder's own process still go through, nested holds too.
        const Bytes data{1, 2, 3};
        EXPECT_TRUE(c.link.writeBlock(0x100, data.data(), data.size()));
        {
            const DeviceLink::DeviceHold inner(c.link);
            EXPECT_EQ(c.link.readBlock(0x100, 3), data);
        }
        waiting = std::async(std::launch::async, [&other] {
            const Bytes mine{9};
            other.writeBlock(0x100, mine.data(), mine.size());
        });
        EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
        EXPECT_EQ(c.mouse.memory(0x100, 1)[0], 1);
    }
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(c.mouse.memory(0x100, 1)[0], 9);
    // Released for good: the first link's own commands do not wait either.
    EXPECT_EQ(c.link.readBlock(0x100, 1), Bytes{9});
}

TEST(InputWait, AReadOfAGoneMouseWaitsForTheLinkInsteadOfFailingAgainAndAgain) {
    using namespace std::chrono_literals;
    Connected c;
    std::stop_source stop;
    Bytes report(8);
    const auto read = [&] {
        return std::async(std::launch::async, [&] {
            return c.link.readInput(report.data(), report.size(), stop.get_token());
        });
    };
    // The mouse is gone but the removal has not been handled yet: the read fails, and
    // says so once the link has let go of the collection.
    c.mouse.unplug();
    auto failed = read();
    EXPECT_EQ(failed.wait_for(50ms), std::future_status::timeout);
    EXPECT_EQ(c.link.handleHotplug({hid::HotplugKind::Removal, "/dev/hidraw0"}),
              HotplugResult::Removed);
    ASSERT_EQ(failed.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(failed.get(), -1);

    // Closed: the next read sleeps until the mouse is open again and reads from it.
    auto next = read();
    EXPECT_EQ(next.wait_for(50ms), std::future_status::timeout);
    c.mouse.plug();
    EXPECT_EQ(c.link.handleHotplug({hid::HotplugKind::Arrival, "/dev/hidraw0"}),
              HotplugResult::Reconnected);
    c.mouse.pressButton(2);
    ASSERT_EQ(next.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(next.get(), 8);
    EXPECT_EQ(report[1], 0xF2);

    // A stop requested before the call: nothing is waited for.
    stop.request_stop();
    c.link.handleHotplug({hid::HotplugKind::Removal, "/dev/hidraw0"});
    EXPECT_EQ(c.link.readInput(report.data(), report.size(), stop.get_token()), 0);
}
