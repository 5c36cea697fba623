#include "ui/WarningDlg.h"

#include "presentation/LayoutElements.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace zel {

namespace {

namespace elements = layout::lb_warning;

/// The box's elements: its two buttons (elements 0 .. kLastHit), the message, the notice
/// caption and the second line.
constexpr int kElementCount = elements::kLastElement + 1;

constexpr QSize kPlainSize(400, 200);

// The rectangles of a box without its layout: OK at the bottom, close at the top right.
const std::array<Area, kElementCount> kPlainRects = {{{140, 146, 120, 36, ""},
                                                      {360, 10, 30, 30, ""},
                                                      {24, 48, 352, 88, ""},
                                                      {24, 12, 320, 26, ""},
                                                      {24, 108, 352, 30, ""}}};

} // namespace

WarningDlg::WarningDlg(const WarningSkin& skin, const WarningRequest& request, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_layout(skin.layout),
      m_font(skin.font), m_kind(request.kind) {
    m_pictures = PictureSet::load(skin.skinsDir, "/warning", pictureScaleFor(devicePixelRatioF()));
    m_layout.areas.resize(kElementCount);
    m_texts[elements::kOk] = QString::fromStdString(m_layout.area(elements::kOk).label);
    m_texts[elements::kMessage] = QString::fromStdString(request.text);
    m_texts[elements::kNotice] = QString::fromStdString(m_layout.area(elements::kNotice).label);
    m_texts[elements::kSecondLine] =
        QString::fromStdString(m_layout.area(elements::kSecondLine).label);

    const QRegion shape = shapeFromMask(m_pictures.mask);
    // An empty shape would leave nothing to click: the box is then a plain rectangle with
    // its two buttons drawn by the program.
    m_plain = shape.isEmpty();
    if (m_plain) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(kElementCount); ++i) {
            if (m_layout.areas[i].empty()) {
                m_layout.areas[i] = Area{kPlainRects[i].x, kPlainRects[i].y, kPlainRects[i].width,
                                         kPlainRects[i].height, m_layout.areas[i].label};
            }
        }
        setFixedSize(kPlainSize);
    } else {
        setFixedSize(layoutSize(m_pictures.mask));
        setMask(shape);
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setModal(true);
    move(request.popupPosition);
}

const Area& WarningDlg::rect(int index) const {
    return m_layout.area(index);
}

QImage WarningDlg::compose() const {
    QImage frame;
    if (m_plain) {
        frame = framePicture(size(), devicePixelRatioF());
        frame.fill(QColor(22, 22, 22));
        QPainter p(&frame);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(7, 188, 255));
        p.drawRect(QRect(QPoint(0, 0), size()).adjusted(0, 0, -1, -1));
        // The buttons are the hit-tested elements; the hover is the button's number + 1.
        for (int i = 0; i <= elements::kLastHit; ++i) {
            const Area& a = rect(i);
            const QRect r(a.x, a.y, a.width, a.height);
            p.setPen(m_hover == i + 1 ? QColor(7, 188, 255) : QColor(90, 90, 90));
            p.setBrush(m_hover == i + 1 ? QColor(48, 48, 48) : QColor(38, 38, 38));
            p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
            p.setPen(QPen(Qt::white, 2));
            const QPointF c = QRectF(r).center();
            if (i == elements::kOk) {
                p.drawLine(c + QPointF(-8, 0), c + QPointF(-2, 6));
                p.drawLine(c + QPointF(-2, 6), c + QPointF(8, -6));
            } else {
                p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
                p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
            }
        }
    } else {
        frame = frameFrom(m_pictures.normal, size(), devicePixelRatioF(), QColor(22, 22, 22));
        if (m_hover == 1 || m_hover == 2) {
            composeArea(frame, m_pictures.over, rect(m_hover - 1));
        }
    }
    // The kind is the element that shows the text; the notice also shows the second line.
    if (m_kind >= 0 && m_kind < kElementCount) {
        SkinSurface::drawCentred(frame, rect(m_kind), m_texts[static_cast<std::size_t>(m_kind)],
                                 m_font, Qt::white);
    }
    if (m_kind == elements::kNotice) {
        SkinSurface::drawCentred(frame, rect(elements::kSecondLine), m_texts[elements::kSecondLine],
                                 m_font, Qt::white);
    }
    return frame;
}

QString WarningDlg::shownText() const {
    if (m_kind < 0 || m_kind >= kElementCount) {
        return {};
    }
    QString text = m_texts[static_cast<std::size_t>(m_kind)];
    if (m_kind == elements::kNotice && !m_texts[elements::kSecondLine].isEmpty()) {
        text += QLatin1Char('\n') + m_texts[elements::kSecondLine];
    }
    return text;
}

void WarningDlg::setMessage(const QString& text) {
    m_texts[elements::kMessage] = text;
    if (m_kind == elements::kMessage) {
        update();
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void WarningDlg::paintEvent(QPaintEvent*) {
    // Composed off screen and copied in one operation.
    QPainter p(this);
    p.drawImage(0, 0, compose());
}

void WarningDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    int hover = 255;
    if (rect(elements::kOk).contains(pt.x(), pt.y())) {
        hover = 1;
    } else if (rect(elements::kClose).contains(pt.x(), pt.y())) {
        hover = 2;
    }
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
}

void WarningDlg::mousePressEvent(QMouseEvent* event) {
    // A press does nothing; the release on a button area ends the box.
    event->accept();
}

void WarningDlg::mouseReleaseEvent(QMouseEvent* event) {
    mouseMoveEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_hover == 1) {
        done(1);
    } else if (m_hover == 2) {
        done(2);
    }
}

void WarningDlg::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter are not answered, and no other key closes the box either.
    event->accept();
}

int ShowWarning(WarningRequest& request, const WarningSkin& skin, QWidget* mainWindow,
                const std::function<void(WarningDlg*)>& opened) {
    if (request.placement == 0 && mainWindow != nullptr) {
        request.popupPosition = mainWindow->frameGeometry().topLeft() + QPoint(330, 280);
    } else if (request.placement == 2) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect desktop = screen != nullptr ? screen->geometry() : QRect(0, 0, 1920, 1080);
        request.popupPosition = QPoint(desktop.width() / 2 - 200, desktop.height() / 2 - 100);
    }
    WarningDlg box(skin, request, mainWindow);
    if (opened) {
        opened(&box);
    }
    const int result = box.exec();
    if (opened) {
        opened(nullptr);
    }
    return result;
}

void QtWarningSink::warn(Tip tip) {
    m_request.text = m_pack.tipText(tip);
    m_request.kind = 2;
    static_cast<void>(ShowWarning(m_request, m_skin(), m_mainWindow ? m_mainWindow() : nullptr));
}

} // namespace zel
