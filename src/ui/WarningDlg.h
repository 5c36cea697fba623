#pragma once

#include "common/WarningSink.h"
#include "presentation/LanguagePack.h"
#include "ui/SkinSurface.h"

#include <QDialog>
#include <QPoint>

#include <functional>
#include <string>

namespace zel {

/// What the next warning box shows and where: the warning text, its kind (every caller
/// uses 2), the placement (0: beside the main window, 2: centred on the desktop) and the
/// shared popup position, which the placement sets.
struct WarningRequest {
    std::string text;
    int kind = 2;
    int placement = 0;
    QPoint popupPosition;
};

/// What the box is drawn from: SkinsDir (pictures "/warning_*.jpg"), the layout of
/// "/LBWarning.ini" and the font of role 2.
struct WarningSkin {
    std::string skinsDir;
    SkinLayout layout;
    QFont font;
};

/// The warning box: a modal skinned box that only its two button areas close (result 1
/// for rect 0, 2 for rect 1); Esc and Enter are not answered. Without its mask picture
/// it is a plain rectangular box that draws its two buttons itself.
class WarningDlg final : public QDialog {
    Q_OBJECT
public:
    WarningDlg(const WarningSkin& skin, const WarningRequest& request, QWidget* owner = nullptr);

    /// 1 over rect 0, 2 over rect 1, 255 elsewhere; 3 until the pointer first moves.
    int hover() const { return m_hover; }
    /// The picture the box shows now (also what the render command writes).
    QImage compose() const;
    /// The rectangles the box answers to (the layout's, or the fallback's).
    const Area& rect(int index) const;
    /// True when the box is drawn without its pictures.
    bool plainFallback() const { return m_plain; }
    /// The message the box shows (with its second line, when it has one).
    QString shownText() const;
    /// Replaces the message while the box is open (a box that waits for something says
    /// how it ended), repaints it and tells a screen reader.
    void setMessage(const QString& text);

    void reject() override {}

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PictureSet m_pictures;
    SkinLayout m_layout;
    QFont m_font;
    std::array<QString, 5> m_texts; ///< by element
    int m_kind;
    int m_hover = 3;
    bool m_plain = false;
};

/// Places the box by the request's placement (0: `mainWindow`'s top-left + (330, 280);
/// 2: desktop centre − (200, 100); other values leave the position), runs it modally and
/// returns 1 or 2. `opened`, when given, gets the box before it runs and null after it
/// closed, so that its owner can change the message while it shows.
int ShowWarning(WarningRequest& request, const WarningSkin& skin, QWidget* mainWindow,
                const std::function<void(WarningDlg*)>& opened = {});

/// The warning sink the core reports to: the warning's text in the current pack, kind 2, shown
/// with ShowWarning.
class QtWarningSink final : public WarningSink {
public:
    QtWarningSink(const LanguagePack& pack, WarningRequest& request,
                  std::function<const WarningSkin&()> skin, std::function<QWidget*()> mainWindow)
        : m_pack(pack), m_request(request), m_skin(std::move(skin)),
          m_mainWindow(std::move(mainWindow)) {}

    void warn(Tip tip) override;

private:
    const LanguagePack& m_pack;
    WarningRequest& m_request;
    std::function<const WarningSkin&()> m_skin;
    std::function<QWidget*()> m_mainWindow;
};

} // namespace zel
