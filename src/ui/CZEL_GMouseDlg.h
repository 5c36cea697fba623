#pragma once

#include "presentation/MainWindowSkin.h"
#include "ui/AppMessage.h"
#include "ui/MainWindowHooks.h"
#include "ui/PointerState.h"
#include "ui/menus/MenuContext.h"
#include "ui/pages/MainWindowPage.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QTimer;

namespace zel {

class CMenuDlg;

/// The main window: one borderless, mask-shaped window showing one of four pages drawn
/// from skin pictures. Every place the user can point at is an element of a layout; the
/// window decides which element is under the pointer, holds the pointer state, runs the
/// frame around the pages (tabs, title controls, profile column, Apply), lets the sliders
/// follow the pointer and the window follow a drag on empty space, and composes the shown
/// page (`MainWindowPage`) inside the frame.
class CZEL_GMouseDlg final : public QWidget {
    Q_OBJECT
public:
    CZEL_GMouseDlg(MainWindowContext context, MainWindowSkin& skin, MainWindowHooks hooks,
                   QWidget* parent = nullptr);
    ~CZEL_GMouseDlg() override;

    /// Resizes and shapes the window from the mask (the skin was reloaded).
    void applyShape();
    /// The whole window as it is painted now, at the window's device pixel ratio.
    QImage compose() const;
    /// The same at `devicePixelRatio`: layout units times it in pixels, the pictures
    /// scaled to it and the texts drawn at its resolution.
    QImage compose(qreal devicePixelRatio) const;
    /// Draws the whole window as it is painted now onto `image` (of the window's size).
    void composeInto(QImage& image) const;
    /// Every text the window draws now (the frame's, then the shown page's), with its
    /// element and placement, in the order they are drawn. The font is the language's.
    void placeTexts(const TextSink& out) const;

    /// The element of the main layout under a point (kNoElement = none); the buttons page
    /// hit-tests more of it than the others.
    int hitTestMain(QPoint p) const;

    /// Restores the window (a second start, the tray icon).
    void showAndRestore();

    /// The page shown, the elements under the pointer, the slider being dragged.
    PointerState& pointer() { return m_pointer; }
    const PointerState& pointer() const { return m_pointer; }

    /// The system close (the caption's close or the desktop's): minimise and hide into
    /// the tray, or only minimise when there is no tray, so the window stays reachable.
    std::function<bool()> trayAvailable;

    /// Runs once, after the first paint of the window (start-up timing).
    std::function<void()> firstPainted;

    /// Shows a plain notice to the user (a message box unless replaced, as tests do).
    std::function<void(const QString& text)> showNotice;

    /// Whether a press or release may go on while a macro is recorded.
    bool recordingAllows() const;

    /// Shows `popup` at `geometry` as the window's open popup; a press in the window closes it.
    void showPopup(CMenuDlg* popup, QRect geometry);
    /// Closes the open popup, if any.
    void closePopup();

    /// What the window draws from (its accessible interface reads them too).
    const MainWindowContext& context() const { return m_ctx; }
    const MainWindowSkin& skin() const { return m_skin; }
    const MainWindowHooks& hooks() const { return m_hooks; }
    /// The function label the element of button `slot` shows.
    QString buttonLabel(int slot) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void updateHot(QPoint p);
    void applySlider(int x);
    void dispatchPress();
    void dispatchRelease();
    void changePage(PageId page);
    /// Repaints the window around its child controls (the macro page's lists), which paint
    /// themselves.
    void updateOutsideControls();
    void openLanguagePopup(int element, bool withList);
    void openAssignmentPopup(int slot);
    void openLightingPopup(PopupKind kind, int element, int button);
    void chooseColour(PressOutcome::Kind kind, int slot);
    void languageChosen(std::int64_t kind, std::int64_t row);
    void storeCombination(std::int64_t argument, const std::string& tokens);
    void startWindowDrag(QPoint globalPos);
    /// Brings the window back where its top band can be reached, when a move left it off
    /// every screen.
    void keepReachable();
    void warn(Tip tip) const;
    void noticeMissingLightingTag();

    const MainWindowPage& shownPage() const;
    ProfileSettings& currentProfile() const;
    PageView pageView(const QFont& font) const;

    // Painting.
    void paintHot(QImage& image, const PageView& view) const;
    void paintFrame(QImage& image) const;
    void placeFrameTexts(const TextSink& out) const;
    /// The Apply element's fill while a download runs.
    void paintApply(QImage& image, const Area& area) const;

    MainWindowContext m_ctx;
    MainWindowSkin& m_skin;
    MainWindowHooks m_hooks;
    PointerState m_pointer;
    std::array<std::unique_ptr<MainWindowPage>, kPageCount> m_pages;
    QPointer<QWidget> m_popup;
    QPoint m_dragOffset;
    bool m_windowDrag = false;
    /// Waits for the window to be still after a move (see `keepReachable`).
    QTimer* m_reachTimer = nullptr;
    static constexpr int kReachSettleMs = 400;
    /// The top band the user drags the window by, and how much of it stays on a screen.
    static constexpr int kTitleBand = 56;
    static constexpr int kReachableWidth = 160;
    int m_pressX = 0;
    bool m_painted = false;
    bool m_tagNoticeShown = false;
    QPoint m_pressGlobal;
};

} // namespace zel
