// The tray icon as a desktop's tray host sees it. The program runs on a private X server
// and a private session bus that carries a stand-in StatusNotifierWatcher, so Qt puts the
// icon on the bus as a StatusNotifierItem with a com.canonical.dbusmenu menu; the test
// reads and drives that item over D-Bus the way a tray host does.
#include "app/App.h"

#include "TestServers.h"
#include "TestSupport.h"
#include "settings/FolderTree.h"
#include "sim/SimulatedMouse.h"

#include <QAction>
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDialog>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <mutex>
#include <semaphore>
#include <utility>
#include <vector>

using namespace zel;

// Failures show texts, not UTF-16 code units.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// Start-up decodes the skin pictures; a loaded two-core machine needs time for that.
constexpr int kWait = 30000;

/// The desktop's side of the tray: says a host is there and keeps the registered items
/// ("service/path", as desktops list them), dropping an item when its owner leaves the bus.
class StandInWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredStatusNotifierItems)

public:
    explicit StandInWatcher(const QDBusConnection& bus)
        : m_owners(QString(), bus, QDBusServiceWatcher::WatchForUnregistration) {
        connect(&m_owners, &QDBusServiceWatcher::serviceUnregistered, this,
                &StandInWatcher::ownerLeft);
    }

    bool isStatusNotifierHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    /// Also read directly by the test's thread.
    QStringList registeredStatusNotifierItems() const {
        const std::lock_guard lock(m_mutex);
        return m_items;
    }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& serviceOrPath, const QDBusMessage& message) {
        // An item names its bus service, or only an object path on the caller's connection.
        const bool isPath = serviceOrPath.startsWith(QLatin1Char('/'));
        const QString service = isPath ? message.service() : serviceOrPath;
        const QString item =
            service + (isPath ? serviceOrPath : QStringLiteral("/StatusNotifierItem"));
        {
            const std::lock_guard lock(m_mutex);
            if (m_items.contains(item)) {
                return;
            }
            m_items << item;
        }
        m_owners.addWatchedService(service);
        Q_EMIT StatusNotifierItemRegistered(item);
    }
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();

private:
    void ownerLeft(const QString& service) {
        QStringList gone;
        {
            const std::lock_guard lock(m_mutex);
            for (const QString& item : std::as_const(m_items)) {
                if (item.startsWith(service + QLatin1Char('/'))) {
                    gone << item;
                }
            }
            for (const QString& item : std::as_const(gone)) {
                m_items.removeAll(item);
            }
        }
        m_owners.removeWatchedService(service);
        for (const QString& item : std::as_const(gone)) {
            Q_EMIT StatusNotifierItemUnregistered(item);
        }
    }

    // Standard primitives rather than QMutex/QSemaphore, whose futexes the thread
    // sanitizer cannot see, so the thread build checks this hand-over too.
    mutable std::mutex m_mutex;
    QStringList m_items;
    QDBusServiceWatcher m_owners;
};

/// Runs the watcher on a thread and connection of its own: Qt's tray asks the watcher
/// with blocking calls from the program's (the test's) main thread.
class WatcherThread final : public QThread {
public:
    explicit WatcherThread(QString address) : m_address(std::move(address)) {}

    /// Waits until the watcher owns its service name; false when it could not.
    bool waitUntilServing() {
        m_ready.acquire();
        return m_serving;
    }
    /// Valid while the thread runs and serves.
    const StandInWatcher& watcher() const { return *m_watcher; }

protected:
    void run() override {
        const QString name = QStringLiteral("stand-in-watcher");
        {
            QDBusConnection bus = QDBusConnection::connectToBus(m_address, name);
            StandInWatcher watcher(bus);
            m_serving = bus.isConnected() &&
                        bus.registerObject(kWatcherPath, &watcher,
                                           QDBusConnection::ExportAllSlots |
                                               QDBusConnection::ExportAllProperties |
                                               QDBusConnection::ExportAllSignals) &&
                        bus.registerService(kWatcherService);
            m_watcher = &watcher;
            m_ready.release();
            if (m_serving) {
                exec();
            }
            bus.unregisterService(kWatcherService);
            bus.unregisterObject(kWatcherPath);
        }
        QDBusConnection::disconnectFromBus(name);
    }

private:
    QString m_address;
    std::binary_semaphore m_ready{0};
    bool m_serving = false;
    const StandInWatcher* m_watcher = nullptr;
};

QString g_busAddress;
WatcherThread* g_watcher = nullptr;

/// One entry of a dbusmenu layout.
struct MenuNode {
    int id = -1;
    QVariantMap properties;
    std::vector<MenuNode> children;
    QString label() const { return properties.value(QStringLiteral("label")).toString(); }
};

MenuNode readMenuNode(const QDBusArgument& arg) {
    MenuNode node;
    arg.beginStructure();
    arg >> node.id >> node.properties;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        node.children.push_back(readMenuNode(child.variant().value<QDBusArgument>()));
    }
    arg.endArray();
    arg.endStructure();
    return node;
}

/// One picture of an item's icon, ARGB32 in network byte order.
struct IconImage {
    int width = 0;
    int height = 0;
    QByteArray data;
};

std::vector<IconImage> readIcons(const QDBusArgument& arg) {
    std::vector<IconImage> icons;
    arg.beginArray();
    while (!arg.atEnd()) {
        IconImage image;
        arg.beginStructure();
        arg >> image.width >> image.height >> image.data;
        arg.endStructure();
        icons.push_back(image);
    }
    arg.endArray();
    return icons;
}

/// The tray host's side: its own connection to the bus. The program's side of the item is
/// served by the test's thread, so every call lets that thread's events run while it waits.
class TrayHost {
public:
    TrayHost() : m_bus(QDBusConnection::connectToBus(g_busAddress, kName)) {}
    ~TrayHost() { QDBusConnection::disconnectFromBus(kName); }
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    /// The items the watcher lists, asked over the bus.
    QStringList registeredItems() {
        return property(kWatcherService, kWatcherPath, kWatcherService,
                        QStringLiteral("RegisteredStatusNotifierItems"))
            .toStringList();
    }
    bool hasOwner(const QString& service) {
        return m_bus.interface()->isServiceRegistered(service).value();
    }

    static QString serviceOf(const QString& item) { return item.left(item.indexOf('/')); }
    static QString pathOf(const QString& item) { return item.mid(item.indexOf('/')); }

    QVariant itemProperty(const QString& item, const QString& name) {
        return property(serviceOf(item), pathOf(item), kItemInterface, name);
    }
    /// The title of the item's ToolTip (icon name, icon pictures, title, text).
    QString toolTipTitle(const QString& item) {
        const auto arg = itemProperty(item, QStringLiteral("ToolTip")).value<QDBusArgument>();
        QString iconName;
        QString title;
        QString text;
        arg.beginStructure();
        arg >> iconName;
        static_cast<void>(readIcons(arg));
        arg >> title >> text;
        arg.endStructure();
        return title;
    }
    std::vector<IconImage> icons(const QString& item) {
        return readIcons(itemProperty(item, QStringLiteral("IconPixmap")).value<QDBusArgument>());
    }
    QString menuPath(const QString& item) {
        return itemProperty(item, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    }
    /// The whole menu tree below the root.
    MenuNode menu(const QString& item) {
        const QDBusMessage reply =
            call(menuMessage(item, QStringLiteral("GetLayout"), {0, -1, QStringList()}));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
            ADD_FAILURE() << "GetLayout failed: " << reply.errorMessage().toStdString();
            return {};
        }
        return readMenuNode(reply.arguments().at(1).value<QDBusArgument>());
    }
    /// A click on the menu entry `id`; the reply is not awaited, since the item may end.
    void clickMenu(const QString& item, int id) {
        m_bus.asyncCall(menuMessage(
            item, QStringLiteral("Event"),
            {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0U}));
    }
    /// A (single) click on the icon.
    bool activate(const QString& item) {
        QDBusMessage m = QDBusMessage::createMethodCall(serviceOf(item), pathOf(item),
                                                        kItemInterface, QStringLiteral("Activate"));
        m.setArguments({0, 0});
        return call(m).type() == QDBusMessage::ReplyMessage;
    }

private:
    static inline const QString kName = QStringLiteral("tray-host");

    QDBusMessage call(const QDBusMessage& message) {
        return m_bus.call(message, QDBus::BlockWithGui, kWait);
    }
    QVariant property(const QString& service, const QString& path, const QString& interface,
                      const QString& name) {
        QDBusMessage m =
            QDBusMessage::createMethodCall(service, path, kProperties, QStringLiteral("Get"));
        m.setArguments({interface, name});
        const QDBusMessage reply = call(m);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            ADD_FAILURE() << "no property " << name.toStdString() << " on " << path.toStdString()
                          << ": " << reply.errorMessage().toStdString();
            return {};
        }
        return reply.arguments().front().value<QDBusVariant>().variant();
    }
    QDBusMessage menuMessage(const QString& item, const QString& method, const QVariantList& args) {
        QDBusMessage m =
            QDBusMessage::createMethodCall(serviceOf(item), menuPath(item), kMenuInterface, method);
        m.setArguments(args);
        return m;
    }

    QDBusConnection m_bus;
};

/// Runs the event loop until `condition` holds; false when it did not within `ms`.
template <typename Condition>
bool waitFor(Condition condition, int ms = kWait) {
    return QTest::qWaitFor(condition, ms);
}

/// The link's pauses cost nothing here: the simulated mouse does not need them.
class NoPauses final : public Sleeper {
public:
    void sleepFor(std::chrono::microseconds) override {}
};

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable())
            << "Qt does not see the stand-in tray host";
    }

    std::unique_ptr<App> startApp() {
        AppOptions options;
        options.appDir = appDir.appDir();
        options.simulate = true;
        options.quitApplication = false;
        options.linkSleeper = &noPauses;
        options.powerBusAddress = g_busAddress.toStdString();
        auto app = std::make_unique<App>(options);
        // A warning box would wait for a click.
        app->warningShower = [](const std::string&) {};
        if (!app->start()) {
            ADD_FAILURE() << "the program did not start";
            return nullptr;
        }
        return app;
    }

    /// The one item the watcher lists once the program has registered it.
    QString waitForItem() {
        const auto items = [] { return g_watcher->watcher().registeredStatusNotifierItems(); };
        EXPECT_TRUE(waitFor([&] { return items().size() == 1; })) << "no item registered";
        const QStringList list = items();
        return list.size() == 1 ? list.front() : QString();
    }

    /// The item is gone as a host sees it: the watcher no longer lists it and its owner
    /// has left the bus.
    void expectItemGone(const QString& item) {
        EXPECT_TRUE(waitFor([&] { return host.registeredItems().isEmpty(); }));
        EXPECT_FALSE(host.hasOwner(TrayHost::serviceOf(item)));
    }

    void setLanguage(int language) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
    }

    /// The texts the program reads for `language`.
    LanguagePack languageTexts(int language) const {
        LanguagePack pack;
        const ini::IniStore ini;
        EXPECT_TRUE(
            pack.load(ini, FolderTree::make(appDir.appDir(), language).languageDir, nullptr));
        return pack;
    }

    test::TempAppDir appDir;
    NoPauses noPauses;
    TrayHost host;
};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// The ids of the two menu entries, show first; -1 when the menu is not as expected.
std::pair<int, int> showAndExitIds(const MenuNode& root) {
    if (root.children.size() != 2) {
        ADD_FAILURE() << "the menu has " << root.children.size() << " entries";
        return {-1, -1};
    }
    return {root.children[0].id, root.children[1].id};
}

} // namespace

TEST_F(TrayTest, TheItemCarriesTheProgramIconAndTheProductName) {
    auto app = startApp();
    ASSERT_NE(app, nullptr);
    ASSERT_NE(app->trayIcon(), nullptr);
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty());

    // English, the shipped setting.
    const QString product = qs(app->description().productName(1));
    ASSERT_FALSE(product.isEmpty());
    EXPECT_EQ(host.toolTipTitle(item), product);

    // The 64-pixel picture is the program's icon, as the window shows it too.
    const std::vector<IconImage> icons = host.icons(item);
    ASSERT_FALSE(icons.empty());
    const QImage expected = app->mainWindow()
                                ->windowIcon()
                                .pixmap(QSize(64, 64))
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(expected.isNull());
    QByteArray expectedBytes(64 * 64 * 4, '\0');
    qToBigEndian<quint32>(expected.constBits(), 64 * 64, expectedBytes.data());
    bool found = false;
    for (const IconImage& icon : icons) {
        EXPECT_EQ(icon.data.size(), icon.width * icon.height * 4);
        found |= icon.width == 64 && icon.height == 64 && icon.data == expectedBytes;
    }
    EXPECT_TRUE(found) << "no 64-pixel picture equal to the program's icon";
    EXPECT_NE(expectedBytes, QByteArray(64 * 64 * 4, '\0'));

    const QString menu = host.menuPath(item);
    EXPECT_TRUE(menu.startsWith('/'));
    EXPECT_NE(menu, QStringLiteral("/NO_DBUSMENU"));

    app->shutDown();
    EXPECT_EQ(app->trayIcon(), nullptr);
    expectItemGone(item);
}

class TrayLanguageTest : public TrayTest, public ::testing::WithParamInterface<int> {};

TEST_P(TrayLanguageTest, TooltipAndMenuAreInTheProgramsLanguage) {
    const int language = GetParam();
    setLanguage(language);
    auto app = startApp();
    ASSERT_NE(app, nullptr);
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty());

    const LanguagePack pack = languageTexts(language);
    const QString show = qs(pack.text(TextTable::DevMac, 34));
    const QString exit = qs(pack.text(TextTable::DevMac, 35));
    ASSERT_FALSE(show.isEmpty());
    ASSERT_FALSE(exit.isEmpty());
    ASSERT_NE(show, exit);

    EXPECT_EQ(host.toolTipTitle(item), qs(app->description().productName(language)));

    const MenuNode root = host.menu(item);
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].label(), show);
    EXPECT_EQ(root.children[1].label(), exit);
    for (const MenuNode& entry : root.children) {
        // Plain entries: no separator, no check mark, no submenu, usable.
        const QVariantMap& p = entry.properties;
        EXPECT_NE(p.value(QStringLiteral("type")).toString(), QStringLiteral("separator"));
        EXPECT_FALSE(p.contains(QStringLiteral("toggle-type")));
        EXPECT_NE(p.value(QStringLiteral("children-display")).toString(),
                  QStringLiteral("submenu"));
        EXPECT_TRUE(entry.children.empty());
        EXPECT_TRUE(p.value(QStringLiteral("enabled"), true).toBool());
        EXPECT_TRUE(p.value(QStringLiteral("visible"), true).toBool());
    }
    app->shutDown();
    expectItemGone(item);
}

// Chinese (its own product name), English and German.
INSTANTIATE_TEST_SUITE_P(Languages, TrayLanguageTest, ::testing::Values(0, 1, 4));

TEST_F(TrayTest, ASingleClickDoesNothingAndShowOrADoubleClickRestoresTheWindow) {
    auto app = startApp();
    ASSERT_NE(app, nullptr);
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty());
    CZEL_GMouseDlg* window = app->mainWindow();
    const auto ids = showAndExitIds(host.menu(item));
    ASSERT_GE(ids.first, 0);

    // With a tray the caption's close hides the window.
    window->close();
    EXPECT_FALSE(window->isVisible());

    // A single click arrives as a Trigger and leaves the window hidden.
    QSignalSpy activated(app->trayIcon(), &QSystemTrayIcon::activated);
    ASSERT_TRUE(host.activate(item));
    ASSERT_TRUE(waitFor([&] { return activated.count() == 1; }));
    EXPECT_EQ(activated.at(0).at(0).value<QSystemTrayIcon::ActivationReason>(),
              QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());

    // The window as the "show" entry leaves it, taken at once: without a window manager
    // the X server's later reports can carry a stale minimised state.
    QAction* showAction = app->trayIcon()->contextMenu()->actions().value(0);
    ASSERT_NE(showAction, nullptr);
    std::vector<std::pair<bool, Qt::WindowStates>> afterShow;
    QObject::connect(showAction, &QAction::triggered,
                     [&] { afterShow.emplace_back(window->isVisible(), window->windowState()); });

    // "Show" brings back the hidden window ...
    host.clickMenu(item, ids.first);
    ASSERT_TRUE(waitFor([&] { return afterShow.size() == 1; }));
    EXPECT_TRUE(afterShow[0].first);
    EXPECT_TRUE(window->isVisible());

    // ... and restores a minimised one.
    window->showMinimized();
    ASSERT_TRUE(window->windowState().testFlag(Qt::WindowMinimized));
    host.clickMenu(item, ids.first);
    ASSERT_TRUE(waitFor([&] { return afterShow.size() == 2; }));
    EXPECT_TRUE(afterShow[1].first);
    EXPECT_FALSE(afterShow[1].second.testFlag(Qt::WindowMinimized));

    // Status-notifier hosts have no double click (a click is Activate, a Trigger); a
    // double click on an XEmbed tray is emitted as below.
    window->hide();
    Q_EMIT app->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isVisible());
    window->showMinimized();
    Q_EMIT app->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(window->windowState().testFlag(Qt::WindowMinimized));

    app->shutDown();
    expectItemGone(item);
}

TEST_F(TrayTest, ExitEndsTheOpenDialogAndThenTheProgram) {
    auto app = startApp();
    ASSERT_NE(app, nullptr);
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty());
    const int exitId = showAndExitIds(host.menu(item)).second;
    ASSERT_GE(exitId, 0);

    std::vector<std::string> order;
    QDialog open;
    open.setModal(false);
    QObject::connect(&open, &QDialog::finished,
                     [&](int result) { order.push_back("dialog " + std::to_string(result)); });
    open.setResult(7);
    open.show();
    // A dialog that is not shown stays as it is.
    QDialog closed;
    QSignalSpy closedFinished(&closed, &QDialog::finished);
    QObject::connect(app.get(), &App::finished,
                     [&](int code) { order.push_back("program " + std::to_string(code)); });

    host.clickMenu(item, exitId);
    EXPECT_TRUE(waitFor([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"dialog 0", "program 0"}));
    EXPECT_FALSE(open.isVisible());
    EXPECT_EQ(open.result(), 0);
    EXPECT_EQ(closedFinished.count(), 0);
    EXPECT_EQ(app->trayIcon(), nullptr);
    EXPECT_FALSE(app->mainWindow()->isVisible());
    expectItemGone(item);
}

TEST_F(TrayTest, UnpluggingTheMouseRemovesTheItem) {
    auto app = startApp();
    ASSERT_NE(app, nullptr);
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty());
    QSignalSpy finished(app.get(), &App::finished);
    app->simulatedMouse()->unplug();
    EXPECT_TRUE(finished.wait(kWait));
    EXPECT_EQ(app->trayIcon(), nullptr);
    expectItemGone(item);
}

TEST_F(TrayTest, ALanguageChosenInTheWindowChangesTheMenuButNotTheTooltip) {
    auto app = startApp(); // English
    ASSERT_NE(app, nullptr);
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty());
    const std::string english = app->description().productName(1);
    ASSERT_NE(app->description().productName(0), english);

    // The language element opens a list whose first row is Chinese.
    CZEL_GMouseDlg* window = app->mainWindow();
    const Area& element = app->skin().main.area(17);
    const QPoint at(element.x + element.width / 2, element.y + element.height / 2);
    QTest::mouseMove(window, at);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, at);
    QWidget* list = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("MainMenuDlg") && w->isVisible()) {
            list = w;
        }
    }
    ASSERT_NE(list, nullptr);
    const QPoint firstRow(list->width() / 2, list->height() / 4);
    QTest::mouseMove(list, firstRow);
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, firstRow);
    ASSERT_EQ(app->state().language.load(), 0);

    // The menu is in the language of the moment it opens; the icon, with its tooltip, is
    // made once at start-up and kept.
    const LanguagePack pack = languageTexts(0);
    EXPECT_EQ(host.toolTipTitle(item), qs(english));
    const MenuNode root = host.menu(item);
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].label(), qs(pack.text(TextTable::DevMac, 34)));
    EXPECT_EQ(root.children[1].label(), qs(pack.text(TextTable::DevMac, 35)));
    app->shutDown();
    expectItemGone(item);
}

// A private X server and session bus, set up before Qt reads the environment; the watcher
// must own its name before Qt first asks for a tray (Qt remembers the answer).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const test::XvfbServer display;
    if (!display.running()) {
        std::cerr << "tray test: Xvfb did not start (package xvfb, see scripts/install-deps)\n";
        return 1;
    }
    const test::SessionBus bus;
    if (!bus.running()) {
        std::cerr << "tray test: dbus-daemon did not start (package dbus, see "
                     "scripts/install-deps)\n";
        return 1;
    }
    // The program's runtime and cache files stay out of the user's folders.
    const test::TempDir runtime;
    const test::TempDir cache;
    setenv("XDG_RUNTIME_DIR", runtime.str().c_str(), 1);
    setenv("XDG_CACHE_HOME", cache.str().c_str(), 1);
    setenv("DISPLAY", display.display().c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Qt's generic desktop theme, whatever desktop the test runs in.
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
          "GNOME_DESKTOP_SESSION_ID", "QT_QPA_PLATFORMTHEME", "WAYLAND_DISPLAY"}) {
        unsetenv(name);
    }
    int rc = 1;
    {
        QApplication app(argc, argv);
        g_busAddress = QString::fromStdString(bus.address());
        WatcherThread watcher(g_busAddress);
        watcher.start();
        if (watcher.waitUntilServing()) {
            g_watcher = &watcher;
            rc = RUN_ALL_TESTS();
            g_watcher = nullptr;
        } else {
            std::cerr << "tray test: the stand-in tray host could not take its bus name\n";
        }
        watcher.quit();
        watcher.wait();
    }
    return rc;
}

#include "TrayTest.moc"
