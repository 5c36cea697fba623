#include "presentation/SkinLayout.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

std::string funString(const std::string& extra) {
    std::string s = "[FUN_STRING]\n";
    for (int c = 1; c < 48; ++c) {
        s += std::to_string(c) + "=F" + std::to_string(c) + "\n";
    }
    return s + extra;
}

TEST(SkinLayout, MainFileWithFunctionNamesAndSpecialFunctions) {
    test::TempDir dir;
    test::writeFile(dir.path() / "skin_main.ini",
                    "[BUTTONPOS]\n1=Exit,900,10,24,24,Close,\n2=a,1,2,3,4\n3=b,x5,7y,-3,abc,L,\n" +
                        funString("30000=S0\n30001=S1\n30002=S2\n30003=S3\n30004=S4\n"));
    ini::IniStore store;
    test::RecordingWarningSink warnings;
    SkinLayout layout;
    ASSERT_EQ(loadSkin(store, dir.str(), SkinFile::Main, layout, {&warnings, nullptr}, "None"),
              LoadStatus::Ok);
    ASSERT_EQ(layout.areas.size(), 75u);
    const Area& exit = layout.area(1);
    EXPECT_EQ(exit.x, 900);
    EXPECT_EQ(exit.y, 10);
    EXPECT_EQ(exit.width, 24);
    EXPECT_EQ(exit.height, 24);
    EXPECT_EQ(exit.label, "Close");
    EXPECT_TRUE(layout.area(2).empty()); // four commas: no rectangle
    EXPECT_EQ(layout.area(3).x, 0);      // non-numeric: leading number or 0
    EXPECT_EQ(layout.area(3).y, 7);
    EXPECT_EQ(layout.area(3).width, 0); // a negative width reads as none
    EXPECT_TRUE(layout.area(0).empty());
    EXPECT_TRUE(layout.area(200).empty());
    EXPECT_EQ(layout.functionName(0), "None");
    EXPECT_EQ(layout.functionName(23), "F23");
    EXPECT_EQ(layout.functionName(30004), "S4");
    EXPECT_EQ(layout.functionName(48), "");

    // Names 12..17 take positions 1..6, the keys 30000..30004 positions 7..11; 18 never.
    ASSERT_EQ(layout.specialFunctions.size(), 11u);
    EXPECT_EQ(layout.specialFunctions[0].key, "12");
    EXPECT_EQ(layout.specialFunctions[0].position, 1);
    EXPECT_EQ(layout.specialFunctions[5].key, "17");
    EXPECT_EQ(layout.specialFunctions[5].position, 6);
    EXPECT_EQ(layout.specialFunctions[6].key, "30000");
    EXPECT_EQ(layout.specialFunctions[6].position, 7);
    EXPECT_EQ(layout.specialFunctions[10].position, 11);
    EXPECT_TRUE(warnings.warnings.empty());
}

TEST(SkinLayout, SpecialFunctionPositionsSkipEmptyNames) {
    test::TempDir dir;
    std::string s = "[FUN_STRING]\n0=Nothing\n12=A\n13=B\n15=D\n16=E\n17=F\n18=Mode\n30000=S0\n"
                    "30002=0123456789ABCDEF\n";
    test::writeFile(dir.path() / "skin_main.ini", s);
    ini::IniStore store;
    SkinLayout layout;
    ASSERT_EQ(loadSkin(store, dir.str(), SkinFile::Main, layout, {}, "Other1"), LoadStatus::Ok);
    ASSERT_EQ(layout.specialFunctions.size(), 8u);
    EXPECT_EQ(layout.specialFunctions[0].key, "0");
    EXPECT_EQ(layout.specialFunctions[0].name, "Nothing");
    EXPECT_EQ(layout.specialFunctions[0].position, 0);
    EXPECT_EQ(layout.specialFunctions[5].key, "17");
    EXPECT_EQ(layout.specialFunctions[5].position, 5);
    EXPECT_EQ(layout.specialFunctions[6].key, "30000");
    EXPECT_EQ(layout.specialFunctions[6].position, 6);
    EXPECT_EQ(layout.specialFunctions[7].name, "0123456789ABCD"); // bound 14
    EXPECT_EQ(layout.functionName(0), "Other1");
    EXPECT_EQ(layout.functionName(18), "Mode");
}

TEST(SkinLayout, MacroAndWeaponSectionsInCornerForm) {
    test::TempDir dir;
    test::writeFile(dir.path() / "skin_mac.ini",
                    "[BUTTONPOS]\n4=rec,10,20,30,40,Rec,\n[EDIT]\n0=e,1,2,3,4,,\n"
                    "[MACRODISPLAY]\n0=x,9,9,9,9,,\n1=m,100,200,50,60,,\n3=l,5,6,7,8,,\n");
    ini::IniStore store;
    SkinLayout layout;
    ASSERT_EQ(loadSkin(store, dir.str(), SkinFile::Mac, layout, {}), LoadStatus::Ok);
    EXPECT_EQ(layout.areas.size(), 20u);
    EXPECT_EQ(layout.edits[0].right, 4);
    EXPECT_EQ(layout.edits[0].bottom, 6);
    EXPECT_EQ(layout.macroDisplays[0].left, 100);
    EXPECT_EQ(layout.macroDisplays[0].right, 150);
    EXPECT_EQ(layout.macroDisplays[0].bottom, 260);
    EXPECT_EQ(layout.macroDisplays[1].right, 0);
    EXPECT_EQ(layout.macroDisplays[2].right, 12);
}

TEST(SkinLayout, MissingFilesReportOncePerLoad) {
    test::TempDir dir;
    ini::IniStore store;
    test::RecordingWarningSink warnings;
    test::RecordingMessageSink messages;
    SkinLayout layout;
    layout.areas.resize(3);
    EXPECT_EQ(loadSkin(store, dir.str(), SkinFile::Color, layout, {&warnings, &messages}),
              LoadStatus::FileMissing);
    EXPECT_EQ(layout.areas.size(), 103u);
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::FileMissing});
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(loadSkin(store, dir.str(), SkinFile::Sound, layout, {&warnings, &messages}),
              LoadStatus::FileMissing);
    EXPECT_EQ(layout.areas.size(), 50u);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"找不到配置文件"});
    EXPECT_EQ(warnings.warnings.size(), 1u);
}

TEST(SkinLayout, DialogFilesSplitFourCommasAndWarnPerBadEntry) {
    test::TempDir dir;
    test::writeFile(
        dir.path() / "skin_keyset.ini",
        "[BUTTONPOS]\n0=a,1,2,3,4\n1=b,1,2,3,4,Label,x,y,z\n2=" + std::string(3000, ',') + "\n");
    ini::IniStore store;
    test::RecordingMessageSink messages;
    SkinLayout layout;
    ASSERT_EQ(loadSkin(store, dir.str(), SkinFile::KeySet, layout, {nullptr, &messages}),
              LoadStatus::Ok);
    EXPECT_EQ(layout.area(0).height, 4);
    EXPECT_EQ(layout.area(1).label, "Label");
    EXPECT_EQ(messages.messages, (std::vector<std::string>{"加载ini错误！", "加载ini错误！"}));
}

TEST(SkinLayout, RectanglesAreClampedIntoTheLayoutRangeAndKeptInsideIt) {
    // Field text -> x (and y) as read, and width (and height) as read.
    struct Row {
        const char* text;
        std::int32_t coordinate;
        std::int32_t extent;
    };
    for (const Row& r :
         {Row{"2147483647", 32767, 32767}, Row{"-2147483648", -32768, 0},
          Row{"4294967296", 0, 0}, // wraps to 0 as it is parsed
          Row{"99999999999", 32767, 32767}, Row{"-1", -1, 0}, Row{"0", 0, 0},
          Row{"32767", 32767, 32767}, Row{"32768", 32767, 32767}, Row{"-32768", -32768, 0},
          Row{"-32769", -32768, 0}, Row{"920", 920, 920}, Row{"-12", -12, 0}}) {
        EntryFields fields{"e", r.text, r.text, r.text, r.text, "L", ""};
        const Area a = areaFromFields(fields);
        EXPECT_EQ(a.x, r.coordinate) << r.text;
        EXPECT_EQ(a.y, r.coordinate) << r.text;
        EXPECT_EQ(a.width, r.extent) << r.text;
        EXPECT_EQ(a.height, r.extent) << r.text;
    }

    test::TempDir dir;
    test::writeFile(dir.path() / "skin_mac.ini",
                    "[BUTTONPOS]\n0=a,2147483647,-2147483648,2147483647,-2147483648,L,\n"
                    "1=b,-2147483648,2147483647,-1,2147483647,,\n"
                    "[EDIT]\n0=e,2147483647,2147483647,2147483647,2147483647,,\n"
                    "[MACRODISPLAY]\n1=m,-2147483648,-2147483648,2147483647,2147483647,,\n");
    ini::IniStore store;
    SkinLayout layout;
    ASSERT_EQ(loadSkin(store, dir.str(), SkinFile::Mac, layout, {}), LoadStatus::Ok);
    const Area& a = layout.area(0);
    EXPECT_EQ(a.x, 32767);
    EXPECT_EQ(a.y, -32768);
    EXPECT_EQ(a.width, 32767);
    EXPECT_EQ(a.height, 0);
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.label, "L");
    EXPECT_FALSE(a.contains(32767, -32768));
    const Area& b = layout.area(1);
    EXPECT_EQ(b.x, -32768);
    EXPECT_EQ(b.y, 32767);
    EXPECT_EQ(b.width, 0);
    EXPECT_EQ(b.height, 32767);
    EXPECT_EQ(layout.edits[0].left, 32767);
    EXPECT_EQ(layout.edits[0].right, 65534);
    EXPECT_EQ(layout.edits[0].bottom, 65534);
    EXPECT_EQ(layout.macroDisplays[0].left, -32768);
    EXPECT_EQ(layout.macroDisplays[0].right, -1);
    EXPECT_EQ(hitTest(layout, 2147483647, 2147483647, 19), 255);
}

TEST(SkinLayout, HitTestScansInIndexOrderUpToLast) {
    SkinLayout layout;
    layout.areas = {{0, 0, 10, 10, ""}, {5, 5, 10, 10, ""}, {20, 20, 5, 5, ""}};
    EXPECT_EQ(hitTest(layout, 6, 6, 2), 0); // the earlier element wins
    EXPECT_EQ(hitTest(layout, 12, 12, 2), 1);
    EXPECT_EQ(hitTest(layout, 10, 10, 2), 1); // right and bottom edges are outside
    EXPECT_EQ(hitTest(layout, 22, 22, 1), 255);
    EXPECT_EQ(hitTest(layout, 22, 22, 137), 2);
    EXPECT_EQ(hitTest(layout, -1, 0, 2), 255);
}

} // namespace
} // namespace zel
