#pragma once

#include "lighting/SoundWaveModel.h"
#include "presentation/SkinLayout.h"
#include "presentation/SkinPictures.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>

namespace zel {

/// What the sound window asks of the program.
struct SoundWaveHooks {
    /// The switch was turned on.
    std::function<void()> switchedOn;
    /// The switch was turned off: the program puts the profile's lighting back.
    std::function<void()> switchedOff;
    /// The close element: the settings are stored, then the window hides.
    std::function<void()> closing;
    /// The lighting mode of the shared settings (the switch looks off outside mode 0).
    std::function<int()> lightMode;
};

/// The sound lighting window: a frameless skinned window owned by the main window with the
/// three pattern choices, the switch, the close element and a bar graph of the recent
/// samples. It only shows and edits the shared words of the sound lighting; the program
/// runs the meter, the timers and the worker. Elements 0..11 are hit-tested; a press on
/// element 11 or on no element moves the window.
class SoundWave final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kFallbackSize{520, 320};

    SoundWave(SoundLightState& state, SoundWaveHooks hooks, QWidget* owner);

    /// A fresh layout (at every opening, the language may have changed) and the pictures.
    void setSkin(SkinLayout layout, PictureSet pictures, const QFont& captionFont);

    /// The picture the window shows now. The graph holds full-scale samples to 99 in the
    /// history, as the painting does.
    QImage compose();

    int hot() const { return m_hot; }
    bool isPressed() const { return m_pressed; }
    /// The window follows the pointer itself (where the system cannot move it).
    bool followingPointer() const { return m_moving; }
    /// Element `index` of the layout (an empty area when there is none).
    const Area& area(int index) const { return m_layout.area(index); }
    /// Where the caption of a pattern choice is drawn (centred): a line as wide as the
    /// choice, starting its width below its top.
    static Area captionArea(const Area& tile, int lineHeight);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateHot(QPoint point);
    void startMoving(QPoint globalPos);

    SoundLightState& m_state;
    SoundWaveHooks m_hooks;
    SkinLayout m_layout;
    std::array<SoundRect, kSoundHitElements> m_hitRects{};
    PictureSet m_pictures;
    QFont m_font;
    int m_hot = kSoundNoElement;
    int m_lastHot = 0;
    bool m_pressed = false;
    bool m_moving = false;
    QPoint m_moveOffset;
};

} // namespace zel
