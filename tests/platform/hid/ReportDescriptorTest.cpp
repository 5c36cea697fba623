#include "platform/hid/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using zel::hid::HidCaps;
using zel::hid::parseReportDescriptor;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<std::vector<HidCaps>> parse(const Bytes& d) {
    return parseReportDescriptor(d);
}

// A vendor collection of page 0xFF00 + low with one report (main item `main`) of `count`
// bytes under report ID `id` (0: no report ID item).
Bytes vendor(std::uint8_t low, std::uint8_t id, std::uint8_t main, std::uint8_t count) {
    Bytes d = {0x06, low, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    if (id != 0) {
        d.insert(d.end(), {0x85, id});
    }
    d.insert(d.end(), {0x09, 0x01, 0x75, 0x08, 0x95, count, main, 0x02, 0xC0});
    return d;
}

} // namespace

TEST(ReportDescriptor, GivesOneEntryPerTopLevelCollectionWithPlatformLengths) {
    Bytes d = {// Mouse: report ID 1, 5 button bits + 3 padding + X, Y, wheel.
               0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
               0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01, 0x81, 0x02,
               0x95, 0x01, 0x75, 0x03, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38,
               0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0};
    const Bytes in = vendor(0x00, 6, 0x81, 7);
    const Bytes feature = vendor(0x01, 7, 0xB1, 7);
    d.insert(d.end(), in.begin(), in.end());
    d.insert(d.end(), feature.begin(), feature.end());

    const auto caps = parse(d);
    ASSERT_TRUE(caps);
    ASSERT_EQ(caps->size(), 3u);
    EXPECT_EQ((*caps)[0], (HidCaps{0x0001, 0x0002, 5, 0, 0}));
    EXPECT_EQ((*caps)[1], (HidCaps{0xFF00, 0x0001, 8, 0, 0}));
    EXPECT_EQ((*caps)[2], (HidCaps{0xFF01, 0x0001, 0, 0, 8}));
}

TEST(ReportDescriptor, CountsTheReportIdByteAndTakesTheLongestReport) {
    // Without report IDs the platform still counts one byte for the ID.
    auto caps = parse(vendor(0x01, 0, 0xB1, 7));
    ASSERT_TRUE(caps);
    EXPECT_EQ((*caps)[0].featureReportByteLength, 8);

    // Two feature reports of 3 and 9 bytes, and an output report of 12 bits.
    const Bytes d = {0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x85,
                     0x02, 0x95, 0x03, 0xB1, 0x02,                               // 3 bytes
                     0x85, 0x03, 0x95, 0x04, 0xB1, 0x02, 0x95, 0x05, 0xB1, 0x02, // 9 bytes
                     0x85, 0x04, 0x75, 0x04, 0x95, 0x03, 0x91, 0x02,             // 12 bits
                     0xC0};
    caps = parse(d);
    ASSERT_TRUE(caps);
    EXPECT_EQ((*caps)[0].featureReportByteLength, 10);
    EXPECT_EQ((*caps)[0].outputReportByteLength, 3);
    EXPECT_EQ((*caps)[0].inputReportByteLength, 0);
}

TEST(ReportDescriptor, HonoursPushPopLongItemsAndExtendedUsages) {
    const Bytes d = {0x75, 0x08, 0x95, 0x02,       // size 8, count 2
                     0xA4,                         // push
                     0x95, 0x20,                   // count 32
                     0xB4,                         // pop: count 2 again
                     0xFE, 0x02, 0x10, 0xAA, 0xBB, // long item, skipped
                     0x0B, 0x01, 0x00, 0x01, 0xFF, // usage 0xFF01:0001 (four-byte usage)
                     0xA1, 0x01, 0x85, 0x07, 0xB1, 0x02, 0xC0};
    const auto caps = parse(d);
    ASSERT_TRUE(caps);
    ASSERT_EQ(caps->size(), 1u);
    EXPECT_EQ((*caps)[0], (HidCaps{0xFF01, 0x0001, 0, 0, 3}));
}

TEST(ReportDescriptor, RejectsStructurallyBrokenDescriptors) {
    const Bytes good = vendor(0x01, 7, 0xB1, 7);
    // Cut anywhere from the collection on: an item runs past the end or the collection
    // stays open.
    for (std::size_t n = 6; n < good.size(); ++n) {
        EXPECT_FALSE(parse(Bytes(good.begin(), good.begin() + static_cast<long>(n))))
            << "cut at " << n;
    }
    EXPECT_FALSE(parse({0xC0}));                   // end without collection
    EXPECT_FALSE(parse({0xFE, 0x05, 0x00, 0x01})); // long item past the end
    EXPECT_FALSE(parse({0xB4}));                   // pop of an empty stack
    EXPECT_FALSE(parse(Bytes(17, 0xA4)));          // push beyond 16 levels
    EXPECT_TRUE(parse(Bytes{}));                   // nothing declared, nothing found
}

TEST(ReportDescriptor, SurvivesDeepNestingAndOverflowingSizes) {
    Bytes deep = {0x06, 0x00, 0xFF, 0x09, 0x01};
    deep.insert(deep.end(), 200000, 0xA0); // collections with no data byte
    deep.insert(deep.end(), {0x75, 0x08, 0x95, 0x07, 0x81, 0x02});
    deep.insert(deep.end(), 200000, 0xC0);
    auto caps = parse(deep);
    ASSERT_TRUE(caps);
    ASSERT_EQ(caps->size(), 1u);
    EXPECT_EQ((*caps)[0].inputReportByteLength, 8);

    // Report size and count of 0xFFFFFFFF, many times over: held at the largest length.
    Bytes huge = {0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x77, 0xFF,
                  0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 1000; ++i) {
        huge.insert(huge.end(), {0xB1, 0x02});
    }
    huge.push_back(0xC0);
    caps = parse(huge);
    ASSERT_TRUE(caps);
    EXPECT_EQ((*caps)[0].featureReportByteLength, 0xFFFF);
}

TEST(ReportDescriptor, RandomAndMutatedInputNeverCrash) {
    std::mt19937 random(12345);
    const Bytes seed = [] {
        Bytes d = vendor(0x00, 6, 0x81, 7);
        const Bytes f = vendor(0x01, 7, 0xB1, 7);
        d.insert(d.end(), f.begin(), f.end());
        return d;
    }();
    std::size_t parsed = 0;
    for (int round = 0; round < 20000; ++round) {
        Bytes d;
        if (round % 2 == 0) {
            d.resize(random() % 64);
            for (auto& b : d) {
                b = static_cast<std::uint8_t>(random());
            }
        } else {
            d = seed;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                d[random() % d.size()] = static_cast<std::uint8_t>(random());
            }
            d.resize(random() % (d.size() + 1));
        }
        // Each call gets a buffer of exactly its size, so ASan sees any read past the end.
        const auto caps = parse(d);
        if (caps) {
            ++parsed;
            for (const HidCaps& c : *caps) {
                EXPECT_LE(c.inputReportByteLength, 0xFFFF);
            }
        }
    }
    EXPECT_GT(parsed, 0u);
}
