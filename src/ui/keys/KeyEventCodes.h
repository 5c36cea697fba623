#pragma once

#include <cstdint>

class QKeyEvent;

namespace zel {

/// The virtual-key code (the numbering the macro files and the key tables keep) of a key
/// event: from the event's keysym first, then from its scan code for keys the keysym leaves
/// open, with the left and right modifiers kept apart. 0 when the key has none.
std::uint8_t virtualKeyOf(const QKeyEvent& event);

} // namespace zel
