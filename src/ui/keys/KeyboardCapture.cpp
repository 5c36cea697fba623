#include "ui/keys/KeyboardCapture.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace zel {

namespace {

enum class GrabKind { ServerGrab, FocusOnly, InProcess };

GrabKind grabKind() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        return GrabKind::ServerGrab;
    }
    if (platform.startsWith(QLatin1String("wayland"))) {
        return GrabKind::FocusOnly;
    }
    return GrabKind::InProcess;
}

} // namespace

KeyboardCapture::KeyboardCapture(QWidget* dialog) : m_dialog(dialog) {
    m_retry.setInterval(kGrabRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &KeyboardCapture::tryGrab);
    m_dialog->installEventFilter(this);
    if (m_dialog->isVisible()) {
        m_attemptsLeft = kGrabAttempts;
        tryGrab();
    }
}

KeyboardCapture::~KeyboardCapture() {
    release();
}

bool KeyboardCapture::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dialog) {
        if (event->type() == QEvent::Show) {
            m_attemptsLeft = kGrabAttempts;
            tryGrab();
        } else if (event->type() == QEvent::Hide) {
            release();
        }
    }
    return QObject::eventFilter(watched, event);
}

void KeyboardCapture::tryGrab() {
    if (m_holding || !m_dialog->isVisible()) {
        m_retry.stop();
        return;
    }
    switch (grabKind()) {
    case GrabKind::FocusOnly:
        m_retry.stop();
        return;
    case GrabKind::ServerGrab: {
        // Asked of the window directly, which tells whether the server granted it (a
        // window that is not viewable yet is refused); the widget grab then routes the
        // keys inside the program.
        QWindow* window = m_dialog->windowHandle();
        if (window == nullptr || !window->setKeyboardGrabEnabled(true)) {
            if (--m_attemptsLeft > 0) {
                m_retry.start();
            } else {
                m_retry.stop();
            }
            return;
        }
        break;
    }
    case GrabKind::InProcess:
        break;
    }
    m_retry.stop();
    m_dialog->grabKeyboard();
    m_holding = true;
}

void KeyboardCapture::release() {
    m_retry.stop();
    m_attemptsLeft = 0;
    if (!m_holding) {
        return;
    }
    m_holding = false;
    m_dialog->releaseKeyboard();
    if (grabKind() == GrabKind::ServerGrab) {
        if (QWindow* window = m_dialog->windowHandle()) {
            window->setKeyboardGrabEnabled(false);
        }
    }
}

} // namespace zel
