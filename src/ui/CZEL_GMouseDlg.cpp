#include "ui/CZEL_GMouseDlg.h"

#include "common/LanguageWords.h"
#include "presentation/FontBook.h"
#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "presentation/PrefaultPicture.h"
#include "session/AppState.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"
#include "ui/WarningDlg.h"
#include "ui/menus/CMenuDlg.h"
#include "ui/pages/AdvancedPage.h"
#include "ui/pages/ButtonsPage.h"
#include "ui/pages/LightingLogic.h"
#include "ui/pages/LightingPage.h"
#include "ui/pages/MacroPage.h"
#include "ui/pages/PageLogic.h"
#include "ui/pages/PagePainting.h"
#include "ui/pages/WindowReach.h"

#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace zel {

namespace {

namespace frame = layout::skin_main;

/// The Apply element's word on what the last download came to, in the program's language
/// (0 Chinese, 4 German, English otherwise).
QString applyOutcomeText(int outcome, int language) {
    static constexpr LanguageWords kWords[] = {
        {"已写入鼠标", "Saved", "Gespeichert"},
        {"未找到鼠标", "No mouse", "Keine Maus"},
        {"宏内存已满", "Memory full", "Speicher voll"},
    };
    if (outcome < kApplyDone || outcome > kApplyMemoryFull) {
        return {};
    }
    return QString::fromUtf8(wordsIn(kWords[outcome - kApplyDone], language));
}

/// The font of the window's texts.
constexpr int kTextFont = 2;
/// The language names are texts 20 .. 49 of the "other" table, in language order.
constexpr int kLanguageNameFirst = 20;
constexpr int kLanguageNameCount = 30;
/// The profile and profile-tool captions are centred over their tile and the space below.
constexpr int kProfileCaptionExtra = 100;
constexpr int kToolCaptionExtra = 75;
/// The width the language list adds to the language menu.
constexpr int kLanguageMenuExtraWidth = 80;
/// The lighting popups: the effect list below the effect element, a button's reaction types
/// below its reaction element (3 pixels further left and 1 wider).
constexpr int kEffectPopupHeight = 405;
constexpr int kReactionPopupHeight = 300;
const QSize kFallbackSize(1000, 700);
const QColor kBackground(22, 22, 22);

bool within(int element, int first, int count) {
    return element >= first && element < first + count;
}

} // namespace

CZEL_GMouseDlg::CZEL_GMouseDlg(MainWindowContext context, MainWindowSkin& skin,
                               MainWindowHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_ctx(context), m_skin(skin),
      m_hooks(std::move(hooks)), m_pages{std::make_unique<ButtonsPage>(),
                                         std::make_unique<AdvancedPage>(),
                                         std::make_unique<MacroPage>(),
                                         std::make_unique<LightingPage>()} {
    setObjectName(QStringLiteral("CZEL_GMouseDlg"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    showNotice = [](const QString& text) { QMessageBox::information(nullptr, QString(), text); };
    applyShape();
}

CZEL_GMouseDlg::~CZEL_GMouseDlg() = default;

void CZEL_GMouseDlg::applyShape() {
    const QSize size = !m_skin.mask.isNull()             ? layoutSize(m_skin.mask)
                       : !m_skin.page(0).normal.isNull() ? layoutSize(m_skin.page(0).normal)
                                                         : kFallbackSize;
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
    return hitTest(m_skin.main, p.x(), p.y(),
                   m_pointer.page == PageId::MainPage ? frame::kLastHit
                                                      : frame::kLastHitBesidePage);
}

void CZEL_GMouseDlg::warn(Tip tip) const {
    if (m_hooks.warn) {
        m_hooks.warn(tip);
    }
}

bool CZEL_GMouseDlg::recordingAllows() const {
    if (!m_hooks.recording || !m_hooks.recording()) {
        return true;
    }
    const PointerState& ps = m_pointer;
    return ps.hotMacro == layout::skin_mac::kRecord || ps.hotMain == frame::kMinimise ||
           ps.hotMain == frame::kClose || (ps.hotMain == kNoElement && ps.hotMacro == kNoElement);
}

const MainWindowPage& CZEL_GMouseDlg::shownPage() const {
    return *m_pages[static_cast<std::size_t>(m_pointer.page)];
}

ProfileSettings& CZEL_GMouseDlg::currentProfile() const {
    const auto profile = static_cast<std::size_t>(
        std::clamp(m_ctx.state.currentProfile.load(), 0, kProfileCount - 1));
    return m_ctx.profiles.profiles[profile];
}

// ---------------------------------------------------------------- pointer

void CZEL_GMouseDlg::updateHot(QPoint p) {
    PointerState& ps = m_pointer;
    ps.hotMain = hitTestMain(p);
    ps.hotLighting = hitTest(m_skin.lighting, p.x(), p.y(), layout::skin_color::kLastHit);
    ps.hotAdvanced = hitTest(m_skin.advanced, p.x(), p.y(), layout::skin_advance::kLastHit);
    ps.hotMacro = hitTest(m_skin.macro, p.x(), p.y(), layout::skin_mac::kLastHit);
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
        noticeMissingLightingTag();
        update();
    }
}

void CZEL_GMouseDlg::noticeMissingLightingTag() {
    if (m_tagNoticeShown || m_pointer.page != PageId::MainPage) {
        return;
    }
    if (!m_skin.macroLightTag.isNull() ||
        !ButtonsPage::showsLightingTag(m_pointer.hotMain, m_ctx.description.keyCount,
                                       currentProfile())) {
        return;
    }
    // Told once, after the event that noticed it.
    m_tagNoticeShown = true;
    QTimer::singleShot(0, this, [this] {
        if (showNotice) {
            showNotice(QStringLiteral("zhi.png"));
        }
    });
}

void CZEL_GMouseDlg::applySlider(int x) {
    const std::optional<SliderElement> slider = sliderElement(m_pointer.dragMode);
    if (!slider) {
        return;
    }
    const Area& a =
        m_pages[static_cast<std::size_t>(slider->page)]->layout(m_skin).area(slider->element);
    zel::applySlider(m_pointer.dragMode, x, a.x, a.width, m_ctx.profiles.shared);
    update();
}

void CZEL_GMouseDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (m_windowDrag && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    if (m_pointer.dragMode == DragMode::None) {
        updateHot(p);
    } else {
        applySlider(p.x());
        m_pointer.leaveTracking = true;
    }
}

void CZEL_GMouseDlg::leaveEvent(QEvent*) {
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        m_pointer.dragMode = DragMode::None;
    }
    m_pointer.leaveTracking = false;
}

void CZEL_GMouseDlg::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // An open warning box moves with the window; a popup belongs to where the window was.
    const QPoint delta = event->pos() - event->oldPos();
    for (WarningDlg* box : findChildren<WarningDlg*>(Qt::FindDirectChildrenOnly)) {
        if (box->isVisible()) {
            box->move(box->pos() + delta);
        }
    }
    closePopup();
    // Once the window has been still for a moment (a drag by the window manager gives no
    // release here), it is brought back if it went off the screens.
    if (m_reachTimer == nullptr) {
        m_reachTimer = new QTimer(this);
        m_reachTimer->setSingleShot(true);
        connect(m_reachTimer, &QTimer::timeout, this, [this] { keepReachable(); });
    }
    m_reachTimer->start(kReachSettleMs);
}

void CZEL_GMouseDlg::keepReachable() {
    if (!isVisible() || isMinimized()) {
        return;
    }
    std::vector<DesktopRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        screens.push_back({a.x(), a.y(), a.width(), a.height()});
    }
    const QRect frame = frameGeometry();
    const DesktopRect now{frame.x(), frame.y(), frame.width(), frame.height()};
    const DesktopRect to = keepBandReachable(now, screens, ReachRule{kTitleBand, kReachableWidth});
    if (!(to == now)) {
        move(pos() + QPoint(to.x - now.x, to.y - now.y));
    }
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
    PointerState& ps = m_pointer;
    if (!recordingAllows()) {
        warn(Tip::RecordingBusy);
        return;
    }
    if (ps.hotMain != kNoElement || ps.hotLighting != kNoElement || ps.hotAdvanced != kNoElement ||
        ps.hotMacro != kNoElement) {
        ps.pressed = true;
        update();
    }
    closePopup();
    m_pressX = event->position().toPoint().x();
    m_pressGlobal = event->globalPosition().toPoint();
    dispatchPress();
    updateOutsideControls();
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
    m_pointer.pressed = false;
    dispatchRelease();
    m_pointer.dragMode = DragMode::None;
    updateOutsideControls();
}

void CZEL_GMouseDlg::updateOutsideControls() {
    const QRegion controls = childrenRegion();
    if (controls.isEmpty()) {
        update();
    } else {
        update(QRegion(rect()) - controls);
    }
}

void CZEL_GMouseDlg::changePage(PageId page) {
    m_pointer.page = page;
    if (m_hooks.pageChanged) {
        m_hooks.pageChanged(static_cast<int>(page));
    }
    update();
}

void CZEL_GMouseDlg::closePopup() {
    if (m_popup) {
        m_popup->hide();
        m_popup->deleteLater();
        m_popup = nullptr;
    }
    m_pointer.popupOpen = false;
}

void CZEL_GMouseDlg::showPopup(CMenuDlg* popup, QRect geometry) {
    popup->setGeometry(geometry);
    popup->show();
    m_popup = popup;
    m_pointer.popupOpen = true;
}

void CZEL_GMouseDlg::openLanguagePopup(int element, bool withList) {
    MenuContext* menus = m_hooks.menus ? m_hooks.menus() : nullptr;
    if (menus == nullptr) {
        return;
    }
    const Area& a = m_skin.main.area(element);
    const QPoint topLeft = mapToGlobal(QPoint(a.x, a.y + a.height));
    const int width = withList ? a.width : a.width + kLanguageMenuExtraWidth;
    auto* popup = new CMenuDlg(PopupKind::Language, *menus, this,
                               withList ? std::vector<int>{0, 1} : std::vector<int>{});
    showPopup(popup, QRect(topLeft, QSize(width, popup->height())));
}

void CZEL_GMouseDlg::openAssignmentPopup(int slot) {
    MenuContext* menus = m_hooks.menus ? m_hooks.menus() : nullptr;
    if (menus == nullptr) {
        return;
    }
    m_pointer.menuButton = frame::kButtonLabelFirst + slot;
    auto* popup = new CMenuDlg(PopupKind::Assignment, *menus, this);
    const Area& a = m_skin.main.area(m_pointer.menuButton);
    const QPoint at = mapToGlobal(QPoint(a.x, a.y));
    // Below the button, or above it when it would pass the bottom of the work area.
    const QScreen* shown = screen();
    const QRect work = shown != nullptr ? shown->availableGeometry() : QRect(0, 0, 1920, 1080);
    const PopupPlacement p = assignmentPopupPlacement(at.x(), at.y(), a.width, a.height,
                                                      popup->height(), work.y() + work.height());
    showPopup(popup, QRect(p.x, p.y, p.width, p.height));
}

void CZEL_GMouseDlg::openLightingPopup(PopupKind kind, int element, int button) {
    MenuContext* menus = m_hooks.menus ? m_hooks.menus() : nullptr;
    if (menus == nullptr) {
        return;
    }
    menus->reactionButton = button;
    auto* popup = new CMenuDlg(kind, *menus, this);
    const Area& a = m_skin.lighting.area(element);
    const QPoint below = mapToGlobal(QPoint(a.x, a.y + a.height));
    const QRect geometry = kind == PopupKind::LedReaction
                               ? QRect(below.x() - 3, below.y(), a.width + 1, kReactionPopupHeight)
                               : QRect(below.x(), below.y(), a.width, kEffectPopupHeight);
    showPopup(popup, geometry);
}

void CZEL_GMouseDlg::chooseColour(PressOutcome::Kind kind, int slot) {
    if (m_hooks.colourChooser == nullptr) {
        return;
    }
    SharedSettings& shared = m_ctx.profiles.shared;
    if (kind == PressOutcome::Kind::UserColour) {
        chooseUserColour(*m_hooks.colourChooser, shared, slot);
    } else {
        chooseDpiColour(*m_hooks.colourChooser, shared, slot);
    }
    // The dialog took the button's release.
    m_pointer.pressed = false;
    update();
}

void CZEL_GMouseDlg::dispatchPress() {
    PointerState& ps = m_pointer;
    const int hm = ps.hotMain;
    if (const std::optional<PageId> page = tabPressed(ps.page, hm)) {
        changePage(*page);
    } else {
        const PressOutcome outcome = shownPage().press(ps, m_ctx.description.keyCount,
                                                       currentProfile(), m_ctx.profiles.shared);
        switch (outcome.kind) {
        case PressOutcome::Kind::Nothing:
            break;
        case PressOutcome::Kind::WindowDrag:
            startWindowDrag(m_pressGlobal);
            break;
        case PressOutcome::Kind::StartSlider:
            ps.dragMode = outcome.slider;
            applySlider(m_pressX);
            break;
        case PressOutcome::Kind::AssignmentMenu:
            openAssignmentPopup(outcome.slot);
            break;
        case PressOutcome::Kind::Warning:
            warn(outcome.warning);
            break;
        case PressOutcome::Kind::EffectMenu:
            openLightingPopup(PopupKind::LedEffect, layout::skin_color::kEffect, 0);
            break;
        case PressOutcome::Kind::ReactionMenu:
            openLightingPopup(PopupKind::LedReaction,
                              layout::skin_color::kReactionFirst + outcome.slot, outcome.slot);
            break;
        case PressOutcome::Kind::ToggleReaction:
            toggleReaction(currentProfile(), outcome.slot);
            break;
        case PressOutcome::Kind::UserColour:
        case PressOutcome::Kind::DpiColour:
            chooseColour(outcome.kind, outcome.slot);
            break;
        }
        // Outside the DPI indicator mode the sound lighting element opens the sound window.
        if (ps.page == PageId::MainPage && hm == layout::skin_main::kSoundLighting &&
            outcome.kind == PressOutcome::Kind::Nothing && m_hooks.openSoundWindow) {
            m_hooks.openSoundWindow();
        }
        // Insert and the run modes are the macro editor's.
        if (ps.page == PageId::MacroPage && m_hooks.macroPagePressed) {
            m_hooks.macroPagePressed(ps.hotMacro);
        }
    }
    // Both language popups choose through the window's list {0, 1}: the language button's
    // shows the languages' pictures, the language menu's (no list) their names.
    if (hm == frame::kLanguageMenu) {
        openLanguagePopup(frame::kLanguageMenu, false);
    } else if (hm == frame::kLanguage) {
        openLanguagePopup(frame::kLanguage, true);
    }
}

void CZEL_GMouseDlg::dispatchRelease() {
    const int hm = m_pointer.hotMain;
    if (hm == frame::kMinimise || hm == frame::kToTray) {
        m_pointer.hotMain = kNoElement;
        showMinimized();
    } else if (hm == frame::kClose) {
        m_pointer.hotMain = kNoElement;
        showMinimized();
        hide();
        if (m_hooks.shutDown) {
            m_hooks.shutDown();
        }
    } else if (hm == frame::kApply) {
        if (!m_ctx.state.downloadBusy.load() && m_hooks.apply) {
            m_hooks.apply();
        }
    } else if (within(hm, frame::kProfileFirst, frame::kProfileCount)) {
        m_ctx.state.currentProfile.store(hm - frame::kProfileFirst);
    } else if (hm == frame::kImport) {
        if (m_hooks.importProfiles) {
            m_hooks.importProfiles();
        }
    } else if (hm == frame::kExport) {
        if (m_hooks.exportProfiles) {
            m_hooks.exportProfiles();
        }
    } else if (hm == frame::kReset) {
        if (m_hooks.resetProfiles) {
            m_hooks.resetProfiles();
        }
    } else if (hm == frame::kHelp) {
        const std::string& document = m_skin.main.area(frame::kHelp).label;
        if (!document.empty() && m_hooks.openDocument) {
            m_hooks.openDocument(document);
        }
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
    if (event->type() != AppMessage::eventType()) {
        return QWidget::event(event);
    }
    const auto& message = static_cast<const AppMessage&>(*event);
    switch (message.message) {
    case msg::kLanguageChosen:
        languageChosen(message.wParam, message.lParam);
        break;
    case msg::kFontsRebuilt:
        if (m_hooks.rebuildFonts) {
            m_hooks.rebuildFonts();
        }
        update();
        break;
    case msg::kOpenCombination:
        // Posted by the assignment popup, so the popup has closed before the dialog opens.
        if (m_hooks.openCombination &&
            within(m_pointer.menuButton, frame::kButtonLabelFirst, m_ctx.description.keyCount)) {
            m_hooks.openCombination(m_pointer.menuButton - frame::kButtonLabelFirst);
        }
        break;
    case msg::kCombination:
        storeCombination(message.wParam, message.text);
        break;
    case msg::kRepaint:
        update();
        break;
    default:
        if (m_hooks.otherMessage) {
            m_hooks.otherMessage(event);
        }
        break;
    }
    return true;
}

void CZEL_GMouseDlg::languageChosen(std::int64_t kind, std::int64_t row) {
    // The language rows choose from the window's language list {0, 1}.
    if (kind == 1 && (row == 1 || row == 2) && m_hooks.chooseLanguage) {
        m_hooks.chooseLanguage(static_cast<int>(row) - 1);
    }
    m_pointer.popupOpen = false;
    update();
}

void CZEL_GMouseDlg::storeCombination(std::int64_t argument, const std::string& tokens) {
    const std::int64_t slot = argument / 256;
    if (argument < 0 || slot >= kButtonSlots) {
        return;
    }
    const int profile = std::clamp(m_ctx.state.currentProfile.load(), 0, kProfileCount - 1);
    ProfileSettings& settings = currentProfile();
    const auto s = static_cast<std::size_t>(slot);
    settings.buttonCode[s] = kCodeCombination;
    // A combination takes the button like any other function: the first profile keeps a
    // left click.
    keepLeftClick(settings.buttonCode, profile, static_cast<int>(slot), m_ctx.description.keyCount);
    m_ctx.profiles.setCombination(profile, static_cast<std::uint32_t>(argument), tokens);
    if (m_hooks.recordsChanged) {
        m_hooks.recordsChanged();
    }
    update();
}

// ---------------------------------------------------------------- painting

PageView CZEL_GMouseDlg::pageView(const QFont& font) const {
    return PageView{m_skin,
                    m_skin.page(static_cast<int>(m_pointer.page)),
                    m_pointer,
                    m_ctx.profiles.shared,
                    currentProfile(),
                    m_ctx.pack,
                    m_hooks,
                    font,
                    m_ctx.description.keyCount,
                    m_ctx.state.language.load(),
                    m_hooks.recording && m_hooks.recording()};
}

QString CZEL_GMouseDlg::buttonLabel(int slot) const {
    const QFont font = m_ctx.fonts.selectFont(kTextFont, m_ctx.state.language.load());
    return ButtonsPage::buttonText(pageView(font), slot);
}

void CZEL_GMouseDlg::paintHot(QImage& image, const PageView& view) const {
    const MainWindowPage& page = shownPage();
    const int hot = page.hoverElement(m_pointer, view.keyCount);
    if (hot == kNoElement) {
        return;
    }
    const bool down = m_pointer.pressed && !page.keepsOverLook(hot);
    composeArea(image, down ? view.pictures.down : view.pictures.over,
                page.layout(m_skin).area(hot));
}

void CZEL_GMouseDlg::paintFrame(QImage& image) const {
    const PictureSet& pics = m_skin.page(static_cast<int>(m_pointer.page));
    const int profileElement = frame::kProfileFirst + m_ctx.state.currentProfile.load();
    const int tabElement = frame::kTabFirst + static_cast<int>(m_pointer.page);
    for (int e = 0; e <= frame::kFrameLast; ++e) {
        const Area& area = m_skin.main.area(e);
        if (e == profileElement || e == tabElement) {
            composeArea(image, pics.down, area);
        } else if (e == m_pointer.hotMain) {
            composeArea(image, m_pointer.pressed ? pics.down : pics.over, area);
        }
    }
}

void CZEL_GMouseDlg::paintApply(QImage& image, const Area& area) const {
    // While a download runs, the element is dimmed where its blocks are still to come:
    // the lit part grows from the left with the blocks written.
    const int total = m_ctx.state.downloadTotal.load();
    const int written = std::clamp(m_ctx.state.downloadWritten.load(), 0, std::max(total, 0));
    if (m_ctx.state.downloadBusy.load() && total > 0 && !area.empty()) {
        const int lit = static_cast<int>(std::int64_t{area.width} * written / std::max(total, 1));
        QPainter p(&image);
        p.fillRect(QRect(area.x + lit, area.y, area.width - lit, area.height),
                   QColor(0, 0, 0, 130));
    }
}

void CZEL_GMouseDlg::placeFrameTexts(const TextSink& out) const {
    const int language = m_ctx.state.language.load();
    for (int e = 0; e <= frame::kFrameLast; ++e) {
        const Area& area = m_skin.main.area(e);
        if (e == frame::kLanguage) {
            const int name = kLanguageNameFirst + std::clamp(language, 0, kLanguageNameCount - 1);
            out(area, qs(m_ctx.pack.text(TextTable::Other, name)), kTextColour, {});
        } else if (within(e, frame::kProfileFirst, frame::kProfileCount)) {
            out(area, qs(area.label), kTextColour, {0, kProfileCaptionExtra, false});
        } else if (e == frame::kImport || e == frame::kExport || e == frame::kReset) {
            out(area, qs(area.label), kTextColour, {0, kToolCaptionExtra, false});
        } else if (e == frame::kApply) {
            // The label, or the word on the last download's outcome.
            const QString outcome = applyOutcomeText(m_ctx.state.applyOutcome, language);
            const bool showOutcome = !outcome.isEmpty() && !m_ctx.state.downloadBusy.load();
            out(area, showOutcome ? outcome : qs(area.label), kTextColour, {});
        } else if (e == frame::kHelp) {
            // The help element's text names the document it opens: its icon says the rest.
            continue;
        } else {
            out(area, qs(area.label), kTextColour, {});
        }
    }
}

void CZEL_GMouseDlg::placeTexts(const TextSink& out) const {
    const QFont font = m_ctx.fonts.selectFont(kTextFont, m_ctx.state.language.load());
    placeFrameTexts(out);
    shownPage().placeTexts(pageView(font), out);
}

void CZEL_GMouseDlg::composeInto(QImage& image) const {
    const QFont font = m_ctx.fonts.selectFont(kTextFont, m_ctx.state.language.load());
    const PageView view = pageView(font);
    if (layoutSize(view.pictures.normal) != layoutSize(image)) {
        image.fill(kBackground);
    }
    if (!view.pictures.normal.isNull()) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        // A picture of another scale than the frame's (the 2x set at 150 %) is resampled.
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        view.pictures.normal.devicePixelRatio() != image.devicePixelRatio());
        p.drawImage(QPoint(0, 0), view.pictures.normal);
    }
    const MainWindowPage& page = shownPage();
    paintHot(image, view);
    page.paintStates(image, view);
    paintFrame(image);
    paintApply(image, m_skin.main.area(frame::kApply));
    const TextSink draw = textPainter(image, font);
    placeFrameTexts(draw);
    page.placeTexts(view, draw);
}

QImage CZEL_GMouseDlg::compose() const {
    return compose(devicePixelRatioF());
}

QImage CZEL_GMouseDlg::compose(qreal devicePixelRatio) const {
    const QImage& normal = m_skin.page(static_cast<int>(m_pointer.page)).normal;
    QImage image = framePicture(normal.isNull() ? size() : layoutSize(normal), devicePixelRatio);
    composeInto(image);
    return image;
}

void CZEL_GMouseDlg::paintEvent(QPaintEvent*) {
    if (m_pointer.closePopupOnPaint) {
        m_pointer.closePopupOnPaint = false;
        closePopup();
    }
    // The page is drawn straight into the window's backing picture when it is a plain
    // picture of the window's size; otherwise it is composed apart and copied in.
    QPaintDevice* device = backingStore() != nullptr ? backingStore()->paintDevice() : nullptr;
    auto* backing = device != nullptr && device->devType() == QInternal::Image
                        ? static_cast<QImage*>(device)
                        : nullptr;
    // With child controls shown the page is painted clipped to the region asked for, so
    // the controls' pixels stay theirs.
    if (isWindow() && backing != nullptr && backing->size() == size() &&
        childrenRegion().isEmpty() && backing->devicePixelRatio() == 1.0 &&
        (backing->format() == QImage::Format_RGB32 ||
         backing->format() == QImage::Format_ARGB32_Premultiplied)) {
        if (!m_painted) {
            prefaultPicture(*backing);
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
