#include "app/DarkLook.h"

#include <QApplication>
#include <QStyleFactory>

namespace zel {

QPalette darkPalette() {
    const QColor window(0x16, 0x16, 0x16);
    const QColor panel(0x1E, 0x1E, 0x1E);
    const QColor raised(0x26, 0x26, 0x26);
    const QColor separator(0x2C, 0x2C, 0x2C);
    const QColor accent(0x07, 0xBC, 0xFF);
    const QColor secondary(0x9A, 0x9A, 0x9A);
    const QColor faint(0x5A, 0x5A, 0x5A);

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, panel);
    p.setColor(QPalette::AlternateBase, raised);
    p.setColor(QPalette::ToolTipBase, raised);
    p.setColor(QPalette::ToolTipText, Qt::white);
    p.setColor(QPalette::PlaceholderText, secondary);
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, raised);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::BrightText, accent);
    p.setColor(QPalette::Light, separator);
    p.setColor(QPalette::Midlight, raised);
    p.setColor(QPalette::Mid, separator);
    p.setColor(QPalette::Dark, QColor(0x0E, 0x0E, 0x0E));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Link, accent);
    p.setColor(QPalette::LinkVisited, accent.darker(130));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, faint);
    }
    p.setColor(QPalette::Disabled, QPalette::Highlight, separator);
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, secondary);
    return p;
}

void applyDarkLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
    }
    app.setPalette(darkPalette());
}

} // namespace zel
