#pragma once

#include "device/Sleeper.h"
#include "platform/hid/HidBackend.h"
#include "platform/system/PointerSettings.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zel::ctl {

/// What zel-gmousectl runs in: its output streams and where it finds its data and its
/// mouse. Tests give their own backend, sleeper and pointer settings.
struct CtlEnvironment {
    CtlEnvironment(std::ostream& output, std::ostream& errors) : out(output), err(errors) {}

    std::ostream& out;
    std::ostream& err;
    /// Standard error is a terminal: `apply` and `read` keep a progress line there.
    bool terminal = false;
    /// The folder of the executable and ZEL_GMOUSE_APPDIR, for finding the AppDir as
    /// the program does.
    std::string executableFolder;
    std::optional<std::string> appDirFromEnvironment;
    /// The per-user data folder that an installed copy seeds ("" : the user's own).
    std::string dataHome;
    /// HID devices instead of hidraw's (ignored with --simulate).
    hid::HidBackend* backend = nullptr;
    /// Pauses of the transport; null: the real clock.
    Sleeper* sleeper = nullptr;
    /// Where a download sets the pointer speed and wheel lines; null: the desktop's.
    system::PointerSettings* pointer = nullptr;
};

/// Runs one command line of zel-gmousectl (the arguments after the program name) and
/// returns its exit status (`CtlExit`).
int runCtl(const std::vector<std::string>& args, const CtlEnvironment& environment);

/// The text printed when the mouse's nodes exist but do not open.
std::string udevHint();

} // namespace zel::ctl
