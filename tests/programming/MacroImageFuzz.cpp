// libFuzzer entry for the macro image encoder: any record, however its counters, slots and
// steps disagree, gives a stream of exactly the size the directory reserves and an image
// whose block writes stay inside the configuration memory.
#include "keys/MacVkAndText.h"
#include "programming/MacroImage.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;

    std::uint8_t byte() { return pos < size ? data[pos++] : 0; }
    std::uint16_t u16() {
        const std::uint8_t lo = byte();
        return static_cast<std::uint16_t>(lo | (byte() << 8));
    }
};

zel::MacroRecord recordFrom(Input& in) {
    zel::MacroRecord m;
    m.runMode = in.byte();
    m.repeatCount = in.u16();
    m.stepCount = static_cast<std::uint16_t>(in.u16() % 400);
    m.moveCount = in.u16();
    m.count247 = in.u16();
    m.cpiCount = in.u16();
    m.count250 = in.u16();
    m.ledSlotCount = in.byte();
    m.count251Slots = in.byte();
    m.extra76 = in.byte();
    m.extra77 = in.byte();
    for (auto& slot : m.ledSlots) {
        slot.bytes[0] = in.byte();
        slot.bytes[4] = in.byte();
    }
    for (auto& slot : m.extraSlots) {
        slot[0] = in.byte();
    }
    for (int s = 0; s < zel::kMaxSteps && in.pos < in.size; ++s) {
        // Codes from the whole byte range, biased towards the special ones.
        std::uint8_t code = in.byte();
        if (code >= 0xC0) {
            code = static_cast<std::uint8_t>(0xF0 + (code & 0x0F));
        }
        const std::uint8_t action = in.byte() % 18;
        const std::uint16_t p1 = in.u16();
        const std::uint16_t p2 = in.u16();
        m.setStep(s, zel::MacroStep{code, action, p1, p2, in.u16()});
    }
    return m;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zel::MacVkAndText keys;
    Input in{data, size};
    const auto address = static_cast<std::uint16_t>(0x400 + (in.u16() % 0xB20) / 8 * 8);
    const zel::MacroRecord m = recordFrom(in);

    const zel::MacroLayout layout = zel::macroLayout(m);
    const zel::MacroStream stream = zel::encodeMacroStream(m, address);
    if (layout.size > zel::kMacroSizeCap || layout.size % 8 != 0 ||
        (!stream.aborted && stream.bytes.size() != static_cast<std::size_t>(layout.size))) {
        std::abort();
    }
    const zel::MacroRecord unrolled = zel::unrollMacro(m, zel::unrollCount(m));
    if (unrolled.stepCount > zel::kMaxSteps) {
        std::abort();
    }

    std::array<zel::ProfileSettings, zel::kProfileCount> profiles{};
    zel::ButtonMacros macros{};
    zel::ButtonMacroModes modes{};
    zel::DeviceDescription device;
    device.keyCount = 3;
    device.keyMap = {1, 2, 3};
    const std::array<std::int32_t, 3> codes = {256, 60, 33};
    for (std::size_t p = 0; p < zel::kProfileCount; ++p) {
        for (std::size_t k = 0; k < codes.size(); ++k) {
            profiles[p].buttonCode[k] = codes[k];
            profiles[p].comboRecord[k] = m;
            macros[p][k] = k == 2 ? &profiles[p].comboRecord[k] : &m;
            modes[p][k] = m.runMode;
        }
    }
    const zel::ButtonTables tables = zel::buildButtonTables(profiles, device, modes);
    const zel::MacroImage image =
        zel::buildMacroImage(zel::MacroImageInput{tables, profiles, macros, keys, 1, 0, 0});
    for (const zel::ImageOp& op : image.ops) {
        if (const auto* w = std::get_if<zel::BlockWrite>(&op)) {
            if (w->bytes.empty() || w->bytes.size() > 8 || w->address + w->bytes.size() > 0x4000) {
                std::abort();
            }
        }
    }
    return 0;
}
