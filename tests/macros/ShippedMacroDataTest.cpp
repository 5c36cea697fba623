#include "macros/MacroFiles.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

class ShippedMacroDataTest : public ::testing::Test {
protected:
    std::string config(const std::string& name) const {
        return test::builtAppDir() + "/skins/config/" + name;
    }
    ini::IniStore store;
    MacVkAndText keys;
    test::RecordingWarningSink warnings;
    MacroFiles files{store, keys, warnings, 1};
};

TEST_F(ShippedMacroDataTest, ConstantMacrosReadBackWhole) {
    ConstMacros c;
    files.ReadConstMacros(config("constMacro.dat"), c);
    EXPECT_TRUE(warnings.warnings.empty());
    ASSERT_GE(c.count, 3);
    EXPECT_EQ(c.records[0].nameUtf8(), "Double Click");
    EXPECT_EQ(c.records[0].step(0), (MacroStep{kCodeLeftButton, kActionPress, 0, 0, 20}));
    EXPECT_EQ(c.records[2].nameUtf8(), "Copy");
    EXPECT_EQ(c.records[2].code[0], 224); // left Control
    EXPECT_EQ(c.records[2].code[1], 6);   // C

    // Every constant macro lies within the part of a value the reader takes, so reading the
    // file as a whole group gives the same records.
    MacroGroupState whole;
    files.ReadGroupFile(config("constMacro.dat"), whole);
    ASSERT_EQ(whole.groupMacros.count, c.count);
    for (int i = 0; i < c.count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(c.records[k], whole.groupMacros.records[k]) << i;
        EXPECT_LE(c.records[k].stepCount, 50) << i;
        EXPECT_GE(c.records[k].stepCount, 1) << i;
        EXPECT_FALSE(c.records[k].nameUtf8().empty()) << i;
    }
}

} // namespace
} // namespace zel
