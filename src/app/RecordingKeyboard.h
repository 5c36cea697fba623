#pragma once

#include "macros/MacroRecorder.h"
#include "ui/keys/KeyboardCapture.h"

#include <QObject>

#include <cstdint>
#include <functional>

class QWidget;

namespace zel {

/// The keyboard while a macro is recorded. The main window takes it from the rest of the
/// desktop (the X11 grab of `KeyboardCapture`; on Wayland and offscreen, what reaches the
/// program's focused window), and every key event of the program, whichever widget it was
/// meant for, is turned into a key message for the recorder and goes no further. As in the
/// window's own key handling, a press of Esc or Enter is the window's and is not recorded.
/// The keyboard's auto-repeats are left out here already.
class RecordingKeyboard final : public QObject {
public:
    using Sink = std::function<void(KeyMessage message, std::uint8_t vk)>;

    RecordingKeyboard(QWidget* window, Sink sink);
    ~RecordingKeyboard() override;
    RecordingKeyboard(const RecordingKeyboard&) = delete;
    RecordingKeyboard& operator=(const RecordingKeyboard&) = delete;

    /// Gives the keyboard back and lets key events through again (idempotent); safe from
    /// inside the sink.
    void stop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    KeyboardCapture m_capture;
    Sink m_sink;
    bool m_active = true;
};

} // namespace zel
