#pragma once

#include <array>
#include <cstdint>

namespace zel {

/// The keys and pointer buttons the program holds down while it plays a macro: six
/// keyboard slots (0 = empty) and the pointer-button byte, whose set bits mean released.
/// Codes below 0xF0 are keys; 0xF1, 0xF3 and 0xF2 are the pointer buttons of bits 0, 1, 2.
class KeyboardState {
public:
    static constexpr std::size_t kSlots = 6;
    static constexpr std::uint8_t kAllReleased = 0xFF;

    /// A key goes into the first empty slot (nothing happens when all six are taken); a
    /// pointer button clears its bit; any other code from 0xF0 changes nothing.
    void press(std::uint8_t code);
    /// A key leaves its slot and the later slots move down, the last becoming empty
    /// (a key not held changes nothing); a pointer button sets its bit.
    void release(std::uint8_t code);
    /// Empties the slots and releases the three pointer buttons.
    void releaseAll();

    const std::array<std::uint8_t, kSlots>& slots() const { return m_slots; }
    std::uint8_t buttons() const { return m_buttons; }

    /// The pointer-button bit of a code, 0 for codes that are not pointer buttons.
    static std::uint8_t buttonBit(std::uint8_t code);

private:
    std::array<std::uint8_t, kSlots> m_slots{};
    std::uint8_t m_buttons = kAllReleased;
};

} // namespace zel
