#include "ui/SoundWave.h"

#include "ui/pages/PagePainting.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace zel {

namespace {

SoundRect rectOf(const Area& a) {
    return {a.x, a.y, a.width, a.height};
}

Area areaOf(const SoundRect& r) {
    Area a;
    a.x = r.x;
    a.y = r.y;
    a.width = r.width;
    a.height = r.height;
    return a;
}

bool hasHoverLook(int element) {
    return element == kSoundModeBar || element == kSoundModePulse || element == kSoundModeTempo ||
           element == kSoundCloseElement;
}

} // namespace

SoundWave::SoundWave(SoundLightState& state, SoundWaveHooks hooks, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), m_state(state),
      m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("SoundWave"));
    // Every paint covers the whole window, so the background is never erased.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(kFallbackSize);
}

void SoundWave::setSkin(SkinLayout layout, PictureSet pictures, const QFont& captionFont) {
    m_layout = std::move(layout);
    for (int i = 0; i < kSoundHitElements; ++i) {
        m_hitRects[static_cast<std::size_t>(i)] = rectOf(m_layout.area(i));
    }
    m_pictures = std::move(pictures);
    // Converted once: every paint starts from a copy of it.
    if (!m_pictures.normal.isNull()) {
        m_pictures.normal = m_pictures.normal.convertToFormat(QImage::Format_RGB32);
    }
    m_font = captionFont;
    m_hot = kSoundNoElement;
    const QSize size = !m_pictures.mask.isNull()     ? m_pictures.mask.size()
                       : !m_pictures.normal.isNull() ? m_pictures.normal.size()
                                                     : kFallbackSize;
    setFixedSize(size);
    const QRegion shape = shapeFromMask(m_pictures.mask);
    if (!shape.isEmpty()) {
        setMask(shape);
    }
    update();
}

QImage SoundWave::compose() {
    QImage frame;
    if (m_pictures.normal.isNull()) {
        frame = QImage(size(), QImage::Format_RGB32);
        frame.fill(QColor(22, 22, 22));
    } else {
        frame = m_pictures.normal.copy();
    }
    if (hasHoverLook(m_hot) && !m_pressed) {
        composeArea(frame, m_pictures.over, area(m_hot));
    }
    const int mode = m_state.soundMode.load();
    if (mode >= 0 && mode <= 49) {
        composeArea(frame, m_pictures.down, area(mode));
    }
    // The switch: off (or the lights show something else) from the over picture, on from
    // the down picture; another value keeps the normal look.
    const int show = m_state.soundShow.load();
    const int lightMode = m_hooks.lightMode ? m_hooks.lightMode() : 0;
    if (show == 0 || lightMode != 0) {
        composeArea(frame, m_pictures.over, area(kSoundSwitchElement));
    } else if (show == 1) {
        composeArea(frame, m_pictures.down, area(kSoundSwitchElement));
    }
    if (soundGraphShowsBars(m_state)) {
        const auto values = soundGraphValues(m_state.sampleHistory);
        for (int k = 0; k < kSoundCells; ++k) {
            const SoundRect cell = rectOf(area(kSoundFirstCell + k));
            composeArea(frame, m_pictures.down,
                        areaOf(soundBar(cell, values[static_cast<std::size_t>(k)])));
        }
    } else {
        for (int k = 0; k < kSoundCells; ++k) {
            composeArea(frame, m_pictures.down,
                        areaOf(soundFlatLine(rectOf(area(kSoundFirstCell + k)))));
        }
    }
    // Captions under the pattern choices: centred on the element, starting its width
    // below its top.
    const int lineHeight = QFontMetrics(m_font).height();
    for (int e = kSoundModeBar; e <= kSoundModeTempo; ++e) {
        const Area& a = area(e);
        drawText(frame, captionArea(a, lineHeight), QString::fromStdString(a.label), m_font,
                 Qt::white);
    }
    return frame;
}

Area SoundWave::captionArea(const Area& tile, int lineHeight) {
    // The line, with a little room above and below it, so the text stays where it was.
    constexpr int kRoom = 4;
    return Area{tile.x, tile.y + tile.width - kRoom, tile.width, lineHeight + 2 * kRoom,
                tile.label};
}

void SoundWave::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, compose());
}

void SoundWave::updateHot(QPoint point) {
    m_hot = soundHitTest(m_hitRects, point.x(), point.y());
    if (m_hot != m_lastHot) {
        m_lastHot = m_hot;
        update();
    }
}

void SoundWave::mouseMoveEvent(QMouseEvent* event) {
    if (m_moving) {
        if ((event->buttons() & Qt::LeftButton) == 0) {
            m_moving = false;
        } else {
            move(event->globalPosition().toPoint() - m_moveOffset);
            return;
        }
    }
    updateHot(event->position().toPoint());
}

void SoundWave::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    updateHot(event->position().toPoint());
    if (m_hot != kSoundNoElement) {
        m_pressed = true;
        update();
    }
    switch (pressSoundElement(m_state, m_hot)) {
    case SoundPress::ChooseMode:
        update();
        break;
    case SoundPress::SwitchOn:
        update();
        if (m_hooks.switchedOn) {
            m_hooks.switchedOn();
        }
        break;
    case SoundPress::SwitchOff:
        update();
        if (m_hooks.switchedOff) {
            m_hooks.switchedOff();
        }
        break;
    case SoundPress::Close:
        m_pressed = false;
        if (m_hooks.closing) {
            m_hooks.closing();
        }
        hide();
        break;
    case SoundPress::MoveWindow:
        m_hot = kSoundNoElement;
        startMoving(event->globalPosition().toPoint());
        break;
    case SoundPress::Nothing:
        break;
    }
}

void SoundWave::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_moving = false;
    m_pressed = false;
    update();
}

void SoundWave::startMoving(QPoint globalPos) {
    // The compositor moves the window where it can; elsewhere the window follows the
    // pointer itself until the button comes up.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    m_moving = true;
    m_moveOffset = globalPos - frameGeometry().topLeft();
}

} // namespace zel
