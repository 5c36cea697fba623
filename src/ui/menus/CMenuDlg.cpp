#include "ui/menus/CMenuDlg.h"

#include "presentation/LanguagePack.h"
#include "presentation/PictureCache.h"
#include "presentation/SkinLayout.h"
#include "presentation/SkinPictures.h"
#include "settings/ProfileSettings.h"
#include "ui/AppMessage.h"
#include "ui/menus/CSubMenuDlg.h"
#include "ui/menus/MenuPainting.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <array>
#include <cstddef>

namespace zel {

namespace {

/// First-level masks hold fifteen rows; the macro page's menus have rows of 20 pixels.
constexpr int kMaskRows = 15;
constexpr int kMacroMenuRowHeight = 20;
/// Used when a mask is missing, so that the popup still works without pictures.
constexpr int kFallbackWidth = 160;
constexpr int kFallbackRowHeight = 30;

constexpr int kAssignmentRows = 11;
constexpr int kReactionRows = 4;
constexpr int kLedModeRows = 5;
constexpr int kLedColourRows = 7;
constexpr int kLanguageRowsWithoutList = 2;

/// Rows of the button menu.
constexpr int kLastDirectFunction = 6; ///< rows 1..6 store their own function
constexpr int kRowSpecialFunctions = 7;
constexpr int kRowMultimedia = 8;
constexpr int kRowMacros = 9;
constexpr int kRowCombination = 10;
constexpr int kRowProfileFunctions = 11;
/// The macro groups' popup ends level with the macro row.
constexpr int kMacroGroupsBottomRow = 9;

/// The insert menu: rows 1..4 lead to the insert popups, rows 5..7 are commands.
constexpr int kInsertPopupRows = 4;
constexpr int kInsertFirstCommand = 145;

/// The texts (UniqueName_DevMac keys) of the macro page's menus, in row order.
constexpr std::array kMacroGroupTexts{1, 2, 3, 4, 5, 6, 7, 8, 19};
constexpr std::array kMacroRowTexts{32, 17, 18, 19};
constexpr std::array kMacroStepTexts{16, 17};
constexpr std::array kInsertTexts{10, 11, 12, 13, 14, 15, 17};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// Where a kind's pictures are: folder under the skins, prefix, and the suffix after the
/// look ("2" for the step menu's smaller pictures).
struct KindPictures {
    const char* folder;
    const char* prefix;
    const char* suffix;
};

KindPictures picturesOf(PopupKind kind) {
    switch (kind) {
    case PopupKind::Assignment:
        return {"", "/menu1", ""};
    case PopupKind::LedEffect:
        return {"", "/led_menu", ""};
    case PopupKind::LedReaction:
    case PopupKind::MacroLedMode:
    case PopupKind::MacroLedColour:
        return {"", "/menu", ""};
    case PopupKind::WeaponPreset:
    case PopupKind::Language:
        return {"", "/menu2", ""};
    case PopupKind::MacroGroupMenu:
        return {"/MacMenu", "/MacG", ""};
    case PopupKind::MacroRowMenu:
        return {"/MacMenu", "/MacR", ""};
    case PopupKind::MacroStepMenu:
        return {"/MacMenu", "/MacR", "2"};
    case PopupKind::InsertStep:
        return {"/MacMenu", "/Insert", ""};
    }
    return {"", "/menu", ""};
}

bool isMacroPageMenu(PopupKind kind) {
    return kind == PopupKind::MacroGroupMenu || kind == PopupKind::MacroRowMenu ||
           kind == PopupKind::MacroStepMenu || kind == PopupKind::InsertStep;
}

int count(std::size_t size) {
    return static_cast<int>(size);
}

} // namespace

CMenuDlg::CMenuDlg(PopupKind kind, MenuContext& context, QWidget* owner, std::vector<int> items)
    : QWidget(owner), m_kind(kind), m_context(context), m_owner(owner), m_items(std::move(items)) {
    makePopupWindow(*this);
    setWindowTitle(QStringLiteral("MainMenuDlg"));
    setObjectName(QStringLiteral("MainMenuDlg"));
    loadPictures();
}

void CMenuDlg::loadPictures() {
    const KindPictures where = picturesOf(m_kind);
    const std::string base = m_context.skinsDir + where.folder + where.prefix;
    const int scale = pictureScaleFor(devicePixelRatioF());
    const auto read = [&](const char* look, int lookScale) {
        return readPicture(qs(base + "_" + look + where.suffix + ".jpg"), lookScale);
    };
    m_normal = read("normal", scale);
    m_over = read("over", scale);
    m_down = read("down", scale);
    // The rows and the size are in layout units: the mask of the 1x set.
    const QImage mask = read("mask", 1);

    const bool fixedRows = isMacroPageMenu(m_kind);
    if (mask.isNull()) {
        m_width = kFallbackWidth;
        m_rowHeight = fixedRows ? kMacroMenuRowHeight : kFallbackRowHeight;
    } else {
        m_width = mask.width();
        m_rowHeight = fixedRows ? kMacroMenuRowHeight : mask.height() / kMaskRows;
        if (m_rowHeight <= 0) {
            m_rowHeight = kFallbackRowHeight;
        }
    }

    switch (m_kind) {
    case PopupKind::Assignment:
        m_rows = kAssignmentRows;
        break;
    case PopupKind::LedEffect:
        m_rows = count(m_context.effectList.size());
        break;
    case PopupKind::LedReaction:
        m_rows = kReactionRows;
        break;
    case PopupKind::MacroLedMode:
        m_rows = kLedModeRows;
        break;
    case PopupKind::MacroLedColour:
        m_rows = kLedColourRows;
        break;
    case PopupKind::WeaponPreset:
        m_rows = count(m_context.presetNames.size());
        break;
    case PopupKind::Language:
        m_rows = m_items.empty() ? kLanguageRowsWithoutList : count(m_items.size());
        break;
    case PopupKind::MacroGroupMenu:
        m_rows = count(kMacroGroupTexts.size());
        break;
    case PopupKind::MacroRowMenu:
        m_rows = count(kMacroRowTexts.size());
        break;
    case PopupKind::MacroStepMenu:
        m_rows = count(kMacroStepTexts.size());
        break;
    case PopupKind::InsertStep:
        m_rows = count(kInsertTexts.size());
        break;
    }

    // The macro list's menus are as high as their mask, and a missing mask is told.
    if (m_kind == PopupKind::MacroRowMenu || m_kind == PopupKind::MacroStepMenu) {
        m_height = mask.height();
        if (mask.isNull() && m_context.showNotice) {
            m_context.showNotice(m_kind == PopupKind::MacroRowMenu
                                     ? QStringLiteral("找不到 MacR_mask.jpg")
                                     : QStringLiteral("找不到 MacR_mask2.jpg"));
        }
    } else {
        m_height = m_rows * m_rowHeight;
    }

    if (m_kind == PopupKind::Language) {
        for (int language : m_items) {
            const std::string folder =
                m_context.languageFolder ? m_context.languageFolder(language) : std::string();
            m_rowPictures.emplace_back(readPicture(qs(folder + "/ver_normal.jpg"), scale),
                                       readPicture(qs(folder + "/ver_over.jpg"), scale));
        }
    }

    resize(m_width, m_height);
    if (m_width > 0 && m_height > 0) {
        setMask(QRegion(0, 0, m_width, m_height));
    }
}

QString CMenuDlg::rowText(int row) const {
    const LanguagePack* pack = m_context.pack;
    const auto devMac = [&](const auto& keys) {
        return pack != nullptr && row <= count(keys.size())
                   ? qs(pack->text(TextTable::DevMac, keys[static_cast<std::size_t>(row - 1)]))
                   : QString();
    };
    const auto fromList = [&](const std::vector<std::string>& list) {
        return row <= count(list.size()) ? qs(list[static_cast<std::size_t>(row - 1)]) : QString();
    };
    switch (m_kind) {
    case PopupKind::Assignment:
        return m_context.mainLayout != nullptr ? qs(m_context.mainLayout->functionName(row))
                                               : QString();
    case PopupKind::LedEffect:
        // Effect c is named by lighting text c + 1.
        return pack != nullptr && row <= count(m_context.effectList.size())
                   ? qs(pack->text(TextTable::Led,
                                   m_context.effectList[static_cast<std::size_t>(row - 1)] + 1))
                   : QString();
    case PopupKind::LedReaction:
        return pack != nullptr ? fromList(pack->reactionNames()) : QString();
    case PopupKind::MacroLedMode:
        return pack != nullptr ? fromList(pack->modeNames()) : QString();
    case PopupKind::WeaponPreset:
        return fromList(m_context.presetNames);
    case PopupKind::MacroGroupMenu:
        return devMac(kMacroGroupTexts);
    case PopupKind::MacroRowMenu:
        return devMac(kMacroRowTexts);
    case PopupKind::MacroStepMenu:
        return devMac(kMacroStepTexts);
    case PopupKind::InsertStep:
        return devMac(kInsertTexts);
    case PopupKind::Language:
        // Without a list (the frame's language menu) the rows have no pictures: each shows
        // the name of the language it chooses.
        return m_items.empty() ? rowName(row) : QString();
    case PopupKind::MacroLedColour:
        break;
    }
    return {};
}

QString CMenuDlg::rowName(int row) const {
    if (m_kind == PopupKind::Language) {
        // The language rows choose languages 0, 1, ... in row order (or their list's),
        // named by the "other" texts from 20 on.
        constexpr int kLanguageNameFirst = 20;
        const int language = row >= 1 && row <= count(m_items.size())
                                 ? m_items[static_cast<std::size_t>(row - 1)]
                                 : row - 1;
        return m_context.pack != nullptr
                   ? qs(m_context.pack->text(TextTable::Other, kLanguageNameFirst + language))
                   : QString();
    }
    if (m_kind == PopupKind::MacroLedColour) {
        // The rows are swatches of the user colours.
        return QStringLiteral("Colour %1").arg(row);
    }
    return rowText(row);
}

QImage CMenuDlg::compose() const {
    const QSize size(width(), m_height);
    const bool rowPictures = m_kind == PopupKind::Language && !m_rowPictures.empty();
    const int hot = m_hot == kNoRow || rowPictures ? 0 : m_hot;
    QImage frame = composeMenu(size, m_normal, m_pressed ? m_down : m_over, hot, m_rowHeight,
                               devicePixelRatioF());

    if (rowPictures) {
        QPainter p(&frame);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        for (int r = 1; r <= count(m_rowPictures.size()); ++r) {
            const auto& pictures = m_rowPictures[static_cast<std::size_t>(r - 1)];
            const QImage& picture = r == m_hot ? pictures.second : pictures.first;
            if (!picture.isNull()) {
                p.drawImage(QRect(0, (r - 1) * m_rowHeight, size.width(), m_rowHeight), picture);
            }
        }
    }
    if (m_kind == PopupKind::MacroLedColour) {
        // Each row is a swatch of its user colour; the hot row's band stays visible around it.
        QPainter p(&frame);
        for (int r = 1; r <= m_rows; ++r) {
            const QRect band(0, (r - 1) * m_rowHeight, size.width(), m_rowHeight);
            p.fillRect(band.adjusted(10, 5, -10, -5),
                       m_context.userColours[static_cast<std::size_t>(r - 1)]);
        }
    }
    for (int r = 1; r <= m_rows; ++r) {
        drawRowText(frame, r, m_rowHeight, rowText(r), m_context.font,
                    m_kind == PopupKind::LedReaction);
    }
    return frame;
}

void CMenuDlg::paintEvent(QPaintEvent*) {
    replaceSubPopup();
    QPainter p(this);
    p.drawImage(QPoint(0, 0), compose());
}

void CMenuDlg::replaceSubPopup() {
    if (m_sub) {
        m_sub->hide();
        m_sub->deleteLater();
        m_sub = nullptr;
    }
    int parentRow = 0;
    int variant = CSubMenuDlg::kFunctions;
    int topRows = 0;
    if (m_kind == PopupKind::Assignment) {
        parentRow = m_hot;
        switch (m_hot) {
        case kRowSpecialFunctions:
            topRows = 4;
            break;
        case kRowMultimedia:
            topRows = 1;
            break;
        case kRowMacros:
            variant = CSubMenuDlg::kMacroGroups;
            topRows = kMacroGroupsBottomRow -
                      (m_context.macros != nullptr ? m_context.macros->groupCount() : 0);
            break;
        case kRowProfileFunctions:
            topRows = 9;
            break;
        default:
            return;
        }
    } else if (m_kind == PopupKind::InsertStep && m_hot >= 1 && m_hot <= kInsertPopupRows) {
        parentRow = m_hot;
        variant = CSubMenuDlg::kInsertFirst + m_hot - 1;
        topRows = m_hot - 1;
    } else {
        return;
    }
    m_sub = new CSubMenuDlg(variant, parentRow, m_context, this, m_owner);
    m_sub->move(x() + width(), y() + topRows * m_rowHeight);
    m_sub->show();
}

void CMenuDlg::hover(QPoint point) {
    const int row = menuRowAt(point, width(), m_rowHeight, kMenuHoverRows);
    const int hot = row == 0 ? kNoRow : row;
    if (hot != m_hot) {
        m_hot = hot;
        update();
    }
}

void CMenuDlg::mouseMoveEvent(QMouseEvent* event) {
    hover(event->position().toPoint());
}

void CMenuDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    hover(event->position().toPoint());
    m_pressed = true;
    update();
}

void CMenuDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    hover(event->position().toPoint());
    m_pressed = false;
    update();
    if (m_hot >= 1 && m_hot <= m_rows) {
        choose(m_hot);
    }
}

void CMenuDlg::choose(int row) {
    // A message the owner handles at once may end this popup: nothing of it is touched then.
    const QPointer<CMenuDlg> self(this);
    const auto send = [&](int message, long long wParam, long long lParam) {
        AppMessage m(message, wParam, lParam);
        sendToOwner(m_owner, m);
        return !self.isNull();
    };
    const auto index = static_cast<std::size_t>(row - 1);
    const int kind = static_cast<int>(m_kind);

    switch (m_kind) {
    case PopupKind::Assignment:
        if (row <= kLastDirectFunction) {
            if (m_context.assign) {
                m_context.assign(row);
            }
        } else if (row == kRowCombination) {
            // Posted: the owner opens the combination dialog after this popup has gone.
            postToOwner(m_owner, msg::kOpenCombination, 0, 0);
        } else {
            return; // the rows with a second level choose there
        }
        break;
    case PopupKind::LedEffect:
        if (m_context.shared != nullptr) {
            m_context.shared->ledType = static_cast<std::uint8_t>(m_context.effectList[index]);
            m_context.shared->ledFeatureDirection = 0;
        }
        break;
    case PopupKind::LedReaction:
        if (m_context.profile != nullptr && m_context.reactionButton >= 0 &&
            m_context.reactionButton < kButtonSlots) {
            m_context.profile->reactType[static_cast<std::size_t>(m_context.reactionButton)] =
                row - 1;
        }
        break;
    case PopupKind::MacroLedMode:
        if (!send(msg::kMacroLedMode, row - 1, 0)) {
            return;
        }
        break;
    case PopupKind::MacroLedColour:
        if (!send(msg::kMacroLedLevel, row, 0)) {
            return;
        }
        break;
    case PopupKind::WeaponPreset: {
        const int previous = m_context.currentPreset;
        m_context.currentPreset = row - 1;
        if (!send(msg::kWeaponChosen, previous, 0)) {
            return;
        }
        break;
    }
    case PopupKind::Language:
        if (!send(msg::kLanguageChosen, 1, row)) {
            return;
        }
        if (!m_context.perLanguageFonts) {
            if (m_context.dropSharedFonts) {
                m_context.dropSharedFonts();
            }
            if (!send(msg::kFontsRebuilt, 1, 0)) {
                return;
            }
        }
        break;
    case PopupKind::MacroGroupMenu:
    case PopupKind::MacroRowMenu:
    case PopupKind::MacroStepMenu:
        postToOwner(m_owner, msg::kMacroEditor, kind, row);
        break;
    case PopupKind::InsertStep:
        if (row <= kInsertPopupRows) {
            return; // the insert popups choose
        }
        if (!send(msg::kMacroEditor, kind, kInsertFirstCommand + row - kInsertPopupRows - 1)) {
            return;
        }
        break;
    }
    if (m_owner) {
        m_owner->update();
    }
    close();
}

} // namespace zel
