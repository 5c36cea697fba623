#pragma once

#include "common/FileChooser.h"
#include "common/WarningSink.h"
#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "keys/MacVkAndText.h"
#include "macros/MacroFiles.h"
#include "macros/MacroLibrary.h"
#include "platform/ini/IniStore.h"
#include "platform/system/PointerSettings.h"
#include "programming/Download.h"
#include "programming/DownloadMacros.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"
#include "sim/SimHidBackend.h"
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

/// The settings, the macro library and the weapon presets of an AppDir, loaded as the
/// program loads them at start-up, with the in-process simulated mouse in place of the
/// real one. Nothing is written into the AppDir.
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
    };

    explicit DryRunSession(Options options);
    DryRunSession(const DryRunSession&) = delete;
    DryRunSession& operator=(const DryRunSession&) = delete;

    /// An AppDir without the settings file cannot be used.
    bool usable() const { return m_usable; }
    /// Whether the link found and opened the simulated mouse.
    bool connected() const { return m_link.connected(); }

    /// One full download into the simulated mouse; `onStep` sees each write and warning.
    DownloadResult download(std::function<void(const ImageOp&)> onStep = {});

    sim::SimulatedMouse& mouse() { return m_mouse; }
    ProfileStore& store() { return m_store; }
    const DeviceDescription& device() const { return m_device; }
    const MacroLibrary& library() const { return m_library; }
    const MacroFiles& macroFiles() const { return m_files; }
    const MacroGroupState& presets() const { return m_presets; }
    const FolderTree& folders() const { return m_folders; }
    MemoryPointerSettings& pointer() { return m_pointer; }
    const MacVkAndText& keys() const { return m_keys; }
    int language() const { return m_language; }
    int currentProfile() const { return m_currentProfile; }
    std::atomic<bool>& downloadBusy() { return m_busy; }

private:
    class NoChooser final : public FileChooser {
    public:
        std::optional<std::string> chooseOpen(const FileRequest&) override { return {}; }
        std::optional<std::string> chooseSave(const FileRequest&) override { return {}; }
    };
    class NoNames final : public DevMacNames {
    public:
        std::string devMacName(int) const override { return {}; }
    };

    Options m_options;
    FunctionWarningSink m_warnings;
    ini::IniStore m_ini;
    MacVkAndText m_keys;
    NoNames m_names;
    NoChooser m_chooser;
    FolderTree m_folders;
    int m_language = 0;
    int m_currentProfile = 0;
    bool m_usable = false;
    DeviceDescription m_device;
    ProfileStore m_store;
    MacroFiles m_files;
    MacroGroupState m_current;
    MacroLibrary m_library;
    MacroGroupState m_presets;
    LibraryMacroCatalogue m_catalogue;
    SteadySleeper m_steadySleeper;
    sim::SimulatedMouse m_mouse;
    sim::SimHidBackend m_backend;
    DeviceLink m_link;
    MemoryPointerSettings m_pointer;
    std::atomic<bool> m_busy{false};
    std::function<void(const ImageOp&)> m_onStep;
    std::unique_ptr<Download> m_download;
};

/// One block write as the dry run prints it: "0008: 01 02 03 04 05 06 07 08".
std::string formatBlockWrite(const BlockWrite& write);

} // namespace zel::dryrun
