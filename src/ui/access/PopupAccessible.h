#pragma once

class QAccessibleInterface;
class QWidget;

namespace zel {

/// A popup (CMenuDlg, CSubMenuDlg, MacSelMenuDlg) as a menu of its rows, each a menu item
/// named by what the row draws, with the action of a click; null for other widgets.
QAccessibleInterface* makePopupAccessible(QWidget* widget);

} // namespace zel
