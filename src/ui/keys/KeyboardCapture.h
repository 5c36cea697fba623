#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

namespace zel {

/// Takes the keyboard for a key capture dialog while it is shown, so that every key,
/// system keys included, reaches only that dialog.
///
/// On X11 the dialog grabs the keyboard once its window is mapped; the server refuses a
/// grab for a window that is not yet viewable, so a refused grab is tried again every
/// few milliseconds for a short while. The grab is released when the dialog hides or is
/// destroyed (and the server drops it with the connection if the program dies). A Wayland
/// client cannot grab the keyboard: there the dialog gets the keys that reach it while it
/// has the focus, and nothing more is claimed. Other platforms (offscreen) route the
/// program's own key events to the dialog. The dialog holds it as a member, so it lets go
/// before the window itself is torn down.
class KeyboardCapture final : public QObject {
    Q_OBJECT
public:
    explicit KeyboardCapture(QWidget* dialog);
    ~KeyboardCapture() override;
    KeyboardCapture(const KeyboardCapture&) = delete;
    KeyboardCapture& operator=(const KeyboardCapture&) = delete;

    /// Releases the keyboard and stops trying to take it (idempotent).
    void release();
    /// True while the keyboard is held for the dialog.
    bool holding() const { return m_holding; }

    /// Tries before a refused X11 grab is given up, and the pause between them.
    static constexpr int kGrabAttempts = 100;
    static constexpr int kGrabRetryMs = 10;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tryGrab();

    QWidget* m_dialog;
    QTimer m_retry;
    int m_attemptsLeft = 0;
    bool m_holding = false;
};

} // namespace zel
