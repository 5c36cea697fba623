#include "app/RecordingKeyboard.h"

#include "ui/keys/KeyEventCodes.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace zel {

namespace {

constexpr std::uint8_t kVkReturn = 0x0D;
constexpr std::uint8_t kVkEscape = 0x1B;
constexpr std::uint8_t kVkF10 = 0x79;

} // namespace

RecordingKeyboard::RecordingKeyboard(QWidget* window, Sink sink)
    : m_window(window), m_capture(window), m_sink(std::move(sink)) {
    QCoreApplication::instance()->installEventFilter(this);
}

RecordingKeyboard::~RecordingKeyboard() {
    stop();
}

void RecordingKeyboard::stop() {
    if (!m_active) {
        return;
    }
    m_active = false;
    QCoreApplication::instance()->removeEventFilter(this);
    // Until it is deleted the capture must not take the keyboard again when the window
    // shows.
    m_window->removeEventFilter(&m_capture);
    m_capture.release();
}

bool RecordingKeyboard::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (!m_active || (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
                      type != QEvent::ShortcutOverride)) {
        return QObject::eventFilter(watched, event);
    }
    // No shortcut fires and no widget sees a key while recording.
    event->accept();
    if (type == QEvent::ShortcutOverride) {
        return true;
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const bool press = type == QEvent::KeyPress;
    const std::uint8_t vk = virtualKeyOf(key);
    if (key.isAutoRepeat() || vk == 0 || (press && (vk == kVkEscape || vk == kVkReturn))) {
        return true;
    }
    // The system reports keys pressed with Alt held, and F10, as system keys.
    const bool system = key.modifiers().testFlag(Qt::AltModifier) || vk == kVkF10;
    const KeyMessage message = press ? (system ? KeyMessage::SysKeyDown : KeyMessage::KeyDown)
                                     : (system ? KeyMessage::SysKeyUp : KeyMessage::KeyUp);
    if (m_sink) {
        m_sink(message, vk);
    }
    return true;
}

} // namespace zel
