#pragma once

#include "common/Tip.h"
#include "common/WarningSink.h"
#include "lighting/SoundLightRunner.h"
#include "lighting/SoundWaveModel.h"
#include "ui/SoundWave.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace zel {

class CoreSession;

/// What the sound lighting needs from the program.
struct SoundLightInputs {
    CoreSession& core;
    Sleeper& sleeper;        ///< the worker's pauses (the real clock)
    std::string audioServer; ///< the Pulse server to measure; empty: the session's
    MessageSink* messages;   ///< the message box of a missing layout file
    std::function<void(Tip)> warn;
    std::function<QFont()> captionFont;
};

/// Runs the sound-reactive lighting of the program: opens the sound window from the main
/// window, reads its settings once when it is made and writes them when it is closed, and
/// while the switch is on keeps the peak meter, the worker and the three timers going
/// (sampling every 96 ms, the two pattern ticks every 480 ms), shown window or not.
/// Turning the switch off closes the meter and stops the timers at once; 250 ms later,
/// once the worker has finished its pass, the worker ends and the main window puts the
/// profile's lighting back (message 0x40C).
class SoundLightControl final : public QObject {
    Q_OBJECT
public:
    static constexpr int kSamplingMs = 96;
    static constexpr int kPatternTickMs = 480;
    static constexpr int kRestoreDelayMs = 250;

    SoundLightControl(SoundLightInputs inputs, QWidget* mainWindow);
    ~SoundLightControl() override;

    /// The sound lighting element of the main window: learns the mouse's DPI stage, then
    /// shows the window beside a main window centred on the desktop, or the warning
    /// (TipText 6) when nothing plays sound here.
    void openSoundWindow();
    /// Ends the worker and closes the meter (the program ends).
    void stop();

    SoundWave* window() const { return m_window.get(); }
    SoundLightRunner& runner() { return m_runner; }
    /// The timers run (the switch is on).
    bool timersRunning() const { return m_sampling.isActive(); }
    /// The restore after switching off is waiting.
    bool restorePending() const { return m_restore.isActive(); }
    /// Where the window opens for the desktop and main window of the moment.
    SoundWindowPlace place() const;

private:
    bool audioDevicePresent();
    void createWindow();
    void loadSkin();
    void switchOn();
    void switchOff();
    void finishSwitchOff();
    void close();

    SoundLightInputs m_in;
    QPointer<QWidget> m_mainWindow;
    SoundLightRunner m_runner;
    SoundWaveSettings m_settings;
    std::unique_ptr<SoundWave> m_window;
    QTimer m_sampling;
    QTimer m_pulseTick;
    QTimer m_barTick;
    QTimer m_restore;
};

} // namespace zel
