#include "app/CZEL_GMouseDlg.h"

#include "app/PageLogic.h"
#include "presentation/FontBook.h"
#include "presentation/LanguagePack.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"
#include "ui/SkinSurface.h"

#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdint>
#include <sys/mman.h>

namespace zel {

namespace {

constexpr QColor kAccent(7, 188, 255);
constexpr QColor kRecording(255, 0, 0);

int lastOf(PageId page, bool mainLayout) {
    if (mainLayout) {
        return page == PageId::MainPage ? 74 : 20;
    }
    switch (page) {
    case PageId::AdvancedPage:
        return 137;
    case PageId::MacroPage:
        return 19;
    case PageId::LightingPage:
        return 70;
    case PageId::MainPage:
        break;
    }
    return 74;
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// Draws text in an element: centred, or from the left at x, with the vertical centre of a
/// rectangle `extraHeight` taller. Nothing for an element with an empty rectangle.
void drawText(QImage& image, const Area& area, const QString& text, const QFont& font,
              const QColor& colour, int dx = 0, int extraHeight = 0, bool leftAligned = false) {
    if (text.isEmpty() || (area.x + dx <= 0 && area.y <= 0)) {
        return;
    }
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(colour);
    const QRect rect(area.x + dx, area.y, area.width, area.height + extraHeight);
    const Qt::Alignment align = (leftAligned ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
    painter.drawText(rect, static_cast<int>(align) | Qt::TextSingleLine, text);
}

/// Maps all pages of a picture about to be written in one system call, which costs far
/// less than taking them one page fault at a time (the window's backing picture is fresh
/// memory at the first paint). Where the system cannot, the pages come as they are touched.
void prefault(QImage& image) {
#ifdef MADV_POPULATE_WRITE
    constexpr std::uintptr_t kPageSize = 4096;
    const auto first = reinterpret_cast<std::uintptr_t>(image.bits());
    const auto begin = first & ~(kPageSize - 1);
    const auto end = first + static_cast<std::uintptr_t>(image.sizeInBytes());
    static_cast<void>(::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE));
#else
    static_cast<void>(image);
#endif
}

void fillArea(QImage& image, const Area& area, QRgb colour) {
    if (area.empty()) {
        return;
    }
    QPainter painter(&image);
    painter.fillRect(QRect(area.x, area.y, area.width, area.height), QColor(colour));
}

/// A colour value with red in the low byte, as the settings keep it.
QRgb fromColourRef(ColourRef c) {
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

/// The language choice under elements 4 and 17: one row per language, each showing the
/// language's own "ver_normal.jpg" (or "ver_over.jpg" while hot).
class LanguagePopup final : public QWidget {
public:
    LanguagePopup(const std::string& skinsDir, std::vector<int> languages, int width,
                  std::function<void(int row)> chosen, QWidget* owner)
        : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), m_chosen(std::move(chosen)) {
        const PictureSet menu = PictureSet::load(skinsDir, "/menu2");
        m_normal = menu.normal;
        m_over = menu.over;
        m_rowHeight = menu.mask.isNull() ? 30 : std::max(1, menu.mask.height() / 15);
        m_rows = languages.empty() ? 2 : static_cast<int>(languages.size());
        for (int language : languages) {
            const std::string dir = skinsDir + languageFolderName(language);
            m_rowImages.push_back(
                {readPicture(qs(dir + "/ver_normal.jpg")), readPicture(qs(dir + "/ver_over.jpg"))});
        }
        resize(width, m_rows * m_rowHeight);
        setMouseTracking(true);
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(30, 30, 30));
        if (!m_normal.isNull()) {
            p.drawImage(rect(), m_normal, QRect(0, 0, width(), height()));
        }
        for (int r = 0; r < m_rows; ++r) {
            const QRect band(0, r * m_rowHeight, width(), m_rowHeight);
            const bool hot = r + 1 == m_hot;
            if (r < static_cast<int>(m_rowImages.size())) {
                const QImage& img = hot ? m_rowImages[static_cast<std::size_t>(r)].second
                                        : m_rowImages[static_cast<std::size_t>(r)].first;
                p.drawImage(band, img);
            } else if (hot && !m_over.isNull()) {
                p.drawImage(band, m_over, band);
            }
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const int row = static_cast<int>(e->position().y()) / m_rowHeight + 1;
        const int hot =
            (row >= 1 && row <= m_rows && rect().contains(e->position().toPoint())) ? row : 255;
        if (hot != m_hot) {
            m_hot = hot;
            update();
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        mouseMoveEvent(e);
        if (m_hot >= 1 && m_hot <= m_rows && m_chosen) {
            m_chosen(m_hot);
        }
        close();
    }

private:
    std::function<void(int)> m_chosen;
    QImage m_normal;
    QImage m_over;
    std::vector<std::pair<QImage, QImage>> m_rowImages;
    int m_rowHeight = 30;
    int m_rows = 2;
    int m_hot = 255;
};

} // namespace

QEvent::Type AppMessage::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void MainWindowSkin::setPictureCacheFolder(const std::string& folder) {
    m_cache = std::make_unique<PictureCache>(folder);
}

QImage MainWindowSkin::readFull(const std::string& path) {
    return m_cache->read(qs(path));
}

void MainWindowSkin::loadPictures(const std::string& skinsDir, const std::string& languageDir) {
    beginLoadPictures(skinsDir, languageDir);
    finishLoading();
}

void MainWindowSkin::beginMainPage(const std::string& skinsDir) {
    if (m_mainMask.valid() && skinsDir == m_skinsDir) {
        return;
    }
    m_skinsDir = skinsDir;
    m_loaded = {};
    for (auto& f : m_otherPages) {
        f = {}; // pictures of an earlier skins folder are not wanted (waits for them)
    }
    // The main page's four full-window pictures are the bulk of start-up's reading; they
    // decode side by side.
    static constexpr std::array<const char*, 3> kSuffixes = {"_normal.jpg", "_over.jpg",
                                                             "_down.jpg"};
    for (std::size_t i = 0; i < kSuffixes.size(); ++i) {
        m_mainPage[i] =
            std::async(std::launch::async,
                       [this, path = skinsDir + "/main" + kSuffixes[i]] { return readFull(path); });
    }
    m_mainMask = std::async(std::launch::async, [this, path = skinsDir + "/main_mask.jpg"] {
        MaskAndShape result;
        result.mask = readFull(path);
        result.shape = shapeFromMask(result.mask);
        return result;
    });
}

void MainWindowSkin::beginLoadPictures(const std::string& skinsDir,
                                       const std::string& languageDir) {
    beginMainPage(skinsDir);
    macroLightTag = readPicture(qs(languageDir + "/zhi.png"));
    thumb = readPicture(qs(skinsDir + "/moveRect.png"));
}

void MainWindowSkin::finishLoading() {
    if (m_mainMask.valid()) {
        PictureSet set;
        set.normal = m_mainPage[0].get();
        set.over = m_mainPage[1].get();
        set.down = m_mainPage[2].get();
        MaskAndShape maskAndShape = m_mainMask.get();
        set.mask = maskAndShape.mask;
        m_pages[0] = std::move(set);
        m_loaded[0] = true;
        // The main page's mask is the window's mask.
        mask = m_pages[0].mask;
        maskRegion = maskAndShape.shape;
    }
}

namespace {
constexpr std::array<const char*, 4> kPagePrefixes = {"/main", "/advanced", "/mac", "/led"};
}

void MainWindowSkin::beginOtherPages() {
    for (std::size_t i = 1; i < kPagePrefixes.size(); ++i) {
        if (m_loaded[i] || m_otherPages[i].valid()) {
            continue;
        }
        m_otherPages[i] =
            std::async(std::launch::async, [folder = m_skinsDir, prefix = kPagePrefixes[i]] {
                return PictureSet::load(folder, prefix);
            });
    }
}

const PictureSet& MainWindowSkin::page(int index) {
    const auto i = static_cast<std::size_t>(std::clamp(index, 0, 3));
    if (i == 0) {
        finishLoading();
    }
    if (!m_loaded[i]) {
        m_pages[i] = m_otherPages[i].valid() ? m_otherPages[i].get()
                                             : PictureSet::load(m_skinsDir, kPagePrefixes[i]);
        m_loaded[i] = true;
    }
    return m_pages[i];
}

CZEL_GMouseDlg::CZEL_GMouseDlg(MainWindowContext context, MainWindowSkin& skin,
                               MainWindowHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_ctx(context), m_skin(skin),
      m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("CZEL_GMouseDlg"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    applyShape();
}

void CZEL_GMouseDlg::applyShape() {
    const QSize size = !m_skin.mask.isNull()             ? m_skin.mask.size()
                       : !m_skin.page(0).normal.isNull() ? m_skin.page(0).normal.size()
                                                         : QSize(1000, 700);
    setFixedSize(size);
    if (!m_skin.maskRegion.isEmpty()) {
        setMask(m_skin.maskRegion);
    }
}

void CZEL_GMouseDlg::showAndRestore() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

int CZEL_GMouseDlg::hitTestMain(QPoint p) const {
    return hitTest(m_skin.main, p.x(), p.y(), lastOf(m_ctx.state.pointer.page, true));
}

void CZEL_GMouseDlg::warn(Tip tip) const {
    if (m_hooks.warn) {
        m_hooks.warn(tip);
    }
}

bool CZEL_GMouseDlg::recordingAllows() const {
    const PointerState& ps = m_ctx.state.pointer;
    if (!m_hooks.recording || !m_hooks.recording()) {
        return true;
    }
    return ps.hotMacro == 4 || ps.hotMain == 0 || ps.hotMain == 1 ||
           (ps.hotMain == kNoElement && ps.hotMacro == kNoElement);
}

// ---------------------------------------------------------------- pointer

void CZEL_GMouseDlg::updateHot(QPoint p) {
    PointerState& ps = m_ctx.state.pointer;
    ps.hotMain = hitTestMain(p);
    ps.hotLighting = hitTest(m_skin.lighting, p.x(), p.y(), lastOf(PageId::LightingPage, false));
    ps.hotAdvanced = hitTest(m_skin.advanced, p.x(), p.y(), lastOf(PageId::AdvancedPage, false));
    ps.hotMacro = hitTest(m_skin.macro, p.x(), p.y(), lastOf(PageId::MacroPage, false));
    bool changed = false;
    for (auto [hot, last] :
         {std::pair{&ps.hotMain, &ps.lastMain}, std::pair{&ps.hotLighting, &ps.lastLighting},
          std::pair{&ps.hotAdvanced, &ps.lastAdvanced}, std::pair{&ps.hotMacro, &ps.lastMacro}}) {
        if (*hot != *last) {
            *last = *hot;
            changed = true;
        }
    }
    if (changed) {
        update();
    }
}

void CZEL_GMouseDlg::applySlider(int x) {
    SharedSettings& sh = m_ctx.profiles.shared;
    const auto area = [&](const SkinLayout& layout, int element) -> const Area& {
        return layout.area(element);
    };
    switch (m_ctx.state.pointer.dragMode) {
    case DragMode::DpiOfLevel: {
        const Area& a = area(m_skin.advanced, 66);
        const int level = std::clamp(sh.dpiLevel, 0, kDpiLevels - 1);
        sh.dpiValueIndex[static_cast<std::size_t>(level)] =
            static_cast<std::uint8_t>(dpiSetFromSlider(sliderValue(x, a.x, a.width, 17)));
        break;
    }
    case DragMode::DpiSpeed: {
        const Area& a = area(m_skin.advanced, 1);
        sh.dpiSpeed = static_cast<std::uint8_t>(sliderValue(x, a.x, a.width, 11));
        break;
    }
    case DragMode::WheelSpeed: {
        const Area& a = area(m_skin.advanced, 18);
        sh.wheelSpeed = static_cast<std::uint8_t>(sliderValue(x, a.x, a.width, 11));
        break;
    }
    case DragMode::FireTime: {
        const Area& a = area(m_skin.advanced, 31);
        sh.fireTime = fireTimeFromSlider(sliderValue(x, a.x, a.width, 300));
        break;
    }
    case DragMode::LedCycleTime: {
        const Area& a = area(m_skin.lighting, 41);
        sh.ledCycleTime =
            static_cast<std::uint8_t>(ledCycleTimeFromSlider(sliderValue(x, a.x, a.width, 6)));
        break;
    }
    case DragMode::LedBright: {
        const Area& a = area(m_skin.lighting, 40);
        sh.ledBrightness = ledBrightFromSlider(sliderValue(x, a.x, a.width, 7));
        break;
    }
    case DragMode::None:
        return;
    }
    update();
}

void CZEL_GMouseDlg::startDrag(DragMode mode, int x) {
    m_ctx.state.pointer.dragMode = mode;
    applySlider(x);
}

void CZEL_GMouseDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (m_windowDrag && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    if (m_ctx.state.pointer.dragMode == DragMode::None) {
        updateHot(p);
    } else {
        applySlider(p.x());
        m_ctx.state.pointer.leaveTracking = true;
    }
}

void CZEL_GMouseDlg::leaveEvent(QEvent*) {
    PointerState& ps = m_ctx.state.pointer;
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        ps.dragMode = DragMode::None;
    }
    ps.leaveTracking = false;
}

void CZEL_GMouseDlg::startWindowDrag(QPoint globalPos) {
    // The compositor moves the window where it can; elsewhere the window follows the
    // pointer itself.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    m_windowDrag = true;
    m_dragOffset = globalPos - frameGeometry().topLeft();
}

void CZEL_GMouseDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    updateHot(event->position().toPoint());
    PointerState& ps = m_ctx.state.pointer;
    if (!recordingAllows()) {
        warn(Tip::RecordingBusy);
        return;
    }
    if (ps.hotMain != kNoElement || ps.hotLighting != kNoElement || ps.hotAdvanced != kNoElement ||
        ps.hotMacro != kNoElement) {
        ps.pressed = true;
        update();
    }
    if (m_popup) {
        m_popup->close();
    }
    ps.popupOpen = false;
    m_pressX = event->position().toPoint().x();
    m_pressGlobal = event->globalPosition().toPoint();
    dispatchPress();
    update();
}

void CZEL_GMouseDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_windowDrag = false;
    if (!recordingAllows()) {
        warn(Tip::RecordingBusy);
        return;
    }
    m_ctx.state.pointer.pressed = false;
    dispatchRelease();
    m_ctx.state.pointer.dragMode = DragMode::None;
    update();
}

void CZEL_GMouseDlg::changePage(PageId page) {
    m_ctx.state.pointer.page = page;
    if (m_hooks.pageChanged) {
        m_hooks.pageChanged(static_cast<int>(page));
    }
    update();
}

void CZEL_GMouseDlg::openLanguagePopup(int element, bool withList) {
    const Area& a = m_skin.main.area(element);
    const QPoint topLeft = mapToGlobal(QPoint(a.x, a.y + a.height));
    const int width = withList ? a.width : a.width + 80;
    auto* popup = new LanguagePopup(
        m_ctx.folders.skinsDir, withList ? std::vector<int>{0, 1} : std::vector<int>{}, width,
        [this](int row) {
            // Rows choose from the window's language list {0, 1}.
            const int language = row == 1 ? 0 : 1;
            if (m_hooks.chooseLanguage) {
                m_hooks.chooseLanguage(language);
            }
            m_ctx.state.pointer.popupOpen = false;
            update();
        },
        this);
    popup->move(topLeft);
    popup->show();
    m_popup = popup;
    m_ctx.state.pointer.popupOpen = true;
}

void CZEL_GMouseDlg::dispatchPress() {
    PointerState& ps = m_ctx.state.pointer;
    SharedSettings& sh = m_ctx.profiles.shared;
    const int hm = ps.hotMain;
    const bool dragSpace = hm == kNoElement;
    switch (ps.page) {
    case PageId::MainPage: {
        const int keyCount = m_ctx.description.keyCount;
        if (hm == 7 || hm == 8 || hm == 9) {
            changePage(static_cast<PageId>(hm - 6));
        } else if (hm >= 50 && hm <= keyCount + 48) {
            // the button zones of the picture do nothing themselves
        } else if (hm >= 20 && hm <= keyCount + 19) {
            const int slot = hm - 20;
            const auto profile = static_cast<std::size_t>(
                std::clamp(m_ctx.state.currentProfile.load(), 0, kProfileCount - 1));
            if (!assignmentMenuAllowed(m_ctx.profiles.profiles[profile].buttonCode, keyCount,
                                       slot)) {
                warn(Tip::KeepLeftClick);
            } else if (m_hooks.openAssignmentMenu) {
                ps.menuButton = hm;
                m_hooks.openAssignmentMenu(slot);
            }
        } else if (hm == 31 || hm == 32) {
            sh.wheelStatus = hm - 31;
        } else if (hm == 46) {
            if (sh.lightMode == 1) {
                warn(Tip::NoSoundLightingInDpiMode);
            }
            // otherwise the sound-reactive lighting window opens (not part of this window)
        } else if (hm >= 47 && hm <= 52) {
            toggleDpiLevel(sh, hm - 47);
        } else if (dragSpace) {
            startWindowDrag(m_pressGlobal);
        }
        break;
    }
    case PageId::AdvancedPage: {
        const int ha = ps.hotAdvanced;
        if (hm == 6 || hm == 8 || hm == 9) {
            changePage(static_cast<PageId>(hm - 6));
        } else if (ha >= 47 && ha <= 52) {
            toggleDpiLevel(sh, ha - 47);
        } else if (ha >= 60 && ha <= 65) {
            if (sh.dpiEnabled[static_cast<std::size_t>(ha - 60)]) {
                sh.dpiLevel = ha - 60;
            }
        } else if (ha >= 77 && ha <= 82) {
            // the colour chooser of the level belongs to the lighting page's work
        } else if (ha == 66) {
            startDrag(DragMode::DpiOfLevel, m_pressX);
        } else if (ha == 1) {
            startDrag(DragMode::DpiSpeed, m_pressX);
        } else if (ha == 18) {
            startDrag(DragMode::WheelSpeed, m_pressX);
        } else if (ha == 31) {
            startDrag(DragMode::FireTime, m_pressX);
        } else if (ha >= 34 && ha <= 37) {
            // Every polling element ends at USB_SPEED 0 and polling code 7.
            sh.usbSpeed = 0;
            sh.reportRateCode = 7;
        } else if (ha == kNoElement && dragSpace) {
            startWindowDrag(m_pressGlobal);
        }
        break;
    }
    case PageId::MacroPage: {
        const int hc = ps.hotMacro;
        if (hm == 6 || hm == 7 || hm == 9) {
            changePage(static_cast<PageId>(hm - 6));
        } else if (hc == 15) {
            sh.softHardMacro = sh.softHardMacro == 0 ? 1 : 0;
        } else if (hc == kNoElement && dragSpace) {
            startWindowDrag(m_pressGlobal);
        }
        // Elements 4 (record), 5 (insert), 6..8 (repeat modes) and 13 (weapon presets)
        // belong to the macro editor.
        break;
    }
    case PageId::LightingPage: {
        const int hl = ps.hotLighting;
        if (hm == 6 || hm == 7 || hm == 8) {
            changePage(static_cast<PageId>(hm - 6));
        } else if (hl == 41) {
            startDrag(DragMode::LedCycleTime, m_pressX);
        } else if (hl == 40) {
            startDrag(DragMode::LedBright, m_pressX);
        } else if (hl == kNoElement && dragSpace) {
            startWindowDrag(m_pressGlobal);
        }
        break;
    }
    }
    if (hm == 17) {
        openLanguagePopup(17, false);
    } else if (hm == 4) {
        openLanguagePopup(4, true);
    }
}

void CZEL_GMouseDlg::dispatchRelease() {
    PointerState& ps = m_ctx.state.pointer;
    const int hm = ps.hotMain;
    switch (hm) {
    case 0:
    case 2:
        ps.hotMain = kNoElement;
        showMinimized();
        break;
    case 1:
        ps.hotMain = kNoElement;
        showMinimized();
        hide();
        if (m_hooks.shutDown) {
            m_hooks.shutDown();
        }
        break;
    case 3:
        if (!m_ctx.state.downloadBusy.load() && m_hooks.apply) {
            m_hooks.apply();
        }
        break;
    case 10:
    case 11:
    case 12:
    case 13:
        m_ctx.state.currentProfile.store(hm - 10);
        break;
    case 14:
        if (m_hooks.importProfiles) {
            m_hooks.importProfiles();
        }
        break;
    case 15:
        if (m_hooks.exportProfiles) {
            m_hooks.exportProfiles();
        }
        break;
    case 16:
        if (m_hooks.resetProfiles) {
            m_hooks.resetProfiles();
        }
        break;
    case 19:
        if (!m_skin.main.area(19).label.empty() && m_hooks.openDocument) {
            m_hooks.openDocument(m_skin.main.area(19).label);
        }
        break;
    default:
        break;
    }
}

void CZEL_GMouseDlg::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter never close the window.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CZEL_GMouseDlg::closeEvent(QCloseEvent* event) {
    // The caption's close keeps the program running in the tray; without a tray the
    // window is only minimised so it stays reachable.
    event->ignore();
    showMinimized();
    if (trayAvailable && trayAvailable()) {
        hide();
    }
}

bool CZEL_GMouseDlg::event(QEvent* event) {
    if (event->type() == AppMessage::eventType()) {
        auto* message = static_cast<AppMessage*>(event);
        if (message->message == kMsgRepaint) {
            update();
        } else if (message->message == kMsgWeaponDialog) {
            // ignored
        } else if (m_hooks.otherMessage) {
            m_hooks.otherMessage(event);
        }
        return true;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- painting

const PictureSet& CZEL_GMouseDlg::pagePictures() const {
    return m_skin.page(static_cast<int>(m_ctx.state.pointer.page));
}

void CZEL_GMouseDlg::paintHot(QImage& image) const {
    const PointerState& ps = m_ctx.state.pointer;
    const PictureSet& pics = pagePictures();
    int hot = kNoElement;
    const SkinLayout* layout = &m_skin.main;
    bool keepOver = false;
    switch (ps.page) {
    case PageId::MainPage:
        hot = ps.hotMain;
        if (hot >= 50 && hot <= m_ctx.description.keyCount + 48) {
            hot = kNoElement;
        }
        break;
    case PageId::AdvancedPage:
        hot = ps.hotAdvanced;
        layout = &m_skin.advanced;
        keepOver = hot == 1 || hot == 18 || hot == 31 || hot == 66;
        break;
    case PageId::MacroPage:
        hot = ps.hotMacro;
        layout = &m_skin.macro;
        break;
    case PageId::LightingPage:
        hot = ps.hotLighting;
        layout = &m_skin.lighting;
        keepOver = true;
        break;
    }
    if (hot == kNoElement) {
        return;
    }
    composeArea(image, ps.pressed && !keepOver ? pics.down : pics.over, layout->area(hot));
}

void CZEL_GMouseDlg::paintPageStates(QImage& image) const {
    const PointerState& ps = m_ctx.state.pointer;
    const PictureSet& pics = pagePictures();
    const SharedSettings& sh = m_ctx.profiles.shared;
    const int keyCount = m_ctx.description.keyCount;
    const auto profile = static_cast<std::size_t>(
        std::clamp(m_ctx.state.currentProfile.load(), 0, kProfileCount - 1));
    switch (ps.page) {
    case PageId::MainPage: {
        int slot = -1;
        if (ps.hotMain >= 20 && ps.hotMain < 20 + keyCount) {
            slot = ps.hotMain - 20;
            composeArea(image, pics.down, m_skin.main.area(35 + slot));
        } else if (ps.hotMain >= 35 && ps.hotMain < 35 + keyCount) {
            slot = ps.hotMain - 35;
            composeArea(image, pics.down, m_skin.main.area(20 + slot));
        }
        // The DPI level toggles show which levels are on, as on the advanced page. Only
        // 47..49 are on this page: 50 and up are button zones here.
        for (int i = 0; i < 3; ++i) {
            if (sh.dpiEnabled[static_cast<std::size_t>(i)]) {
                composeArea(image, pics.down, m_skin.main.area(47 + i));
            }
        }
        if (slot >= 0 &&
            m_ctx.profiles.profiles[profile].macroLight[static_cast<std::size_t>(slot)] != 0) {
            if (m_skin.macroLightTag.isNull()) {
                QMessageBox::information(nullptr, QString(), QStringLiteral("zhi.png"));
            } else {
                QPainter p(&image);
                p.drawImage(QPoint(378, 535), m_skin.macroLightTag);
            }
        }
        break;
    }
    case PageId::AdvancedPage: {
        const SkinLayout& a = m_skin.advanced;
        composeArea(image, pics.down, a.area(60 + std::clamp(sh.dpiLevel, 0, 5)));
        for (int i = 0; i < kDpiLevels; ++i) {
            fillArea(image, a.area(77 + i),
                     fromColourRef(sh.dpiDisplayColour[static_cast<std::size_t>(i)]));
            if (sh.dpiEnabled[static_cast<std::size_t>(i)]) {
                composeArea(image, pics.down, a.area(47 + i));
            }
        }
        const auto slider = [&](int element, int fill, QPoint thumbOffset) {
            Area filled = a.area(element);
            if (filled.empty()) {
                return;
            }
            filled.width = fill;
            composeArea(image, pics.down, filled);
            if (!m_skin.thumb.isNull()) {
                QPainter p(&image);
                p.drawImage(QPoint(filled.x + fill + thumbOffset.x(), filled.y + thumbOffset.y()),
                            m_skin.thumb);
            }
        };
        const int level = std::clamp(sh.dpiLevel, 0, 5);
        slider(66, dpiSliderFill(sh.dpiValueIndex[static_cast<std::size_t>(level)]),
               QPoint(-5, 13));
        slider(1, elevenStepSliderFill(sh.dpiSpeed, a.area(1).width), QPoint(-6, 0));
        slider(18, elevenStepSliderFill(sh.wheelSpeed, a.area(18).width), QPoint(-6, 0));
        slider(31, fireTimeSliderFill(sh.fireTime, a.area(31).width), QPoint(-6, 0));
        composeArea(image, pics.down, a.area(34 + sh.usbSpeed));
        composeArea(image, pics.down, a.area(38 + sh.usbSpeed));
        break;
    }
    case PageId::MacroPage:
        if (m_hooks.recording && m_hooks.recording()) {
            composeArea(image, pics.down, m_skin.macro.area(4));
        }
        if (sh.softHardMacro == 1) {
            composeArea(image, pics.down, m_skin.macro.area(15));
        }
        break;
    case PageId::LightingPage:
        break;
    }
}

void CZEL_GMouseDlg::paintFrame(QImage& image) const {
    const PointerState& ps = m_ctx.state.pointer;
    const PictureSet& pics = pagePictures();
    const int profileElement = 10 + m_ctx.state.currentProfile.load();
    const int tabElement = 6 + static_cast<int>(ps.page);
    for (int e = 0; e < 20; ++e) {
        const Area& area = m_skin.main.area(e);
        if (e == profileElement || e == tabElement) {
            composeArea(image, pics.down, area);
        } else if (e == ps.hotMain) {
            composeArea(image, ps.pressed ? pics.down : pics.over, area);
        }
    }
}

QString CZEL_GMouseDlg::buttonText(int slot) const {
    const auto profile = static_cast<std::size_t>(
        std::clamp(m_ctx.state.currentProfile.load(), 0, kProfileCount - 1));
    const ProfileSettings& p = m_ctx.profiles.profiles[profile];
    const int code = p.buttonCode[static_cast<std::size_t>(slot)];
    std::string label;
    if (code == kCodeCombination) {
        label = p.comboRecord[static_cast<std::size_t>(slot)].nameUtf8();
    } else if (code == 40000) {
        label = m_skin.main.functionName(41);
    } else if (code >= 50 && code <= 255) {
        const int count = m_hooks.presetCount ? m_hooks.presetCount() : 0;
        if (code - 50 < count && m_hooks.presetName) {
            label = m_hooks.presetName(code - 50);
        }
    } else if (code >= 256 && code <= 29999) {
        label = m_hooks.macroName ? m_hooks.macroName(code) : std::string();
    } else {
        label = m_skin.main.functionName(code);
    }
    return qs(buttonLabel(label));
}

void CZEL_GMouseDlg::paintTexts(QImage& image) const {
    const PointerState& ps = m_ctx.state.pointer;
    const int language = m_ctx.state.language.load();
    const QFont font = m_ctx.fonts.selectFont(2, language);
    const QColor white(255, 255, 255);
    const int keyCount = m_ctx.description.keyCount;
    const SkinLayout& main = m_skin.main;
    const int lastMain = ps.page == PageId::MainPage ? 74 : 19;
    for (int e = 0; e <= lastMain; ++e) {
        const Area& area = main.area(e);
        if (e == 4) {
            drawText(image, area,
                     qs(m_ctx.pack.text(TextTable::Other, 20 + std::clamp(language, 0, 29))), font,
                     white);
        } else if (e >= 20 && e < 20 + keyCount) {
            drawText(image, area, buttonText(e - 20), font, white, 5);
        } else if (e >= 10 && e <= 13) {
            drawText(image, area, qs(area.label), font, white, 0, 100);
        } else if (e >= 14 && e <= 16) {
            drawText(image, area, qs(area.label), font, white, 0, 75);
        } else if (e == 46) {
            Area below = area;
            below.x += 5;
            below.y += area.height + 2;
            below.width = std::max(below.width, 200); // the caption runs on to the right
            drawText(image, below, qs(area.label), font, white, 0, 0, true);
        } else {
            drawText(image, area, qs(area.label), font, white);
        }
    }
    const SharedSettings& sh = m_ctx.profiles.shared;
    switch (ps.page) {
    case PageId::AdvancedPage: {
        const SkinLayout& a = m_skin.advanced;
        for (int e = 0; e <= 82; ++e) {
            const Area& area = a.area(e);
            if (e == 2) {
                drawText(image, area, QString::number(sh.dpiSpeed), font, white);
            } else if (e == 19) {
                drawText(image, area, QString::number(sh.wheelSpeed), font, white);
            } else if (e == 32) {
                if (!area.empty()) {
                    QPainter p(&image);
                    p.setFont(font);
                    p.setPen(white);
                    p.drawText(QRect(area.x, area.y, area.width, area.height),
                               Qt::AlignRight | Qt::AlignVCenter, QString::number(sh.fireTime));
                }
            } else if (e >= 70 && e <= 75) {
                const int level = e - 70;
                drawText(
                    image, area,
                    QString::number(dpiOfStep(sh.dpiValueIndex[static_cast<std::size_t>(level)])),
                    font, level == sh.dpiLevel ? kAccent : white);
            } else {
                drawText(image, area, qs(area.label), font, white);
            }
        }
        break;
    }
    case PageId::MacroPage: {
        const SkinLayout& m = m_skin.macro;
        const bool recording = m_hooks.recording && m_hooks.recording();
        for (int e = 0; e <= 19; ++e) {
            const Area& area = m.area(e);
            if (e == 4) {
                drawText(image, area, qs(m_ctx.pack.text(TextTable::DevMac, recording ? 40 : 39)),
                         font, recording ? kRecording : white, -3);
            } else if ((e >= 10 && e <= 12) || (e >= 14 && e <= 16)) {
                drawText(image, area, qs(area.label), font, white, 0, 0, true);
            } else {
                drawText(image, area, qs(area.label), font, white);
            }
        }
        break;
    }
    case PageId::LightingPage:
        for (int e = 0; e <= 70; ++e) {
            // Entries 21..25 explain the alternate lighting mode and show only in it.
            if (e >= 21 && e <= 25 && sh.lightMode != 1) {
                continue;
            }
            drawText(image, m_skin.lighting.area(e), qs(m_skin.lighting.area(e).label), font,
                     white);
        }
        break;
    case PageId::MainPage:
        break;
    }
}

void CZEL_GMouseDlg::composeInto(QImage& image) const {
    const PictureSet& pics = pagePictures();
    if (pics.normal.size() != image.size()) {
        image.fill(QColor(22, 22, 22));
    }
    if (!pics.normal.isNull()) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), pics.normal);
    }
    paintHot(image);
    paintPageStates(image);
    paintFrame(image);
    paintTexts(image);
}

QImage CZEL_GMouseDlg::compose() const {
    const QImage& normal = pagePictures().normal;
    QImage image(normal.isNull() ? size() : normal.size(), QImage::Format_RGB32);
    composeInto(image);
    return image;
}

void CZEL_GMouseDlg::paintEvent(QPaintEvent*) {
    // The page is drawn straight into the window's backing picture when it is a plain
    // picture of the window's size; otherwise it is composed apart and copied in.
    QPaintDevice* device = backingStore() != nullptr ? backingStore()->paintDevice() : nullptr;
    auto* backing = device != nullptr && device->devType() == QInternal::Image
                        ? static_cast<QImage*>(device)
                        : nullptr;
    if (isWindow() && backing != nullptr && backing->size() == size() &&
        backing->devicePixelRatio() == 1.0 &&
        (backing->format() == QImage::Format_RGB32 ||
         backing->format() == QImage::Format_ARGB32_Premultiplied)) {
        if (!m_painted) {
            prefault(*backing);
        }
        composeInto(*backing);
    } else {
        QPainter(this).drawImage(QPoint(0, 0), compose());
    }
    if (!m_painted) {
        m_painted = true;
        // The other pages' pictures are decoded once the window is on screen (after this
        // paint has been shown).
        QTimer::singleShot(0, this, [this] { m_skin.beginOtherPages(); });
    }
    if (firstPainted) {
        auto once = std::move(firstPainted);
        firstPainted = nullptr;
        once();
    }
}

} // namespace zel
