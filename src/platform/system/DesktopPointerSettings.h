#pragma once

#include "platform/system/PointerSettings.h"
#include "platform/system/ProcessRunner.h"

#include <functional>
#include <memory>
#include <string>

namespace zel::ini {
class IniStore;
}

namespace zel::system {

/// What decides which pointer settings a session has.
struct DesktopEnvironment {
    std::string currentDesktop; ///< $XDG_CURRENT_DESKTOP, a ":"-separated list
    std::string display;        ///< $DISPLAY
    std::string home;           ///< $HOME
    std::string xdgConfigHome;  ///< $XDG_CONFIG_HOME

    /// The values of the running process.
    static DesktopEnvironment fromProcess();
};

/// Which backend serves a session.
enum class PointerBackend { Gnome, Kde, X11, Unsupported };

/// The backend of a session, the first that applies: a GNOME-family desktop whose speed
/// schema answers, KDE, an X11 display, else none. `gnomeSchemaPresent` is asked only
/// for GNOME-family desktops.
PointerBackend choosePointerBackend(const DesktopEnvironment& env,
                                    const std::function<bool()>& gnomeSchemaPresent);

/// The pointer settings of the session, built for the chosen backend. KDE's pointer speed
/// goes through X11 when there is a display. `runner` and `ini` must outlive the result.
std::unique_ptr<PointerSettings> makePointerSettings(const DesktopEnvironment& env,
                                                     ProcessRunner& runner, ini::IniStore& ini);

} // namespace zel::system
