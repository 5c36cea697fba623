// The program's entry: one instance per session, then the main window until the user
// ends the program or the mouse goes away.
#include "app/App.h"
#include "app/DarkLook.h"
#include "app/SessionPlatform.h"
#include "app/SingleInstance.h"
#include "common/ApplicationId.h"
#include "common/GuardedMain.h"
#include "presentation/FontBook.h"
#include "presentation/PictureCache.h"
#include "settings/AppDirSeed.h"
#include "settings/FolderTree.h"
#include "ui/access/SkinAccessibility.h"

#include <QApplication>
#include <QDir>

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>

namespace {

struct CommandLine {
    bool simulate = false;
    std::uint16_t product = 0x1040;
    bool bad = false;
    std::string renderFolder;    ///< --render DIR: write the four pages as PNG and end
    std::optional<int> language; ///< --language N: the language of --render
    std::string rest;            ///< the arguments as one text, for the hidden-start test
};

CommandLine parse(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!line.rest.empty()) {
            line.rest += ' ';
        }
        line.rest += arg;
        if (arg == "--render" && i + 1 < argc) {
            line.renderFolder = argv[i + 1];
        }
        if (arg == "--language" && i + 1 < argc) {
            const std::string_view value = argv[i + 1];
            int index = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), index);
            if (error != std::errc() || end != value.data() + value.size() || index < 0 ||
                index > 255) {
                line.bad = true;
            } else {
                line.language = index;
            }
        }
        if (arg == "--simulate") {
            line.simulate = true;
        } else if (arg.substr(0, 11) == "--simulate=") {
            line.simulate = true;
            const std::string_view id = arg.substr(11);
            if (id == "1201") {
                line.product = 0x1201;
            } else if (id != "1040") {
                line.bad = true;
            }
        }
    }
    return line;
}

/// Waits for the system font configuration when it goes out of scope.
struct FontConfigurationWait {
    const std::shared_future<void>& configuration;
    ~FontConfigurationWait() {
        if (configuration.valid()) {
            configuration.wait();
        }
    }
};

int run(int argc, char** argv) {
    // The system's font configuration is read beside everything up to the first text.
    std::shared_future<void> fontConfiguration = zel::beginSystemFontConfiguration();
    // In a Wayland session the windows go through XWayland where it is offered (see the
    // README): chosen before Qt picks its platform.
    if (const std::string platform = zel::chooseQtPlatform(zel::currentSessionEnvironment());
        !platform.empty()) {
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    }
    QApplication application(argc, argv);
    // Every way out of main waits for that reading before QApplication's teardown releases
    // the font configuration under it (a second instance ends at once).
    const FontConfigurationWait fontWait{fontConfiguration};
    QApplication::setApplicationName(QStringLiteral("zel-gmouse"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    // The window system matches the windows with the desktop entry of this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(zel::kApplicationId));
    QApplication::setQuitOnLastWindowClosed(false);
    // The dialogs Qt draws (files, colours, messages, menus) in the skins' dark look.
    zel::applyDarkLook(application);
    zel::installSkinAccessibility();

    const CommandLine line = parse(argc, argv);
    if (line.language && line.renderFolder.empty()) {
        // The language of the running program is the settings' and the language popup's.
        std::cerr << "zel-gmouse: --language goes with --render\n";
        return 2;
    }
    if (line.bad) {
        std::cerr << "usage: zel-gmouse [-HIDE] [--simulate[=1040|1201]] [--app-dir DIR] [--render "
                     "DIR [--language N]]\n";
        return 2;
    }

    zel::AppDirChoice choice;
    choice.option = zel::appDirOption(argc, argv);
    if (const char* env = std::getenv("ZEL_GMOUSE_APPDIR")) {
        choice.environment = std::string(env);
    }
    const std::string exeFolder = QCoreApplication::applicationDirPath().toStdString();
    std::string appDir = exeFolder;
    if (!choice.option && !choice.environment) {
        if (const auto located = zel::locateAppDir(exeFolder, zel::userDataHome())) {
            appDir = *located;
        }
    } else {
        appDir = zel::resolveAppDir(choice);
    }

    const bool rendering = !line.renderFolder.empty();
    // One instance per session: a second start brings the first one's window back. Drawing
    // the pages into files is no instance: it runs beside one.
    zel::SingleInstance instance(QStringLiteral("CZEL_GMouseApp"),
                                 zel::SingleInstance::defaultFolder());
    if (!rendering && !instance.becomePrimary()) {
        static_cast<void>(instance.askPrimaryToRestore());
        return 0;
    }

    zel::AppOptions options;
    options.appDir = appDir;
    options.pictureCacheFolder = zel::defaultPictureCacheFolder();
    options.systemFontConfiguration = fontConfiguration;
    options.simulate = line.simulate;
    options.simulatedProduct = line.product;
    options.commandLine = line.rest;
    options.renderOnly = rendering;
    options.renderLanguage = line.language;
    zel::App app(options);
    QObject::connect(&instance, &zel::SingleInstance::restoreRequested, &app, [&app] {
        if (app.mainWindow() != nullptr) {
            app.mainWindow()->showAndRestore();
        }
    });
    if (!app.start()) {
        return app.exitCode();
    }
    // Start-up timing: end as soon as the main window has painted once.
    if (std::getenv("ZEL_GMOUSE_EXIT_AFTER_PAINT") != nullptr && app.mainWindow() != nullptr) {
        // The measure ends at the paint: the start-up download on its worker is not part
        // of it, so the process ends at once instead of waiting for it.
        app.mainWindow()->firstPainted = [] { std::_Exit(0); };
    }
    if (rendering) {
        if (!app.renderPages(line.renderFolder)) {
            std::cerr << "zel-gmouse: cannot write the pages to " << line.renderFolder << '\n';
            return 2;
        }
        // The pages are written; what went wrong on the way was said on standard error.
        return app.renderProblems() > 0 ? 1 : 0;
    }
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    return zel::guardedMain("zel-gmouse", [&] { return run(argc, argv); });
}
