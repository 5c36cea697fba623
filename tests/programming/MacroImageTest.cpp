#include "programming/MacroImage.h"

#include "keys/MacVkAndText.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace zel {
namespace {

using Bytes = std::vector<std::uint8_t>;

MacroRecord macroOf(std::initializer_list<MacroStep> steps, std::uint8_t runMode = 0,
                    std::uint16_t repeat = 1) {
    MacroRecord m;
    m.runMode = runMode;
    m.repeatCount = repeat;
    int s = 0;
    for (const MacroStep& st : steps) {
        m.setStep(s++, st);
        if (st.code == kCodeMove) {
            ++m.moveCount;
        } else if (st.code == kCodeCpi) {
            ++m.cpiCount;
        } else if (st.code == kCodeLed) {
            ++m.ledSlotCount;
        }
    }
    m.stepCount = static_cast<std::uint16_t>(s);
    return m;
}

MacroStep press(std::uint8_t code, std::uint16_t delay) {
    return MacroStep{code, kActionPress, 0, 0, delay};
}
MacroStep release(std::uint8_t code, std::uint16_t delay) {
    return MacroStep{code, kActionRelease, 0, 0, delay};
}

TEST(MacroStream, DelaysSplitIntoExtensionPairs) {
    const auto check = [](std::uint16_t delay, int remainder, int pairs, int full) {
        const StepDelay d = splitStepDelay(delay);
        EXPECT_EQ(d.remainder, remainder) << delay;
        EXPECT_EQ(d.pairs, pairs) << delay;
        EXPECT_EQ(d.fullPairs, full) << delay;
    };
    check(0, 1, 0, 0);
    check(1, 1, 0, 0);
    check(127, 127, 0, 0);
    check(128, 1, 1, 1);
    check(254, 127, 2, 1);
    check(300, 46, 2, 2);
    check(10000, 94, 78, 78);
    check(65535, 94, 78, 78);
}

TEST(MacroStream, KeyStepsWithHeaderAndPadding) {
    const MacroRecord m = macroOf({press(0x04, 20), release(0x04, 20)}, 0, 5);
    EXPECT_EQ(encodeMacroStream(m, 0x400).bytes,
              (Bytes{0x05, 0x00, 0x94, 0x04, 0x14, 0x04, 0x00, 0x00}));
    // Run modes 1 and 2 always play once from the stream's point of view.
    const MacroRecord held = macroOf({press(0x2C, 30), release(0x2C, 120)}, 1, 7);
    EXPECT_EQ(encodeMacroStream(held, 0x400).bytes,
              (Bytes{0x01, 0x00, 0x9E, 0x2C, 0x78, 0x2C, 0x00, 0x00}));
}

TEST(MacroStream, MovesPausesAndExtensionPairs) {
    const MacroRecord m = macroOf(
        {MacroStep{kCodeMove, kActionMoveLeftUp, 5, 10, 0}, MacroStep{kCodePause, 0, 0, 0, 300},
         MacroStep{kCodeMove, kActionMoveRightDown, 300, 2, 254}, MacroStep{kCodeMove, 7, 1, 1, 3}},
        2);
    EXPECT_EQ(directoryStepCount(m, false), 4 + 2 + 2);
    const MacroLayout layout = macroLayout(m);
    // 2 + 2 × (4 steps + 4 pairs) + 4 × 3 moves = 30, rounded to 32.
    EXPECT_EQ(layout.bodySize, 32);
    EXPECT_EQ(layout.size, 32);
    EXPECT_EQ(encodeMacroStream(m, 0x400).bytes,
              (Bytes{0x01, 0x00,                         // header
                     0x01, 0xF6, 0xFB, 0xFF, 0xF6, 0xFF, // -5, -10
                     0x2E, 0x00, 0x7F, 0x00, 0x7F, 0x00, // 300 ms pause
                     0x7F, 0xF6, 0x2C, 0x01, 0x02, 0x00, // +300, +2
                     0x7F, 0x00, 0x00, 0x00,             // 254 ms
                     0x03, 0xF6,                         // unknown direction
                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(MacroStream, CpiSteps) {
    const MacroRecord m = macroOf({MacroStep{kCodeCpi, kActionSetCpi, 0x103, 0, 10},
                                   MacroStep{kCodeCpi, kActionReturnCpi, 4, 0, 10},
                                   MacroStep{kCodeCpi, 1, 4, 0, 10}});
    EXPECT_EQ(encodeMacroStream(m, 0x400).bytes,
              (Bytes{0x01, 0x00, 0x8A, 0xF8, 0x03, 0x00, 0x0A, 0xF8, 0x04, 0x00, 0x00, 0xF8, 0x04,
                     0x00, 0x00, 0x00}));
}

TEST(MacroStream, LightingStepsCarryTheirSlotData) {
    MacroRecord m = macroOf({MacroStep{kCodeLed, 14, 0, 0, 10}, press(0x05, 1),
                             MacroStep{kCodeLed, kActionLed, 1, 0, 2}});
    m.ledSlots[0].bytes = {2, 0, 0, 0, 1, 50, 10, 0, 3, 60, 20, 0};
    m.ledSlots[1] = LedSlot::created();
    // Body 2 + 2 × 3 + 2 × 2 = 12 → 16; slot 0 takes 16 bytes, slot 1 8.
    const MacroLayout layout = macroLayout(m);
    EXPECT_EQ(layout.bodySize, 16);
    EXPECT_EQ(layout.size, 40);
    const MacroStream s = encodeMacroStream(m, 0x5F8);
    EXPECT_TRUE(s.warnings.empty());
    EXPECT_EQ(s.bytes, (Bytes{0x01, 0x00, 0x0A, 0xF9, 0x08, 0x46, 0x81, 0x05, //
                              0x02, 0xF9, 0x18, 0x06, 0x00, 0x00, 0x00, 0x00, //
                              0x01, 0x00, 0x00, 0x00, 0x01, 0x32, 0x0A, 0x00, //
                              0x03, 0x3C, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, //
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00}));
}

TEST(MacroStream, BadLightingStepsWarnAndStayInBounds) {
    // No slots at all: the step is left out, its pairs stay.
    MacroRecord none = macroOf({MacroStep{kCodeLed, kActionLed, 0, 0, 200}, press(0x04, 1)});
    none.ledSlotCount = 0;
    MacroStream s = encodeMacroStream(none, 0x400);
    EXPECT_EQ(s.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_FALSE(s.aborted);
    EXPECT_EQ(s.bytes,
              (Bytes{0x01, 0x00, 0x7F, 0x00, 0x81, 0x04, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));

    // A slot index past the five slots: left out with the warning.
    MacroRecord far = macroOf({MacroStep{kCodeLed, kActionLed, 9, 0, 1}});
    s = encodeMacroStream(far, 0x400);
    EXPECT_EQ(s.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_EQ(s.bytes, (Bytes{0x01, 0x00, 0, 0, 0, 0, 0, 0}));

    // Another action: written as kind 0 after the warning.
    MacroRecord odd = macroOf({MacroStep{kCodeLed, 20, 0, 0, 1}});
    odd.ledSlots[0] = LedSlot::created();
    s = encodeMacroStream(odd, 0x400);
    EXPECT_EQ(s.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_EQ(Bytes(s.bytes.begin(), s.bytes.begin() + 6), (Bytes{1, 0, 1, 0xF9, 0x08, 0x04}));

    // A slot claiming 200 entries holds only 16: 68 bytes copied, byte 0 says 15.
    MacroRecord big = macroOf({MacroStep{kCodeLed, kActionLed, 0, 0, 1}});
    for (std::size_t b = 0; b < kLedSlotBytes; ++b) {
        big.ledSlots[0].bytes[b] = static_cast<std::uint8_t>(b);
    }
    big.ledSlots[0].bytes[0] = 200;
    s = encodeMacroStream(big, 0x400);
    ASSERT_EQ(s.bytes.size(), 8u + 72u);
    EXPECT_EQ(s.bytes[8], 15);
    EXPECT_EQ(s.bytes[8 + 67], 67);
    EXPECT_EQ(s.bytes[8 + 68], 0);
}

TEST(MacroStream, LightingDataBeyondTheMemoryAborts) {
    // Long delays push the lighting data past 0x4000.
    MacroRecord m;
    m.ledSlotCount = 1;
    m.ledSlots[0] = LedSlot::created();
    for (int s = 0; s < 100; ++s) {
        m.setStep(s, MacroStep{kCodePause, 0, 0, 0, 10000});
    }
    m.setStep(100, MacroStep{kCodeLed, kActionLed, 0, 0, 1});
    m.stepCount = 101;
    const MacroStream s = encodeMacroStream(m, 0xF00);
    EXPECT_TRUE(s.aborted);
    EXPECT_EQ(s.warnings, std::vector<Tip>{Tip::OperationFailed});
    EXPECT_EQ(s.bytes.size(), static_cast<std::size_t>(kMacroSizeCap));
}

TEST(MacroStream, CountersThatDisagreeWithTheSteps) {
    MacroRecord m = macroOf({MacroStep{kCodeMove, kActionMoveRightUp, 1, 1, 1},
                             MacroStep{kCodeMove, kActionMoveRightUp, 1, 1, 1}});
    m.moveCount = 0;
    m.cpiCount = 40;
    m.ledSlotCount = 200;
    m.count251Slots = 99;
    // Room for what the steps write: 2 + 2 × 2 + 4 × 2 = 14 → 16.
    EXPECT_EQ(macroLayout(m).size, 16);
    EXPECT_EQ(encodeMacroStream(m, 0x400).bytes,
              (Bytes{1, 0, 1, 0xF6, 1, 0, 0xFF, 0xFF, 1, 0xF6, 1, 0, 0xFF, 0xFF, 0, 0}));

    MacroRecord many;
    many.stepCount = 400;
    for (int s = 0; s < kMaxSteps; ++s) {
        many.setStep(s, press(0x04, 1));
    }
    EXPECT_EQ(macroLayout(many).steps, kMaxSteps);
    EXPECT_EQ(directoryStepCount(many, true), kMaxSteps);
    EXPECT_EQ(encodeMacroStream(many, 0x400).bytes.size(), 552u);
}

TEST(MacroStream, DeviceStepsAndReservedSlots) {
    MacroRecord m = macroOf({MacroStep{kCode247, 0, 9, 9, 1}, MacroStep{kCode250, 0, 0, 0, 1},
                             MacroStep{kCode251, 0, 0, 0, 1}, MacroStep{kCode251, 0, 77, 0, 1}});
    m.count247 = 1;
    m.count250 = 1;
    m.count251Slots = 2;
    m.extraSlots[0][0] = 3;  // 16 bytes
    m.extraSlots[1][0] = 90; // held to 16 entries: 72 bytes
    // Body 2 + 2 × 4 + 2 × 4 = 18 → 24, then 16 + 72 reserved.
    EXPECT_EQ(macroLayout(m).size, 24 + 16 + 72);
    const MacroStream s = encodeMacroStream(m, 0x400);
    EXPECT_TRUE(s.warnings.empty());
    EXPECT_TRUE(std::all_of(s.bytes.begin() + 2, s.bytes.end(), [](auto b) { return b == 0; }));
}

TEST(MacroUnroll, RunModeTwoMacrosRepeatToFortyMilliseconds) {
    MacroRecord m = macroOf({press(0x04, 5), MacroStep{kCodeLed, kActionLed, 0, 0, 5}}, 2);
    m.setStep(1, MacroStep{kCodeMove, kActionMoveRightDown, 0, 3, 5});
    m.moveCount = 1;
    m.ledSlotCount = 0;
    EXPECT_EQ(unrollCount(m), 3);
    const MacroRecord u = unrollMacro(m, 3);
    EXPECT_EQ(u.stepCount, 6);
    EXPECT_EQ(u.moveCount, 3);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(u.step(c * 2), m.step(0));
        EXPECT_EQ(u.step(c * 2 + 1), m.step(1));
    }

    // Device step codes become pauses in the copies.
    MacroRecord cpi = macroOf({MacroStep{kCodeCpi, kActionSetCpi, 3, 0, 4}}, 2);
    const MacroRecord uc = unrollMacro(cpi, unrollCount(cpi));
    ASSERT_EQ(uc.stepCount, 8);
    EXPECT_EQ(uc.code[0], kCodeCpi);
    EXPECT_EQ(uc.step(1), (MacroStep{kCodePause, kActionSetCpi, 3, 0, 4}));

    // Only a run-mode byte of exactly 2, and only when at least two copies fit.
    m.runMode = 6;
    EXPECT_EQ(unrollCount(m), 1);
    EXPECT_EQ(unrollCount(macroOf({press(4, 10), release(4, 10)}, 2)), 1);

    // Forty copies of a long macro stop at 275 steps.
    MacroRecord zero;
    zero.runMode = 2;
    zero.stepCount = 200;
    EXPECT_EQ(unrollCount(zero), 40);
    EXPECT_EQ(unrollMacro(zero, 40).stepCount, kMaxSteps);
}

TEST(MacroDirectory, LibraryMacrosWithoutStepsCountThree) {
    MacroRecord empty;
    EXPECT_EQ(directoryStepCount(empty, true), 3);
    EXPECT_EQ(directoryStepCount(empty, false), 0);
    EXPECT_EQ(directoryStepCount(macroOf({press(4, 300), release(4, 254)}), true), 6);
}

TEST(MacroDirectory, KeyIndexAndMultimediaTables) {
    EXPECT_EQ(keyIndexVirtualKey(0), 0x1B);
    EXPECT_EQ(keyIndexVirtualKey(12), 0x7B);
    EXPECT_EQ(keyIndexVirtualKey(24), 0x30);
    EXPECT_EQ(keyIndexVirtualKey(30), 'Q');
    EXPECT_EQ(keyIndexVirtualKey(55), 0x0D);
    EXPECT_EQ(keyIndexVirtualKey(71), 0x20);
    EXPECT_EQ(keyIndexVirtualKey(78), 0x28);
    EXPECT_EQ(keyIndexVirtualKey(79), 0xFF);
    EXPECT_EQ(keyIndexVirtualKey(-1), 0xFF);
    EXPECT_EQ(multimediaUsage(0), 0x223);
    EXPECT_EQ(multimediaUsage(10), 0xB7);
    EXPECT_EQ(multimediaUsage(11), 0);
}

// A model with eight buttons mapped 1..8 and a set of assignments.
struct Rig {
    std::array<ProfileSettings, kProfileCount> profiles{};
    ButtonMacros macros{};
    ButtonMacroModes modes{};
    std::map<std::int32_t, MacroRecord> library;
    DeviceDescription device;
    MacVkAndText keys;

    Rig() {
        device.keyCount = 8;
        for (int k = 0; k < 8; ++k) {
            device.keyMap[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k + 1);
        }
    }
    void assign(int p, int k, std::int32_t code) {
        profiles[static_cast<std::size_t>(p)].buttonCode[static_cast<std::size_t>(k)] = code;
    }
    MacroImage build(int currentProfile = 0, std::int32_t lightMode = 0) {
        for (std::size_t p = 0; p < 4; ++p) {
            for (std::size_t k = 0; k < 12; ++k) {
                const std::int32_t code = profiles[p].buttonCode[k];
                const MacroRecord* m = nullptr;
                if (macroSourceOf(code) == MacroSourceKind::Combination) {
                    m = &profiles[p].comboRecord[k];
                } else if (library.count(code) != 0) {
                    m = &library.at(code);
                }
                macros[p][k] = m;
                modes[p][k] = m != nullptr ? m->runMode : 0;
            }
        }
        const ButtonTables tables = buildButtonTables(profiles, device, modes);
        return buildMacroImage(
            MacroImageInput{tables, profiles, macros, keys, 1, currentProfile, lightMode});
    }
};

std::vector<BlockWrite> writesOf(const MacroImage& image) {
    std::vector<BlockWrite> out;
    for (const ImageOp& op : image.ops) {
        if (const auto* w = std::get_if<BlockWrite>(&op)) {
            out.push_back(*w);
        }
    }
    return out;
}

std::vector<Tip> warningsOf(const MacroImage& image) {
    std::vector<Tip> out;
    for (const ImageOp& op : image.ops) {
        if (const auto* w = std::get_if<ImageWarning>(&op)) {
            out.push_back(w->tip);
        }
    }
    return out;
}

// The 560 directory bytes as the writes leave them.
Bytes directoryOf(const MacroImage& image) {
    Bytes dir(kDirectoryBytes, 0xEE);
    for (const BlockWrite& w : writesOf(image)) {
        for (std::size_t i = 0; i < w.bytes.size(); ++i) {
            const int at = w.address + static_cast<int>(i) - kDirectoryAddress;
            if (at >= 0 && at < kDirectoryBytes) {
                dir[static_cast<std::size_t>(at)] = w.bytes[i];
            }
        }
    }
    return dir;
}

Bytes entryOf(const Bytes& dir, int p, int b) {
    const auto at = static_cast<std::ptrdiff_t>(p * 140 + (b - 1) * 10);
    return Bytes(dir.begin() + at, dir.begin() + at + 10);
}

TEST(MacroImage, SharedLibraryMacrosAndSeparateCombinations) {
    Rig s;
    s.library[256] = macroOf({press(0x04, 20), release(0x04, 20)}, 0, 3);
    s.library[256].extra77 = 10;
    s.assign(0, 3, 256);
    s.assign(2, 5, 256);
    s.assign(1, 0, 33);
    s.assign(1, 1, 33);
    s.profiles[1].comboRecord[0] = macroOf({press(0xE0, 4), press(0x06, 4)}, 2);
    s.profiles[1].comboRecord[1] = macroOf({press(0xE0, 4), press(0x19, 4)}, 2);
    s.assign(3, 2, 24);
    const MacroImage image = s.build(1, 1);
    ASSERT_FALSE(image.aborted);
    EXPECT_TRUE(warningsOf(image).empty());

    const Bytes dir = directoryOf(image);
    EXPECT_EQ(entryOf(dir, 0, 4), (Bytes{0, 2, 0xFF, 0, 0, 0x00, 0x04, 0, 10, 0}));
    EXPECT_EQ(entryOf(dir, 2, 6), (Bytes{0, 2, 0xFF, 0, 0, 0x00, 0x04, 0, 10, 0}));
    EXPECT_EQ(entryOf(dir, 1, 1), (Bytes{0, 0x82, 0xFF, 0, 0, 0x08, 0x04, 0, 0, 0}));
    EXPECT_EQ(entryOf(dir, 1, 2), (Bytes{0, 0x82, 0xFF, 0, 0, 0x10, 0x04, 0, 0, 0}));
    // Multimedia: the usage and the allocation address, nothing allocated.
    EXPECT_EQ(entryOf(dir, 3, 3), (Bytes{0, 0, 0xFF, 0x83, 0x01, 0x18, 0x04, 0, 0, 0}));
    EXPECT_EQ(entryOf(dir, 0, 1), Bytes(10, 0));
    EXPECT_EQ(image.macroEnd, 0x418);

    const std::vector<BlockWrite> writes = writesOf(image);
    ASSERT_EQ(writes.size(), 70u + 4u + 3u);
    EXPECT_EQ(writes[70], (BlockWrite{0x6E, {0x18, 0x04}}));
    EXPECT_EQ(writes[71], (BlockWrite{0x70, {0x20, 0x04, 0x28, 0x04, 0x30, 0x04, 0xC1, 0x71}}));
    EXPECT_EQ(writes[72], (BlockWrite{0x78, {0x00, 0x38, 0x04}}));
    EXPECT_EQ(writes[73], (BlockWrite{0x7F, {0x00}}));
    EXPECT_EQ(writes[74], (BlockWrite{0x400, {0x03, 0x00, 0x94, 0x04, 0x14, 0x04, 0, 0}}));
    EXPECT_EQ(writes[75], (BlockWrite{0x408, {0x01, 0x00, 0x84, 0xE0, 0x84, 0x06, 0, 0}}));
    EXPECT_EQ(writes[76], (BlockWrite{0x410, {0x01, 0x00, 0x84, 0xE0, 0x84, 0x19, 0, 0}}));
}

TEST(MacroImage, FlagsFollowTheRunMode) {
    Rig s;
    s.library[256] = macroOf({press(4, 200)}, 1 | 8);    // held, repeating
    s.library[257] = macroOf({press(4, 200)}, 4);        // toggled
    s.library[258] = macroOf({press(4, 200)}, 2 | 8, 1); // loop (no unroll: 201 ms)
    s.library[50] = MacroRecord{};                       // preset without steps
    s.library[50].extra76 = 1;
    s.library[50].extra77 = 7;
    s.assign(0, 0, 256);
    s.assign(0, 1, 257);
    s.assign(0, 2, 258);
    s.assign(0, 3, 50);
    const MacroImage image = s.build();
    const Bytes dir = directoryOf(image);
    EXPECT_EQ(entryOf(dir, 0, 1), (Bytes{0, 2, 0xFF, 0, 0, 0x00, 0x84, 0x40, 0, 0}));
    EXPECT_EQ(entryOf(dir, 0, 2), (Bytes{0, 2, 0xFF, 0, 0, 0x08, 0x44, 0x00, 0, 0}));
    EXPECT_EQ(entryOf(dir, 0, 3), (Bytes{0, 0x82, 0xFF, 0, 0, 0x10, 0x04, 0x40, 0, 0}));
    // Preset codes 70..148 carry a key index: code 50 has none.
    EXPECT_EQ(entryOf(dir, 0, 4), (Bytes{0, 3, 0xFF, 0, 0, 0x18, 0x04, 0x00, 0x87, 0}));
}

TEST(MacroImage, PresetCodeNamesAKeyOfTheKeyIndexTable) {
    Rig s;
    s.library[70 + 44] = MacroRecord{}; // key index 44: A
    s.assign(0, 0, 70 + 44);
    const Bytes dir = directoryOf(s.build());
    EXPECT_EQ(entryOf(dir, 0, 1)[2], s.keys.vkToDeviceCode(1, 'A'));
    EXPECT_EQ(entryOf(dir, 0, 1)[2], 0x04);
}

TEST(MacroImage, UnrolledPresetInTheDirectoryAndTheStream) {
    Rig s;
    s.library[60] = macroOf({press(0xF1, 5), release(0xF1, 5)}, 2);
    s.assign(0, 0, 60);
    const MacroImage image = s.build();
    const Bytes dir = directoryOf(image);
    EXPECT_EQ(entryOf(dir, 0, 1)[1], 0x80 + 6);
    const std::vector<BlockWrite> writes = writesOf(image);
    // 2 + 6 × 2 = 14 → 16 bytes.
    ASSERT_EQ(writes.size(), 74u + 2u);
    EXPECT_EQ(writes[74].bytes, (Bytes{1, 0, 0x85, 0xF1, 0x05, 0xF1, 0x85, 0xF1}));
    EXPECT_EQ(writes[75].bytes, (Bytes{0x05, 0xF1, 0x85, 0xF1, 0x05, 0xF1, 0, 0}));
}

TEST(MacroImage, FullMemoryAbortsBeforeTheDirectory) {
    Rig s;
    // Each macro: 2 + 2 × (100 + 100) = 402 → 408 bytes; seven of them pass 0xF1F.
    for (int i = 0; i < 8; ++i) {
        MacroRecord m;
        m.stepCount = 100;
        for (int st = 0; st < 100; ++st) {
            m.setStep(st, press(4, 200));
        }
        s.library[256 + i] = m;
        s.assign(i / 4, i % 4, 256 + i);
    }
    const MacroImage image = s.build();
    EXPECT_TRUE(image.aborted);
    ASSERT_EQ(image.ops.size(), 1u);
    EXPECT_EQ(warningsOf(image), std::vector<Tip>{Tip::MacroMemoryFull});
}

TEST(MacroImage, LastBlockIsShorterAndDataStaysBelowTheLimit) {
    Rig s;
    MacroRecord m = macroOf({MacroStep{kCode251, 0, 0, 0, 1}});
    m.count251Slots = 1;
    s.library[256] = m; // 8 body + 8 reserved
    s.assign(0, 0, 256);
    const std::vector<BlockWrite> writes = writesOf(s.build());
    ASSERT_EQ(writes.size(), 76u);
    EXPECT_EQ(writes[75].address, 0x408);
}

// Random records: whatever they hold, the image stays within the memory and the
// buffers, and the stream is exactly the size the directory reserved.
TEST(MacroImage, RandomRecordsStayInBounds) {
    std::mt19937 rng(12345);
    const auto byte = [&] { return static_cast<std::uint8_t>(rng() & 0xFF); };
    const std::array<std::uint8_t, 10> codes = {0,    4,    0x2C, 0xF1, 0xF6,
                                                0xF7, 0xF8, 0xF9, 0xFA, 0xFB};
    for (int round = 0; round < 300; ++round) {
        MacroRecord m;
        m.runMode = byte() & 0x0F;
        m.repeatCount = static_cast<std::uint16_t>(rng());
        m.stepCount = static_cast<std::uint16_t>(rng() % 320);
        m.moveCount = static_cast<std::uint16_t>(rng());
        m.cpiCount = static_cast<std::uint16_t>(rng());
        m.ledSlotCount = byte();
        m.count251Slots = byte();
        for (int st = 0; st < kMaxSteps; ++st) {
            m.setStep(st,
                      MacroStep{codes[rng() % codes.size()], static_cast<std::uint8_t>(rng() % 17),
                                static_cast<std::uint16_t>(rng() % 8),
                                static_cast<std::uint16_t>(rng()),
                                static_cast<std::uint16_t>(rng() % 3 == 0 ? rng() : rng() % 40)});
        }
        for (auto& slot : m.ledSlots) {
            for (auto& b : slot.bytes) {
                b = byte();
            }
        }
        for (auto& slot : m.extraSlots) {
            slot[0] = byte();
        }
        const MacroLayout layout = macroLayout(m);
        const MacroStream stream = encodeMacroStream(m, 0x400);
        if (!stream.aborted) {
            EXPECT_EQ(stream.bytes.size(), static_cast<std::size_t>(layout.size));
        }
        Rig s;
        s.library[256] = m;
        s.library[300] = unrollMacro(m, unrollCount(m));
        s.assign(0, 0, 256);
        s.assign(1, 1, 300);
        s.assign(2, 2, 256);
        const MacroImage image = s.build();
        for (const BlockWrite& w : writesOf(image)) {
            ASSERT_GE(w.bytes.size(), 1u);
            ASSERT_LE(w.bytes.size(), 8u);
            ASSERT_LE(w.address + w.bytes.size(), 0x4000u);
        }
        for (const Tip tip : warningsOf(image)) {
            EXPECT_TRUE(tip == Tip::OperationFailed || tip == Tip::MacroMemoryFull)
                << tipNumber(tip);
        }
    }
}

} // namespace
} // namespace zel
