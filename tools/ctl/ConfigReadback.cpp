#include "ctl/ConfigReadback.h"

#include "device/DeviceLink.h"
#include "programming/MacroImage.h"

#include <algorithm>

namespace zel::ctl {

namespace {

constexpr std::uint16_t kFirstConfigBlock = 0x08;
constexpr std::uint16_t kLastConfigBlock = 0x68;
constexpr std::size_t kBlock = 8;

class Reader {
public:
    Reader(DeviceLink& link, ConfigReadback& out,
           const std::function<void(const BlockWrite&)>& progress)
        : m_link(link), m_out(out), m_progress(progress) {}

    /// Reads `n` bytes at `address` into the image; `listed` adds it to the block list.
    const BlockWrite& read(std::uint16_t address, std::size_t n, bool listed = true) {
        BlockWrite block{address, m_link.readBlock(address, n)};
        block.bytes.resize(n, 0);
        for (std::size_t i = 0; i < n && address + i < m_out.image.size(); ++i) {
            m_out.image[address + i] = block.bytes[i];
        }
        if (m_progress) {
            m_progress(block);
        }
        m_scratch = block;
        if (listed) {
            m_out.blocks.push_back(std::move(block));
            return m_out.blocks.back();
        }
        return m_scratch;
    }

private:
    DeviceLink& m_link;
    ConfigReadback& m_out;
    const std::function<void(const BlockWrite&)>& m_progress;
    BlockWrite m_scratch;
};

} // namespace

ConfigReadback readConfiguration(DeviceLink& link, bool fullHeader,
                                 const std::function<void(const BlockWrite&)>& progress) {
    ConfigReadback out;
    const DeviceLink::DeviceHold hold(link);
    Reader reader(link, out, progress);

    // The whole header goes into the image either way, so the decoder sees what the
    // mouse holds; the list shows the block the download writes.
    const BlockWrite header = reader.read(kHeaderAddress, kBlock, fullHeader);
    if (!fullHeader) {
        out.blocks.push_back(BlockWrite{kProfileByteAddress, {header.bytes[kProfileByteAddress]}});
    }
    for (std::uint16_t address = kFirstConfigBlock; address <= kLastConfigBlock;
         address += kBlock) {
        reader.read(address, kBlock);
    }
    reader.read(kMacroColourAddress, kBlock);
    for (int offset = 0; offset < kDirectoryBytes; offset += static_cast<int>(kBlock)) {
        reader.read(static_cast<std::uint16_t>(kDirectoryAddress + offset), kBlock);
    }
    const BlockWrite& end = reader.read(kMacroEndAddress, 2);
    const int macroEnd = end.bytes[0] | (end.bytes[1] << 8);
    reader.read(kMacroPointerAddress, kBlock);
    reader.read(kMacroPointer4Address, 3);
    reader.read(kMacroPointerEndAddress, 1);
    // The streams lie one after the other from the start of the macro area; a macro end
    // beyond the area's limit is not believed.
    const int limit = std::min(macroEnd, kMacroAreaLimit + 1);
    for (int address = kMacroAreaStart; address < limit; address += static_cast<int>(kBlock)) {
        const auto n = static_cast<std::size_t>(std::min<int>(kBlock, limit - address));
        reader.read(static_cast<std::uint16_t>(address), n);
    }
    return out;
}

} // namespace zel::ctl
