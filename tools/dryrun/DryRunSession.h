#pragma once

#include "common/FileChooser.h"
#include "common/OwnerTasks.h"
#include "common/WarningSink.h"
#include "platform/system/PointerSettings.h"
#include "session/CoreSession.h"
#include "sim/SimulatedMouse.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zel::dryrun {

/// Pointer settings kept in memory, so a dry run never touches the desktop's own.
class MemoryPointerSettings final : public system::PointerSettings {
public:
    std::optional<int> readPointerSpeed() override { return speed; }
    bool writePointerSpeed(int value) override {
        speed = value;
        return true;
    }
    std::optional<int> readWheelLines() override { return lines; }
    bool writeWheelLines(int value) override {
        lines = value;
        return true;
    }
    int speed = system::kDefaultPointerSpeed;
    int lines = 3;
};

/// Hands every warning to a function.
class FunctionWarningSink final : public WarningSink {
public:
    explicit FunctionWarningSink(std::function<void(Tip)> sink) : m_sink(std::move(sink)) {}
    void warn(Tip tip) override {
        if (m_sink) {
            m_sink(tip);
        }
    }

private:
    std::function<void(Tip)> m_sink;
};

/// The settings, the macro library and the weapon presets of an AppDir, loaded by the
/// program's own core session, with the in-process simulated mouse in place of the real
/// one. Nothing is written into the AppDir.
class DryRunSession {
public:
    struct Options {
        std::string appDir;
        /// The product ID the simulated mouse enumerates with (0x1040 or 0x1201).
        std::uint16_t productId = DeviceLink::kProduct1040;
        /// Where the transport pauses; the real clock when empty.
        Sleeper* sleeper = nullptr;
        /// Receives every warning, also those of the loading.
        std::function<void(Tip)> onWarning;
        /// What the download tells the player, the sound lighting and the event monitor
        /// (its `onStep` is replaced by the one given to `download`).
        DownloadHooks hooks = {};
        /// Receives the plain messages of the loading (a missing preset file, ...).
        std::function<void(const std::string&)> onMessage = {};
    };

    explicit DryRunSession(Options options);
    DryRunSession(const DryRunSession&) = delete;
    DryRunSession& operator=(const DryRunSession&) = delete;

    /// An AppDir without the settings file cannot be used.
    bool usable() const { return m_usable; }
    /// Whether the link found and opened the simulated mouse.
    bool connected() const { return m_usable && m_core.state().connected.load(); }

    /// One full download into the simulated mouse; `onStep` sees each write and warning.
    DownloadResult download(std::function<void(const ImageOp&)> onStep = {});

    sim::SimulatedMouse& mouse() { return *m_core.simulatedMouse(); }
    ProfileStore& store() { return m_core.profiles(); }
    const DeviceDescription& device() const { return m_core.description(); }
    const MacroLibrary& library() const { return m_core.library(); }
    MacroFiles& macroFiles() { return m_core.macroFiles(); }
    const WeaponPresets& presets() { return m_core.presets(); }
    const FolderTree& folders() const { return m_core.folders(); }
    MemoryPointerSettings& pointer() { return m_pointer; }
    const MacVkAndText& keys() const { return m_core.keys(); }
    int language() const { return m_core.state().language.load(); }
    int currentProfile() const { return m_core.state().currentProfile.load(); }
    std::atomic<bool>& downloadBusy() { return m_core.state().downloadBusy; }
    CoreSession& core() { return m_core; }

private:
    class NoChooser final : public FileChooser {
    public:
        std::optional<std::string> chooseOpen(const FileRequest&) override { return {}; }
        std::optional<std::string> chooseSave(const FileRequest&) override { return {}; }
    };
    class FunctionMessageSink final : public MessageSink {
    public:
        explicit FunctionMessageSink(std::function<void(const std::string&)> sink)
            : m_sink(std::move(sink)) {}
        void message(const std::string& text) override {
            if (m_sink) {
                m_sink(text);
            }
        }

    private:
        std::function<void(const std::string&)> m_sink;
    };
    class NoRepaint final : public RepaintSink {
    public:
        void repaint() override {}
    };

    static CoreSessionOptions coreOptions(const Options& options, MemoryPointerSettings& pointer,
                                          std::function<void(const ImageOp&)>& onStep);

    Options m_options;
    FunctionWarningSink m_warnings;
    FunctionMessageSink m_messages;
    NoChooser m_chooser;
    NoRepaint m_view;
    InlineOwnerTasks m_owner;
    MemoryPointerSettings m_pointer;
    std::function<void(const ImageOp&)> m_onStep;
    CoreSession m_core;
    bool m_usable = false;
};

/// One block write as the dry run prints it: "0008: 01 02 03 04 05 06 07 08".
std::string formatBlockWrite(const BlockWrite& write);

} // namespace zel::dryrun
