#pragma once

#include "device/DeviceLink.h"
#include "device/KeyboardState.h"

#include <cstdint>
#include <utility>

namespace zel {

// Command numbers (byte 1 of the report).
inline constexpr std::uint8_t kCmdPointerMove = 0x0B;
inline constexpr std::uint8_t kCmdKeyFunction = 0x10;
inline constexpr std::uint8_t kCmdModeSwitch = 0x11;
inline constexpr std::uint8_t kCmdLighting = 0x13;
inline constexpr std::uint8_t kCmdDpiColour = 0x14;
inline constexpr std::uint8_t kCmdKeyboardState = 0x15;
inline constexpr std::uint8_t kCmdPointerButtons = 0x16;
inline constexpr std::uint8_t kCmdConsumerKey = 0x17;
inline constexpr std::uint8_t kCmdMemoryTransfer = 0x18;
inline constexpr std::uint8_t kCmdClose = 0x20;

// Steps of a memory transfer (byte 2 of command 0x18).
inline constexpr std::uint8_t kTransferDataStep = 0x03; ///< a byte of the block (written or read)
inline constexpr std::uint8_t kTransferReadStep = 0x05; ///< the next get answers a byte
inline constexpr std::uint8_t kTransferCommit = 0x09;   ///< the block's bytes are written
inline constexpr std::uint8_t kTransferEnd = 0x10;      ///< the mouse applies its configuration
inline constexpr std::uint8_t kTransferClose = 0x00;    ///< closes a block or a transfer

/// The lighting `lightingExtent` of the profile's own and of temporary effects.
inline constexpr std::uint8_t kLightingExtentFull = 0x0B;

/// The values of a lighting command.
struct LightingCommand {
    std::uint8_t colourMask = 0; ///< bits 0..6, one per colour of the seven-colour cycle
    bool restore = false;        ///< the profile's own effect (true) or a temporary one
    int effect = 0;              ///< the profile's effect number 0..13, unchanged
    int speed = 0;
    int symmetry = 0;
    int direction = 0;
    std::uint8_t extent = kLightingExtentFull; ///< low four bits of byte 4
    int brightness = 0;
};

/// The signed (X, Y) of a pointer move for a distance pair and direction code:
/// 3 (-dx, -dy), 4 (-dx, +dy), 5 (+dx, -dy), 6 (+dx, +dy), any other (0, 0).
/// `extraDy` is added to dy before the sign is applied.
std::pair<int, int> pointerMoveVector(int dx, int dy, int direction, int extraDy = 0);

/// The HID Consumer usage of a multimedia function index 0..10; 0 for any other index.
std::uint16_t consumerUsage(int index);

// Pure fillers: each writes report ID, command and exactly the bytes its command defines.
void fillPointerMove(ReportBuffer& report, int dx, int dy, int direction, int extraDy = 0);
void fillKeyFunction(ReportBuffer& report, std::uint8_t physicalButton, std::uint8_t function);
void fillModeSwitch(ReportBuffer& report, bool on);
void fillLighting(ReportBuffer& report, const LightingCommand& lighting);
void fillDpiColour(ReportBuffer& report, int stage, int red, int green, int blue);
void fillKeyboardState(ReportBuffer& report, const KeyboardState& state);
void fillPointerButtons(ReportBuffer& report, const KeyboardState& state);
void fillConsumerKey(ReportBuffer& report, std::uint16_t usage);
void fillClose(ReportBuffer& report);
/// One memory-transfer step: `index` is the byte's position in the block, `address` the
/// block's address, `lastIndex` the position of the block's last byte.
void fillMemoryTransfer(ReportBuffer& report, std::uint8_t step, std::uint8_t index,
                        std::uint16_t address, std::uint8_t data, std::uint8_t lastIndex);

// Builders: fill the transport's buffer and send it as one command. The key-function,
// mode-switch and close builders send nothing while the write collection is closed; the
// others send regardless and let the platform call fail.
bool sendPointerMove(DeviceLink& link, int dx, int dy, int direction, int extraDy = 0);
bool sendKeyFunction(DeviceLink& link, std::uint8_t physicalButton, std::uint8_t function);
bool sendModeSwitch(DeviceLink& link, bool on);
bool sendLighting(DeviceLink& link, const LightingCommand& lighting);
bool sendDpiColour(DeviceLink& link, int stage, int red, int green, int blue);
bool sendKeyboardState(DeviceLink& link, const KeyboardState& state);
bool sendPointerButtons(DeviceLink& link, const KeyboardState& state);
/// The consumer-key command for multimedia function `index` (see `consumerUsage`).
bool sendConsumerKey(DeviceLink& link, int index);
bool sendClose(DeviceLink& link);

} // namespace zel
