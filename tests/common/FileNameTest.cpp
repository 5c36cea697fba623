#include "common/FileChooser.h"

#include <gtest/gtest.h>

using zel::fileNameFrom;

TEST(FileNameFrom, KeepsNamesAndReplacesWhatAFolderCannotHold) {
    EXPECT_EQ(fileNameFrom("Bunny Hop", "macro"), "Bunny Hop");
    EXPECT_EQ(fileNameFrom("跳跃 宏", "macro"), "跳跃 宏");
    EXPECT_EQ(fileNameFrom("a/b\\c", "macro"), "a_b_c");
    EXPECT_EQ(fileNameFrom(std::string("x\ny\0z", 5), "macro"), "x_y_z");
    // Names that would mean a folder or nothing at all.
    EXPECT_EQ(fileNameFrom("", "macro"), "macro");
    EXPECT_EQ(fileNameFrom("..", "macro"), "macro");
    EXPECT_EQ(fileNameFrom(" . ", "macro"), "macro");
}
