#include "common/UniqueFd.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace zel {
namespace {

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

TEST(UniqueFd, ClosesExactlyOnceWhicheverWayItIsGivenUp) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int readEnd = ends[0];
    const int writeEnd = ends[1];
    {
        UniqueFd a(readEnd);
        UniqueFd b(std::move(a)); // the moved-from holder no longer owns it
        EXPECT_FALSE(a.valid());
        EXPECT_EQ(b.get(), readEnd);
        UniqueFd c;
        c = std::move(b);
        EXPECT_TRUE(isOpen(readEnd));
    }
    EXPECT_FALSE(isOpen(readEnd));

    UniqueFd w(writeEnd);
    const int given = w.release();
    EXPECT_EQ(given, writeEnd);
    EXPECT_TRUE(isOpen(writeEnd)); // released, not closed
    w.reset(given);
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(isOpen(writeEnd));
    EXPECT_TRUE(w.close()); // nothing held: nothing to fail
}

TEST(UniqueFd, AssigningOverAHeldDescriptorClosesIt) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    UniqueFd first(ends[0]);
    first = UniqueFd(ends[1]);
    EXPECT_FALSE(isOpen(ends[0]));
    EXPECT_EQ(first.get(), ends[1]);
}

} // namespace
} // namespace zel
