#pragma once

#include "settings/ColourChooser.h"

#include <functional>

class QWidget;

namespace zel {

/// The colour chooser of the program: the standard colour dialog, modal, over the main
/// window.
class QtColourChooser final : public ColourChooser {
public:
    std::optional<ColourRef> choose(ColourRef initial) override;
    /// The window the dialog belongs to; none when empty.
    std::function<QWidget*()> parent;
};

} // namespace zel
