#pragma once

#include "app/App.h"

#include "TestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace zel::test {

/// The link's pauses cost nothing here: the simulated mouse does not need them.
class NoPauses final : public Sleeper {
public:
    void sleepFor(std::chrono::microseconds) override {}
};

class AppTest : public ::testing::Test {
protected:
    std::unique_ptr<App> makeApp(std::uint16_t product = 0x1040, bool absent = false,
                                 const std::string& powerBus = {}) {
        AppOptions options;
        options.appDir = appDir.appDir();
        options.simulate = true;
        options.simulatedProduct = product;
        options.simulateAbsent = absent;
        options.noTray = true;
        options.quitApplication = false;
        options.linkSleeper = &noPauses;
        options.powerBusAddress = powerBus;
        options.colourChooser = colourChooser;
        options.chooser = chooser;
        options.recordingClock = recordingClock;
        // No sound server unless a test starts its own: a desktop's server is never used.
        options.audioServer =
            audioServer.empty() ? "unix:" + appDir.appDir() + "/no-sound-server" : audioServer;
        auto app = std::make_unique<App>(options);
        app->warningShower = [this](const std::string& text) { warnings.push_back(text); };
        app->downloadStarted = [this] { ++downloads; };
        return app;
    }

    /// The centre of element `index` of the main, advanced or lighting layout.
    static QPoint centre(const Area& a) { return QPoint(a.x + a.width / 2, a.y + a.height / 2); }

    static void click(QWidget* w, QPoint p) {
        QTest::mouseMove(w, p);
        QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, p);
    }

    std::string config(const std::string& section, const std::string& key) {
        ini::IniStore fresh;
        return fresh.read(appDir.appDir() + "/skins/config/config.ini", section, key, 259);
    }

    test::TempAppDir appDir;
    /// The file dialogs of the program started by `makeApp`; null: the desktop's.
    FileChooser* chooser = nullptr;
    NoPauses noPauses;
    /// The Pulse server the sound lighting measures; empty: none.
    std::string audioServer;
    /// The colour chooser the program gets (null: the standard dialog).
    ColourChooser* colourChooser = nullptr;
    /// The clock of macro recording (empty: the system's).
    std::function<int()> recordingClock;
    std::vector<std::string> warnings;
    // Counted on the download worker, read by the test.
    std::atomic<int> downloads{0};
};

} // namespace zel::test
