#include "programming/DeviceMonitor.h"

#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "platform/ini/IniStore.h"
#include "programming/MacroPlayerSource.h"
#include "programming/ProfileRestore.h"
#include "settings/DeviceDescription.h"
#include "settings/ProfileStore.h"

#include <algorithm>
#include <array>
#include <string>

namespace zel {

namespace {

constexpr std::size_t kStatusProfileByte = 6;

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

} // namespace

DeviceMonitor::DeviceMonitor(SoftMacroState& state, SoftMacroContext context, DeviceLink& link)
    : m_state(state), m_context(std::move(context)), m_link(link) {}

void DeviceMonitor::loadInitialWorkingMacro() {
    m_state.setWorkingGroupMacro(0, 0, m_context.macros.groupMacro(0, 0).value_or(MacroRecord{}));
}

void DeviceMonitor::handleReport(const std::uint8_t* report, std::size_t length) {
    if (report == nullptr || length < 2 || report[0] != kInputReportId) {
        return;
    }
    const std::uint8_t event = report[1];
    const std::uint8_t status = length > 2 ? report[2] : 0;
    const std::shared_ptr<const ProfileRecords> records = m_context.store.published().current();
    if (event >= 1 && event <= kLastPlainEvent) {
        if (records->shared.softHardMacro != 1) {
            return;
        }
        if (event == kEventProfileChanged) {
            followProfileOnMouse(false);
        } else if (event == kEventStrengthUp) {
            m_state.editWorkingMacro([](MacroRecord& r) { ++r.extra77; }); // 255 wraps to 0
        } else if (event == kEventStrengthDown) {
            m_state.editWorkingMacro([](MacroRecord& r) {
                if (r.extra77 != 0) {
                    --r.extra77;
                }
            });
        }
        return;
    }
    if (event >= kFirstButtonEvent) {
        handleButton(*records, event, status);
    }
}

void DeviceMonitor::followProfileOnMouse(bool handOver) {
    const std::vector<std::uint8_t> reply = m_link.statusReport();
    if (reply.size() <= kStatusProfileByte) {
        return; // the mouse is not open: there is no answer to take a profile from
    }
    const int profile = (reply[kStatusProfileByte] >> 2) & 3;
    m_context.currentProfile.store(profile);
    // The owner of the records writes the choice, reloads the profile and, in software
    // macro mode after a profile button, hands that profile's macro buttons over again.
    const SoftMacroContext& c = m_context;
    DeviceLink& link = m_link;
    c.onOwner([&c, &link, profile, handOver] {
        static_cast<void>(
            c.ini.write(c.settingsFile, "Init", "CurConfig", std::to_string(profile)));
        static_cast<void>(c.store.loadProfile(c.configDir, profile, false));
        c.store.publish();
        c.view.repaint();
        if (handOver && c.store.shared.softHardMacro == 1) {
            handOverButtons(link, c.store.profiles[at(profile)], c.device);
        }
    });
}

void DeviceMonitor::handleButton(const ProfileRecords& records, std::uint8_t event,
                                 std::uint8_t status) {
    const int k = m_context.device.slotOfDeviceKey(event - 0xF0);
    const int profile = m_context.currentProfile.load();
    if (k < 0 || k >= kButtonSlots || profile < 0 || profile >= kProfileCount) {
        return; // no button of this model reports that number
    }
    const ButtonTables tables = m_context.tables.snapshot();
    const ProfileSettings& settings = records.profiles[at(profile)];
    const std::int32_t code = settings.buttonCode[at(k)];
    const std::int32_t macroLight = settings.macroLight[at(k)];
    const bool switchKey = tables.switchKey[at(profile)][at(k)];
    const bool release = (status & kReleaseBit) != 0;

    // 1. The working macro follows the last macro button.
    if (code > kLastCombinationCode) {
        if (code < kFirstGroupCode) {
            if (auto preset = m_context.macros.weaponPreset(code - kFirstPresetCode)) {
                m_state.setWorkingPreset(*preset);
            }
        } else {
            const int group = code / 256 - 1;
            const int macro = code % 256;
            m_state.setWorkingGroupMacro(
                group, macro, m_context.macros.groupMacro(group, macro).value_or(MacroRecord{}));
        }
    }

    // 2. A profile button: the mouse has switched profiles.
    const std::uint8_t function = tables.function[at(profile)][at(k)];
    if (function >= kFirstProfileFunction && function <= kLastProfileFunction) {
        followProfileOnMouse(true);
        m_state.toggleActive.store(false);
        m_state.macroPending.store(false);
    }

    // 3. A release may carry a new DPI stage.
    if (release) {
        m_state.dpiEvent.store(event);
        m_state.dpiReportByte.store(status);
        m_state.dpiPending.store(true);
    } else {
        m_state.dpiPending.store(false);
    }

    if (!release) {
        // 4. Press.
        if (switchKey) {
            static_cast<void>(sendModeSwitch(m_link, true));
            m_state.editWorkingMacro([](MacroRecord& r) { r.extra76 = 1; });
        }
        bool toggled = !m_state.toggled.load();
        if (code < kFirstMacroCode && !(code == 1 && m_state.toggleActive.load())) {
            toggled = false;
        }
        if (macroLight != 0) {
            toggled = false;
        }
        m_state.toggled.store(toggled);
        m_state.held.store(true);

        if (macroLight != 0 && records.shared.softHardMacro == 1) {
            if (!m_state.toggleActive.load()) {
                m_state.toggleActive.store(true);
                m_state.toggleKey.store(k);
                static_cast<void>(sendKeyFunction(m_link, 1, 0));
                showMacroColour(records.shared, k);
            } else if (k == m_state.toggleKey.load()) {
                m_state.toggleActive.store(false);
                const auto buttonOne = static_cast<std::uint8_t>(settings.buttonCode[0] & 0xFF);
                static_cast<void>(sendKeyFunction(m_link, 1, buttonOne));
                restoreProfileLighting(records.shared);
            } else {
                m_state.toggleKey.store(k);
                showMacroColour(records.shared, k);
            }
        }
        if (!m_state.macroPending.load()) {
            m_state.lastEvent.store(event);
            m_state.macroPending.store(true);
        }
        return;
    }

    // 5. Release.
    m_state.held.store(false);
    if (switchKey && records.shared.softHardMacro == 1) {
        static_cast<void>(sendModeSwitch(m_link, false));
        // The changed pull strength goes back to the group macro it came from; a weapon
        // preset is never written over a group macro.
        if (m_state.workingSource() == WorkingMacroSource::Group) {
            static_cast<void>(m_context.macros.storeGroupMacro(
                m_state.lastGroup(), m_state.lastMacro(), m_state.workingMacro()));
        }
    }
}

void DeviceMonitor::showMacroColour(const SharedSettings& shared, int slot) {
    const int colour = std::clamp(shared.macroColour[at(slot)], 0, 6);
    LightingCommand lighting;
    lighting.colourMask = static_cast<std::uint8_t>(1U << colour);
    lighting.restore = false;
    lighting.effect = kMacroLightEffect;
    lighting.speed = kMacroLightSpeed;
    lighting.symmetry = shared.ledFeatureSymmetry;
    lighting.direction = shared.ledFeatureDirection;
    lighting.brightness = shared.ledBrightness;
    static_cast<void>(sendLighting(m_link, lighting));
}

void DeviceMonitor::restoreProfileLighting(const SharedSettings& shared) {
    static_cast<void>(sendLighting(m_link, profileLighting(shared, shared.cycleColourMask)));
}

DeviceMonitorWorker::DeviceMonitorWorker(DeviceMonitor& monitor, DeviceLink& link)
    : m_thread([&monitor, &link](std::stop_token stop) {
          static_cast<void>(raiseWorkerPriority()); // best effort
          std::array<std::uint8_t, 256> report{};
          while (!stop.stop_requested()) {
              const int n = link.readInput(report.data(), report.size(), stop);
              if (n > 0) {
                  monitor.handleReport(report.data(), static_cast<std::size_t>(n));
                  monitor.state().wakePlayer();
                  std::this_thread::sleep_for(kMonitorPause);
              }
          }
      }) {}

DeviceMonitorWorker::~DeviceMonitorWorker() = default;

void DeviceMonitorWorker::stop() {
    m_thread.request_stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

} // namespace zel
