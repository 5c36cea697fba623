#include "lighting/SoundLevel.h"
#include "lighting/SoundCommands.h"
#include "lighting/SoundLightState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace zel {
namespace {

void fill(SampleHistory& history, std::initializer_list<int> values) {
    std::size_t i = 0;
    for (int v : values) {
        history[i++].store(v);
    }
}

TEST(SoundLevel, AnalysisTakesTheEndsAndTheMiddleOfTheSortedWindow) {
    SampleHistory history{};
    // 0, 5, ..., 100 out of order, and beyond position 20 values that must not count.
    fill(history, {50, 100, 0,  95, 5,  10, 90, 15, 85, 20,  80,  25,
                   75, 30,  70, 35, 65, 40, 60, 45, 55, 100, 100, 100});
    const SampleSpread spread = analyseSamples(20, history);
    EXPECT_EQ(spread.hi, 97);      // (95 + 100) / 2
    EXPECT_EQ(spread.lo, 2);       // (0 + 5) / 2
    EXPECT_EQ(spread.average, 50); // 15..85 over 15
}

TEST(SoundLevel, LevelByBandOfTheAverage) {
    struct Case {
        int hi, lo, average, newest, level;
    };
    for (const Case& c : {
             Case{10, 2, 6, 10, 3},                             // quiet band: newest / (hi + 3) x 5
             Case{30, 5, 20, 30, 6},                            // (30 - 5) / (30 + 5 - 5) x 7 + 1
             Case{60, 20, 40, 40, 5},                           // 20 / 40 x 9 + 1
             Case{60, 20, 40, 60, 10}, Case{95, 70, 80, 80, 5}, // 10 / 25 x 7 + 3
             Case{10, 0, 10, 0, 1},                             // 0 is held to 1
             Case{40, 20, 11, 20, 1}, // 11 is no longer the quiet band: (0 / 25) x 7 + 1
             Case{40, 20, 25, 40, 6}, // 20 / 25 x 7 = 5.6
             Case{40, 20, 26, 40, 10}, Case{40, 20, 50, 30, 5}, // 10 / 20 x 9 = 4.5
             Case{40, 20, 51, 30, 6},                           // 10 / 20 x 8 + 2
             Case{40, 20, 75, 22, 2},                           // 2 / 20 x 8 = 0.8, + 2
             Case{40, 20, 76, 22, 3},                           // 2 / 20 x 7 = 0.7, + 3
             Case{90, 80, 80, 100, 11}, // above the window's top: held to 11
         }) {
        EXPECT_EQ(computeSoundLevel(c.hi, c.lo, c.average, c.newest), c.level)
            << c.hi << " " << c.lo << " " << c.average << " " << c.newest;
    }
    // Equal hi and lo leave no span: level 1 rather than a division by zero.
    EXPECT_EQ(computeSoundLevel(40, 40, 40, 40), 1);
    EXPECT_EQ(computeSoundLevel(90, 90, 90, 90), 1);
}

TEST(SoundLevel, SamplingTickShiftsTheHistoryAndDerivesTheLevel) {
    SoundLightState state;
    state.sample(0.37F);
    EXPECT_EQ(state.sampleHistory[0].load(), 37);
    EXPECT_EQ(state.sampleHistory[1].load(), 37); // the newest stands twice
    EXPECT_EQ(state.sampleHistory[2].load(), 0);
    state.sample(0.5F);
    EXPECT_EQ(state.sampleHistory[0].load(), 50);
    EXPECT_EQ(state.sampleHistory[1].load(), 50);
    EXPECT_EQ(state.sampleHistory[2].load(), 37);

    // 21 equal samples: no span, level 1.
    for (int i = 0; i < 25; ++i) {
        state.sample(0.4F);
    }
    EXPECT_EQ(state.soundLevel.load(), 1);
    // A near-silent window (average 1) is level 0.
    for (int i = 0; i < 25; ++i) {
        state.sample(0.015F);
    }
    EXPECT_EQ(state.sampleHistory[0].load(), 1);
    EXPECT_EQ(state.soundLevel.load(), 0);
    // The oldest sample drops off the end.
    SampleHistory history{};
    history[49].store(7);
    history[48].store(8);
    pushSample(history, 1);
    EXPECT_EQ(history[49].load(), 8);
}

TEST(SoundLevel, PeakReadingsBecomeSamplesOfZeroToHundred) {
    EXPECT_EQ(peakToSample(0.0F), 0);
    EXPECT_EQ(peakToSample(0.999F), 99); // truncated, not rounded
    EXPECT_EQ(peakToSample(1.0F), 100);
    EXPECT_EQ(peakToSample(1.7F), 100); // a meter that overshoots
    EXPECT_EQ(peakToSample(-0.2F), 0);
    EXPECT_EQ(peakToSample(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(SoundCommands, LightingReportBytes) {
    ReportBuffer report{};
    SoundLighting l;
    l.effect = 13;
    l.speed = 2;
    l.extent = 11;
    l.pattern = kSoundPatternSparse;
    fillSoundLighting(report, l);
    const ReportBuffer::value_type expected[] = {0x07, 0x13, 0xFF, 0x52, 0x0B, 0x00, 0x83, 0xEB};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(report[i], expected[i]) << "byte " << i;
    }
    // Below effect 8 byte 6 holds only the pattern's high bits; symmetry and direction
    // share byte 4 with the extent.
    l.effect = 4;
    l.speed = 0;
    l.symmetry = 1;
    l.direction = 1;
    l.extent = 3;
    l.brightness = 3;
    l.pattern = kSoundPatternFull;
    fillSoundLighting(report, l);
    EXPECT_EQ(report[3], 0xC0);
    EXPECT_EQ(report[4], 0x53);
    EXPECT_EQ(report[5], 0x03);
    EXPECT_EQ(report[6], 0x03);
    EXPECT_EQ(report[7], 0xFF);
}

TEST(SoundCommands, DpiColourCycle) {
    EXPECT_EQ(soundDpiColour(0), (DpiColourLevels{0, 15, 15}));
    EXPECT_EQ(soundDpiColour(1), (DpiColourLevels{0, 15, 0}));
    EXPECT_EQ(soundDpiColour(2), (DpiColourLevels{0, 0, 15}));
    EXPECT_EQ(soundDpiColour(3), (DpiColourLevels{15, 15, 0}));
}

} // namespace
} // namespace zel
