#include "app/SessionPlatform.h"

#include <cstdlib>

namespace zel {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string chooseQtPlatform(const SessionEnvironment& env) {
    if (!env.qtPlatform.empty()) {
        return {};
    }
    const bool wayland = !env.waylandDisplay.empty() || env.sessionType == "wayland";
    return wayland && !env.display.empty() ? std::string("xcb") : std::string();
}

SessionEnvironment currentSessionEnvironment() {
    return SessionEnvironment{variable("QT_QPA_PLATFORM"), variable("WAYLAND_DISPLAY"),
                              variable("XDG_SESSION_TYPE"), variable("DISPLAY")};
}

} // namespace zel
