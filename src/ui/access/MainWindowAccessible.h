#pragma once

class QAccessibleInterface;

namespace zel {

class CZEL_GMouseDlg;

/// The main window as assistive technology sees it: its elements (AccessibleElements.h)
/// with the texts the window draws, their states and the actions of a click, then its
/// real child controls.
QAccessibleInterface* makeMainWindowAccessible(CZEL_GMouseDlg* window);

} // namespace zel
