#pragma once

#include "settings/ColourChooser.h"

namespace zel {

/// The colour chooser of the program: the desktop's standard colour dialog, modal, without
/// an owner.
class QtColourChooser final : public ColourChooser {
public:
    std::optional<ColourRef> choose(ColourRef initial) override;
};

} // namespace zel
