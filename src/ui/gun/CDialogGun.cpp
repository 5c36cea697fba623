#include "ui/gun/CDialogGun.h"

#include "presentation/LayoutElements.h"
#include "presentation/PictureCache.h"
#include "presentation/SkinPictures.h"
#include "ui/AppMessage.h"
#include "ui/menus/CMenuDlg.h"
#include "ui/menus/MenuContext.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace zel {

namespace {

namespace elements = layout::skin_gun;

/// Shown when a preset has no picture in the skins' "Gun" folder.
constexpr const char* kPictureMissing = "枪械图片丢失，未能对应!";

/// The run mode's low two bits: 0 plays the repeat count, 2 plays while the button is held.
constexpr unsigned kRunModeBits = 3;
constexpr unsigned kRunModeRepeat = 0;
constexpr unsigned kRunModeHold = 2;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QRect rectOf(const CornerRect& c) {
    return QRect(QPoint(c.left, c.top), QPoint(c.right - 1, c.bottom - 1));
}

QRect rectOf(const Area& a) {
    return QRect(a.x, a.y, a.width, a.height);
}

} // namespace

CDialogGun::CDialogGun(const GunDialogContext& context, GunDialogModel& model, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_model(model),
      m_messages(context.messages), m_menus(context.menus), m_skinsDir(context.skinsDir) {
    setWindowTitle(context.title);
    setObjectName(QStringLiteral("CDialogGun"));
    SkinLayout layout;
    m_layoutMissing = loadSkin(context.ini, context.languageDir, SkinFile::Gun, layout,
                               ReaderSinks{nullptr, context.messages}) == LoadStatus::FileMissing;
    m_surface.setLayout(std::move(layout), elements::kLastHit);
    m_surface.setPictures(PictureSet::load(context.skinsDir, "/gun"));
    m_surface.setFont(context.font);
    setFixedSize(m_surface.size(kFallbackSize));
    if (!m_surface.shape().isEmpty()) {
        setMask(m_surface.shape());
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setModal(true);
    makeBoxes(context.font);
    if (!m_layoutMissing) {
        m_model.open();
        showPreset();
    }
}

CDialogGun::~CDialogGun() {
    closeWeaponList();
}

void CDialogGun::makeBoxes(const QFont& font) {
    static constexpr std::array<const char*, 3> kNames{"repeatBox", "strengthBox", "intervalBox"};
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QLatin1String(kNames[i]));
        box->setFont(font);
        box->setFrame(false);
        box->setAlignment(Qt::AlignCenter);
        box->setMaxLength(kBoxLengths[i]);
        box->setValidator(new QRegularExpressionValidator(digits, box));
        box->setGeometry(rectOf(m_surface.layout().edits[i]));
        QPalette colours = box->palette();
        colours.setColor(QPalette::Base, QColor(22, 22, 22));
        colours.setColor(QPalette::Text, Qt::white);
        colours.setColor(QPalette::Disabled, QPalette::Text, QColor(154, 154, 154));
        colours.setColor(QPalette::Disabled, QPalette::Base, QColor(30, 30, 30));
        box->setPalette(colours);
        m_boxes[i] = box;
    }
}

int CDialogGun::exec() {
    if (m_layoutMissing) {
        setResult(0);
        return 0;
    }
    return QDialog::exec();
}

void CDialogGun::showPreset() {
    showBoxes();
    const int index = m_model.presets().current;
    m_picture = readPicture(qs(m_skinsDir + "/Gun/" + std::to_string(index + 1) + ".jpg"));
    if (m_picture.isNull() && m_messages != nullptr) {
        m_messages->message(kPictureMissing);
    }
    update();
}

void CDialogGun::showBoxes() {
    const GunDialogModel::Boxes& b = m_model.boxes;
    m_boxes[RepeatBox]->setText(qs(b.repeat));
    m_boxes[RepeatBox]->setEnabled(b.repeatEnabled);
    m_boxes[StrengthBox]->setText(qs(b.strength));
    m_boxes[IntervalBox]->setText(qs(b.interval));
}

void CDialogGun::takeBoxes() {
    GunDialogModel::Boxes& b = m_model.boxes;
    b.repeat = m_boxes[RepeatBox]->text().toStdString();
    b.strength = m_boxes[StrengthBox]->text().toStdString();
    b.interval = m_boxes[IntervalBox]->text().toStdString();
}

QImage CDialogGun::compose() const {
    const PictureSet& pictures = m_surface.pictures();
    QImage frame;
    if (pictures.normal.isNull()) {
        frame = QImage(size(), QImage::Format_RGB32);
        frame.fill(QColor(22, 22, 22));
    } else {
        frame = pictures.normal.convertToFormat(QImage::Format_RGB32);
    }
    // The run mode shows as its element pressed.
    const WeaponPresets& presets = m_model.presets();
    const int current = presets.current;
    if (current >= 0 && current < kMaxPresets) {
        const unsigned mode =
            presets.records[static_cast<std::size_t>(current)].runMode & kRunModeBits;
        if (mode == kRunModeHold) {
            composeArea(frame, pictures.down, area(elements::kHoldMode));
        } else if (mode == kRunModeRepeat) {
            composeArea(frame, pictures.down, area(elements::kRepeatMode));
        }
    }
    if (m_surface.hot() != SkinSurface::kNone) {
        composeArea(frame, m_surface.isPressed() ? pictures.down : pictures.over,
                    area(m_surface.hot()));
    }
    if (!m_picture.isNull() && !area(elements::kPicture).empty()) {
        QPainter p(&frame);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rectOf(area(elements::kPicture)), m_picture);
    }
    const QFont& font = m_surface.font();
    for (int i = 0; i <= elements::kLastElement; ++i) {
        if (i == elements::kWeaponName) {
            const std::string name = current >= 0 && current < kMaxPresets
                                         ? presets.names[static_cast<std::size_t>(current)]
                                         : std::string();
            SkinSurface::drawCentred(frame, area(i), qs(name), font, nameColour());
        } else {
            SkinSurface::drawCentred(frame, area(i), qs(area(i).label), font, Qt::white);
        }
    }
    return frame;
}

bool CDialogGun::event(QEvent* event) {
    if (event->type() == AppMessage::eventType()) {
        const auto* message = static_cast<AppMessage*>(event);
        if (message->message == msg::kWeaponChosen) {
            weaponChosen();
        }
        return true;
    }
    return QDialog::event(event);
}

void CDialogGun::paintEvent(QPaintEvent*) {
    // Composed off screen and copied in one operation.
    QPainter p(this);
    p.drawImage(0, 0, compose());
}

void CDialogGun::mouseMoveEvent(QMouseEvent* event) {
    if (m_surface.pointerMoved(event->position().toPoint())) {
        update();
    }
}

void CDialogGun::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // Every press in the dialog ends an open weapon list, as presses in the main window do.
    closeWeaponList();
    if (m_surface.pressed(event->position().toPoint())) {
        update();
    }
}

void CDialogGun::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const bool wasPressed = m_surface.isPressed();
    const int pressedOn = m_surface.hot();
    static_cast<void>(m_surface.released());
    m_surface.pointerMoved(event->position().toPoint());
    update();
    // An element acts when the button comes up on the element it went down on.
    if (wasPressed && pressedOn != SkinSurface::kNone && m_surface.hot() == pressedOn) {
        elementReleased(pressedOn);
    }
}

void CDialogGun::leaveEvent(QEvent*) {
    if (!m_surface.isPressed() && m_surface.pointerMoved(QPoint(-1, -1))) {
        update();
    }
}

void CDialogGun::elementReleased(int element) {
    switch (element) {
    case elements::kClose:
    case elements::kCancel:
    case elements::kBack:
        done(0);
        break;
    case elements::kSave:
        takeBoxes();
        m_model.storeAndClose();
        done(1);
        break;
    case elements::kWeaponName:
    case elements::kWeaponList:
        openWeaponList();
        break;
    case elements::kRepeatMode:
        m_model.repeatMode();
        showBoxes();
        update();
        break;
    case elements::kHoldMode:
        m_model.runMode2();
        showBoxes();
        update();
        break;
    default:
        break;
    }
}

void CDialogGun::openWeaponList() {
    closeWeaponList();
    // Without presets the list would have no rows: there is nothing to open.
    if (m_menus == nullptr || m_model.presets().count <= 0) {
        return;
    }
    m_menus->currentPreset = m_model.presets().current;
    auto* list = new CMenuDlg(PopupKind::WeaponPreset, *m_menus, this);
    const Area& a = area(elements::kWeaponName);
    list->setGeometry(QRect(mapToGlobal(QPoint(a.x, a.y + a.height)), kListSize));
    list->show();
    m_list = list;
}

void CDialogGun::closeWeaponList() {
    if (m_list) {
        m_list->close();
        m_list = nullptr;
    }
}

void CDialogGun::weaponChosen() {
    if (m_menus == nullptr) {
        return;
    }
    // The list has made the chosen row current in the context; the model stores the boxes
    // into the preset shown until now before it shows the chosen one.
    takeBoxes();
    const int before = m_model.presets().current;
    m_model.chooseWeapon(m_menus->currentPreset + 1);
    if (m_model.presets().current != before) {
        showPreset();
    }
}

} // namespace zel
