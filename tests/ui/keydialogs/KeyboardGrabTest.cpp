// The keyboard a key capture dialog holds, on a private X server: a second X client
// counts the keys it receives while a dialog is open and after it has ended. Keys are
// sent through the XTest extension (xdotool), the way a real keyboard's keys arrive.

#include "ui/keys/CDialogGetKey.h"
#include "ui/keys/CShortcutGetKey.h"

#include "TestServers.h"
#include "TestSupport.h"
#include "presentation/LayoutElements.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>

using namespace zel;
namespace keyset = zel::layout::skin_keyset;
namespace shortcut = zel::layout::skin_shortcut;

namespace {

// The X display of the test; empty when Xvfb could not be started.
std::string g_display;

constexpr int kWait = 10000;
// How long a key that must not arrive is waited for.
constexpr int kQuietMs = 400;

QPoint centre(const Area& a) {
    return QPoint(a.x + a.width / 2, a.y + a.height / 2);
}

/// The other X client: its own window with the input focus, counting its keys.
class KeyCountClient {
public:
    bool start() {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(ZEL_KEY_COUNT_CLIENT), {});
        return m_process.waitForStarted(kWait) && waitForLine("window ");
    }
    ~KeyCountClient() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kWait)) {
            m_process.kill();
            m_process.waitForFinished(kWait);
        }
    }
    /// Takes the input focus back, as a user clicking into another program would.
    bool focus() {
        m_process.write("focus\n");
        return waitForLine("focused");
    }
    /// Keys received so far (lines read while waiting included).
    int keys() {
        readLines();
        return m_keys;
    }
    bool waitForKeys(int count) {
        return QTest::qWaitFor([&] { return keys() >= count; }, kWait);
    }

private:
    void readLines() {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine();
            if (line.startsWith("key ")) {
                ++m_keys;
            } else {
                m_lines.push_back(line);
            }
        }
    }
    bool waitForLine(const QByteArray& prefix) {
        return QTest::qWaitFor(
            [&] {
                readLines();
                for (auto it = m_lines.begin(); it != m_lines.end(); ++it) {
                    if (it->startsWith(prefix)) {
                        m_lines.erase(it);
                        return true;
                    }
                }
                return false;
            },
            kWait);
    }

    QProcess m_process;
    std::vector<QByteArray> m_lines;
    int m_keys = 0;
};

bool xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

bool pressKey(const QString& key) {
    return xdotool({QStringLiteral("key"), key});
}

bool clickAt(const QWidget& window, const Area& area) {
    const QPoint at = window.mapToGlobal(centre(area));
    return xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                    QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("click"),
                    QStringLiteral("1")});
}

class KeyboardGrab : public ::testing::Test {
protected:
    void SetUp() override {
        if (g_display.empty()) {
            GTEST_SKIP() << "Xvfb did not start (package xvfb, see scripts/install-deps)";
        }
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
            GTEST_SKIP() << "xdotool is missing (see scripts/install-deps)";
        }
        ASSERT_TRUE(m_client.start());
        // Before any dialog, a key reaches the client.
        ASSERT_TRUE(pressKey(QStringLiteral("a")));
        ASSERT_TRUE(m_client.waitForKeys(1));
    }

    /// After the dialog: the keyboard is free again.
    void expectKeysReachTheClientAgain() {
        const int before = m_client.keys();
        ASSERT_TRUE(m_client.focus());
        ASSERT_TRUE(pressKey(QStringLiteral("c")));
        EXPECT_TRUE(m_client.waitForKeys(before + 1));
    }

    KeyCountClient m_client;
    ini::IniStore m_ini;
    MacVkAndText m_keys;
    KeyDialogContext m_context{m_ini,
                               test::builtAppDir() + "/skins",
                               test::builtAppDir() + "/skins/1_INI_EN",
                               1,
                               m_keys,
                               QApplication::font(),
                               QStringLiteral("ZEL GMouse"),
                               nullptr};
};

} // namespace

TEST_F(KeyboardGrab, TheCombinationDialogHoldsEveryKeyUntilItEnds) {
    CombinationInput input;
    CombinationRequest request;
    request.slot = 1;
    CShortcutGetKey dialog(m_context, request, input);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.holdingKeyboard(); }, kWait));
    // Even with the focus back on the other window, the keys go to the dialog.
    ASSERT_TRUE(m_client.focus());
    ASSERT_TRUE(pressKey(QStringLiteral("b")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return input.mainKey == 'B'; }, kWait));
    EXPECT_EQ(input.mainName, "B");
    for (const char* key : {"Escape", "Return", "F10", "alt+Tab", "super"}) {
        ASSERT_TRUE(pressKey(QString::fromLatin1(key)));
    }
    QTest::qWait(kQuietMs);
    EXPECT_EQ(m_client.keys(), 1);
    EXPECT_TRUE(dialog.isVisible());

    ASSERT_TRUE(clickAt(dialog, dialog.area(shortcut::kClose)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, kWait));
    EXPECT_EQ(dialog.result(), 8);
    EXPECT_FALSE(dialog.holdingKeyboard());
    expectKeysReachTheClientAgain();
}

TEST_F(KeyboardGrab, TheKeyDialogHoldsEveryKeyUntilItEnds) {
    CapturedKey captured;
    auto dialog = std::make_unique<CDialogGetKey>(m_context, captured, QPoint(300, 300));
    dialog->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->holdingKeyboard(); }, kWait));
    ASSERT_TRUE(m_client.focus());
    ASSERT_TRUE(pressKey(QStringLiteral("q")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return captured.name == "Q"; }, kWait));
    QTest::qWait(kQuietMs);
    EXPECT_EQ(m_client.keys(), 1);

    ASSERT_TRUE(clickAt(*dialog, dialog->area(keyset::kOk)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, kWait));
    expectKeysReachTheClientAgain();

    // A dialog destroyed while it holds the keyboard lets it go as well.
    dialog = std::make_unique<CDialogGetKey>(m_context, captured, QPoint(300, 300));
    dialog->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->holdingKeyboard(); }, kWait));
    dialog.reset();
    expectKeysReachTheClientAgain();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Large enough for the combination dialog, which opens at (480, 330).
    const test::XvfbServer server("1280x1024x24");
    const test::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.str().c_str(), 1);
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP"}) {
        unsetenv(name);
    }
    if (server.running()) {
        g_display = server.display();
        setenv("DISPLAY", g_display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    } else {
        std::cerr << "keyboard grab test: Xvfb did not start\n";
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
