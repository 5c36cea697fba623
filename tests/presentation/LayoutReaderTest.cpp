#include "presentation/LayoutReader.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

EntryFields fields(std::initializer_list<const char*> list) {
    EntryFields f;
    std::size_t i = 0;
    for (const char* s : list) {
        f[i++] = s;
    }
    return f;
}

TEST(LayoutReader, MainVariantFollowsTheCommaCount) {
    EXPECT_EQ(splitMainEntry("Exit,900,10,24,24,Close"),
              fields({"Exit", "900", "10", "24", "24", "Close", ""}));
    // Four commas: the whole value is field 0, so the area stays empty.
    EXPECT_EQ(splitMainEntry("a,1,2,3,4"), fields({"a,1,2,3,4"}));
    EXPECT_EQ(splitMainEntry("a,1,2,3"), fields({"a,1,2,3"}));
    EXPECT_EQ(splitMainEntry("a,b"), fields({"a", "b"}));
    EXPECT_EQ(splitMainEntry("0,Text,"), fields({"0", "Text", ""}));
    EXPECT_EQ(splitMainEntry("plain"), fields({"plain"}));
    EXPECT_EQ(splitMainEntry(""), fields({}));
    // Parts after the seventh are dropped; the seventh does not take the rest.
    EXPECT_EQ(splitMainEntry("a,b,c,d,e,f,g,h,i"), fields({"a", "b", "c", "d", "e", "f", "g"}));
    EXPECT_EQ(splitMainEntry("n,1,2,3,4,Label,"), fields({"n", "1", "2", "3", "4", "Label", ""}));
}

TEST(LayoutReader, DialogVariantKeepsTheRestInFieldSix) {
    bool tooMany = true;
    EXPECT_EQ(splitDialogEntry("a,1,2,3,4", tooMany), fields({"a", "1", "2", "3", "4"}));
    EXPECT_FALSE(tooMany);
    EXPECT_EQ(splitDialogEntry("a,b,c,d,e,f,g,h,i", tooMany),
              fields({"a", "b", "c", "d", "e", "f", "g,h,i"}));
    EXPECT_TRUE(tooMany);
    EXPECT_EQ(splitDialogEntry("whole", tooMany), fields({"whole"}));
    EXPECT_FALSE(tooMany);
    EXPECT_EQ(splitDialogEntry("a,b,c,d,e,f,", tooMany),
              fields({"a", "b", "c", "d", "e", "f", ""}));
    EXPECT_FALSE(tooMany);
}

TEST(LayoutReader, FilesAreReadWithTheirMessages) {
    test::TempDir dir;
    const std::string path = dir.str() + "/skin_x.ini";
    test::writeFile(path, "[BUTTONPOS]\n0=Exit,900,10,24,24,Close,\n1=a,b,c,d,e,f,g,h,i\n");
    ini::IniStore store;
    test::RecordingWarningSink warnings;
    test::RecordingMessageSink messages;

    EXPECT_EQ(readMainEntry(store, path, "BUTTONPOS", 0, &warnings)[5], "Close");
    EXPECT_EQ(readMainEntry(store, path, "BUTTONPOS", 7, &warnings), EntryFields{});
    EXPECT_TRUE(warnings.warnings.empty());

    EXPECT_EQ(readDialogEntry(store, path, "BUTTONPOS", 1, &messages)[6], "g,h,i");
    EXPECT_EQ(messages.messages, std::vector<std::string>{"加载ini错误！"});

    const std::string missing = dir.str() + "/none.ini";
    EXPECT_EQ(readMainEntry(store, missing, "BUTTONPOS", 0, &warnings), EntryFields{});
    EXPECT_EQ(warnings.warnings, std::vector<Tip>{Tip::FileMissing});
    messages.messages.clear();
    EXPECT_EQ(readDialogEntry(store, missing, "BUTTONPOS", 0, &messages), EntryFields{});
    EXPECT_EQ(messages.messages, std::vector<std::string>{"找不到配置文件"});
}

TEST(LayoutReader, LongValuesAreCutToTheBound) {
    test::TempDir dir;
    const std::string path = dir.str() + "/long.ini";
    std::string value = "n,1,2,3,4,";
    value += std::string(10000, 'x');
    test::writeFile(path, "[BUTTONPOS]\n0=" + value + "\n1=" + std::string(5000, ',') + "\n");
    ini::IniStore store;
    const EntryFields f = readMainEntry(store, path, "BUTTONPOS", 0, nullptr);
    EXPECT_EQ(f[1], "1");
    EXPECT_EQ(f[5].size(), kEntryBound - 10);
    test::RecordingMessageSink messages;
    const EntryFields commas = readDialogEntry(store, path, "BUTTONPOS", 1, &messages);
    EXPECT_EQ(commas[6], std::string(kEntryBound - 6, ','));
    EXPECT_EQ(messages.messages.size(), 1u);
}

} // namespace
} // namespace zel
