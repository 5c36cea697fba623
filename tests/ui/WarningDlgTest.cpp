#include "ui/WarningDlg.h"
#include "ui/SkinSurface.h"

#include "TestSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <filesystem>

namespace zel {

class WarningDlgTest : public QObject {
    Q_OBJECT

private:
    WarningSkin shippedSkin() {
        WarningSkin skin;
        skin.skinsDir = test::builtAppDir() + "/skins";
        ini::IniStore store;
        loadSkin(store, skin.skinsDir + "/1_INI_EN", SkinFile::Warning, skin.layout, {});
        return skin;
    }

    static QPoint centre(const Area& a) { return QPoint(a.x + a.width / 2, a.y + a.height / 2); }

    // Runs `act` on the modal box once it is shown.
    static void whenShown(std::function<void(WarningDlg*)> act) {
        QTimer::singleShot(0, [act] {
            auto* box = qobject_cast<WarningDlg*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            act(box);
        });
    }

private slots:
    void placementBesideTheMainWindowAndCentred() {
        QWidget main;
        main.setGeometry(100, 50, 1000, 700);
        main.show();
        WarningRequest request{"Text", 2, 0, {}};
        QPoint shownAt;
        whenShown([&](WarningDlg* box) {
            shownAt = box->pos();
            QTest::mouseMove(box, centre(box->rect(0)));
            QTest::mouseClick(box, Qt::LeftButton, {}, centre(box->rect(0)));
        });
        QCOMPARE(ShowWarning(request, shippedSkin(), &main), 1);
        QCOMPARE(request.popupPosition, main.frameGeometry().topLeft() + QPoint(330, 280));
        QCOMPARE(shownAt, request.popupPosition);

        request.placement = 2;
        whenShown([&](WarningDlg* box) {
            QTest::mouseMove(box, centre(box->rect(1)));
            QTest::mouseClick(box, Qt::LeftButton, {}, centre(box->rect(1)));
        });
        QCOMPARE(ShowWarning(request, shippedSkin(), &main), 2);
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(request.popupPosition,
                 QPoint(desktop.width() / 2 - 200, desktop.height() / 2 - 100));

        request.placement = 7;
        request.popupPosition = QPoint(3, 4);
        whenShown([&](WarningDlg* box) {
            QTest::mouseClick(box, Qt::LeftButton, {}, centre(box->rect(1)));
        });
        QCOMPARE(ShowWarning(request, shippedSkin(), &main), 2);
        QCOMPARE(request.popupPosition, QPoint(3, 4));
    }

    void hoverAndShape() {
        const WarningSkin skin = shippedSkin();
        WarningDlg box(skin, WarningRequest{"Hello", 2, 0, {}});
        box.show();
        QCOMPARE(box.hover(), 3);
        QVERIFY(!box.plainFallback());
        const QImage mask(QString::fromStdString(skin.skinsDir + "/warning_mask.jpg"));
        QCOMPARE(box.size(), mask.size());
        QCOMPARE(box.mask(), shapeFromMask(mask));
        const QImage normal = box.compose();
        QTest::mouseMove(&box, centre(box.rect(0)));
        QCOMPARE(box.hover(), 1);
        const QImage over = box.compose();
        const QPoint inButton(box.rect(0).x + 3, box.rect(0).y + 3);
        QVERIFY(normal.pixel(inButton) != over.pixel(inButton));
        QTest::mouseMove(&box, centre(box.rect(1)));
        QCOMPARE(box.hover(), 2);
        QTest::mouseMove(&box, centre(box.rect(2)));
        QCOMPARE(box.hover(), 255);
        // The text of kind 2 is drawn into rect 2, and only there.
        WarningDlg silent(skin, WarningRequest{"", 2, 0, {}});
        const QImage withText = box.compose();
        const QImage without = silent.compose();
        const Area& r2 = box.rect(2);
        QVERIFY(withText.copy(r2.x, r2.y, r2.width, r2.height) !=
                without.copy(r2.x, r2.y, r2.width, r2.height));
        const Area& r0 = box.rect(0);
        QCOMPARE(withText.copy(r0.x, r0.y, r0.width, r0.height),
                 without.copy(r0.x, r0.y, r0.width, r0.height));
    }

    void onlyTheTwoButtonsClose() {
        WarningDlg box(shippedSkin(), WarningRequest{"Stay", 2, 0, {}});
        QSignalSpy finished(&box, &QDialog::finished);
        box.show();
        QTest::mouseClick(&box, Qt::LeftButton, {}, centre(box.rect(2)));
        QTest::keyClick(&box, Qt::Key_Escape);
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClick(&box, Qt::Key_Enter);
        QCOMPARE(finished.count(), 0);
        QVERIFY(box.isVisible());
        QTest::mouseClick(&box, Qt::LeftButton, {}, centre(box.rect(1)));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(box.result(), 2);
    }

    void missingMaskLeavesAPlainClosableBox() {
        test::TempDir empty;
        WarningSkin skin; // no pictures, no layout
        skin.skinsDir = empty.str();
        WarningDlg box(skin, WarningRequest{"No pictures", 2, 0, {}});
        QSignalSpy finished(&box, &QDialog::finished);
        box.show();
        QVERIFY(box.plainFallback());
        QCOMPARE(box.size(), QSize(400, 200));
        QVERIFY(box.mask().isEmpty()); // no shape: the whole rectangle is the box
        QVERIFY(!box.rect(0).empty());
        QTest::mouseMove(&box, centre(box.rect(0)));
        QCOMPARE(box.hover(), 1);
        QTest::mouseClick(&box, Qt::LeftButton, {}, centre(box.rect(0)));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(box.result(), 1);

        // A white mask (a shape with nothing in it) falls back the same way.
        QImage white(400, 200, QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(white.save(QString::fromStdString(empty.str() + "/warning_mask.jpg"), "JPG"));
        WarningDlg whiteBox(skin, WarningRequest{"x", 2, 0, {}});
        QVERIFY(whiteBox.plainFallback());
    }

    void sinkShowsTheTipTextOfThePack() {
        test::TempDir dir;
        test::writeFile(dir.path() / "LanguageText.ini", "[TipText]\n7=7,Keep a left click,\n");
        ini::IniStore store;
        LanguagePack pack;
        pack.load(store, dir.str(), nullptr);
        WarningRequest request;
        request.kind = 5;
        request.placement = 2;
        const WarningSkin skin = shippedSkin();
        QtWarningSink sink(
            pack, request, [&skin]() -> const WarningSkin& { return skin; },
            [] { return nullptr; });
        whenShown([](WarningDlg* box) {
            QTest::mouseClick(box, Qt::LeftButton, {}, centre(box->rect(0)));
        });
        sink.warn(Tip::KeepLeftClick);
        QCOMPARE(request.text, std::string("Keep a left click"));
        QCOMPARE(request.kind, 2);
    }

    void surfaceHoverPressAndCompose() {
        SkinSurface surface;
        PictureSet set;
        set.normal = QImage(50, 50, QImage::Format_RGB32);
        set.normal.fill(Qt::black);
        set.over = set.normal.copy();
        set.over.fill(Qt::blue);
        set.down = set.normal.copy();
        set.down.fill(Qt::red);
        surface.setPictures(set);
        SkinLayout layout;
        layout.areas = {{0, 0, 10, 10, ""}, {20, 20, 10, 10, ""}, {40, 40, 5, 5, ""}};
        surface.setLayout(layout, 1);
        QVERIFY(surface.shape().isEmpty());
        QCOMPARE(surface.size(QSize(7, 7)), QSize(50, 50));
        QVERIFY(surface.pointerMoved(QPoint(25, 25)));
        QVERIFY(!surface.pointerMoved(QPoint(26, 26)));
        QCOMPARE(surface.hot(), 1);
        QCOMPARE(surface.compose().pixel(25, 25), qRgb(0, 0, 255));
        QVERIFY(surface.pressed(QPoint(25, 25)));
        QCOMPARE(surface.compose().pixel(25, 25), qRgb(255, 0, 0));
        QCOMPARE(surface.compose().pixel(5, 5), qRgb(0, 0, 0));
        QCOMPARE(surface.released(), 1);
        QVERIFY(!surface.isPressed());
        QVERIFY(surface.pointerMoved(QPoint(41, 41))); // beyond the hit-test range
        QCOMPARE(surface.hot(), 255);
        QVERIFY(!surface.pressed(QPoint(41, 41)));
    }
};

} // namespace zel

QTEST_MAIN(zel::WarningDlgTest)
#include "WarningDlgTest.moc"
