#include "ui/keys/CDialogGetKey.h"

#include "presentation/LayoutElements.h"
#include "ui/AppMessage.h"
#include "ui/keys/KeyEventCodes.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace zel {

namespace {

namespace elements = layout::skin_keyset;

const QColor kCapturedColour(7, 188, 255);

} // namespace

KeyCaptureDialog::KeyCaptureDialog(const KeyDialogContext& context, SkinFile file,
                                   const std::string& pictures, int lastHit, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_keys(context.keys),
      m_language(context.language), m_owner(owner) {
    setWindowTitle(context.title);
    SkinLayout layout;
    m_layoutMissing = loadSkin(context.ini, context.languageDir, file, layout,
                               ReaderSinks{nullptr, context.messages}) == LoadStatus::FileMissing;
    m_surface.setLayout(std::move(layout), lastHit);
    m_surface.setPictures(
        PictureSet::load(context.skinsDir, pictures, pictureScaleFor(devicePixelRatioF())));
    m_surface.setFont(context.font);
    if (!m_surface.shape().isEmpty()) {
        setMask(m_surface.shape());
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setModal(true);
    setFocusPolicy(Qt::StrongFocus);
}

int KeyCaptureDialog::exec() {
    if (m_layoutMissing) {
        m_capturing = false;
        setResult(0);
        return 0;
    }
    return QDialog::exec();
}

void KeyCaptureDialog::finish(int result) {
    m_capturing = false;
    m_capture.release();
    static_cast<void>(m_surface.released());
    update();
    done(result);
}

QImage KeyCaptureDialog::baseFrame() const {
    const PictureSet& pictures = m_surface.pictures();
    QImage frame = frameFrom(pictures.normal, size(), devicePixelRatioF(), QColor(22, 22, 22));
    if (m_surface.hot() != SkinSurface::kNone) {
        composeArea(frame, m_surface.isPressed() ? pictures.down : pictures.over,
                    area(m_surface.hot()));
    }
    return frame;
}

bool KeyCaptureDialog::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // No shortcut of the program fires while a key is being captured.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        // Every key ends here: none is passed on to the dialog's default handling, so Esc,
        // Enter and F10 never close it. A held key repeats the same press: taken once.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (m_capturing && !key->isAutoRepeat()) {
            const std::uint8_t vk = virtualKeyOf(*key);
            if (vk != 0) {
                keyCaptured(vk);
            }
        }
        event->accept();
        return true;
    }
    case QEvent::KeyRelease:
        event->accept();
        return true;
    default:
        return QDialog::event(event);
    }
}

void KeyCaptureDialog::paintEvent(QPaintEvent*) {
    // Composed off screen and copied in one operation.
    QPainter p(this);
    p.drawImage(0, 0, compose());
}

void KeyCaptureDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_surface.pointerMoved(event->position().toPoint())) {
        update();
    }
}

void KeyCaptureDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_surface.pressed(event->position().toPoint())) {
        update();
        elementPressed(m_surface.hot());
    } else {
        emptyPressed(event);
    }
}

void KeyCaptureDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    static_cast<void>(m_surface.released());
    update();
}

CDialogGetKey::CDialogGetKey(const KeyDialogContext& context, CapturedKey& result,
                             QPoint popupPosition, QWidget* owner)
    : KeyCaptureDialog(context, SkinFile::KeySet, "/keyset", elements::kLastHit, owner),
      m_result(result) {
    setFixedSize(kSize);
    move(popupPosition);
}

QImage CDialogGetKey::compose() const {
    QImage frame = baseFrame();
    const QFont& font = surface().font();
    for (int i = 0; i <= elements::kLastElement; ++i) {
        if (i == elements::kKey) {
            SkinSurface::drawCentred(frame, area(i), QString::fromStdString(m_result.name), font,
                                     kCapturedColour);
        } else {
            SkinSurface::drawCentred(frame, area(i), QString::fromStdString(area(i).label), font,
                                     Qt::white);
        }
    }
    return frame;
}

QString CDialogGetKey::elementText(int element) const {
    return element == elements::kKey ? QString::fromStdString(m_result.name)
                                     : KeyCaptureDialog::elementText(element);
}

void CDialogGetKey::keyCaptured(std::uint8_t virtualKey) {
    // Every key, modifiers included, replaces the one before.
    m_result.code = keys().vkToDeviceCode(language(), virtualKey);
    m_result.name = keys().deviceCodeName(language(), m_result.code);
    update();
}

void CDialogGetKey::elementPressed(int element) {
    if (element == elements::kOk) {
        if (owner() != nullptr) {
            QCoreApplication::postEvent(owner(), new AppMessage(msg::kKeyCaptured));
        }
        finish(0);
    } else if (element == elements::kCancel) {
        finish(0);
    }
}

QPoint keyDialogPosition(const QWidget& mainWindow) {
    return mainWindow.frameGeometry().topLeft() + QPoint(330, 280);
}

} // namespace zel
