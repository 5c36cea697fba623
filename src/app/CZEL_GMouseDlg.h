#pragma once

#include "presentation/PictureCache.h"
#include "presentation/SkinLayout.h"
#include "presentation/SkinPictures.h"
#include "session/AppState.h"

#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <future>
#include <memory>
#include <string>

namespace zel {

class FontBook;
class LanguagePack;
class ProfileStore;
struct DeviceDescription;
struct FolderTree;

/// A window message of the program (0x401, 0x40C, 0x7E9, ...) as a Qt event, carrying the
/// message number and its two arguments.
class AppMessage final : public QEvent {
public:
    static QEvent::Type eventType();
    AppMessage(int message, qintptr wParam, qintptr lParam)
        : QEvent(eventType()), message(message), wParam(wParam), lParam(lParam) {}
    int message;
    qintptr wParam;
    qintptr lParam;
};

// Message numbers the main window answers.
inline constexpr int kMsgTrayIcon = 0x401;
inline constexpr int kMsgWeaponDialog = 0x40A;
inline constexpr int kMsgMenuNotify = 0x7E9;
inline constexpr int kMsgRebuildFonts = 0x7F7;
inline constexpr int kMsgRepaint = 0x83F0;

/// What the main window needs from the rest of the program. Every hook may be empty; an
/// empty hook makes its element do nothing.
struct MainWindowHooks {
    std::function<void()> apply;                          ///< SaveWorker and the full download
    std::function<void()> importProfiles;                 ///< element 14
    std::function<void()> exportProfiles;                 ///< element 15
    std::function<void()> resetProfiles;                  ///< element 16
    std::function<void()> shutDown;                       ///< the shut-down sequence (element 1)
    std::function<void(Tip)> warn;                        ///< a warning in the warning box
    std::function<void(const std::string&)> openDocument; ///< element 19's text
    std::function<void(int)> chooseLanguage;              ///< a language from the language popup
    std::function<bool()> recording;                      ///< a macro is being recorded
    std::function<std::string(int code)> macroName;       ///< name of a macro AssignCode
    std::function<std::string(int index)> presetName;     ///< weapon preset `index`
    std::function<int()> presetCount;
    std::function<void(int slot)> openAssignmentMenu; ///< the assignment popup of a button
    std::function<void(int page)> pageChanged;        ///< the page shown now
    std::function<void(QEvent*)> otherMessage; ///< messages this window does not answer itself
};

/// Everything the main window draws from and edits; owned by the program.
struct MainWindowContext {
    AppState& state;
    ProfileStore& profiles;
    const DeviceDescription& description;
    const LanguagePack& pack;
    const FontBook& fonts;
    const FolderTree& folders;
};

/// The layouts and pictures of the four pages and the window's mask.
struct MainWindowSkin {
    SkinLayout main;
    SkinLayout advanced;
    SkinLayout macro;
    SkinLayout lighting;
    QImage mask;          ///< SkinsDir + "/main_mask.jpg"
    QRegion maskRegion;   ///< the window's shape, made from `mask`
    QImage macroLightTag; ///< the language folder's "zhi.png"
    QImage thumb;         ///< SkinsDir + "/moveRect.png"

    /// Keeps decoded full-window pictures in `folder` between runs (empty: not kept).
    void setPictureCacheFolder(const std::string& folder);

    /// Loads the main page's pictures and the small ones of `skinsDir` and `languageDir`;
    /// the other pages' pictures are read when they are first needed. The layouts are
    /// loaded by the caller.
    void loadPictures(const std::string& skinsDir, const std::string& languageDir);
    /// As `loadPictures`, but the main page's pictures are decoded on other threads while
    /// the caller goes on; `finishLoading` waits for them.
    void beginLoadPictures(const std::string& skinsDir, const std::string& languageDir);
    void finishLoading();
    /// Starts decoding the main page's four pictures, each on its own thread, as early as
    /// the skins folder is known; `beginLoadPictures` then does not start them again. The
    /// mask's thread also makes the window's shape.
    void beginMainPage(const std::string& skinsDir);
    /// Starts decoding the other three pages' pictures on other threads (once the window
    /// is on screen), so that turning to a page seldom waits.
    void beginOtherPages();
    /// The pictures of a page (by PageId: main, advanced, mac, led), read on first use.
    const PictureSet& page(int index);

private:
    struct MaskAndShape {
        QImage mask;
        QRegion shape;
    };
    QImage readFull(const std::string& path);

    std::string m_skinsDir;
    /// Declared before the decoding futures: those wait for their threads as they go,
    /// and the threads read through the cache.
    std::unique_ptr<PictureCache> m_cache = std::make_unique<PictureCache>(std::string());
    std::array<PictureSet, 4> m_pages;
    std::array<bool, 4> m_loaded{};
    std::array<std::future<QImage>, 3> m_mainPage; ///< normal, over, down
    std::future<MaskAndShape> m_mainMask;
    std::array<std::future<PictureSet>, 4> m_otherPages; ///< by page; 0 unused
};

/// The main window: one borderless, mask-shaped window showing one of four pages drawn
/// from skin pictures. Every place the user can point at is an element of the page's
/// layout; the window decides which element is under the pointer, paints the page with
/// its hover, pressed and selected looks, lets the sliders follow the pointer, and runs
/// what a click on an element means.
class CZEL_GMouseDlg final : public QWidget {
    Q_OBJECT
public:
    CZEL_GMouseDlg(MainWindowContext context, MainWindowSkin& skin, MainWindowHooks hooks,
                   QWidget* parent = nullptr);

    /// Resizes and shapes the window from the mask (the skin was reloaded).
    void applyShape();
    /// The whole window as it is painted now.
    QImage compose() const;
    /// Draws the whole window as it is painted now onto `image` (of the window's size).
    void composeInto(QImage& image) const;

    /// The element of the layout under a point, scanning entries 0..last (255 = none).
    int hitTestMain(QPoint p) const;

    /// Restores the window (a second start, the tray icon).
    void showAndRestore();

    /// The system close (the caption's close or the desktop's): minimise and hide into
    /// the tray, or only minimise when there is no tray, so the window stays reachable.
    std::function<bool()> trayAvailable;

    /// Runs once, after the first paint of the window (start-up timing).
    std::function<void()> firstPainted;

    /// Whether a press or release may go on while a macro is recorded.
    bool recordingAllows() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void updateHot(QPoint p);
    void applySlider(int x);
    void startDrag(DragMode mode, int x);
    void dispatchPress();
    void dispatchRelease();
    void changePage(PageId page);
    void openLanguagePopup(int element, bool withList);
    void startWindowDrag(QPoint globalPos);
    void warn(Tip tip) const;

    // Painting.
    const PictureSet& pagePictures() const;
    void paintHot(QImage& image) const;
    void paintPageStates(QImage& image) const;
    void paintFrame(QImage& image) const;
    void paintTexts(QImage& image) const;
    QString buttonText(int slot) const;

    MainWindowContext m_ctx;
    MainWindowSkin& m_skin;
    MainWindowHooks m_hooks;
    QPointer<QWidget> m_popup;
    QPoint m_dragOffset;
    bool m_windowDrag = false;
    int m_pressX = 0;
    bool m_painted = false;
    QPoint m_pressGlobal;
};

} // namespace zel
