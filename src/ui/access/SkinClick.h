#pragma once

#include <QPoint>

class QWidget;

namespace zel {

/// Moves the pointer onto `point` of `widget`, presses and releases the left button there,
/// so the widget dispatches it as any click, from the event loop: an action that opens a
/// modal dialog does not hold up the caller of the action. On the main window it then tells
/// the accessibility bus what the click changed.
void clickLater(QWidget* widget, QPoint point);

} // namespace zel
