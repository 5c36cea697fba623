#pragma once

class QAccessibleInterface;
class QWidget;

namespace zel {

/// A skinned dialog (the warning box, the key dialogs) with its message or displays as
/// texts and its buttons and toggles with the action of a click; null for other widgets.
QAccessibleInterface* makeDialogAccessible(QWidget* widget);

} // namespace zel
