#include "common/GuardedMain.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace zel {
namespace {

TEST(GuardedMain, PassesTheStatusOnAndTurnsAnEscapingExceptionIntoStatusTwo) {
    EXPECT_EQ(guardedMain("prog", [] { return 0; }), 0);
    EXPECT_EQ(guardedMain("prog", [] { return 1; }), 1);

    testing::internal::CaptureStderr();
    const int fromStd = guardedMain("prog", []() -> int { throw std::runtime_error("loop"); });
    const std::string stdText = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fromStd, 2);
    EXPECT_EQ(stdText, "prog: unexpected error: loop\n");

    testing::internal::CaptureStderr();
    const int fromOther = guardedMain("prog", []() -> int { throw 42; });
    const std::string otherText = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fromOther, 2);
    EXPECT_EQ(otherText, "prog: unexpected error\n");
}

} // namespace
} // namespace zel
