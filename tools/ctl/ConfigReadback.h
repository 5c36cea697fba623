#pragma once

#include "programming/ConfigImage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace zel {

class DeviceLink;

namespace ctl {

/// The mouse's configuration memory as far as a download writes it, read back with the
/// block read command: the blocks in the order and sizes the download writes them, and a
/// 16 KiB image holding what they read (zero elsewhere) for the decoder.
struct ConfigReadback {
    std::vector<BlockWrite> blocks;
    std::array<std::uint8_t, 16 * 1024> image{};
};

/// Reads the header (the 8-byte header for a mouse seen as 0x1201, else the profile byte
/// at 0x01), the configuration blocks from 0x08 to 0x68 and at 0x98, the macro directory,
/// the macro end and pointer blocks, and the macro area from 0x400 up to the macro end
/// the mouse holds. The mouse is held for the whole sequence. `progress` sees each block
/// as it is read.
ConfigReadback readConfiguration(DeviceLink& link, bool fullHeader,
                                 const std::function<void(const BlockWrite&)>& progress = {});

} // namespace ctl
} // namespace zel
