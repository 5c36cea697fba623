#pragma once

#include "platform/hid/HidBackend.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zel::hid {

/// Parses a HID report descriptor into one `HidCaps` per top-level collection, in
/// descriptor order. The report lengths follow the platform's capabilities: for each kind
/// (input, output, feature) the longest report of that kind in the collection, in whole
/// bytes, plus the report ID byte, which is counted also when the descriptor uses no
/// report IDs. Lengths above 65535 are held at 65535.
///
/// Long items are skipped, push and pop of the global state are honoured. Returns
/// std::nullopt for a descriptor that is structurally broken: an item that runs past the
/// end, an end of collection without its collection, a collection left open at the end,
/// or global state pushed deeper than 16 levels or popped when empty. The parser never
/// reads past the end of `descriptor` and does not recurse, whatever the nesting.
std::optional<std::vector<HidCaps>> parseReportDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace zel::hid
