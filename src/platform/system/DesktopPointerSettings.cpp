#include "platform/system/DesktopPointerSettings.h"

#include "platform/ini/IniText.h"
#include "platform/system/GnomePointerSettings.h"
#include "platform/system/KdePointerSettings.h"
#include "platform/system/X11PointerSettings.h"

#include <cstdlib>
#include <functional>
#include <string_view>

namespace zel::system {

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool desktopListHas(std::string_view list, std::initializer_list<std::string_view> names) {
    while (!list.empty()) {
        const auto colon = list.find(':');
        const std::string_view entry = list.substr(0, colon);
        for (std::string_view name : names) {
            if (ini::equalsIgnoreCase(entry, name)) {
                return true;
            }
        }
        if (colon == std::string_view::npos) {
            break;
        }
        list.remove_prefix(colon + 1);
    }
    return false;
}

// Desktops that keep the mouse speed in GNOME's settings schema.
bool isGnomeFamily(const DesktopEnvironment& env) {
    return desktopListHas(env.currentDesktop, {"GNOME", "GNOME-Flashback", "GNOME-Classic", "Unity",
                                               "Budgie", "Pantheon"});
}

bool isKde(const DesktopEnvironment& env) {
    return desktopListHas(env.currentDesktop, {"KDE"});
}

} // namespace

DesktopEnvironment DesktopEnvironment::fromProcess() {
    return DesktopEnvironment{environmentValue("XDG_CURRENT_DESKTOP"), environmentValue("DISPLAY"),
                              environmentValue("HOME"), environmentValue("XDG_CONFIG_HOME")};
}

PointerBackend choosePointerBackend(const DesktopEnvironment& env,
                                    const std::function<bool()>& gnomeSchemaPresent) {
    if (isGnomeFamily(env) && gnomeSchemaPresent && gnomeSchemaPresent()) {
        return PointerBackend::Gnome;
    }
    if (isKde(env)) {
        return PointerBackend::Kde;
    }
    if (!env.display.empty()) {
        return PointerBackend::X11;
    }
    return PointerBackend::Unsupported;
}

std::unique_ptr<PointerSettings> makePointerSettings(const DesktopEnvironment& env,
                                                     ProcessRunner& runner, ini::IniStore& ini) {
    auto gnome = std::make_unique<GnomePointerSettings>(runner);
    switch (choosePointerBackend(env, [&] { return gnome->available(); })) {
    case PointerBackend::Gnome:
        return gnome;
    case PointerBackend::Kde: {
        std::unique_ptr<PointerSettings> speed;
        if (!env.display.empty()) {
            speed = std::make_unique<X11PointerSettings>(env.display);
        }
        return std::make_unique<KdePointerSettings>(
            ini, kdeglobalsPath(env.xdgConfigHome, env.home), std::move(speed));
    }
    case PointerBackend::X11:
        return std::make_unique<X11PointerSettings>(env.display);
    case PointerBackend::Unsupported:
        break;
    }
    return std::make_unique<NoPointerSettings>();
}

} // namespace zel::system
