#include "ui/menus/MacSelMenuDlg.h"

#include "presentation/SkinPictures.h"
#include "ui/AppMessage.h"
#include "ui/menus/MenuPainting.h"
#include "ui/pages/PageLogic.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace zel {

namespace {

constexpr int kMaskRows = 15;
constexpr int kFallbackWidth = 300;
constexpr int kFallbackRowHeight = 30;

} // namespace

MacSelMenuDlg::MacSelMenuDlg(int group, MenuContext& context, QWidget* groups, QWidget* firstLevel,
                             QWidget* owner)
    : QWidget(groups), m_group(group), m_context(context), m_groups(groups),
      m_firstLevel(firstLevel), m_owner(owner) {
    makePopupWindow(*this);
    setObjectName(QStringLiteral("MacSelMenuDlg"));
    const PictureSet set =
        PictureSet::load(m_context.skinsDir, "/menu2", pictureScaleFor(devicePixelRatioF()));
    m_normal = set.normal;
    m_over = set.over;
    m_width = set.mask.isNull() ? kFallbackWidth : set.mask.width();
    m_rowHeight = set.mask.height() / kMaskRows;
    if (m_rowHeight <= 0) {
        m_rowHeight = kFallbackRowHeight;
    }
    m_rows = m_context.macros != nullptr ? m_context.macros->macroCount(m_group) : 0;
    m_rows = std::max(m_rows, 0);
    // One pixel more than the rows; nothing at all without macros.
    m_height = m_rows > 0 ? m_rows * m_rowHeight + 1 : 0;
    resize(m_width, m_height);
    if (m_height > 0) {
        setMask(QRegion(0, 0, m_width, m_height));
    }
}

QString MacSelMenuDlg::rowText(int row) const {
    return m_context.macros != nullptr
               ? QString::fromStdString(m_context.macros->macroName(m_group, row - 1))
               : QString();
}

QImage MacSelMenuDlg::compose() const {
    const int hot = m_hot >= 1 && m_hot <= m_rows ? m_hot : 0;
    QImage frame = composeMenu(QSize(width(), m_height), m_normal, m_over, hot, m_rowHeight,
                               devicePixelRatioF());
    if (m_context.macros != nullptr) {
        for (int r = 1; r <= m_rows; ++r) {
            drawRowText(frame, r, m_rowHeight,
                        QString::fromStdString(m_context.macros->macroName(m_group, r - 1)),
                        m_context.font);
        }
    }
    return frame;
}

void MacSelMenuDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(QPoint(0, 0), compose());
}

void MacSelMenuDlg::hover(QPoint point) {
    const int row = menuRowAt(point, width(), m_rowHeight, m_rows);
    if (row != 0 && row != m_hot) {
        m_hot = row;
        update();
    }
}

void MacSelMenuDlg::mouseMoveEvent(QMouseEvent* event) {
    hover(event->position().toPoint());
}

void MacSelMenuDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_rows == 0) {
        return;
    }
    hover(event->position().toPoint());
    choose(m_hot);
}

void MacSelMenuDlg::choose(int row) {
    // The groups may have changed since this popup opened: a group that is gone chooses
    // nothing.
    const int groups = m_context.macros != nullptr ? m_context.macros->groupCount() : 0;
    if (m_group > groups) {
        close();
        return;
    }
    if (row >= 1 && row <= m_rows && m_context.assign) {
        m_context.assign(macroAssignCode(m_group, row - 1));
    }
    const QPointer<MacSelMenuDlg> self(this);
    AppMessage chosen(msg::kLanguageChosen, 2, 0);
    sendToOwner(m_owner, chosen);
    if (!self) {
        return;
    }
    if (m_groups) {
        m_groups->close();
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
