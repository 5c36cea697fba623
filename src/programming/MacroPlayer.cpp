#include "programming/MacroPlayer.h"

#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "programming/MacroPlayerSource.h"
#include "settings/DeviceDescription.h"
#include "settings/ProfileStore.h"

#include <algorithm>
#include <pthread.h>
#include <random>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace zel {

void LinkPlayerCommands::keyboardState(const KeyboardState& state) {
    static_cast<void>(sendKeyboardState(m_link, state)); // device writes are not verified
}

void LinkPlayerCommands::pointerButtons(const KeyboardState& state) {
    static_cast<void>(sendPointerButtons(m_link, state));
}

void LinkPlayerCommands::pointerMove(int dx, int dy, int direction, int extraDy) {
    static_cast<void>(sendPointerMove(m_link, dx, dy, direction, extraDy));
}

void LinkPlayerCommands::consumerKey(int index) {
    static_cast<void>(sendConsumerKey(m_link, index));
}

PressKind classifyPress(std::int32_t code, std::int32_t macroLight, std::uint8_t lastEvent,
                        bool toggleActive) {
    if (macroLight != 1 && code >= kFirstMacroCode && code <= kLastGroupMacroCode) {
        return PressKind::GroupMacro;
    }
    if (code >= kFirstCombinationCode && code <= kLastCombinationCode) {
        return PressKind::Combination;
    }
    if (code >= kFirstMultimediaCode && code <= kLastMultimediaCode) {
        return PressKind::Multimedia;
    }
    if (lastEvent == kFirstButtonEvent && toggleActive) {
        return PressKind::TogglePlay;
    }
    return PressKind::Nothing;
}

std::chrono::milliseconds stepPause(const MacroStep& step,
                                    const std::function<std::uint32_t()>& random) {
    int delay = step.delay;
    const bool pointerButton =
        step.code >= 0xF0 && (step.action == kActionPress || step.action == kActionRelease);
    if (pointerButton) {
        delay = std::max(delay, kPointerStepFloorMs);
        if (delay < kPointerStepJitterBelowMs) {
            const auto span = static_cast<std::uint32_t>(delay / 2); // at least 30 here
            delay += static_cast<int>((random ? random() : 0U) % span);
        }
    }
    return std::chrono::milliseconds(delay);
}

std::uint32_t timeSeededRandom() {
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    std::minstd_rand source(static_cast<std::minstd_rand::result_type>(now));
    return static_cast<std::uint32_t>(source());
}

void SoftMacroContext::onOwner(std::function<void()> task) const {
    if (owner != nullptr) {
        owner->post(std::move(task));
    } else if (task) {
        task();
    }
}

MacroPlayer::MacroPlayer(SoftMacroState& state, SoftMacroContext context, PlayerCommands& commands,
                         Sleeper& sleeper, Random random)
    : m_state(state), m_context(std::move(context)), m_commands(commands), m_sleeper(sleeper),
      m_random(std::move(random)) {}

void MacroPlayer::pass(std::stop_token stop) {
    if (m_state.dpiPending.load()) {
        followDpiRelease();
        m_state.dpiPending.store(false);
    }
    if (m_state.macroPending.load()) {
        playPending(stop);
        m_state.macroPending.store(false);
    }
}

void MacroPlayer::followDpiRelease() {
    const int k = m_context.device.slotOfDeviceKey(m_state.dpiEvent.load() - 0xF0);
    const int profile = m_context.currentProfile.load();
    if (k < 0 || k >= kButtonSlots || profile < 0 || profile >= kProfileCount) {
        return;
    }
    const ButtonTables tables = m_context.tables.snapshot();
    if (!tables.dpiKey[static_cast<std::size_t>(profile)][static_cast<std::size_t>(k)]) {
        return;
    }
    const int stage = m_state.dpiReportByte.load() & 7;
    if (m_context.soundDpiStage != nullptr) {
        m_context.soundDpiStage->store(stage);
    }
    // The level is a record of the owner's: it takes it, stores it and redraws.
    ProfileStore& store = m_context.store;
    RepaintSink& view = m_context.view;
    m_context.onOwner([&store, &view, stage, file = m_context.settingsFile] {
        store.shared.dpiLevel = stage;
        store.publish();
        view.repaint();
        static_cast<void>(store.storeDpiLevel(file));
    });
}

void MacroPlayer::playPending(std::stop_token stop) {
    const std::uint8_t event = m_state.lastEvent.load();
    const int k = m_context.device.slotOfDeviceKey(event - 0xF0);
    const int profile = m_context.currentProfile.load();
    if (k < 0 || k >= kButtonSlots || profile < 0 || profile >= kProfileCount) {
        return;
    }
    const std::shared_ptr<const ProfileRecords> records = m_context.store.published().current();
    const ProfileSettings& settings = records->profiles[static_cast<std::size_t>(profile)];
    const auto slot = static_cast<std::size_t>(k);
    const std::int32_t code = settings.buttonCode[slot];
    const PressKind kind =
        classifyPress(code, settings.macroLight[slot], event, m_state.toggleActive.load());

    if (kind == PressKind::Multimedia) {
        m_commands.consumerKey(code - kFirstMultimediaCode);
        return;
    }
    if (kind == PressKind::Nothing || records->shared.softHardMacro == 0) {
        return;
    }
    if (kind == PressKind::Combination) {
        // The button's own combination record, played once.
        const MacroRecord record = settings.comboRecord[slot];
        play(record, 1, stop);
        return;
    }

    std::optional<MacroRecord> record;
    if (kind == PressKind::GroupMacro) {
        record = m_context.macros.groupMacro(code / 256 - 1, code % 256);
    } else {
        const int toggleKey = m_state.toggleKey.load();
        if (toggleKey < 0 || toggleKey >= kButtonSlots) {
            return;
        }
        const std::int32_t toggleCode = settings.buttonCode[static_cast<std::size_t>(toggleKey)];
        if (toggleCode < kFirstGroupCode) {
            record = m_context.macros.weaponPreset(toggleCode - kFirstPresetCode);
        } else {
            record = m_context.macros.groupMacro(toggleCode / 256 - 1, toggleCode % 256);
        }
    }
    if (!record) {
        return; // a macro that no longer exists plays nothing
    }
    const bool endless = (record->runMode & 3) != 0;
    play(*record, endless ? kEndlessRepeats : record->repeatCount, stop);
}

bool MacroPlayer::stopped(const MacroRecord& record, const std::stop_token& stop) const {
    if (stop.stop_requested()) {
        return true;
    }
    if ((record.runMode & 2) != 0 && !m_state.held.load()) {
        return true; // plays while held
    }
    if ((record.runMode & 1) != 0 && !m_state.toggled.load()) {
        return true; // plays until pressed again
    }
    return false;
}

void MacroPlayer::play(const MacroRecord& record, int repeats, std::stop_token stop) {
    // A record from a file may claim more steps than it can hold.
    const int steps = std::min<int>(record.stepCount, kMaxSteps);
    for (int r = 0; r < repeats && !stopped(record, stop); ++r) {
        for (int s = 0; s < steps; ++s) {
            if (stopped(record, stop)) {
                break;
            }
            sendStep(record, s);
            m_sleeper.sleepFor(stepPause(record.step(s), m_random));
        }
    }
    releaseEverything();
}

void MacroPlayer::sendStep(const MacroRecord& record, int s) {
    const MacroStep step = record.step(s);
    if (step.code < 0xF0) {
        if (step.action == kActionPress) {
            m_keyboard.press(step.code);
        } else if (step.action == kActionRelease) {
            m_keyboard.release(step.code);
        }
        m_commands.keyboardState(m_keyboard);
        return;
    }
    if (step.code == kCodeMove) {
        const int extraDy = record.extra76 != 0 ? record.extra77 : 0;
        m_commands.pointerMove(step.param1, step.param2, step.action, extraDy);
        return;
    }
    if (KeyboardState::buttonBit(step.code) != 0) {
        if (step.action == kActionPress) {
            m_keyboard.press(step.code);
        } else if (step.action == kActionRelease) {
            m_keyboard.release(step.code);
        }
    }
    m_commands.pointerButtons(m_keyboard);
}

void MacroPlayer::releaseEverything() {
    m_sleeper.sleepFor(kReleasePause);
    for (std::uint8_t button : {kCodeLeftButton, kCodeRightButton, kCodeMiddleButton}) {
        m_keyboard.release(button);
    }
    m_commands.pointerButtons(m_keyboard);
    m_sleeper.sleepFor(kReleasePause);
    m_keyboard.releaseAll();
    m_commands.keyboardState(m_keyboard);
}

WorkerPriority raiseWorkerPriority() {
    static_cast<void>(::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL));
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    if (::pthread_setschedparam(::pthread_self(), SCHED_RR, &param) == 0) {
        return WorkerPriority::RealTime;
    }
    constexpr int kWorkerNice = -10;
    const auto thread = static_cast<id_t>(::gettid());
    if (::setpriority(PRIO_PROCESS, thread, kWorkerNice) == 0) {
        return WorkerPriority::Raised;
    }
    return WorkerPriority::Unchanged;
}

MacroPlayerWorker::MacroPlayerWorker(MacroPlayer& player)
    : m_thread([&player](std::stop_token stop) {
          static_cast<void>(raiseWorkerPriority()); // best effort
          SoftMacroState& state = player.state();
          const std::stop_callback wakeOnStop(stop, [&state] { state.wakePlayer(); });
          while (!stop.stop_requested()) {
              // The count is read before the flags: a report treated after this line
              // changes it, so the wait below returns at once.
              const std::uint32_t seen = state.playerWakes();
              if (!state.dpiPending.load() && !state.macroPending.load()) {
                  state.waitForPlayerWake(seen);
                  continue;
              }
              player.pass(stop);
          }
      }) {}

MacroPlayerWorker::~MacroPlayerWorker() = default;

void MacroPlayerWorker::stop() {
    m_thread.request_stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

} // namespace zel
