#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

namespace zel {

class AppMessage;

/// The popups hot-test at most this many rows; a row beyond them is never hot.
inline constexpr int kMenuHoverRows = 14;

/// Makes `popup` a borderless top-level window that opens exactly where its opener places
/// it and that neither takes the keyboard focus nor grabs the pointer: the main window
/// keeps receiving its presses, and its next press ends the popup. It follows the pointer
/// without a button held and is destroyed when closed.
void makePopupWindow(QWidget& popup);

/// The row (from 1) of `rowHeight`-high bands, `width` wide, that holds `point`; rows
/// beyond `lastRow` and points outside give 0.
int menuRowAt(QPoint point, int width, int rowHeight, int lastRow);

/// A popup's picture of `size` (layout units) for a device of `devicePixelRatio`: `normal`
/// at the top left (a dark panel where it does not reach), and when `hotRow` is a row,
/// that row's band copied from `band`.
QImage composeMenu(QSize size, const QImage& normal, const QImage& band, int hotRow, int rowHeight,
                   qreal devicePixelRatio = 1.0);

/// The rectangle of row `row` (from 1) of a popup `width` wide that its text is laid out
/// in, and the flags it is drawn with.
QRect rowTextRect(int width, int row, int rowHeight, bool fromLeft);
int rowTextFlags(bool fromLeft);

/// Draws `text` in white into row `row` (from 1): centred in the row, or from x = 2 when
/// `fromLeft`; a text wider than the row is cut with an ellipsis, so it never leaves it.
void drawRowText(QImage& image, int row, int rowHeight, const QString& text, const QFont& font,
                 bool fromLeft = false);

/// Sends `message` to `owner` (handled before this returns); nothing without an owner.
void sendToOwner(QWidget* owner, AppMessage& message);
/// Posts a message to `owner` (handled later by its event loop); nothing without an owner.
void postToOwner(QWidget* owner, int message, long long wParam, long long lParam);

} // namespace zel
