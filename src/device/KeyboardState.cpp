#include "device/KeyboardState.h"

#include <algorithm>

namespace zel {

namespace {
constexpr std::uint8_t kFirstPointerCode = 0xF0;
} // namespace

std::uint8_t KeyboardState::buttonBit(std::uint8_t code) {
    switch (code) {
    case 0xF1:
        return 0x01;
    case 0xF3:
        return 0x02;
    case 0xF2:
        return 0x04;
    default:
        return 0;
    }
}

void KeyboardState::press(std::uint8_t code) {
    if (code < kFirstPointerCode) {
        const auto empty = std::find(m_slots.begin(), m_slots.end(), std::uint8_t{0});
        if (empty != m_slots.end()) {
            *empty = code;
        }
        return;
    }
    m_buttons = static_cast<std::uint8_t>(m_buttons & ~buttonBit(code));
}

void KeyboardState::release(std::uint8_t code) {
    if (code < kFirstPointerCode) {
        const auto held = std::find(m_slots.begin(), m_slots.end(), code);
        if (held != m_slots.end()) {
            std::move(held + 1, m_slots.end(), held);
            m_slots.back() = 0;
        }
        return;
    }
    m_buttons = static_cast<std::uint8_t>(m_buttons | buttonBit(code));
}

void KeyboardState::releaseAll() {
    m_slots.fill(0);
    m_buttons = kAllReleased;
}

} // namespace zel
