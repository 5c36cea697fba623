#include "app/Tray.h"

#include "presentation/LanguagePack.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace zel {

QIcon programIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(30, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setPen(QPen(QColor(7, 188, 255), 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(20, 12, 24, 40), 12, 12);
    p.drawLine(QPointF(32, 14), QPointF(32, 26));
    return QIcon(pixmap);
}

std::unique_ptr<QSystemTrayIcon> makeTrayIcon(const std::string& toolTip, QWidget* menuOwner,
                                              std::function<void()> show,
                                              std::function<void()> exit) {
    auto tray = std::make_unique<QSystemTrayIcon>(programIcon());
    auto* menu = new QMenu(menuOwner); // goes with its owner
    menu->addAction(QString(), tray.get(), show);
    menu->addAction(QString(), tray.get(), std::move(exit));
    tray->setContextMenu(menu);
    tray->setToolTip(QString::fromStdString(toolTip));
    QObject::connect(tray.get(), &QSystemTrayIcon::activated, tray.get(),
                     [show = std::move(show)](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick) {
                             show();
                         }
                     });
    return tray;
}

void setTrayMenuTexts(QSystemTrayIcon& tray, const LanguagePack& pack) {
    if (QMenu* menu = tray.contextMenu(); menu != nullptr && menu->actions().size() == 2) {
        menu->actions()[0]->setText(QString::fromStdString(pack.text(TextTable::DevMac, 34)));
        menu->actions()[1]->setText(QString::fromStdString(pack.text(TextTable::DevMac, 35)));
    }
}

} // namespace zel
