#include "sim/MemoryDecoder.h"

#include <algorithm>
#include <cstdio>

namespace zel::sim {

namespace {

// Where the button bytes of each profile lie, for physical buttons 1..12.
constexpr std::array<std::array<std::uint16_t, 12>, 4> kButtonAddress = {{
    {0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x3B, 0x3C, 0x3D},
    {0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F},
    {0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B},
    {0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B},
}};

constexpr std::uint16_t kDirectory = 0xA0;
constexpr int kEntryBytes = 10;
constexpr int kProfileEntries = 14;
constexpr int kMaxSlotEntries = 16;

// Bytes of memory read safely: outside the span they are 0.
struct Reader {
    std::span<const std::uint8_t> mem;

    std::uint8_t at(std::size_t address) const { return address < mem.size() ? mem[address] : 0; }
    int u16(std::size_t address) const { return at(address) | (at(address + 1) << 8); }
};

bool playsMacro(std::uint8_t function) {
    return function == 0x0D || function == 0x0E || function == 0x1E || function == 0x1F;
}

std::string hex(int value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, static_cast<unsigned>(value));
    return buf;
}

} // namespace

DecodedMacro decodeMacroStream(std::span<const std::uint8_t> memory, std::uint16_t address,
                               int entries) {
    const Reader r{memory};
    DecodedMacro macro;
    macro.address = address;
    macro.repeat = r.u16(address);
    std::size_t pos = std::size_t{address} + 2;
    for (int e = 0; e < entries && pos < memory.size(); ++e) {
        const std::uint8_t first = r.at(pos);
        const std::uint8_t code = r.at(pos + 1);
        ++macro.entries;
        // A zero code with 0x7F or 0 after a step extends that step's delay.
        if (code == 0 && (first == 0x7F || first == 0) && !macro.steps.empty()) {
            DecodedStep& previous = macro.steps.back();
            previous.delay += first;
            ++previous.extensionPairs;
            pos += 2;
            continue;
        }
        DecodedStep step;
        step.code = code;
        step.delay = first & 0x7F;
        switch (code) {
        case 0xF6: {
            step.kind = DecodedStepKind::Move;
            step.x = static_cast<std::int16_t>(r.u16(pos + 2));
            step.y = static_cast<std::int16_t>(r.u16(pos + 4));
            pos += 6;
            break;
        }
        case 0xF8:
            step.kind = DecodedStepKind::Cpi;
            step.cpiAction = (first & 0x80) != 0 ? 9 : (first != 0 ? 10 : 0);
            step.cpiValue = r.at(pos + 2);
            pos += 4;
            break;
        case 0xF9: {
            step.kind = DecodedStepKind::Lighting;
            const std::uint8_t high = r.at(pos + 3);
            step.light.address = static_cast<std::uint16_t>(r.at(pos + 2) | ((high & 0x3F) << 8));
            step.light.kind = high >> 6;
            const int count = std::min(r.at(step.light.address) + 1, kMaxSlotEntries);
            for (int i = 0; i < count; ++i) {
                const std::size_t at = step.light.address + 4u + 4u * static_cast<unsigned>(i);
                step.light.entries.push_back({r.at(at), r.at(at + 1), r.at(at + 2), r.at(at + 3)});
            }
            pos += 4;
            break;
        }
        default:
            step.kind = (first & 0x80) != 0 ? DecodedStepKind::Press : DecodedStepKind::Release;
            pos += 2;
            break;
        }
        macro.steps.push_back(step);
    }
    return macro;
}

DecodedMemory decodeMemory(std::span<const std::uint8_t> memory) {
    const Reader r{memory};
    DecodedMemory d;
    for (std::size_t i = 0; i < 8; ++i) {
        d.headerBytes[i] = r.at(i);
    }
    d.fullHeader = r.at(0) == 0x5A;
    d.profile = (r.at(1) >> 5) & 3;

    for (std::size_t p = 0; p < 4; ++p) {
        for (std::size_t b = 1; b <= 12; ++b) {
            const std::uint8_t v = r.at(kButtonAddress[p][b - 1]);
            d.buttons[p][b] = DecodedButton{static_cast<std::uint8_t>(v & 0x1F), (v & 0x20) != 0,
                                            static_cast<std::uint8_t>(v >> 6)};
        }
    }

    const std::uint8_t high = r.at(0x13);
    for (int j = 0; j < 6; ++j) {
        const std::uint8_t pair = r.at(0x15 + static_cast<std::size_t>(j / 2));
        const int low = j % 2 == 0 ? pair >> 4 : pair & 0x0F;
        d.dpiCode[static_cast<std::size_t>(j)] = low | (((high >> j) & 1) << 4);
    }
    d.dpiLevel = (r.at(0x18) - 0x18) & 7;
    d.dpiEnableBits = r.at(0x19);
    d.rapidFire = r.u16(0x1A);
    const std::uint8_t effect = r.at(0x1C);
    d.effect = ((effect >> 4) & 7) | ((r.at(0x33) & 0x80) != 0 ? 8 : 0);
    d.effectFlag = (effect >> 3) & 1;
    d.effectSpeed = effect & 7;
    d.colourMask = static_cast<std::uint8_t>(r.at(0x1D) & 0x7F);
    d.reportInterval = r.at(0x1E);
    for (std::size_t n = 0; n < 18; ++n) {
        const std::uint8_t pair = r.at(0x20 + n);
        d.userColour[n / 3][n % 3] = pair >> 4;
        d.dpiColour[n / 3][n % 3] = pair & 0x0F;
    }
    d.functionMask = r.at(0x32) | ((r.at(0x33) & 0x3F) << 8);
    d.symmetry = (r.at(0x3A) >> 6) & 1;
    d.direction = (r.at(0x3A) >> 4) & 3;
    d.userColour[6] = {r.at(0x3E) >> 4, r.at(0x3E) & 0x0F, r.at(0x3F) & 0x0F};
    d.brightness = (r.at(0x3F) >> 4) & 7;
    for (int i = 0; i < 5; ++i) {
        const std::uint8_t pair = r.at(0x98 + static_cast<std::size_t>(i));
        d.macroColour[static_cast<std::size_t>(2 + 2 * i)] = pair % 8;
        d.macroColour[static_cast<std::size_t>(3 + 2 * i)] = pair / 8;
    }
    d.macroColour[12] = r.at(0x9D);

    d.macroEnd = r.u16(0x6E);
    d.reservedAreas = {r.u16(0x70), r.u16(0x72), r.u16(0x74),
                       r.at(0x79) | ((r.at(0x7A) & 0x3F) << 8)};
    d.modeByte = r.at(0x76);

    for (std::size_t p = 0; p < 4; ++p) {
        for (std::size_t b = 1; b <= kProfileEntries; ++b) {
            const std::size_t at =
                kDirectory + p * kProfileEntries * kEntryBytes + (b - 1) * kEntryBytes;
            DecodedDirectoryEntry& e = d.directory[p][b];
            for (std::size_t i = 0; i < kEntryBytes; ++i) {
                e.used = e.used || r.at(at + i) != 0;
            }
            e.loop = (r.at(at + 1) & 0x80) != 0;
            e.hold = (r.at(at + 6) & 0x80) != 0;
            e.toggle = (r.at(at + 6) & 0x40) != 0;
            e.repeat = (r.at(at + 7) & 0x40) != 0;
            e.stepCount = (r.at(at + 1) & 0x7F) | ((r.at(at + 7) & 0x3F) << 7);
            e.keyCode = r.at(at + 2);
            e.consumerUsage = static_cast<std::uint16_t>(r.u16(at + 3));
            e.address = static_cast<std::uint16_t>(r.at(at + 5) | ((r.at(at + 6) & 0x3F) << 8));
            e.extra76 = (r.at(at + 8) & 0x80) != 0;
            e.extra77 = static_cast<std::uint8_t>(r.at(at + 8) & 0x7F);
            if (e.used && b <= 12 && playsMacro(d.buttons[p][b].function) &&
                d.macros.count(e.address) == 0) {
                d.macros.emplace(e.address, decodeMacroStream(memory, e.address, e.stepCount));
            }
        }
    }
    return d;
}

std::vector<std::string> describeMemory(const DecodedMemory& d) {
    std::vector<std::string> out;
    const auto line = [&](const std::string& s) { out.push_back(s); };
    std::string header = d.fullHeader ? "header: full" : "header: profile byte";
    for (const std::uint8_t b : d.headerBytes) {
        header += " " + hex(b, 2).substr(2);
    }
    line(header + ", profile " + std::to_string(d.profile));
    for (int p = 0; p < 4; ++p) {
        std::string s = "profile " + std::to_string(p) + " buttons:";
        for (int b = 1; b <= 12; ++b) {
            const DecodedButton& btn =
                d.buttons[static_cast<std::size_t>(p)][static_cast<std::size_t>(b)];
            s += " " + std::to_string(b) + "=" + hex(btn.function, 2) +
                 (btn.reactEnable ? "/r" + std::to_string(btn.reactType) : "");
        }
        line(s);
    }
    std::string dpi = "dpi: level " + std::to_string(d.dpiLevel) + ", enabled " +
                      hex(d.dpiEnableBits, 2) + ", codes";
    for (const int c : d.dpiCode) {
        dpi += " " + std::to_string(c);
    }
    line(dpi);
    line("rapid fire: " + std::to_string(d.rapidFire) + ", report interval " +
         std::to_string(d.reportInterval) + ", function mask " + hex(d.functionMask, 4));
    line("lighting: effect " + std::to_string(d.effect) + " flag " + std::to_string(d.effectFlag) +
         " speed " + std::to_string(d.effectSpeed) + ", colours " + hex(d.colourMask, 2) +
         ", brightness " + std::to_string(d.brightness) + ", direction " +
         std::to_string(d.direction) + ", symmetry " + std::to_string(d.symmetry));
    const auto triple = [](const std::array<int, 3>& c) {
        return std::to_string(c[0]) + "/" + std::to_string(c[1]) + "/" + std::to_string(c[2]);
    };
    std::string user = "user colours:";
    for (const auto& c : d.userColour) {
        user += " " + triple(c);
    }
    line(user);
    std::string stages = "dpi colours:";
    for (const auto& c : d.dpiColour) {
        stages += " " + triple(c);
    }
    line(stages);
    std::string colours = "macro colours:";
    for (int b = 2; b <= 12; ++b) {
        colours += " " + std::to_string(b) + "=" +
                   std::to_string(d.macroColour[static_cast<std::size_t>(b)]);
    }
    line(colours);
    line("macro area: end " + hex(d.macroEnd, 4) + ", reserved " + hex(d.reservedAreas[0], 4) +
         " " + hex(d.reservedAreas[1], 4) + " " + hex(d.reservedAreas[2], 4) + " " +
         hex(d.reservedAreas[3], 4) + ", mode " + hex(d.modeByte, 2));
    for (int p = 0; p < 4; ++p) {
        for (int b = 1; b <= 14; ++b) {
            const DecodedDirectoryEntry& e =
                d.directory[static_cast<std::size_t>(p)][static_cast<std::size_t>(b)];
            if (!e.used) {
                continue;
            }
            std::string flags;
            flags += e.loop ? " loop" : "";
            flags += e.hold ? " hold" : "";
            flags += e.toggle ? " toggle" : "";
            flags += e.repeat ? " repeat" : "";
            line("directory profile " + std::to_string(p) + " button " + std::to_string(b) +
                 ": address " + hex(e.address, 4) + ", entries " + std::to_string(e.stepCount) +
                 flags + ", key " + hex(e.keyCode, 2) + ", usage " + hex(e.consumerUsage, 4) +
                 ", extra " + std::to_string(e.extra76 ? 1 : 0) + "/" + std::to_string(e.extra77));
        }
    }
    for (const auto& [address, macro] : d.macros) {
        line("macro at " + hex(address, 4) + ": repeat " + std::to_string(macro.repeat) + ", " +
             std::to_string(macro.steps.size()) + " steps");
        for (const DecodedStep& s : macro.steps) {
            std::string text;
            switch (s.kind) {
            case DecodedStepKind::Press:
                text = "press " + hex(s.code, 2);
                break;
            case DecodedStepKind::Release:
                text = s.code == 0 ? std::string("pause") : "release " + hex(s.code, 2);
                break;
            case DecodedStepKind::Move:
                text = "move " + std::to_string(s.x) + " " + std::to_string(s.y);
                break;
            case DecodedStepKind::Cpi:
                text = std::string(s.cpiAction == 9    ? "cpi set "
                                   : s.cpiAction == 10 ? "cpi return "
                                                       : "cpi ") +
                       std::to_string(s.cpiValue);
                break;
            case DecodedStepKind::Lighting:
                text = "lighting kind " + std::to_string(s.light.kind) + " slot " +
                       hex(s.light.address, 4) + ":";
                for (const auto& entry : s.light.entries) {
                    text += " " + std::to_string(entry[0]) + "/" + std::to_string(entry[1]) + "/" +
                            std::to_string(entry[2]);
                }
                break;
            }
            line("  " + text + ", " + std::to_string(s.delay) + " ms");
        }
    }
    return out;
}

} // namespace zel::sim
