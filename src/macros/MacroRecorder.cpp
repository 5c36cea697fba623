#include "macros/MacroRecorder.h"

#include <algorithm>
#include <chrono>

namespace zel {

int elapsedMs(int now, int& previous) {
    int elapsed = now - previous;
    if (elapsed < 0) {
        elapsed += kMsPerDay;
    }
    previous = now;
    return std::min(elapsed, kMaxRecordedDelay);
}

int msSinceMidnight() {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    return static_cast<int>(sinceEpoch.count() % kMsPerDay);
}

MacroRecorder::MacroRecorder(MacroGroupState& group,
                             std::function<std::uint8_t(std::uint8_t vk)> deviceCode,
                             std::function<int()> clock, MacroRecorderOutput& output)
    : m_group(group), m_deviceCode(std::move(deviceCode)), m_clock(std::move(clock)),
      m_output(output) {}

MacroRecord* MacroRecorder::record() {
    MacroBuffer& buffer = m_group.groupMacros;
    if (m_macro < 0 || m_macro >= buffer.count || m_macro >= kMaxMacrosPerGroup) {
        return nullptr;
    }
    return &buffer.records[static_cast<std::size_t>(m_macro)];
}

void MacroRecorder::toggle(const RecordTarget& target) {
    if (m_recording) {
        stop();
        return;
    }
    if (target.listEmpty) {
        m_output.warn(Tip::NoMacroList);
    } else if (target.groupRowSelected) {
        m_output.warn(Tip::SelectRowFirst);
    } else if (m_group.groupSealed) {
        m_output.warn(Tip::OperationFailed);
    } else {
        start(target);
    }
}

void MacroRecorder::start(const RecordTarget& target) {
    m_macro = target.macro;
    MacroRecord* r = record();
    if (r == nullptr) {
        m_macro = -1;
        return;
    }
    m_heldCount = 0;
    m_steps = 0;
    m_presses = 0;
    m_lastMessage.reset();
    m_lastKey = 0;
    m_lastTime = m_clock();
    m_before = *r;
    // A blank record with the macro's run mode and the row's name; the repeat count and the
    // two bytes a weapon preset uses start as for any recorded macro.
    const std::uint8_t runMode = r->runMode;
    *r = m_group.groupMacros.records[kBlankTemplate];
    r->runMode = runMode;
    r->setNameUtf8(target.name);
    r->repeatCount = 1;
    r->extra76 = 0;
    r->extra77 = 10;
    m_recording = true;
    m_output.holdKeyboard(true);
    m_output.showMacro();
}

void MacroRecorder::stop() {
    m_recording = false;
    if (MacroRecord* r = record()) {
        r->stepCount = static_cast<std::uint16_t>(m_steps);
        m_output.saveMacro(m_macro);
    }
    m_output.holdKeyboard(false);
    m_output.showMacro();
}

void MacroRecorder::endWithoutSaving() {
    if (!m_recording) {
        return;
    }
    m_recording = false;
    // Whatever writes the macro next (leaving its row writes it) finds it as it was.
    if (MacroRecord* r = record()) {
        *r = m_before;
    }
    m_output.holdKeyboard(false);
    m_output.showMacro();
}

bool MacroRecorder::keyMessage(KeyMessage message, std::uint8_t vk) {
    if (!m_recording) {
        return false;
    }
    // A held key repeats its press: only the first counts.
    if (m_lastMessage == message && m_lastKey == vk) {
        return false;
    }
    MacroRecord* r = record();
    if (r == nullptr || m_steps >= kMaxRecordedSteps) {
        stop();
        return false;
    }
    const bool press = message == KeyMessage::KeyDown || message == KeyMessage::SysKeyDown;
    if (press && m_presses >= kMaxRecordedPresses) {
        return false;
    }
    // A key the device has no code for would be stored as a pause.
    const std::uint8_t code = m_deviceCode ? m_deviceCode(vk) : 0;
    if (code == kCodePause) {
        return false;
    }
    if (press) {
        if (m_heldCount >= kMaxHeldKeys) {
            return false;
        }
        m_held[static_cast<std::size_t>(m_heldCount++)] = vk;
    } else {
        const auto held = m_held.begin() + m_heldCount;
        const auto found = std::find(m_held.begin(), held, vk);
        if (found == held) {
            return false;
        }
        std::copy(found + 1, held, found);
        --m_heldCount;
    }
    const int elapsed = elapsedMs(m_clock(), m_lastTime);
    const auto s = static_cast<std::size_t>(m_steps);
    if (m_steps > 0) {
        r->delay[s - 1] = static_cast<std::uint16_t>(elapsed);
        r->delay[s] = kLastStepDelay;
    }
    r->code[s] = code;
    r->action[s] = press ? kActionPress : kActionRelease;
    r->params[s] = StepParams{};
    ++m_steps;
    m_presses += press ? 1 : 0;
    // The list shows the steps as they come.
    r->stepCount = static_cast<std::uint16_t>(m_steps);
    m_lastMessage = message;
    m_lastKey = vk;
    m_output.showMacro();
    return true;
}

} // namespace zel
