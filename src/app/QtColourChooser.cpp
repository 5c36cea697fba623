#include "app/QtColourChooser.h"

#include <QColorDialog>

namespace zel {

std::optional<ColourRef> QtColourChooser::choose(ColourRef initial) {
    const QColor start(static_cast<int>(initial & 0xFF), static_cast<int>((initial >> 8) & 0xFF),
                       static_cast<int>((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, parent ? parent() : nullptr);
    if (!chosen.isValid()) {
        return std::nullopt; // cancelled
    }
    return static_cast<ColourRef>(chosen.red()) | (static_cast<ColourRef>(chosen.green()) << 8) |
           (static_cast<ColourRef>(chosen.blue()) << 16);
}

} // namespace zel
