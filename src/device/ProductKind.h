#pragma once

namespace zel {

/// Which product ID the mouse enumerated with. A mouse seen as 0x1201 is fresh from the
/// factory and gets the first-connection procedure; the values are the ones the
/// application state stores.
enum class ProductKind { Pid1201 = 0, Pid1040 = 1, NotSeen = 2 };

} // namespace zel
