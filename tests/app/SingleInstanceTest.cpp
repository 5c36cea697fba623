#include "app/SingleInstance.h"

#include "TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

TEST(SingleInstance, OnlyTheUserCanAskAndStrayTalkIsIgnored) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.str());
    SingleInstance first(QStringLiteral("CZEL_GMouseApp"), folder);
    ASSERT_TRUE(first.becomePrimary());
    QSignalSpy restored(&first, &SingleInstance::restoreRequested);
    const std::string socketPath = dir.str() + "/CZEL_GMouseApp";
    struct stat st {};
    ASSERT_EQ(::stat(socketPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0077, 0U);

    // A client that sends something else, one that says nothing and one that never stops
    // do not restore the window, and the next proper request still does.
    auto connectClient = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size());
        EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    const int other = connectClient();
    ASSERT_GT(::write(other, "hello\n", 6), 0);
    ::close(other);
    const int silent = connectClient();
    const int chatty = connectClient();
    const std::string noise(4096, 'x');
    ASSERT_GT(::write(chatty, noise.data(), noise.size()), 0);
    EXPECT_FALSE(restored.wait(300));

    SingleInstance second(QStringLiteral("CZEL_GMouseApp"), folder);
    EXPECT_TRUE(second.askPrimaryToRestore());
    EXPECT_TRUE(restored.wait(2000));
    EXPECT_EQ(restored.count(), 1);
    ::close(silent);
    ::close(chatty);
}

TEST(SingleInstance, ALeftOverSocketOfACrashedInstanceIsTakenOver) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.str());
    test::writeFile(dir.path() / "CZEL_GMouseApp", "left over");
    SingleInstance first(QStringLiteral("CZEL_GMouseApp"), folder);
    ASSERT_TRUE(first.becomePrimary());
    QSignalSpy restored(&first, &SingleInstance::restoreRequested);
    SingleInstance second(QStringLiteral("CZEL_GMouseApp"), folder);
    EXPECT_TRUE(second.askPrimaryToRestore());
    EXPECT_TRUE(restored.wait(2000));
}
