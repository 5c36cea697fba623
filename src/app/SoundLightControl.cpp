#include "app/SoundLightControl.h"

#include "platform/audio/PulsePeakMeter.h"
#include "programming/ProfileRestore.h"
#include "session/CoreSession.h"
#include "ui/AppMessage.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace zel {

namespace {

constexpr const char* kSoundPictures = "/sound";
// Waits between looks at a worker that is still in its pass after switching off.
constexpr int kPassPollMs = 10;

} // namespace

SoundLightControl::SoundLightControl(SoundLightInputs inputs, QWidget* mainWindow)
    : m_in(std::move(inputs)), m_mainWindow(mainWindow),
      m_runner(m_in.core.sound(), m_in.core.link(), m_in.sleeper,
               [server = m_in.audioServer]() -> std::unique_ptr<audio::PeakMeter> {
                   return std::make_unique<audio::PulsePeakMeter>(server);
               }) {
    m_sampling.setInterval(kSamplingMs);
    m_pulseTick.setInterval(kPatternTickMs);
    m_barTick.setInterval(kPatternTickMs);
    m_restore.setSingleShot(true);
    m_restore.setInterval(kRestoreDelayMs);
    connect(&m_sampling, &QTimer::timeout, this, [this] {
        m_runner.samplingTick();
        if (m_window && m_window->isVisible()) {
            m_window->update();
        }
    });
    connect(&m_pulseTick, &QTimer::timeout, this, [this] { m_runner.patternTick(true); });
    connect(&m_barTick, &QTimer::timeout, this, [this] { m_runner.patternTick(false); });
    connect(&m_restore, &QTimer::timeout, this, &SoundLightControl::finishSwitchOff);
}

SoundLightControl::~SoundLightControl() {
    stop();
}

void SoundLightControl::stop() {
    m_sampling.stop();
    m_pulseTick.stop();
    m_barTick.stop();
    m_restore.stop();
    m_runner.stop();
}

SoundWindowPlace SoundLightControl::place() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen != nullptr ? screen->geometry().size() : QSize();
    const QSize main = m_mainWindow ? m_mainWindow->frameGeometry().size() : QSize();
    return soundWindowPlace(desktop.width(), desktop.height(), main.width(), main.height());
}

bool SoundLightControl::audioDevicePresent() {
    // While the switch is on the open meter knows; otherwise the server is asked without
    // recording anything.
    if (audio::PeakMeter* meter = m_runner.meter()) {
        return meter->audioDevicePresent();
    }
    return audio::PulsePeakMeter::devicePresent(m_in.audioServer);
}

void SoundLightControl::openSoundWindow() {
    const SoundWindowPlace at = place();
    learnSoundDpiStage(m_in.core.link(), m_in.core.sound());
    if (!audioDevicePresent()) {
        if (m_in.warn) {
            m_in.warn(Tip::OperationFailed);
        }
        return;
    }
    if (!m_window) {
        createWindow();
    } else {
        // The language may have changed since.
        loadSkin();
    }
    m_window->move(at.x, at.y);
    m_window->show();
}

void SoundLightControl::loadSkin() {
    const FolderTree& folders = m_in.core.folders();
    SkinLayout layout;
    static_cast<void>(zel::loadSkin(m_in.core.ini(), folders.languageDir, SkinFile::Sound, layout,
                                    ReaderSinks{nullptr, m_in.messages})); // shown empty
    m_window->setSkin(std::move(layout), PictureSet::load(folders.skinsDir, kSoundPictures),
                      m_in.captionFont ? m_in.captionFont() : QFont());
}

void SoundLightControl::createWindow() {
    SoundWaveHooks hooks;
    hooks.switchedOn = [this] { switchOn(); };
    hooks.switchedOff = [this] { switchOff(); };
    hooks.closing = [this] { close(); };
    hooks.lightMode = [this] { return static_cast<int>(m_in.core.profiles().shared.lightMode); };
    m_window = std::make_unique<SoundWave>(m_in.core.sound(), std::move(hooks), m_mainWindow);
    loadSkin();

    // The settings are read once, here; the switch as stored decides whether the lights
    // follow the sound from now on.
    SoundLightState& state = m_in.core.sound();
    m_settings = readSoundWaveSettings(m_in.core.ini(), m_in.core.folders().settingsFile());
    state.setMode(m_settings.soundMode);
    state.setShow(m_settings.soundShow);
    if (m_settings.soundShow != 0) {
        switchOn();
    }
}

void SoundLightControl::switchOn() {
    m_runner.start();
    if (!m_sampling.isActive()) {
        m_sampling.start();
        m_pulseTick.start();
        m_barTick.start();
    }
}

void SoundLightControl::switchOff() {
    // No audio stream while the lights do not follow the sound.
    m_sampling.stop();
    m_pulseTick.stop();
    m_barTick.stop();
    m_runner.closeMeter();
    m_restore.setInterval(kRestoreDelayMs);
    m_restore.start();
}

void SoundLightControl::finishSwitchOff() {
    // The restore comes after the worker's last command, so the profile's lighting is
    // what stays on the mouse.
    if (m_in.core.sound().soundShow.load() == 0) {
        if (m_runner.workerInPass()) {
            m_restore.setInterval(kPassPollMs);
            m_restore.start();
            return;
        }
        m_runner.stop();
    }
    if (m_mainWindow) {
        QCoreApplication::postEvent(m_mainWindow,
                                    new AppMessage(static_cast<int>(kMsgRestoreLighting), 1, 0));
    }
}

void SoundLightControl::close() {
    SoundLightState& state = m_in.core.sound();
    m_settings.soundMode = state.soundMode.load();
    m_settings.soundShow = state.soundShow.load();
    const std::string file = m_in.core.folders().settingsFile();
    if (!writeSoundWaveSettings(m_in.core.ini(), file, m_settings) && m_in.messages != nullptr) {
        m_in.messages->message("The sound lighting settings could not be saved to " + file + ".");
    }
}

} // namespace zel
