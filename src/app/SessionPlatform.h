#pragma once

#include <string>

namespace zel {

/// What the session's environment says about the window system.
struct SessionEnvironment {
    std::string qtPlatform;     ///< QT_QPA_PLATFORM: the user's own choice
    std::string waylandDisplay; ///< WAYLAND_DISPLAY
    std::string sessionType;    ///< XDG_SESSION_TYPE
    std::string display;        ///< DISPLAY: an X server, XWayland in a Wayland session
};

/// The Qt platform the program asks for before its first window: "xcb" in a Wayland
/// session that also offers an X display (XWayland), empty (Qt's own choice) otherwise
/// and whenever the user has chosen a platform. The skinned windows place their dialogs
/// at points beside their owner and their popups beside a row, which an X client may do
/// and a Wayland client may not for dialogs; under X11 they keep the same behaviour on
/// every desktop.
std::string chooseQtPlatform(const SessionEnvironment& env);

/// The session's environment of this process.
SessionEnvironment currentSessionEnvironment();

} // namespace zel
