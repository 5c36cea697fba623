// The dialogs Qt draws for the program: dark like the skins, filters that name the kind of
// file in the program's language, and the documents folder to start in.
#include "app/DarkLook.h"
#include "app/QtSinks.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace zel;

TEST(DialogLook, FiltersNameTheKindOfFileInTheLanguage) {
    EXPECT_EQ(QtFileChooser::qtFilter("All Files(*.ini)|*.ini||", 1),
              QStringLiteral("Profile files (*.ini)"));
    EXPECT_EQ(QtFileChooser::qtFilter("All Files(*.dat)|*.dat||", 4),
              QStringLiteral("Makrogruppen-Dateien (*.dat)"));
    EXPECT_EQ(QtFileChooser::qtFilter("All Files(*.sdat)|*.sdat||", 0),
              QString::fromUtf8("单个宏文件 (*.sdat)"));
    // A kind it does not know keeps the label it was given.
    EXPECT_EQ(QtFileChooser::qtFilter("Pictures(*.png)|*.png|All|*||", 1),
              QStringLiteral("Pictures (*.png);;All (*)"));
}

TEST(DialogLook, DialogsStartInTheDocumentsFolder) {
    test::TempDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.str()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.str() + "/config"));
    QtFileChooser chooser;
    const FileRequest request{"/opt/zel/skins/", "ini", "All Files(*.ini)|*.ini||", ""};
    // Without a documents folder, where the program asks.
    EXPECT_EQ(chooser.startFolder(request), QStringLiteral("/opt/zel/skins/"));
    ASSERT_TRUE(QDir(QString::fromStdString(home.str())).mkdir(QStringLiteral("Documents")));
    EXPECT_EQ(chooser.startFolder(request), QString::fromStdString(home.str() + "/Documents"));
    qputenv("HOME", oldHome);
    if (oldConfig.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }
}

TEST(DialogLook, TheFileDialogIsDarkWithTheAccentForTheSelection) {
    const QPalette oldPalette = QApplication::palette();
    const QString oldStyle = QApplication::style()->name();
    applyDarkLook(*qApp);

    QFileDialog dialog(nullptr, QString(), QDir::tempPath(), QStringLiteral("All (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.resize(640, 420);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage shot = dialog.grab().toImage();
    // The dialog's own background at its corner: the skins' window grey, not a light one.
    const QColor corner = shot.pixelColor(3, shot.height() - 3);
    EXPECT_LT(qGray(corner.rgb()), 48) << corner.name().toStdString();
    EXPECT_EQ(dialog.palette().color(QPalette::Highlight), QColor(0x07, 0xBC, 0xFF));
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    dialog.close();

    QApplication::setStyle(oldStyle);
    QApplication::setPalette(oldPalette);
}

TEST(DialogLook, TheFileListShowsWholeNamesAndDates) {
    test::TempDir folder;
    const std::string name = "My favourite long profile name for tournaments.ini";
    test::writeFile(folder.str() + "/" + name, "[Init]\n");
    QtFileChooser chooser;
    const FileRequest request{folder.str(), "ini", "All Files(*.ini)|*.ini||", ""};
    // The list fills and lays out its columns after the dialog shows: it is looked at
    // until every column shows its whole text (or for 3 s), then left without a choice.
    std::string cut = "the dialog never showed the file";
    QElapsedTimer since;
    since.start();
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        const auto lists = dialog->findChildren<QTreeView*>();
        if (!lists.isEmpty() && lists.front()->model()->rowCount(lists.front()->rootIndex()) > 0) {
            QTreeView* list = lists.front();
            QHeaderView* header = list->header();
            const QFontMetrics metrics(list->font());
            cut.clear();
            for (int column = 0; column < header->count(); ++column) {
                const QString text =
                    list->model()->index(0, column, list->rootIndex()).data().toString();
                // The name column also holds the file's icon.
                const int needed = metrics.horizontalAdvance(text) +
                                   (column == 0 ? list->iconSize().width() + 4 : 0);
                if (header->sectionSize(column) < needed) {
                    cut +=
                        "column " + std::to_string(column) + " cuts " + text.toStdString() + "; ";
                }
            }
        }
        if (cut.empty() || since.elapsed() > 3000) {
            dialog->reject();
        }
    });
    driver.start();
    EXPECT_FALSE(chooser.chooseOpen(request).has_value());
    EXPECT_EQ(cut, "");
}
