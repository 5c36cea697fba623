#include "ui/menus/CSubMenuDlg.h"

#include "presentation/LanguagePack.h"
#include "presentation/PictureCache.h"
#include "presentation/SkinLayout.h"
#include "presentation/SkinPictures.h"
#include "ui/AppMessage.h"
#include "ui/menus/MacSelMenuDlg.h"
#include "ui/menus/MenuPainting.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <array>
#include <charconv>
#include <cstddef>

namespace zel {

namespace {

constexpr int kMaskRows = 15;
constexpr int kFallbackWidth = 300;
constexpr int kFallbackRowHeight = 30;

/// The first-level rows that open a function list, and the function codes of their rows.
constexpr int kRowSpecialFunctions = 7;
constexpr int kRowMultimedia = 8;
constexpr int kRowProfileFunctions = 11;
constexpr int kMultimediaRows = 10;
constexpr int kMultimediaFirstCode = 23;
constexpr int kProfileFunctionRows = 4;
constexpr int kProfileFunctionFirstCode = 19;

/// The insert lists: their first command and their number of rows.
struct InsertList {
    int firstItem;
    int rows;
};
constexpr std::array<InsertList, 4> kInsertLists{{
    {241, 6}, // mouse buttons, before the selected step
    {247, 6}, // mouse buttons, after it
    {253, 4}, // pointer moves
    {257, 2}, // CPI set and CPI return
}};

/// The mouse-button rows: left, middle and right button (UniqueName_DevMac 20..22), each
/// pressed ("↓") and released ("↑").
constexpr int kFirstButtonName = 20;
/// The pointer-move rows name the directions as the step list shows a move, with an arrow
/// for the direction on screen (Y grows downwards).
constexpr std::array kMoveDirections{"↖ [X-],[Y-]", "↙ [X-],[Y+]", "↗ [X+],[Y-]", "↘ [X+],[Y+]"};
/// The CPI rows: "DPI change" (UniqueName_DevMac 13) and "DPI return" (UniqueName_Other 11).
constexpr int kCpiSetName = 13;
constexpr int kCpiReturnName = 11;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

bool isInsertList(int variant) {
    return variant >= CSubMenuDlg::kInsertFirst && variant <= CSubMenuDlg::kInsertLast;
}

const InsertList& insertList(int variant) {
    return kInsertLists[static_cast<std::size_t>(variant - CSubMenuDlg::kInsertFirst)];
}

/// The named function at `position`, if any.
const SpecialFunction* functionAt(const SkinLayout* layout, int position) {
    if (layout == nullptr) {
        return nullptr;
    }
    for (const SpecialFunction& f : layout->specialFunctions) {
        if (f.position == position) {
            return &f;
        }
    }
    return nullptr;
}

} // namespace

CSubMenuDlg::CSubMenuDlg(int variant, int parentRow, MenuContext& context, QWidget* firstLevel,
                         QWidget* owner)
    : QWidget(firstLevel), m_variant(variant), m_parentRow(parentRow), m_context(context),
      m_firstLevel(firstLevel), m_owner(owner) {
    makePopupWindow(*this);
    setWindowTitle(QStringLiteral("SubMenuDlg"));
    setObjectName(QStringLiteral("SubMenuDlg"));

    const std::string skins = m_context.skinsDir;
    QImage mask;
    if (isInsertList(m_variant)) {
        // Mouse buttons share one picture set, pointer moves and CPI steps the other.
        const std::string prefix =
            skins + (m_variant <= kInsertFirst + 1 ? "/MacMenu/Insert2th" : "/MacMenu/Insert3th");
        const PictureSet set = PictureSet::load(prefix, "", pictureScaleFor(devicePixelRatioF()));
        m_normal = set.normal;
        m_over = set.over;
        m_down = set.down;
        mask = set.mask;
        m_rows = insertList(m_variant).rows;
    } else {
        mask = readPicture(qs(skins + "/menu2_mask.jpg"));
        const PictureSet set =
            PictureSet::load(skins, m_variant == kMacroGroups ? "/Macro_menu" : "/menu2",
                             pictureScaleFor(devicePixelRatioF()));
        m_normal = set.normal;
        m_over = set.over;
        m_down = set.down;
        if (m_variant == kMacroGroups) {
            m_rows = m_context.macros != nullptr ? m_context.macros->groupCount() : 0;
        } else if (m_parentRow == kRowSpecialFunctions) {
            m_rows = m_context.mainLayout != nullptr
                         ? static_cast<int>(m_context.mainLayout->specialFunctions.size())
                         : 0;
        } else if (m_parentRow == kRowMultimedia) {
            m_rows = kMultimediaRows;
        } else if (m_parentRow == kRowProfileFunctions) {
            m_rows = kProfileFunctionRows;
        }
    }
    m_width = mask.isNull() ? kFallbackWidth : mask.width();
    m_rowHeight = mask.height() / kMaskRows;
    if (m_rowHeight <= 0) {
        m_rowHeight = kFallbackRowHeight;
    }
    m_height = m_rows * m_rowHeight;
    resize(m_width, m_height);
    if (m_height > 0) {
        setMask(QRegion(0, 0, m_width, m_height));
    }
}

int CSubMenuDlg::insertItem(int row) const {
    return insertList(m_variant).firstItem + row - 1;
}

QString CSubMenuDlg::rowText(int row) const {
    const LanguagePack* pack = m_context.pack;
    if (isInsertList(m_variant)) {
        switch (m_variant - kInsertFirst) {
        case 0:
        case 1: {
            const int inList = row - 1;
            if (pack == nullptr) {
                return {};
            }
            return qs(pack->text(TextTable::DevMac, kFirstButtonName + inList / 2)) +
                   (inList % 2 == 0 ? QStringLiteral(" ↓") : QStringLiteral(" ↑"));
        }
        case 2:
            return QString::fromUtf8(kMoveDirections[static_cast<std::size_t>(row - 1)]);
        default:
            if (pack == nullptr) {
                return {};
            }
            return row == 1 ? qs(pack->text(TextTable::DevMac, kCpiSetName))
                            : qs(pack->text(TextTable::Other, kCpiReturnName));
        }
    }
    if (m_variant == kMacroGroups) {
        return m_context.macros != nullptr ? qs(m_context.macros->groupName(row)) : QString();
    }
    const SkinLayout* layout = m_context.mainLayout;
    if (layout == nullptr) {
        return {};
    }
    switch (m_parentRow) {
    case kRowSpecialFunctions: {
        const SpecialFunction* f = functionAt(layout, row);
        return f != nullptr ? qs(f->name) : QString();
    }
    case kRowMultimedia:
        return qs(layout->functionName(kMultimediaFirstCode + row - 1));
    case kRowProfileFunctions:
        return qs(layout->functionName(kProfileFunctionFirstCode + row - 1));
    default:
        return {};
    }
}

QImage CSubMenuDlg::compose() const {
    const int hot = m_hot >= 1 && m_hot <= m_rows ? m_hot : 0;
    QImage frame = composeMenu(QSize(width(), m_height), m_normal, m_pressed ? m_down : m_over, hot,
                               m_rowHeight, devicePixelRatioF());
    for (int r = 1; r <= m_rows; ++r) {
        drawRowText(frame, r, m_rowHeight, rowText(r), m_context.font);
    }
    return frame;
}

void CSubMenuDlg::paintEvent(QPaintEvent*) {
    replaceMacroPopup();
    QPainter p(this);
    p.drawImage(QPoint(0, 0), compose());
}

void CSubMenuDlg::replaceMacroPopup() {
    if (m_variant != kMacroGroups) {
        return;
    }
    if (m_macros) {
        m_macros->hide();
        m_macros->deleteLater();
        m_macros = nullptr;
    }
    if (m_hot < 1 || m_hot > m_rows) {
        return;
    }
    m_macros = new MacSelMenuDlg(m_hot, m_context, this, m_firstLevel, m_owner);
    // The popup ends level with its group's row.
    const int macroCount = m_context.macros != nullptr ? m_context.macros->macroCount(m_hot) : 0;
    m_macros->move(x() + width(), y() + m_macros->rowHeight() * (m_hot - macroCount));
    if (m_macros->height() > 0) {
        m_macros->show();
    }
}

void CSubMenuDlg::hover(QPoint point) {
    const int row = menuRowAt(point, width(), m_rowHeight, m_rows);
    // Outside the rows the last row stays hot.
    if (row != 0 && row != m_hot) {
        m_hot = row;
        update();
    }
}

void CSubMenuDlg::mouseMoveEvent(QMouseEvent* event) {
    hover(event->position().toPoint());
}

void CSubMenuDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    hover(event->position().toPoint());
    m_pressed = true;
    update();
}

void CSubMenuDlg::mouseReleaseEvent(QMouseEvent* event) {
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

void CSubMenuDlg::choose(int row) {
    if (m_variant == kMacroGroups) {
        return; // a group only opens its macros
    }
    if (isInsertList(m_variant)) {
        const QPointer<CSubMenuDlg> self(this);
        AppMessage m(msg::kMacroEditor, static_cast<int>(PopupKind::InsertStep), insertItem(row));
        sendToOwner(m_owner, m);
        if (!self) {
            return;
        }
    } else if (m_context.assign) {
        switch (m_parentRow) {
        case kRowSpecialFunctions:
            // A row without a named function (the one after them when "0" is named) stores
            // nothing.
            if (const SpecialFunction* f = functionAt(m_context.mainLayout, row)) {
                std::int32_t code = 0;
                const char* end = f->key.data() + f->key.size();
                if (std::from_chars(f->key.data(), end, code).ptr == end) {
                    m_context.assign(code);
                }
            }
            break;
        case kRowMultimedia:
            m_context.assign(kMultimediaFirstCode + row - 1);
            break;
        case kRowProfileFunctions:
            m_context.assign(kProfileFunctionFirstCode + row - 1);
            break;
        default:
            break;
        }
    }
    if (m_context.closeFirstLevelOnPaint) {
        m_context.closeFirstLevelOnPaint();
    }
    if (m_firstLevel) {
        m_firstLevel->close();
    }
    if (m_owner) {
        m_owner->repaint();
    }
    close();
}

} // namespace zel
