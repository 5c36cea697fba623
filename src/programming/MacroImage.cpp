#include "programming/MacroImage.h"

#include "common/ByteOrder.h"
#include "device/DeviceCommands.h"
#include "keys/MacVkAndText.h"

#include <algorithm>
#include <map>

namespace zel {

namespace {

// Virtual keys of the directory's key indices 0..78.
constexpr std::array<std::uint8_t, 79> kKeyIndexTable = {
    0x1B,                                                                   // Escape
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, // F1..F12
    0x2D, 0xC0,                                                             // Insert, grave
    0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30,             // 1..9, 0
    0xBD, 0xBB, 0x08, 0x2E, 0x09, // minus, equals, Backspace, Delete, Tab
    'Q',  'W',  'E',  'R',  'T',  'Y',  'U',  'I',  'O',  'P', //
    0xDB, 0xDD, 0xDC, 0x14,                                    // brackets, backslash, Caps Lock
    'A',  'S',  'D',  'F',  'G',  'H',  'J',  'K',  'L',       //
    0xBA, 0xDE, 0x0D, 0xA0,                   // semicolon, quote, Enter, left Shift
    'Z',  'X',  'C',  'V',  'B',  'N',  'M',  //
    0xBC, 0xBE, 0xBF, 0xA1,                   // comma, period, slash, right Shift
    0xA2, 0xA4, 0x5B, 0x20, 0x5C, 0xA5, 0xA3, // Ctrl, Alt, Win, Space, Win, Alt, Ctrl
    0x25, 0x26, 0x27, 0x28,                   // arrows: left, up, right, down
};

constexpr int kExtensionStep = 127;
constexpr int kFirstExtendedDelay = 128;

int stepsTaken(const MacroRecord& m) {
    return std::min<int>(m.stepCount, kMaxSteps);
}

int roundUp8(int n) {
    return (n + 7) / 8 * 8;
}

// Lighting steps whose data is placed: the macro has lighting slots and the step names one
// of the five.
bool lightingPlaced(const MacroRecord& m, std::size_t step) {
    return m.ledSlotCount != 0 && (m.params[step].param1 & 0xFF) < kLedSlotCount;
}

int slotEntries(std::uint8_t entriesByte) {
    return std::clamp<int>(entriesByte, 1, kLedSlotMaxEntries);
}

bool isLibraryMacro(std::int32_t code) {
    const MacroSourceKind kind = macroSourceOf(code);
    return kind == MacroSourceKind::Preset || kind == MacroSourceKind::Group;
}

bool needsDirectoryEntry(std::uint8_t fn) {
    return fn == kFnMacro || fn == kFnMacroLoop || fn == kFnMultimedia || fn == kFnMacroLight ||
           fn == kFnMacroLoopLight;
}

// Bounded writer into a stream buffer: bytes that would fall outside it are dropped.
struct StreamWriter {
    std::vector<std::uint8_t>& out;
    std::size_t pos = 0;

    void put(std::uint8_t b) {
        if (pos < out.size()) {
            out[pos] = b;
        }
        ++pos;
    }
    void putAt(std::size_t at, std::uint8_t b) {
        if (at < out.size()) {
            out[at] = b;
        }
    }
};

} // namespace

std::uint8_t keyIndexVirtualKey(int index) {
    if (index < 0 || index >= static_cast<int>(kKeyIndexTable.size())) {
        return 0xFF;
    }
    return kKeyIndexTable[static_cast<std::size_t>(index)];
}

std::uint16_t multimediaUsage(int index) {
    return consumerUsage(index); // the same usages the consumer-key command sends
}

int unrollCount(const MacroRecord& macro) {
    if (macro.runMode != 2) {
        return 1;
    }
    long total = 1;
    for (int s = 0; s < stepsTaken(macro); ++s) {
        total += macro.delay[static_cast<std::size_t>(s)];
    }
    const long times = 40 / std::max(total, 1L);
    return times >= 2 ? static_cast<int>(times) : 1;
}

MacroRecord unrollMacro(const MacroRecord& macro, int times) {
    MacroRecord out = macro;
    const int n = stepsTaken(macro);
    out.stepCount = static_cast<std::uint16_t>(n);
    if (n == 0) {
        return out;
    }
    int next = n;
    for (int c = 1; c < times && next < kMaxSteps; ++c) {
        for (int i = 0; i < n && next < kMaxSteps; ++i, ++next) {
            MacroStep st = macro.step(i);
            if (st.code >= kCode247) {
                st.code = kCodePause;
            }
            if (st.code == kCodeMove) {
                ++out.moveCount;
            }
            out.setStep(next, st);
        }
    }
    out.stepCount = static_cast<std::uint16_t>(next);
    return out;
}

StepDelay splitStepDelay(std::uint16_t delay) {
    int d = std::min<int>(delay, kMaxStepDelay);
    if (d == 0) {
        d = 1;
    }
    StepDelay out;
    if (d >= kFirstExtendedDelay) {
        out.pairs = d / kExtensionStep;
        while (d >= kFirstExtendedDelay) {
            d -= kExtensionStep;
            ++out.fullPairs;
        }
    }
    out.remainder = static_cast<std::uint8_t>(d);
    return out;
}

int slotAreaBytes(std::uint8_t entriesByte) {
    return roundUp8(slotEntries(entriesByte) * 4 + 4);
}

MacroLayout macroLayout(const MacroRecord& m) {
    MacroLayout layout;
    layout.steps = stepsTaken(m);
    int moves = 0;
    int extraCodes = 0; // steps with one 2-byte field beyond their own: 247, 248, 249, 250, 251
    int lightingData = 0;
    int count251 = 0;
    for (int s = 0; s < layout.steps; ++s) {
        const auto i = static_cast<std::size_t>(s);
        layout.extensionPairs += splitStepDelay(m.delay[i]).pairs;
        switch (m.code[i]) {
        case kCodeMove:
            ++moves;
            break;
        case kCodeLed:
            ++extraCodes;
            if (lightingPlaced(m, i)) {
                lightingData += slotAreaBytes(m.ledSlots[m.params[i].param1 & 0xFF].bytes[0]);
            }
            break;
        case kCode251:
            ++extraCodes;
            ++count251;
            break;
        case kCode247:
        case kCodeCpi:
        case kCode250:
            ++extraCodes;
            break;
        default:
            break;
        }
    }
    int reserved = 0;
    for (int e = 0; e < std::min(count251, kLedSlotCount); ++e) {
        reserved += slotAreaBytes(m.extraSlots[static_cast<std::size_t>(e)][0]);
    }
    layout.bodySize =
        roundUp8(2 + 2 * (layout.steps + layout.extensionPairs) + 4 * moves + 2 * extraCodes);
    layout.size = std::min(layout.bodySize + lightingData + reserved, kMacroSizeCap);
    return layout;
}

int directoryStepCount(const MacroRecord& macro, bool libraryMacro) {
    if (libraryMacro && macro.stepCount == 0) {
        return 3;
    }
    int count = stepsTaken(macro);
    for (int s = 0; s < stepsTaken(macro); ++s) {
        count += splitStepDelay(macro.delay[static_cast<std::size_t>(s)]).pairs;
    }
    return count;
}

MacroStream encodeMacroStream(const MacroRecord& m, std::uint16_t address) {
    const MacroLayout layout = macroLayout(m);
    MacroStream stream;
    stream.bytes.assign(static_cast<std::size_t>(layout.size), 0);
    StreamWriter w{stream.bytes};

    const int mode = m.runMode & 3;
    const std::uint16_t header = (mode == 1 || mode == 2) ? 1 : m.repeatCount;
    w.put(lowByte(header));
    w.put(highByte(header));

    int slotAddress = address + layout.bodySize;
    for (int s = 0; s < layout.steps; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const StepDelay delay = splitStepDelay(m.delay[i]);
        const std::uint8_t d = delay.remainder;
        const std::uint8_t code = m.code[i];
        const std::uint8_t action = m.action[i];
        const StepParams params = m.params[i];

        if (code == kCodeMove) {
            w.put(d);
            w.put(kCodeMove);
            if (action >= kActionMoveLeftUp && action <= kActionMoveRightDown) {
                const bool negX = action == kActionMoveLeftUp || action == kActionMoveLeftDown;
                const bool negY = action == kActionMoveLeftUp || action == kActionMoveRightUp;
                const int x = negX ? -int{params.param1} : int{params.param1};
                const int y = negY ? -int{params.param2} : int{params.param2};
                w.put(lowByte(x));
                w.put(highByte(x));
                w.put(lowByte(y));
                w.put(highByte(y));
            }
        } else if (code == kCodeCpi) {
            std::uint8_t first = 0;
            if (action == kActionSetCpi) {
                first = static_cast<std::uint8_t>(d + 0x80);
            } else if (action == kActionReturnCpi) {
                first = d;
            }
            w.put(first);
            w.put(kCodeCpi);
            w.put(lowByte(params.param1));
            w.put(0);
        } else if (code == kCodeLed) {
            const std::size_t slot = params.param1 & 0xFF;
            if (!lightingPlaced(m, i)) {
                // No slot to take the lighting data from: the step is left out.
                stream.warnings.push_back(Tip::OperationFailed);
            } else {
                int kind = action - kActionLed;
                if (kind < 0 || kind > 2) {
                    stream.warnings.push_back(Tip::OperationFailed);
                    kind = 0;
                }
                w.put(d);
                w.put(kCodeLed);
                w.put(lowByte(slotAddress));
                w.put(static_cast<std::uint8_t>(kind * 0x40 + ((slotAddress >> 8) & 0x3F)));

                const LedSlot& data = m.ledSlots[slot];
                const int entries = slotEntries(data.bytes[0]);
                const auto at = static_cast<std::size_t>(slotAddress - address);
                w.putAt(at, static_cast<std::uint8_t>(entries - 1));
                for (int b = 1; b < entries * 4 + 4; ++b) {
                    w.putAt(at + static_cast<std::size_t>(b),
                            data.bytes[static_cast<std::size_t>(b)]);
                }
                slotAddress += slotAreaBytes(data.bytes[0]);
                if (slotAddress - 1 > kLightingDataLimit) {
                    stream.warnings.push_back(Tip::OperationFailed);
                    stream.aborted = true;
                    return stream;
                }
            }
        } else if (code == kCodePause || action == kActionRelease) {
            w.put(d);
            w.put(code);
        } else if (action == kActionPress) {
            w.put(static_cast<std::uint8_t>(d + 0x80));
            w.put(code);
        }
        for (int p = 0; p < delay.pairs; ++p) {
            w.put(p < delay.fullPairs ? kExtensionStep : 0);
            w.put(0);
        }
    }
    return stream;
}

MacroImage buildMacroImage(const MacroImageInput& in) {
    struct Entry {
        int profile = 0;
        int physical = 0;
        std::int32_t code = 0;
        std::uint16_t address = 0;
        int size = 0;
        MacroRecord macro; // unrolled where the run mode asks for it
    };

    MacroImage image;
    std::vector<std::uint8_t> directory(kDirectoryBytes, 0);
    std::vector<Entry> entries;
    std::map<std::int32_t, std::uint16_t> firstAddress;
    int allocation = kMacroAreaStart;
    const MacroRecord empty{};

    for (int p = 0; p < kProfileCount; ++p) {
        const auto pi = static_cast<std::size_t>(p);
        for (int b = 1; b <= kDirectoryButtons; ++b) {
            const auto bi = static_cast<std::size_t>(b);
            const int k = b <= kPhysicalButtons ? in.tables.slotOfPhysical[bi] : -1;
            if (k < 0 || !needsDirectoryEntry(in.tables.deviceButton[pi][bi])) {
                continue;
            }
            const auto ki = static_cast<std::size_t>(k);
            const std::int32_t code = in.profiles[pi].buttonCode[ki];
            const bool isMacro = code >= kCodeCombination && code <= kLastMacroCode;

            Entry entry;
            entry.profile = p;
            entry.physical = b;
            entry.code = code;
            int stepCount = 0;
            bool loop = false, hold = false, toggle = false, repeat = false;
            std::uint8_t extra = 0;
            if (isMacro) {
                const MacroRecord* named = in.macros[pi][ki];
                entry.macro = named != nullptr ? *named : empty;
                const bool library = isLibraryMacro(code);
                if (library) {
                    const int times = unrollCount(entry.macro);
                    if (times >= 2) {
                        entry.macro = unrollMacro(entry.macro, times);
                    }
                }
                entry.size = macroLayout(entry.macro).size;
                stepCount = directoryStepCount(entry.macro, library);
                const int mode = entry.macro.runMode & 3;
                // The mouse keeps the play modes of buttons 13 and 14 to itself.
                if (b <= kPhysicalButtons) {
                    loop = mode == 2;
                    hold = mode == 1;
                    toggle = (mode == 0 || mode == 3) && (entry.macro.runMode & 4) != 0;
                    repeat = (loop || hold) && (entry.macro.runMode & 8) != 0;
                }
                extra = lowByte(entry.macro.extra76 * 0x80 + entry.macro.extra77);
            }

            bool shared = false;
            entry.address = static_cast<std::uint16_t>(allocation);
            if (code != kCodeCombination) {
                const auto found = firstAddress.find(code);
                if (found != firstAddress.end()) {
                    entry.address = found->second;
                    shared = true;
                } else {
                    firstAddress.emplace(code, entry.address);
                }
            }
            if (!shared && isMacro) {
                allocation += roundUp8(entry.size);
                if (allocation > kMacroAreaLimit) {
                    image.ops.emplace_back(ImageWarning{Tip::MacroMemoryFull});
                    image.aborted = true;
                    return image;
                }
            }

            const std::uint16_t usage = isMacro ? 0 : multimediaUsage(code - kFirstMultimediaCode);
            const std::uint8_t key =
                in.keys.vkToDeviceCode(in.language, keyIndexVirtualKey(code - 70));
            const std::size_t at = static_cast<std::size_t>(p * kDirectoryProfileBytes +
                                                            (b - 1) * kDirectoryEntryBytes);
            directory[at + 0] = 0;
            directory[at + 1] = lowByte((loop ? 0x80 : 0) + (stepCount & 0x7F));
            directory[at + 2] = key;
            directory[at + 3] = lowByte(usage);
            directory[at + 4] = highByte(usage);
            directory[at + 5] = lowByte(entry.address);
            directory[at + 6] =
                lowByte((hold ? 0x80 : 0) + (toggle ? 0x40 : 0) + ((entry.address >> 8) & 0x3F));
            directory[at + 7] = lowByte((repeat ? 0x40 : 0) + ((stepCount >> 7) & 0x3F));
            directory[at + 8] = extra;
            directory[at + 9] = 0;
            if (isMacro) {
                entries.push_back(std::move(entry));
            }
        }
    }

    for (std::size_t off = 0; off < directory.size(); off += 8) {
        image.ops.emplace_back(BlockWrite{
            static_cast<std::uint16_t>(kDirectoryAddress + off),
            std::vector<std::uint8_t>(directory.begin() + static_cast<std::ptrdiff_t>(off),
                                      directory.begin() + static_cast<std::ptrdiff_t>(off + 8))});
    }
    const int t0 = allocation;
    const int t1 = t0 + 8, t2 = t1 + 8, t3 = t2 + 8, t4 = t3 + 8;
    image.macroEnd = static_cast<std::uint16_t>(t0);
    const std::uint8_t modeByte =
        lowByte(0x40 + (in.currentProfile & 3) + (in.lightMode == 1 ? 0x80 : 0));
    image.ops.emplace_back(BlockWrite{kMacroEndAddress, {lowByte(t0), highByte(t0)}});
    image.ops.emplace_back(BlockWrite{kMacroPointerAddress,
                                      {lowByte(t1), highByte(t1), lowByte(t2), highByte(t2),
                                       lowByte(t3), highByte(t3), modeByte, 0x71}});
    image.ops.emplace_back(
        BlockWrite{kMacroPointer4Address, {0, lowByte(t4), lowByte((t4 >> 8) & 0x3F)}});
    image.ops.emplace_back(BlockWrite{kMacroPointerEndAddress, {0}});

    // Data pass: one stream per entry, except that a library macro already written at the
    // same address is not written again.
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const Entry& entry = entries[e];
        if (entry.code >= kFirstPresetCode) {
            const bool written = std::any_of(
                entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(e),
                [&](const Entry& earlier) {
                    return earlier.code == entry.code && earlier.address == entry.address;
                });
            if (written) {
                continue;
            }
        }
        MacroStream stream = encodeMacroStream(entry.macro, entry.address);
        for (const Tip tip : stream.warnings) {
            image.ops.emplace_back(ImageWarning{tip});
        }
        if (stream.aborted) {
            image.aborted = true;
            return image;
        }
        for (std::size_t off = 0; off < stream.bytes.size(); off += 8) {
            const std::size_t address = entry.address + off;
            if (address > static_cast<std::size_t>(kMacroAreaLimit)) {
                image.ops.emplace_back(ImageWarning{Tip::MacroMemoryFull});
                image.aborted = true;
                return image;
            }
            const std::size_t n = std::min<std::size_t>(8, stream.bytes.size() - off);
            image.ops.emplace_back(
                BlockWrite{static_cast<std::uint16_t>(address),
                           std::vector<std::uint8_t>(
                               stream.bytes.begin() + static_cast<std::ptrdiff_t>(off),
                               stream.bytes.begin() + static_cast<std::ptrdiff_t>(off + n))});
        }
    }
    return image;
}

} // namespace zel
