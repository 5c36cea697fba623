#pragma once

#include "common/WarningSink.h"
#include "keys/CombinationInput.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"
#include "ui/SkinSurface.h"
#include "ui/keys/KeyboardCapture.h"

#include <QDialog>
#include <QFont>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <string>

namespace zel {

/// What both key capture dialogs are built from: the stores and folders of the current
/// language, its key tables, its font of class 2 and its product name (the title).
struct KeyDialogContext {
    const ini::IniStore& ini;
    std::string skinsDir;
    std::string languageDir;
    int language = 0;
    const MacVkAndText& keys;
    QFont font;
    QString title;
    /// Where the plain message boxes of a missing or broken layout file go.
    MessageSink* messages = nullptr;
};

/// The common part of the two key capture dialogs: a frameless modal skinned window that
/// holds the keyboard while it is open, hit-tests its layout, turns each key press into a
/// virtual-key code for the dialog, and never ends on Esc, Enter or F10. Only its own
/// elements end it. A dialog whose layout file is missing shows the message box while it
/// is built and ends at once with 0 when it is run.
class KeyCaptureDialog : public QDialog {
    Q_OBJECT
public:
    int exec() override;
    /// The system's and the keyboard's ways of dismissing a dialog do nothing here.
    void reject() override {}

    bool layoutMissing() const { return m_layoutMissing; }
    bool capturing() const { return m_capturing; }
    bool holdingKeyboard() const { return m_capture.holding(); }
    int hot() const { return m_surface.hot(); }
    bool isPressed() const { return m_surface.isPressed(); }
    /// Element `index` of the layout (an empty area when there is none).
    const Area& area(int index) const { return m_surface.layout().area(index); }
    /// The picture the dialog shows now.
    virtual QImage compose() const = 0;
    /// The text element `element` shows now: its label unless the dialog shows what was
    /// entered there.
    virtual QString elementText(int element) const {
        return QString::fromStdString(area(element).label);
    }
    /// Whether toggle element `element` is on.
    virtual bool elementOn(int /*element*/) const { return false; }

protected:
    KeyCaptureDialog(const KeyDialogContext& context, SkinFile file, const std::string& pictures,
                     int lastHit, QWidget* owner);

    /// A key press while capturing, as its virtual-key code (never 0).
    virtual void keyCaptured(std::uint8_t virtualKey) = 0;
    /// A left-button press on element `element` (pressed is set and repainted already).
    virtual void elementPressed(int element) = 0;
    /// A left-button press on no element.
    virtual void emptyPressed(QMouseEvent* event) { static_cast<void>(event); }
    /// Stops capturing, lets the keyboard go, clears pressed and ends with `result`.
    void finish(int result);
    /// The normal picture with the hot element from the over (or down) picture.
    QImage baseFrame() const;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    const SkinSurface& surface() const { return m_surface; }
    int language() const { return m_language; }
    const MacVkAndText& keys() const { return m_keys; }
    QWidget* owner() const { return m_owner; }

private:
    SkinSurface m_surface;
    const MacVkAndText& m_keys;
    int m_language;
    QPointer<QWidget> m_owner;
    bool m_layoutMissing = false;
    bool m_capturing = true;
    KeyboardCapture m_capture{this};
};

/// The key dialog: captures one key for a macro step. Entry 0 shows the captured key's
/// name; OK (1) posts msg::kKeyCaptured to the owner and ends, cancel (2) just ends.
class CDialogGetKey final : public KeyCaptureDialog {
    Q_OBJECT
public:
    static constexpr QSize kSize{360, 200};

    /// `result` holds the step's current key when the dialog opens and the captured key
    /// afterwards; `popupPosition` is where the dialog opens.
    CDialogGetKey(const KeyDialogContext& context, CapturedKey& result, QPoint popupPosition,
                  QWidget* owner = nullptr);

    QImage compose() const override;
    QString elementText(int element) const override;

protected:
    void keyCaptured(std::uint8_t virtualKey) override;
    void elementPressed(int element) override;

private:
    CapturedKey& m_result;
};

/// Where the key dialog opens: beside the main window's top-left corner.
QPoint keyDialogPosition(const QWidget& mainWindow);

} // namespace zel
