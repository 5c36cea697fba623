#pragma once

#include "common/WarningSink.h"
#include "platform/ini/IniStore.h"
#include "presets/GunDialogModel.h"
#include "ui/SkinSurface.h"
#include "ui/menus/CMenuDlg.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>

#include <array>
#include <string>

class QLineEdit;

namespace zel {

/// What the weapon preset dialog is built from: the stores and folders of the current
/// language, its font of class 2, the product name (the title), the plain message box and
/// the popups' context (for the weapon list).
struct GunDialogContext {
    const ini::IniStore& ini;
    std::string skinsDir;
    std::string languageDir;
    QFont font;
    QString title;
    MessageSink* messages = nullptr;
    MenuContext* menus = nullptr;
};

/// The weapon preset dialog: a frameless modal skinned window (pictures "gun_*.jpg", layout
/// skin_gun.ini) that shows one weapon preset at a time, its picture, its name and its
/// run mode, with three digit-only boxes for the repeat count, the pull strength and the
/// fire interval. Its elements close it (0, 1, 3), store and close it (2), open the weapon
/// list (5, 6) and set the run mode (8: repeat count, 9: while held); what they store is
/// `GunDialogModel`'s. A dialog whose layout file is missing shows the message box while
/// it is built and ends at once with 0 when it is run.
class CDialogGun final : public QDialog {
    Q_OBJECT
public:
    /// The size when the mask picture is missing.
    static constexpr QSize kFallbackSize{560, 400};
    /// The weapon list opens this size, below the weapon's name.
    static constexpr QSize kListSize{160, 360};
    /// The edit boxes: repeat count, pull strength, fire interval.
    enum Box { RepeatBox = 0, StrengthBox = 1, IntervalBox = 2 };
    static constexpr std::array<int, 3> kBoxLengths{3, 2, 4};

    /// Opens `model` on the first preset; `owner` is the window the dialog is modal over.
    CDialogGun(const GunDialogContext& context, GunDialogModel& model, QWidget* owner = nullptr);
    ~CDialogGun() override;

    int exec() override;

    bool layoutMissing() const { return m_layoutMissing; }
    int hot() const { return m_surface.hot(); }
    /// Element `index` of the layout (an empty area when there is none).
    const Area& area(int index) const { return m_surface.layout().area(index); }
    QLineEdit* box(Box which) const { return m_boxes[static_cast<std::size_t>(which)]; }
    /// The weapon list while it is open.
    CMenuDlg* weaponList() const { return m_list.data(); }
    /// The picture the dialog shows now (without its edit boxes).
    QImage compose() const;

    static QColor nameColour() { return QColor(7, 187, 255); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void makeBoxes(const QFont& font);
    /// The boxes, picture and name of the current preset.
    void showPreset();
    /// The boxes as the model holds them.
    void showBoxes();
    /// The boxes' texts into the model.
    void takeBoxes();
    void elementReleased(int element);
    void openWeaponList();
    void closeWeaponList();
    void weaponChosen();

    GunDialogModel& m_model;
    MessageSink* m_messages;
    MenuContext* m_menus;
    std::string m_skinsDir;
    SkinSurface m_surface;
    QImage m_picture;
    std::array<QLineEdit*, 3> m_boxes{};
    QPointer<CMenuDlg> m_list;
    bool m_layoutMissing = false;
};

} // namespace zel
