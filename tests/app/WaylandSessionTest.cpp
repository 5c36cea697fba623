// The program in a Wayland session: a headless weston with XWayland stands in for the
// desktop. The program takes the X display that XWayland offers; its main window opens
// there and the assignment popup opens beside its row. Skipped where weston or XWayland
// is not installed.
#include "AppFixture.h"

#include "app/SessionPlatform.h"
#include "presentation/LayoutElements.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <iostream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zel::test {
namespace {

// Set by main: why the session could not be started (empty when it runs).
std::string g_skipReason;

/// A headless weston with XWayland in a private runtime folder; stopped on destruction.
class Weston {
public:
    explicit Weston(const std::string& runtime) : m_log(runtime + "/weston.log") {
        const std::string weston =
            QStandardPaths::findExecutable(QStringLiteral("weston")).toStdString();
        if (weston.empty() ||
            QStandardPaths::findExecutable(QStringLiteral("Xwayland")).isEmpty()) {
            m_problem = "weston or Xwayland is not installed";
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            // weston ends with the test, however the test ends.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            const std::string log = "--log=" + m_log;
            ::execl(weston.c_str(), "weston", "--backend=headless-backend.so",
                    "--socket=zel-wayland", "--idle-time=0", "--xwayland", "--width=1600",
                    "--height=1000", log.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // XWayland's display is named in the log once weston listens for X clients.
        const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
        for (int i = 0; i < 100 && m_display.empty(); ++i) {
            QFile file(QString::fromStdString(m_log));
            if (file.open(QIODevice::ReadOnly)) {
                const auto match = listening.match(QString::fromUtf8(file.readAll()));
                if (match.hasMatch()) {
                    m_display = match.captured(1).toStdString();
                }
            }
            if (m_display.empty()) {
                QThread::msleep(100);
            }
        }
        if (m_display.empty()) {
            m_problem = "weston did not offer an X display within 10 s";
        }
    }
    ~Weston() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    Weston(const Weston&) = delete;
    Weston& operator=(const Weston&) = delete;

    const std::string& problem() const { return m_problem; }
    const std::string& display() const { return m_display; }

private:
    std::string m_log;
    std::string m_display;
    std::string m_problem;
    pid_t m_pid = -1;
};

QWidget* shown(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

} // namespace

class WaylandSessionTest : public AppTest {
protected:
    void SetUp() override {
        if (!g_skipReason.empty()) {
            GTEST_SKIP() << g_skipReason;
        }
    }
};

TEST_F(WaylandSessionTest, TheWindowOpensThroughXWaylandAndThePopupBesideItsRow) {
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const Area& row = app->skin().main.area(layout::skin_main::kButtonLabelFirst);
    const QPoint centre(row.x + row.width / 2, row.y + row.height / 2);
    // Events straight to the window: a headless weston has no seat, and moving its
    // pointer (what QTest::mouseMove does) ends XWayland.
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, centre);
    QWidget* popup = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((popup = shown("MainMenuDlg")) != nullptr, 5000);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    // Right below the row, its left edge on the row's, wherever the compositor put the
    // main window.
    EXPECT_EQ(popup->geometry().topLeft(), w->mapToGlobal(QPoint(row.x, row.y + row.height)));
    app->shutDown();
}

TEST(SessionPlatform, XWaylandWhereOfferedAndTheUsersChoiceAlways) {
    EXPECT_EQ(chooseQtPlatform({"", "wayland-0", "wayland", ":0"}), "xcb");
    EXPECT_EQ(chooseQtPlatform({"", "", "wayland", ":1"}), "xcb");
    // No XWayland: Qt's own choice, the native Wayland platform.
    EXPECT_EQ(chooseQtPlatform({"", "wayland-0", "wayland", ""}), "");
    // An X11 session, or a platform the user has chosen.
    EXPECT_EQ(chooseQtPlatform({"", "", "x11", ":0"}), "");
    EXPECT_EQ(chooseQtPlatform({"wayland", "wayland-0", "wayland", ":0"}), "");
    EXPECT_EQ(chooseQtPlatform({"offscreen", "", "", ""}), "");
}

} // namespace zel::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const zel::test::TempDir runtime;
    ::chmod(runtime.str().c_str(), 0700);
    const zel::test::Weston weston(runtime.str());
    zel::test::g_skipReason = weston.problem();
    // The session as a Wayland desktop sets it up; the program's runtime and cache files
    // stay in the private folder.
    ::setenv("XDG_RUNTIME_DIR", runtime.str().c_str(), 1);
    ::setenv("XDG_CACHE_HOME", runtime.str().c_str(), 1);
    ::setenv("WAYLAND_DISPLAY", "zel-wayland", 1);
    ::setenv("XDG_SESSION_TYPE", "wayland", 1);
    ::unsetenv("QT_QPA_PLATFORM");
    if (weston.display().empty()) {
        // Nothing to connect to: the tests skip, the application runs offscreen.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else {
        ::setenv("DISPLAY", weston.display().c_str(), 1);
        const std::string platform = zel::chooseQtPlatform(zel::currentSessionEnvironment());
        if (!platform.empty()) {
            ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
        }
    }
    int rc = 1;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    return rc;
}
