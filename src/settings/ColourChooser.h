#pragma once

#include "settings/ProfileSettings.h"

#include <optional>

namespace zel {

/// The platform's colour dialog. An empty result means the user cancelled.
class ColourChooser {
public:
    virtual ~ColourChooser() = default;
    /// Asks for a colour, starting from `initial`.
    virtual std::optional<ColourRef> choose(ColourRef initial) = 0;
};

} // namespace zel
