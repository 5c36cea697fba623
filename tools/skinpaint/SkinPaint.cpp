// Paints every skin picture of the data set from the layout files: the pages and
// windows in their normal, over and down looks with their masks, the popup menus,
// the lighting covers, the slider thumb, the weapon pictures and the per-language
// pictures, each at the layout's size and at twice it ("name@2x.jpg", masks too).
// Usage: zel_skinpaint <layout skins folder> <output skins folder>
#include "LeaderRoute.h"

#include "common/GuardedMain.h"
#include "platform/ini/IniStore.h"
#include "presentation/SkinLayout.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <string>

namespace {

using zel::Area;
using zel::SkinFile;
using zel::SkinLayout;

/// The three looks of every page, and the look of choices the program does not offer on
/// this mouse (a picture of its own, composed over them always).
enum class Look { Normal, Over, Down, Unavailable };

const QColor kWindow(22, 22, 22);
const QColor kPanel(30, 30, 30);
const QColor kLine(44, 44, 44);
const QColor kRaised(38, 38, 38);
const QColor kRaisedHover(48, 48, 48);
const QColor kAccent(7, 188, 255);
const QColor kGrey(154, 154, 154);
const QColor kBody(34, 34, 34);
const QColor kValueChip(32, 32, 32);
// An unavailable choice: flat, barely off the panel, with a faint edge.
const QColor kUnavailableFill(29, 29, 29);
const QColor kUnavailableEdge(40, 40, 40);

QColor accentAlpha(int alpha) {
    QColor c = kAccent;
    c.setAlpha(alpha);
    return c;
}

QRectF rectOf(const Area& a) {
    return QRectF(a.x, a.y, a.width, a.height);
}

zel::skinpaint::RouteBox routeBox(const Area& a) {
    return {static_cast<double>(a.x), static_cast<double>(a.y), static_cast<double>(a.width),
            static_cast<double>(a.height)};
}

void roundBox(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& edge) {
    p.setPen(edge.isValid() ? QPen(edge, 1) : Qt::NoPen);
    p.setBrush(fill.isValid() ? QBrush(fill) : Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// The standard control look in its three states, and unavailable.
void control(QPainter& p, const QRectF& r, Look look, qreal radius = 6) {
    switch (look) {
    case Look::Normal:
        roundBox(p, r, radius, kRaised, kLine);
        break;
    case Look::Over:
        roundBox(p, r, radius, kRaisedHover, kAccent);
        break;
    case Look::Down: {
        roundBox(p, r, radius, kWindow, QColor());
        roundBox(p, r, radius, accentAlpha(90), kAccent);
        break;
    }
    case Look::Unavailable:
        roundBox(p, r, radius, kUnavailableFill, kUnavailableEdge);
        break;
    }
}

QColor glyphColour(Look look) {
    return look == Look::Normal ? kGrey : (look == Look::Over ? Qt::white : kAccent);
}

void glyph(QPainter& p, const QString& kind, const QRectF& r, Look look) {
    const QColor c = glyphColour(look);
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF m = r.center();
    const qreal s = std::min(r.width(), r.height()) * 0.28;
    if (kind == "min") {
        p.drawLine(QPointF(m.x() - s, m.y() + s * 0.4), QPointF(m.x() + s, m.y() + s * 0.4));
    } else if (kind == "close") {
        p.drawLine(QPointF(m.x() - s, m.y() - s), QPointF(m.x() + s, m.y() + s));
        p.drawLine(QPointF(m.x() - s, m.y() + s), QPointF(m.x() + s, m.y() - s));
    } else if (kind == "tray" || kind == "down") {
        p.drawLine(QPointF(m.x() - s, m.y() - s * 0.4), QPointF(m.x(), m.y() + s * 0.5));
        p.drawLine(QPointF(m.x(), m.y() + s * 0.5), QPointF(m.x() + s, m.y() - s * 0.4));
        if (kind == "tray") {
            p.drawLine(QPointF(m.x() - s, m.y() + s), QPointF(m.x() + s, m.y() + s));
        }
    } else if (kind == "back" || kind == "arrowL") {
        p.drawLine(QPointF(m.x() + s * 0.5, m.y() - s), QPointF(m.x() - s * 0.5, m.y()));
        p.drawLine(QPointF(m.x() - s * 0.5, m.y()), QPointF(m.x() + s * 0.5, m.y() + s));
        if (kind == "arrowL") {
            p.drawLine(QPointF(m.x() - s * 0.5, m.y()), QPointF(m.x() + s * 1.4, m.y()));
        }
    } else if (kind == "arrowR") {
        p.drawLine(QPointF(m.x() - s * 0.5, m.y() - s), QPointF(m.x() + s * 0.5, m.y()));
        p.drawLine(QPointF(m.x() + s * 0.5, m.y()), QPointF(m.x() - s * 0.5, m.y() + s));
        p.drawLine(QPointF(m.x() + s * 0.5, m.y()), QPointF(m.x() - s * 1.4, m.y()));
    } else if (kind == "arrowOut" || kind == "arrowIn") {
        const qreal d = kind == "arrowOut" ? 1 : -1;
        for (qreal side : {-1.0, 1.0}) {
            const QPointF tip(m.x() + side * s * 1.3, m.y());
            const QPointF back(m.x() + side * s * 1.3 - side * d * s * 0.7, m.y());
            p.drawLine(QPointF(m.x() + side * s * 0.2, m.y()), tip);
            p.drawLine(d > 0 ? tip : QPointF(m.x() + side * s * 0.2, m.y()),
                       d > 0 ? back + QPointF(0, -s * 0.6)
                             : QPointF(m.x() + side * s * 0.9, m.y() - s * 0.6));
            p.drawLine(d > 0 ? tip : QPointF(m.x() + side * s * 0.2, m.y()),
                       d > 0 ? back + QPointF(0, s * 0.6)
                             : QPointF(m.x() + side * s * 0.9, m.y() + s * 0.6));
        }
    } else if (kind == "sym") {
        QPolygonF left{QPointF(m.x() - 3, m.y() - s), QPointF(m.x() - 3 - s * 1.2, m.y()),
                       QPointF(m.x() - 3, m.y() + s)};
        QPolygonF right{QPointF(m.x() + 3, m.y() - s), QPointF(m.x() + 3 + s * 1.2, m.y()),
                        QPointF(m.x() + 3, m.y() + s)};
        p.drawPolygon(left);
        p.drawPolygon(right);
    } else if (kind == "gear") {
        p.drawEllipse(m, s * 0.55, s * 0.55);
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * 3.14159265 / 4;
            p.drawLine(m + QPointF(std::cos(a), std::sin(a)) * s * 0.85,
                       m + QPointF(std::cos(a), std::sin(a)) * s * 1.25);
        }
    } else if (kind == "help") {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(static_cast<int>(r.height() * 0.6));
        f.setBold(true);
        p.setFont(f);
        p.drawEllipse(m, s * 1.25, s * 1.25);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
    } else if (kind == "sound" || kind == "bars") {
        const int n = 5;
        const qreal w = r.width() * 0.5 / n;
        const qreal heights[] = {0.3, 0.7, 1.0, 0.55, 0.35};
        for (int i = 0; i < n; ++i) {
            const qreal h = r.height() * 0.55 * heights[i];
            p.fillRect(QRectF(r.x() + r.width() * 0.25 + i * w + 1, m.y() - h / 2, w - 2, h), c);
        }
    } else if (kind == "pulse") {
        QPainterPath path(QPointF(r.left() + r.width() * 0.18, m.y()));
        path.lineTo(m.x() - s * 0.8, m.y());
        path.lineTo(m.x() - s * 0.3, m.y() - s * 1.3);
        path.lineTo(m.x() + s * 0.3, m.y() + s * 1.3);
        path.lineTo(m.x() + s * 0.8, m.y());
        path.lineTo(r.right() - r.width() * 0.18, m.y());
        p.drawPath(path);
    } else if (kind == "tempo") {
        for (int i = 0; i < 3; ++i) {
            p.drawEllipse(m + QPointF((i - 1) * s * 0.9, 0), s * 0.3, s * 0.3);
        }
        p.drawArc(QRectF(m.x() - s * 1.5, m.y() - s * 1.5, s * 3, s * 3), 30 * 16, 120 * 16);
    } else if (kind == "check") {
        p.drawLine(QPointF(m.x() - s, m.y()), QPointF(m.x() - s * 0.25, m.y() + s * 0.7));
        p.drawLine(QPointF(m.x() - s * 0.25, m.y() + s * 0.7), QPointF(m.x() + s, m.y() - s * 0.7));
    }
}

void tileIcon(QPainter& p, const QString& kind, const QRectF& r, Look look) {
    const QColor c = glyphColour(look);
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF icon(r.center().x() - 16, r.top() + 16, 32, 36);
    if (kind == "profile") {
        QPainterPath mouse;
        mouse.addRoundedRect(icon.adjusted(6, 0, -6, 0), 12, 12);
        p.drawPath(mouse);
        p.drawLine(QPointF(icon.center().x(), icon.top()),
                   QPointF(icon.center().x(), icon.top() + 13));
    } else if (kind == "import" || kind == "export") {
        p.drawLine(QPointF(icon.left() + 4, icon.bottom() - 8),
                   QPointF(icon.left() + 4, icon.bottom()));
        p.drawLine(QPointF(icon.left() + 4, icon.bottom()),
                   QPointF(icon.right() - 4, icon.bottom()));
        p.drawLine(QPointF(icon.right() - 4, icon.bottom()),
                   QPointF(icon.right() - 4, icon.bottom() - 8));
        const qreal x = icon.center().x();
        p.drawLine(QPointF(x, icon.top() + 2), QPointF(x, icon.bottom() - 8));
        const qreal tipY = kind == "import" ? icon.bottom() - 8 : icon.top() + 2;
        const qreal dir = kind == "import" ? -1 : 1;
        p.drawLine(QPointF(x, tipY), QPointF(x - 7, tipY + dir * 7));
        p.drawLine(QPointF(x, tipY), QPointF(x + 7, tipY + dir * 7));
    } else if (kind == "reset") {
        p.drawArc(icon.adjusted(2, 4, -2, -2), 60 * 16, 290 * 16);
        const QPointF tip(icon.center().x() + 7, icon.top() + 6);
        p.drawLine(tip, tip + QPointF(-1, 8));
        p.drawLine(tip, tip + QPointF(-8, 1));
    }
}

void pill(QPainter& p, const QRectF& r, bool on, Look look) {
    const qreal h = std::min<qreal>(r.height(), 20);
    const qreal w = std::min<qreal>(r.width(), 40);
    const QRectF pr(r.center().x() - w / 2, r.center().y() - h / 2, w, h);
    if (on) {
        roundBox(p, pr, h / 2, accentAlpha(110), kAccent);
    } else {
        roundBox(p, pr, h / 2, kRaised, look == Look::Over ? kAccent : QColor(70, 70, 70));
    }
    const qreal k = h - 6;
    const QRectF knob(on ? pr.right() - k - 3 : pr.left() + 3, pr.top() + 3, k, k);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? QColor(Qt::white) : kGrey);
    p.drawEllipse(knob);
}

// Draws one element in one look. The pictures of the three looks differ only inside
// the element's rectangle, so composing a rectangle never shows a seam.
void element(QPainter& p, const QString& style, const Area& a, Look look) {
    const QRectF r = rectOf(a);
    const QString kind = style.section(':', 0, 0);
    const QString id = style.section(':', 1, 1);
    if (look == Look::Unavailable) {
        p.save();
        p.setClipRect(r);
        if (kind == "btn") {
            control(p, r, look);
        } else if (kind == "bar") {
            p.fillRect(r, kUnavailableEdge);
        }
        p.restore();
        if (kind == "btn" || kind == "bar") {
            return;
        }
        look = Look::Normal; // the other kinds keep their normal look there
    }
    p.save();
    p.setClipRect(r);
    if (kind == "btn" || kind == "state" || kind == "dropdown") {
        control(p, r, look);
        if (kind == "dropdown") {
            // A narrow drop-down keeps a small arrow in its lower corner, out of the way of
            // its text.
            const bool narrow = r.width() < 100;
            const qreal side = narrow ? 9 : r.height();
            glyph(p, QStringLiteral("down"),
                  narrow ? QRectF(r.right() - side - 2, r.bottom() - side - 1, side, side)
                         : QRectF(r.right() - side, r.top(), side, side),
                  look == Look::Normal ? Look::Normal : Look::Over);
        }
    } else if (kind == "btnAccent") {
        const QColor fill = look == Look::Normal ? kAccent.darker(125)
                            : look == Look::Over ? kAccent
                                                 : kAccent.darker(160);
        roundBox(p, r, 6, fill, look == Look::Over ? QColor(Qt::white) : fill);
    } else if (kind == "btnRec") {
        control(p, r, look);
        p.setPen(Qt::NoPen);
        p.setBrush(look == Look::Down ? QColor(255, 0, 0) : QColor(200, 40, 40));
        p.drawEllipse(QPointF(r.left() + 18, r.center().y()), 6, 6);
    } else if (kind == "btnCaption") {
        control(p, r, look);
        glyph(p, QStringLiteral("check"), r, look == Look::Normal ? Look::Over : look);
    } else if (kind == "btnIcon") {
        control(p, r, look);
        glyph(p, id, r, look);
    } else if (kind == "icon" || kind == "iconCaption") {
        if (look != Look::Normal) {
            control(p, r, look);
        }
        glyph(p, id, r, look);
    } else if (kind == "tileMode") {
        control(p, r, look, 10);
        glyph(p, id, r, look);
    } else if (kind == "tab") {
        if (look == Look::Over) {
            p.fillRect(r, QColor(34, 34, 34));
            p.fillRect(QRectF(r.left() + 8, r.bottom() - 2, r.width() - 16, 2), kGrey);
        } else if (look == Look::Down) {
            p.fillRect(r, accentAlpha(40));
            p.fillRect(QRectF(r.left() + 8, r.bottom() - 3, r.width() - 16, 3), kAccent);
        }
    } else if (kind == "tile") {
        control(p, r, look, 10);
        tileIcon(p, id, r, look);
    } else if (kind == "value") {
        // A value the program shows and the user does not type: a quiet chip without a
        // field's edge, the same under the pointer.
        roundBox(p, r, 6, kValueChip, QColor());
    } else if (kind == "display" || kind == "edit") {
        roundBox(p, r, 4, QColor(18, 18, 18), look == Look::Over ? QColor(80, 80, 80) : kLine);
        if (kind == "display") {
            p.fillRect(QRectF(r.left() + 6, r.bottom() - 2, r.width() - 12, 2), accentAlpha(160));
        }
    } else if (kind == "slider" || kind == "sliderDpi" || kind == "sliderLed") {
        const qreal cy = kind == "slider"      ? r.center().y()
                         : kind == "sliderDpi" ? r.top() + 20
                                               : r.top() + 2;
        const QRectF track(r.left(), cy - 2, r.width(), 4);
        const QColor fill = look == Look::Down   ? kAccent
                            : look == Look::Over ? QColor(70, 70, 70)
                                                 : kLine;
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(track, 2, 2);
        if (kind == "sliderDpi") {
            for (int i = 0; i < 17; ++i) {
                const qreal x = r.left() + (i + 1) * (303.0 / 17) - 1;
                p.fillRect(QRectF(x, r.top() + 4, 1, i % 4 == 3 ? 9 : 5),
                           look == Look::Down ? accentAlpha(200) : QColor(80, 80, 80));
            }
        }
    } else if (kind == "swatch") {
        roundBox(p, r, 3, QColor(12, 12, 12), look == Look::Normal ? QColor(70, 70, 70) : kAccent);
    } else if (kind == "toggle") {
        if (id == "dpi") {
            pill(p, r, look == Look::Down, look);
        } else {
            control(p, r, look, 4);
        }
    } else if (kind == "switch") {
        // Over is the switch off, down the switch on (the sound window draws them so).
        pill(p, QRectF(r.left(), r.top(), 52, r.height()), look == Look::Down, look);
        roundBox(p, r, 6, QColor(), look == Look::Normal ? kLine : kAccent);
    } else if (kind == "row") {
        if (look == Look::Over) {
            roundBox(p, r, 4, kRaisedHover, QColor());
        } else if (look == Look::Down) {
            roundBox(p, r, 4, accentAlpha(60), QColor());
            p.fillRect(QRectF(r.left(), r.top() + 4, 3, r.height() - 8), kAccent);
        } else {
            p.fillRect(QRectF(r.left(), r.top() + 4, 3, r.height() - 8), kLine);
        }
    } else if (kind == "seg") {
        control(p, r, look, id == "left" ? 6 : 6);
    } else if (kind == "radio" || kind == "check") {
        control(p, r, look);
        if (kind == "radio") {
            const QPointF c(r.right() - 16, r.center().y());
            p.setPen(QPen(look == Look::Down ? kAccent : kGrey, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, 6, 6);
            if (look == Look::Down) {
                p.setPen(Qt::NoPen);
                p.setBrush(kAccent);
                p.drawEllipse(c, 3, 3);
            }
        } else {
            pill(p, QRectF(r.right() - 48, r.top(), 44, r.height()), look == Look::Down, look);
        }
    } else if (kind == "bar") {
        p.fillRect(r, look == Look::Down ? kAccent : kLine);
    } else if (kind == "zone") {
        QPainterPath path;
        const qreal rad = std::min(r.width(), r.height()) * 0.45;
        path.addRoundedRect(r.adjusted(2, 2, -2, -2), rad, rad);
        p.setPen(QPen(look == Look::Normal ? QColor(70, 70, 70) : kAccent,
                      look == Look::Normal ? 1 : 2));
        p.setBrush(look == Look::Normal ? QColor(46, 46, 46)
                   : look == Look::Over ? QColor(58, 58, 58)
                                        : accentAlpha(110));
        p.drawPath(path);
    } else if (kind == "cell") {
        p.fillRect(r, look == Look::Down ? kAccent : QColor(28, 28, 28));
    } else if (kind == "pic") {
        roundBox(p, r, 6, QColor(12, 12, 12), kLine);
    }
    p.restore();
}

QPainterPath windowOutline(const QSize& size, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), radius, radius);
    return path;
}

/// A picture of `size` layout units painted at `scale` pixels a unit: the painter draws in
/// layout units, so the same drawing code paints the 1x and the 2x set.
QImage picture(const QSize& size, QImage::Format format, qreal scale) {
    QImage img(size * scale, format);
    img.setDevicePixelRatio(scale);
    return img;
}

QImage maskFor(const QSize& size, qreal radius, qreal scale) {
    QImage mask = picture(size, QImage::Format_RGB32, scale);
    mask.fill(Qt::white);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(windowOutline(size, radius), Qt::black);
    return mask;
}

QImage canvas(const QSize& size, qreal radius, qreal scale) {
    QImage img = picture(size, QImage::Format_RGB32, scale);
    img.fill(QColor(10, 10, 10));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(windowOutline(size, radius), kWindow);
    p.setPen(QPen(kLine, 1));
    // The rim: a one-unit line just inside the outline, all the way round.
    QPainterPath rim;
    rim.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), radius - 0.5,
                       radius - 0.5);
    p.drawPath(rim);
    return img;
}

/// Paints the outside colour wherever the mask of the same outline is outside, so that the
/// picture's antialiased edge never reaches past the window's shape (at either scale).
void cutToMask(QImage& img, const QSize& size, qreal radius) {
    QPainterPath outside;
    outside.addRect(QRectF(-1, -1, size.width() + 2, size.height() + 2));
    outside = outside.subtracted(windowOutline(size, radius));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(outside, QColor(10, 10, 10));
}

/// A list icon of the macro page: `set` "macro" (closed group, open group, macro) or
/// "step" (delay, press, release, pointer move, lighting, CPI).
QImage listIcon(const QString& set, int kind, qreal scale) {
    QImage img = picture(QSize(16, 16), QImage::Format_ARGB32, scale);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen line(kAccent, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    if (set == QLatin1String("macro")) {
        if (kind == 0) { // a closed group: a folder with a chevron pointing right
            p.setBrush(accentAlpha(60));
            p.drawRoundedRect(QRectF(1.5, 3.5, 13, 10), 2, 2);
            p.drawLine(QPointF(6.5, 6), QPointF(9, 8.5));
            p.drawLine(QPointF(9, 8.5), QPointF(6.5, 11));
        } else if (kind == 1) { // an open group: the chevron points down
            p.setBrush(accentAlpha(120));
            p.drawRoundedRect(QRectF(1.5, 3.5, 13, 10), 2, 2);
            p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(QPointF(5.5, 7), QPointF(8, 9.5));
            p.drawLine(QPointF(8, 9.5), QPointF(10.5, 7));
        } else { // a macro: a play mark
            p.setPen(Qt::NoPen);
            p.setBrush(kGrey);
            QPolygonF play;
            play << QPointF(5, 3.5) << QPointF(12.5, 8) << QPointF(5, 12.5);
            p.drawPolygon(play);
        }
        return img;
    }
    switch (kind) {
    case 0: // a delay: a clock
        p.setPen(QPen(kGrey, 1.4));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
        break;
    case 1:   // a press: an arrow down onto a bar
    case 2: { // a release: an arrow up from a bar
        const bool press = kind == 1;
        p.setPen(QPen(press ? kAccent : kGrey, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 13.5), QPointF(13, 13.5));
        p.drawLine(QPointF(8, 2.5), QPointF(8, 10));
        const qreal tip = press ? 10 : 2.5;
        const qreal back = press ? 7 : 5.5;
        p.drawLine(QPointF(8, tip), QPointF(5, back));
        p.drawLine(QPointF(8, tip), QPointF(11, back));
        break;
    }
    case 3: // a pointer move: a cross of arrows
        p.drawLine(QPointF(8, 2), QPointF(8, 14));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        p.drawLine(QPointF(8, 2), QPointF(6, 4));
        p.drawLine(QPointF(8, 2), QPointF(10, 4));
        p.drawLine(QPointF(14, 8), QPointF(12, 6));
        p.drawLine(QPointF(14, 8), QPointF(12, 10));
        break;
    case 4: // a lighting step: a lit dot with rays
        p.setBrush(kAccent);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(5, 5, 6, 6));
        p.setPen(QPen(kAccent, 1.2, Qt::SolidLine, Qt::RoundCap));
        for (int r = 0; r < 8; ++r) {
            p.save();
            p.translate(8, 8);
            p.rotate(45.0 * r);
            p.drawLine(QPointF(0, -5), QPointF(0, -7));
            p.restore();
        }
        break;
    default: // a CPI step: three rising bars
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRect(QRectF(2, 10, 3, 4));
        p.drawRect(QRectF(6.5, 7, 3, 7));
        p.drawRect(QRectF(11, 3, 3, 11));
        break;
    }
    return img;
}

/// Writes `img` to `path`; a picture painted at twice the size goes to "name@2x.ext".
bool save(const QImage& img, const QString& name) {
    const QString path = img.devicePixelRatio() > 1
                             ? name.left(name.lastIndexOf('.')) + QStringLiteral("@2x") +
                                   name.mid(name.lastIndexOf('.'))
                             : name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool png = path.endsWith(QStringLiteral(".png"));
    if (!img.save(path, png ? "PNG" : "JPG", png ? -1 : 95)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The maintainers' names (field 0) carry the drawing style; the reader keeps only the
// rectangles, so the names are read here directly.
std::vector<QString> stylesOf(const zel::ini::IniStore& store, const std::string& path,
                              const char* section, int count) {
    std::vector<QString> styles(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string v = store.read(path, section, std::to_string(i), 259);
        styles[static_cast<std::size_t>(i)] = QString::fromStdString(v.substr(0, v.find(',')));
    }
    return styles;
}

struct Window {
    SkinLayout layout;
    std::vector<QString> styles;
};

Window loadWindow(const zel::ini::IniStore& store, const std::string& dir, SkinFile file) {
    Window w;
    zel::loadSkin(store, dir, file, w.layout, {});
    w.styles = stylesOf(store, dir + zel::skinFileInfo(file).fileName, "BUTTONPOS",
                        zel::skinFileInfo(file).entries);
    return w;
}

void drawElements(QPainter& p, const Window& w, Look look, int from = 0, int to = 1000) {
    for (std::size_t i = 0; i < w.layout.areas.size(); ++i) {
        const int n = static_cast<int>(i);
        if (n < from || n > to || w.layout.areas[i].empty() || w.styles[i].isEmpty()) {
            continue;
        }
        element(p, w.styles[i], w.layout.areas[i], look);
    }
}

void frameBackground(QPainter& p) {
    p.fillRect(QRectF(1, 1, 998, 55), kPanel);
    p.fillRect(QRectF(1, 56, 998, 1), kLine);
    roundBox(p, QRectF(10, 62, 246, 626), 10, kPanel, kLine);
    p.fillRect(QRectF(22, 354, 222, 1), kLine);
}

void mouseDrawing(QPainter& p, const Window& main) {
    QPainterPath body;
    body.moveTo(625, 84);
    body.cubicTo(700, 84, 744, 120, 748, 230);
    body.cubicTo(752, 330, 752, 430, 730, 500);
    body.cubicTo(712, 548, 670, 560, 625, 560);
    body.cubicTo(580, 560, 538, 548, 520, 500);
    body.cubicTo(498, 430, 498, 330, 502, 230);
    body.cubicTo(506, 120, 550, 84, 625, 84);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(kBody);
    p.drawPath(body);
    p.setPen(QPen(QColor(52, 52, 52), 1));
    p.drawLine(QPointF(625, 90), QPointF(625, 250));
    p.drawLine(QPointF(510, 255), QPointF(740, 255));
    // Leader lines from the label of button b to its zone, around the other zones.
    std::vector<zel::skinpaint::RouteBox> zones;
    std::vector<int> buttons;
    for (int b = 0; b < 8; ++b) {
        const Area& zone = main.layout.area(35 + b);
        if (!zone.empty() && !main.layout.area(20 + b).empty()) {
            zones.push_back(routeBox(zone));
            buttons.push_back(b);
        }
    }
    p.setPen(QPen(accentAlpha(110), 1));
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const auto route =
            zel::skinpaint::leaderRoute(routeBox(main.layout.area(20 + buttons[i])), zones, i);
        QPainterPath line(QPointF(route.front().x, route.front().y));
        for (std::size_t k = 1; k < route.size(); ++k) {
            line.lineTo(route[k].x, route[k].y);
        }
        p.setBrush(Qt::NoBrush);
        p.drawPath(line);
        p.setBrush(accentAlpha(160));
        p.drawEllipse(QPointF(route.back().x, route.back().y), 2, 2);
    }
}

void panelFromCorner(QPainter& p, const zel::CornerRect& c) {
    if (c.right <= c.left || c.bottom <= c.top) {
        return;
    }
    roundBox(p, QRectF(c.left - 1, c.top - 1, c.right - c.left + 2, c.bottom - c.top + 2), 3,
             kWindow, kLine);
}

int run(const std::string& in, const QString& out, qreal scale) {
    zel::ini::IniStore store;
    const std::string dir = in + "/1_INI_EN";
    const Window main = loadWindow(store, dir, SkinFile::Main);
    const Window adv = loadWindow(store, dir, SkinFile::Advance);
    const Window mac = loadWindow(store, dir, SkinFile::Mac);
    const Window led = loadWindow(store, dir, SkinFile::Color);
    bool ok = true;

    const QSize mainSize(1000, 700);
    const qreal mainRadius = 16;
    ok &= save(maskFor(mainSize, mainRadius, scale), out + "/main_mask.jpg");

    struct Page {
        const char* prefix;
        const Window* page;
    };
    const Page pages[] = {{"main", &main}, {"advanced", &adv}, {"mac", &mac}, {"led", &led}};
    // A page in one look; the frame around it (the main layout's elements 0..19) takes
    // the same look, except for the unavailable look, which no frame element has.
    const auto pagePicture = [&](const Window* page, Look look) {
        QImage img = canvas(mainSize, mainRadius, scale);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        frameBackground(p);
        roundBox(p, QRectF(262, 62, 728, 568), 10, QColor(26, 26, 26), kLine);
        if (page == &main) {
            mouseDrawing(p, main);
            drawElements(p, main, look, 20, 74);
        } else {
            if (page == &mac) {
                for (const auto& c : mac.layout.macroDisplays) {
                    panelFromCorner(p, c);
                }
                panelFromCorner(p, mac.layout.edits[0]);
            }
            drawElements(p, *page, look);
        }
        drawElements(p, main, look == Look::Unavailable ? Look::Normal : look, 0, 19);
        p.end();
        cutToMask(img, mainSize, mainRadius);
        return img;
    };
    QImage ledNormal;
    for (const Page& pg : pages) {
        for (Look look : {Look::Normal, Look::Over, Look::Down}) {
            const QImage img = pagePicture(pg.page, look);
            static const char* suffix[] = {"_normal.jpg", "_over.jpg", "_down.jpg"};
            ok &= save(img, out + "/" + pg.prefix + suffix[static_cast<int>(look)]);
            if (pg.page == &led && look == Look::Normal) {
                ledNormal = img;
            }
        }
    }
    // The advanced page's choices the program does not offer (polling rates other than the
    // one it keeps) are composed from this picture.
    ok &= save(pagePicture(&adv, Look::Unavailable), out + "/advanced_off.jpg");
    // Lighting covers: the normal page dimmed, copied over the controls an effect lacks.
    {
        QImage null = ledNormal.copy();
        QPainter p(&null);
        p.fillRect(null.rect(), QColor(22, 22, 22, 205));
        ok &= save(null, out + "/led_null.jpg");
        QImage alt = ledNormal.copy();
        QPainter q(&alt);
        q.setRenderHint(QPainter::Antialiasing);
        const Area& panel = led.layout.area(78);
        roundBox(q, rectOf(panel), 10, QColor(24, 24, 24), kAccent);
        for (int i = 0; i < 6; ++i) {
            static const QColor dots[] = {QColor(255, 40, 40),
                                          QColor(255, 160, 0),
                                          QColor(255, 240, 0),
                                          QColor(40, 220, 80),
                                          kAccent,
                                          QColor(190, 80, 255)};
            q.setPen(Qt::NoPen);
            q.setBrush(dots[i]);
            q.drawEllipse(QPointF(panel.x + 40 + i * 36, panel.y + 40), 10, 10);
        }
        ok &= save(alt, out + "/new_down.jpg");
    }

    // Dialog windows.
    struct DialogSet {
        const char* prefix;
        SkinFile file;
        QSize size;
    };
    const DialogSet dialogs[] = {{"warning", SkinFile::Warning, {400, 200}},
                                 {"keyset", SkinFile::KeySet, {360, 200}},
                                 {"combinationKey", SkinFile::ShortCut, {480, 330}},
                                 {"gun", SkinFile::Gun, {560, 400}},
                                 {"sound", SkinFile::Sound, {520, 320}}};
    for (const DialogSet& d : dialogs) {
        const Window w = loadWindow(store, dir, d.file);
        ok &= save(maskFor(d.size, 12, scale), out + "/" + d.prefix + "_mask.jpg");
        for (Look look : {Look::Normal, Look::Over, Look::Down}) {
            QImage img = canvas(d.size, 12, scale);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            // The accent line along the top ends where the rounded corners begin: the
            // outside colour stays clean beside the window's edge.
            p.fillRect(QRectF(12, 1, d.size.width() - 24, 1), kAccent);
            if (d.file == SkinFile::Gun) {
                for (const auto& c : w.layout.edits) {
                    panelFromCorner(p, c);
                }
            }
            drawElements(p, w, look);
            p.end();
            cutToMask(img, d.size, 12);
            static const char* suffix[] = {"_normal.jpg", "_over.jpg", "_down.jpg"};
            ok &= save(img, out + "/" + d.prefix + suffix[static_cast<int>(look)]);
        }
    }

    // Popup menus: rows of a fixed height; over and down light every row band.
    struct MenuSet {
        QString path;
        QSize size;
        int row;
        QString suffix;
    };
    const MenuSet menus[] = {{"/menu", {160, 450}, 30, ""},
                             // As wide as a button label and the pixel the window adds.
                             {"/menu1", {197, 450}, 30, ""},
                             {"/menu2", {300, 450}, 30, ""},
                             {"/Profile", {200, 450}, 30, ""},
                             {"/led_menu", {300, 435}, 29, ""},
                             {"/more", {200, 450}, 30, ""},
                             {"/Macro_menu", {300, 450}, 30, ""},
                             {"/MacMenu/Insert", {160, 140}, 20, ""},
                             {"/MacMenu/Insert2th", {160, 300}, 20, ""},
                             {"/MacMenu/Insert3th", {160, 300}, 20, ""},
                             {"/MacMenu/MacG", {160, 180}, 20, ""},
                             {"/MacMenu/MacR", {160, 80}, 20, ""},
                             {"/MacMenu/MacR", {160, 40}, 20, "2"}};
    for (const MenuSet& m : menus) {
        QImage mask = picture(m.size, QImage::Format_RGB32, scale);
        mask.fill(Qt::black);
        ok &= save(mask, out + m.path + "_mask" + m.suffix + ".jpg");
        for (Look look : {Look::Normal, Look::Over, Look::Down}) {
            QImage img = picture(m.size, QImage::Format_RGB32, scale);
            img.fill(kPanel);
            QPainter p(&img);
            p.setPen(kLine);
            p.drawRect(QRect(QPoint(0, 0), m.size).adjusted(0, 0, -1, -1));
            for (int y = 0; y + m.row <= m.size.height(); y += m.row) {
                const QRectF band(1, y, m.size.width() - 2, m.row);
                if (look == Look::Over) {
                    p.fillRect(band, QColor(46, 46, 46));
                    // The accent mark at the row's left, except where a row's text starts
                    // at that edge (the lighting reactions), which it would run into.
                    if (m.path != QLatin1String("/menu")) {
                        p.fillRect(QRectF(1, y + 4, 3, m.row - 8), kAccent);
                    }
                } else if (look == Look::Down) {
                    p.fillRect(band, accentAlpha(90));
                } else if (y > 0) {
                    p.fillRect(QRectF(8, y, m.size.width() - 16, 1), QColor(38, 38, 38));
                }
            }
            p.end();
            static const char* suffix[] = {"_normal", "_over", "_down"};
            ok &= save(img, out + m.path + suffix[static_cast<int>(look)] + m.suffix + ".jpg");
        }
    }

    // The slider thumb.
    {
        QImage thumb = picture(QSize(14, 14), QImage::Format_ARGB32, scale);
        thumb.fill(Qt::transparent);
        QPainter p(&thumb);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(1, 1, 12, 12), 3, 3);
        p.end();
        ok &= save(thumb, out + "/moveRect.png");
    }

    // The macro page's list icons, 16 x 16 with alpha: the macro list's by row kind
    // (closed group, open group, macro) and the step list's by display kind (pause or
    // delay, press, release, pointer move, lighting, CPI).
    for (int i = 0; i < 3; ++i) {
        ok &= save(listIcon(QStringLiteral("macro"), i, scale),
                   out + QStringLiteral("/MacList/macro%1.png").arg(i));
    }
    for (int i = 0; i < 6; ++i) {
        ok &= save(listIcon(QStringLiteral("step"), i, scale),
                   out + QStringLiteral("/MacList/step%1.png").arg(i));
    }

    // Weapon pictures at the size of the dialog's picture element.
    {
        const Window gun = loadWindow(store, dir, SkinFile::Gun);
        const Area& pic = gun.layout.area(4);
        for (int i = 1; i <= 12; ++i) {
            QImage img = picture(QSize(pic.width, pic.height), QImage::Format_RGB32, scale);
            img.fill(QColor(14, 14, 14));
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            const qreal w = pic.width;
            const qreal h = pic.height;
            const qreal barrel = 0.25 + 0.04 * (i % 5);
            const QColor metal(120 + 6 * i, 124 + 4 * i, 130);
            p.setPen(Qt::NoPen);
            p.setBrush(metal);
            p.drawRoundedRect(QRectF(w * 0.18, h * 0.38, w * 0.5, h * 0.16), 4, 4);
            p.drawRect(QRectF(w * 0.68, h * 0.42, w * barrel, h * 0.06));
            p.drawRoundedRect(QRectF(w * 0.05, h * 0.4, w * 0.15, h * (0.16 + 0.02 * (i % 3))), 3,
                              3);
            p.drawRoundedRect(QRectF(w * 0.42, h * 0.54, w * 0.06, h * (0.18 + 0.02 * (i % 4))), 2,
                              2);
            p.drawRoundedRect(QRectF(w * 0.25, h * 0.54, w * 0.05, h * 0.2), 2, 2);
            p.setBrush(kAccent);
            p.drawRect(QRectF(w * 0.3, h * 0.34, w * (0.08 + 0.01 * i), h * 0.04));
            p.end();
            ok &= save(img, out + QStringLiteral("/Gun/%1.jpg").arg(i));
        }
    }

    // Per-language pictures: the language rows of the language menu and the hint badge.
    struct LangPic {
        const char* folder;
        const char* name;
        const char* family;
    };
    const LangPic langs[] = {{"/0_INI_CN", "中文", "WenQuanYi Micro Hei"},
                             {"/1_INI_EN", "English", "Liberation Sans"},
                             {"/4_INI_DE", "Deutsch", "Liberation Sans"}};
    for (const LangPic& l : langs) {
        for (bool over : {false, true}) {
            // As wide as the language element the list opens below, so that the row shows
            // the picture unscaled.
            QImage img = picture(QSize(100, 30), QImage::Format_RGB32, scale);
            img.fill(over ? QColor(46, 46, 46) : kPanel);
            QPainter p(&img);
            if (over) {
                p.fillRect(QRectF(0, 4, 3, 22), kAccent);
            }
            QFont f(QString::fromUtf8(l.family));
            f.setPixelSize(15);
            p.setFont(f);
            p.setPen(over ? QColor(Qt::white) : kGrey);
            p.drawText(QRect(0, 0, 100, 30), Qt::AlignCenter, QString::fromUtf8(l.name));
            p.end();
            ok &= save(img, out + l.folder + (over ? "/ver_over.jpg" : "/ver_normal.jpg"));
        }
        QImage badge = picture(QSize(36, 36), QImage::Format_ARGB32, scale);
        badge.fill(Qt::transparent);
        QPainter p(&badge);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(accentAlpha(220));
        p.drawRoundedRect(QRectF(1, 1, 34, 34), 8, 8);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF{QPointF(12, 9), QPointF(27, 18), QPointF(12, 27)});
        p.end();
        ok &= save(badge, out + l.folder + "/zhi.png");
    }
    return ok ? 0 : 1;
}

int runProgram(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zel_skinpaint <layout skins folder> <output skins folder>\n");
        return 2;
    }
    // Every picture twice: at the layout's size and at twice it for screens scaled above
    // 100 %.
    const int plain = run(argv[1], QString::fromLocal8Bit(argv[2]), 1);
    const int doubled = run(argv[1], QString::fromLocal8Bit(argv[2]), 2);
    return plain != 0 ? plain : doubled;
}

} // namespace

int main(int argc, char** argv) {
    return zel::guardedMain("zel_skinpaint", [&] { return runProgram(argc, argv); });
}
