#include "app/SingleInstance.h"

#include "TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace zel;

TEST(SingleInstance, SecondInstanceRestoresTheFirst) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.str());
    SingleInstance first(QStringLiteral("CZEL_GMouseApp"), folder);
    ASSERT_TRUE(first.becomePrimary());
    QSignalSpy restored(&first, &SingleInstance::restoreRequested);

    SingleInstance second(QStringLiteral("CZEL_GMouseApp"), folder);
    EXPECT_FALSE(second.becomePrimary());
    EXPECT_TRUE(second.askPrimaryToRestore());
    EXPECT_TRUE(restored.wait(2000));
    EXPECT_EQ(restored.count(), 1);
}

TEST(SingleInstance, NoFirstInstanceMeansNoRestore) {
    test::TempDir dir;
    SingleInstance lone(QStringLiteral("CZEL_GMouseApp"), QString::fromStdString(dir.str()));
    EXPECT_FALSE(lone.askPrimaryToRestore(300));
}

TEST(SingleInstance, LockIsFreedWithTheInstance) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.str());
    {
        SingleInstance first(QStringLiteral("CZEL_GMouseApp"), folder);
        ASSERT_TRUE(first.becomePrimary());
    }
    SingleInstance next(QStringLiteral("CZEL_GMouseApp"), folder);
    EXPECT_TRUE(next.becomePrimary());
}
