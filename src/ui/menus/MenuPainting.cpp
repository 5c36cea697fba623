#include "ui/menus/MenuPainting.h"

#include "presentation/SkinPictures.h"
#include "ui/AppMessage.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace zel {

namespace {

/// The panel colour shown where a picture is missing or does not reach.
const QColor kPanel(30, 30, 30);
/// Room kept free at each side of a centred text.
constexpr int kTextMargin = 4;

} // namespace

void makePopupWindow(QWidget& popup) {
    // A tool-tip window is override-redirect on X11: no window manager moves it, and it
    // never becomes the active window.
    popup.setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    popup.setAttribute(Qt::WA_ShowWithoutActivating);
    popup.setAttribute(Qt::WA_DeleteOnClose);
    popup.setFocusPolicy(Qt::NoFocus);
    popup.setMouseTracking(true);
}

int menuRowAt(QPoint point, int width, int rowHeight, int lastRow) {
    if (rowHeight <= 0 || point.x() < 0 || point.x() >= width || point.y() < 0) {
        return 0;
    }
    const int row = point.y() / rowHeight + 1;
    return row <= lastRow ? row : 0;
}

QImage composeMenu(QSize size, const QImage& normal, const QImage& band, int hotRow, int rowHeight,
                   qreal devicePixelRatio) {
    QImage frame = framePicture(size, devicePixelRatio);
    frame.fill(kPanel);
    QPainter p(&frame);
    if (!normal.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        normal.devicePixelRatio() != frame.devicePixelRatio());
        p.drawImage(QPoint(0, 0), normal);
    }
    p.end();
    if (hotRow >= 1) {
        composeArea(frame, band, Area{0, (hotRow - 1) * rowHeight, size.width(), rowHeight, {}});
    }
    return frame;
}

QRect rowTextRect(int width, int row, int rowHeight, bool fromLeft) {
    const int left = fromLeft ? 2 : kTextMargin;
    return QRect(left, (row - 1) * rowHeight, width - left - kTextMargin, rowHeight);
}

int rowTextFlags(bool fromLeft) {
    return static_cast<int>((fromLeft ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
}

void drawRowText(QImage& image, int row, int rowHeight, const QString& text, const QFont& font,
                 bool fromLeft) {
    if (text.isEmpty() || row < 1 || rowHeight <= 0) {
        return;
    }
    const QRect area = rowTextRect(layoutSize(image).width(), row, rowHeight, fromLeft);
    const QFontMetrics metrics(font, &image);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(area, rowTextFlags(fromLeft),
               metrics.elidedText(text, Qt::ElideRight, area.width()));
}

void sendToOwner(QWidget* owner, AppMessage& message) {
    if (owner != nullptr) {
        QCoreApplication::sendEvent(owner, &message);
    }
}

void postToOwner(QWidget* owner, int message, long long wParam, long long lParam) {
    if (owner != nullptr) {
        QCoreApplication::postEvent(owner, new AppMessage(message, wParam, lParam));
    }
}

} // namespace zel
