#include "device/DeviceCommands.h"

#include "common/ByteOrder.h"

#include <array>

namespace zel {

namespace {

void frame(ReportBuffer& report, std::uint8_t command) {
    report[0] = DeviceLink::kReportId;
    report[1] = command;
}

constexpr std::array<std::uint16_t, 11> kConsumerUsages = {
    0x223, // AC Home
    0x183, // AL Consumer Control Configuration
    0x18A, // AL Email Reader
    0xE9,  // Volume Increment
    0xEA,  // Volume Decrement
    0xB6,  // Scan Previous Track
    0xB5,  // Scan Next Track
    0xE2,  // Mute
    0xCD,  // Play/Pause
    0x192, // AL Calculator
    0xB7,  // Stop
};

} // namespace

std::pair<int, int> pointerMoveVector(int dx, int dy, int direction, int extraDy) {
    const int y = dy + extraDy;
    switch (direction) {
    case 3:
        return {-dx, -y};
    case 4:
        return {-dx, y};
    case 5:
        return {dx, -y};
    case 6:
        return {dx, y};
    default:
        return {0, 0};
    }
}

std::uint16_t consumerUsage(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kConsumerUsages.size()) {
        return 0;
    }
    return kConsumerUsages[static_cast<std::size_t>(index)];
}

void fillPointerMove(ReportBuffer& report, int dx, int dy, int direction, int extraDy) {
    // Signed 16-bit values, high byte first (unlike everything else the mouse takes).
    const auto [x, y] = pointerMoveVector(dx, dy, direction, extraDy);
    frame(report, kCmdPointerMove);
    report[2] = highByte(x);
    report[3] = lowByte(x);
    report[4] = highByte(y);
    report[5] = lowByte(y);
    report[6] = 0;
    report[7] = 0;
}

void fillKeyFunction(ReportBuffer& report, std::uint8_t physicalButton, std::uint8_t function) {
    frame(report, kCmdKeyFunction);
    report[2] = physicalButton;
    report[3] = function;
}

void fillModeSwitch(ReportBuffer& report, bool on) {
    frame(report, kCmdModeSwitch);
    report[2] = on ? 2 : 0;
    for (std::size_t i = 3; i <= 7; ++i) {
        report[i] = 0;
    }
}

void fillLighting(ReportBuffer& report, const LightingCommand& lighting) {
    frame(report, kCmdLighting);
    report[2] = static_cast<std::uint8_t>(0x80 + (lighting.colourMask & 0x7F));
    // Effect numbers from 8 up run into bit 7 and beyond; the sum is kept to 8 bits.
    report[3] =
        lowByte((lighting.restore ? 0x80 : 0) + lighting.effect * 0x10 + (lighting.speed & 7));
    report[4] =
        static_cast<std::uint8_t>((lighting.symmetry & 1) * 0x40 + (lighting.direction & 3) * 0x10 +
                                  (lighting.extent & 0x0F));
    report[5] = static_cast<std::uint8_t>(lighting.brightness & 7);
    report[6] = 0x00;
    report[7] = 0x02;
}

void fillDpiColour(ReportBuffer& report, int stage, int red, int green, int blue) {
    frame(report, kCmdDpiColour);
    report[2] = lowByte(stage * 32 + (green & 0x0F));
    report[3] = lowByte((red & 0x0F) * 16 + (blue & 0x0F));
}

void fillKeyboardState(ReportBuffer& report, const KeyboardState& state) {
    frame(report, kCmdKeyboardState);
    for (std::size_t i = 0; i < KeyboardState::kSlots; ++i) {
        report[2 + i] = state.slots()[i];
    }
}

void fillPointerButtons(ReportBuffer& report, const KeyboardState& state) {
    frame(report, kCmdPointerButtons);
    report[3] = state.buttons();
}

void fillConsumerKey(ReportBuffer& report, std::uint16_t usage) {
    frame(report, kCmdConsumerKey);
    report[2] = highByte(usage);
    report[3] = lowByte(usage);
}

void fillMemoryTransfer(ReportBuffer& report, std::uint8_t step, std::uint8_t index,
                        std::uint16_t address, std::uint8_t data, std::uint8_t lastIndex) {
    frame(report, kCmdMemoryTransfer);
    report[2] = step;
    report[3] = index;
    putLe16(&report[4], address);
    report[6] = data;
    report[7] = lastIndex;
}

void fillClose(ReportBuffer& report) {
    frame(report, kCmdClose);
    report[2] = 0;
    report[3] = 0;
}

bool sendPointerMove(DeviceLink& link, int dx, int dy, int direction, int extraDy) {
    return link.send([&](ReportBuffer& r) { fillPointerMove(r, dx, dy, direction, extraDy); });
}

bool sendKeyFunction(DeviceLink& link, std::uint8_t physicalButton, std::uint8_t function) {
    return link.sendIfOpen([&](ReportBuffer& r) { fillKeyFunction(r, physicalButton, function); });
}

bool sendModeSwitch(DeviceLink& link, bool on) {
    return link.sendIfOpen([&](ReportBuffer& r) { fillModeSwitch(r, on); });
}

bool sendLighting(DeviceLink& link, const LightingCommand& lighting) {
    return link.send([&](ReportBuffer& r) { fillLighting(r, lighting); });
}

bool sendDpiColour(DeviceLink& link, int stage, int red, int green, int blue) {
    return link.send([&](ReportBuffer& r) { fillDpiColour(r, stage, red, green, blue); });
}

bool sendKeyboardState(DeviceLink& link, const KeyboardState& state) {
    return link.send([&](ReportBuffer& r) { fillKeyboardState(r, state); });
}

bool sendPointerButtons(DeviceLink& link, const KeyboardState& state) {
    return link.send([&](ReportBuffer& r) { fillPointerButtons(r, state); });
}

bool sendConsumerKey(DeviceLink& link, int index) {
    const std::uint16_t usage = consumerUsage(index);
    return link.send([&](ReportBuffer& r) { fillConsumerKey(r, usage); });
}

bool sendClose(DeviceLink& link) {
    return link.sendIfOpen([](ReportBuffer& r) { fillClose(r); });
}

} // namespace zel
