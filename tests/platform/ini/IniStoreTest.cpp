#include "platform/ini/IniStore.h"

#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace zel::ini;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

class IniStoreTest : public ::testing::Test {
protected:
    std::string file(const std::string& name = "settings.ini") const {
        return (dir.path() / name).string();
    }
    TempDir dir;
    IniStore ini;
};

} // namespace

TEST_F(IniStoreTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(ini.read(file("absent.ini"), "Init", "CurConfig", 4), "");
    writeFile(file(), "[Init]\nCurConfig=2\n");
    EXPECT_EQ(ini.read(file(), "Other", "CurConfig", 4), "");
    EXPECT_EQ(ini.read(file(), "Init", "Missing", 4), "");
    EXPECT_EQ(ini.readInt(file(), "Init", "CurConfig", 4), 2);
}

TEST_F(IniStoreTest, ReadsAreBoundedAndNamesCaseInsensitiveAndTrimmed) {
    writeFile(file(), "  [ ShareData ]  \r\n  FIRE_TIME  =  12345  \r\nname=游戏鼠标X\r\n");
    EXPECT_EQ(ini.read(file(), "sharedata", "fire_time", 4), "1234");
    EXPECT_EQ(ini.read(file(), "SHAREDATA", "FIRE_TIME", 259), "12345");
    EXPECT_EQ(ini.read(file(), "ShareData", "name", 2), "游戏");
}

TEST_F(IniStoreTest, FirstOfDuplicateKeysAndSectionsCounts) {
    writeFile(file(), "[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(ini.read(file(), "A", "k", 9), "1");
    EXPECT_EQ(ini.read(file(), "A", "j", 9), "");
    ASSERT_TRUE(ini.write(file(), "A", "K", "9"));
    EXPECT_EQ(readFile(file()), "[A]\nK=9\nk=2\n[a]\nk=3\nj=4\n");
}

TEST_F(IniStoreTest, WriteReplacesInPlaceAppendsAndKeepsComments) {
    writeFile(file(),
              "; settings\n[Init]\nCurConfig=1 ; old\nodd line\n\n[ShareData]\nDPI_LEVEL=2\n");
    ASSERT_TRUE(ini.write(file(), "init", "curconfig", "3"));
    ASSERT_TRUE(ini.write(file(), "Init", "VER_SEL", "1"));
    ASSERT_TRUE(ini.write(file(), "Config0", "K0", "1"));
    EXPECT_EQ(readFile(file()), "; settings\n[Init]\ncurconfig=3\nodd line\nVER_SEL=1\n\n"
                                "[ShareData]\nDPI_LEVEL=2\n[Config0]\nK0=1\n");
}

TEST_F(IniStoreTest, WriteCreatesAMissingFileButNotAMissingFolder) {
    ASSERT_TRUE(ini.write(file("new.ini"), "Init", "CurConfig", "0"));
    EXPECT_EQ(readFile(file("new.ini")), "[Init]\nCurConfig=0\n");
    EXPECT_FALSE(ini.write((dir.path() / "no" / "such.ini").string(), "Init", "K", "1"));
}

TEST_F(IniStoreTest, CrlfFilesKeepTheirLineEndsAndBom) {
    writeFile(file(), "\xEF\xBB\xBF[Init]\r\nCurConfig=1\r\n");
    EXPECT_EQ(ini.read(file(), "Init", "CurConfig", 4), "1");
    ASSERT_TRUE(ini.write(file(), "Init", "VER_SEL", "0"));
    EXPECT_EQ(readFile(file()), "\xEF\xBB\xBF[Init]\r\nCurConfig=1\r\nVER_SEL=0\r\n");
}

TEST_F(IniStoreTest, ValuesCannotInjectLines) {
    ASSERT_TRUE(ini.write(file(), "Init", "K", "1\n[Evil]\nX=2"));
    EXPECT_EQ(ini.read(file(), "Init", "K", 99), "1 [Evil] X=2");
    EXPECT_FALSE(ini.hasSection(file(), "Evil"));
}

TEST_F(IniStoreTest, RemovesKeysAndSections) {
    writeFile(file(), "[A]\nx=1\ny=2\n[B]\nz=3\n");
    ASSERT_TRUE(ini.removeKey(file(), "a", "X"));
    ASSERT_TRUE(ini.removeSection(file(), "B"));
    EXPECT_EQ(readFile(file()), "[A]\ny=2\n");
    EXPECT_TRUE(ini.removeKey(file("absent.ini"), "A", "x"));
    EXPECT_FALSE(std::filesystem::exists(file("absent.ini")));
    EXPECT_EQ(ini.keys(file(), "A"), std::vector<std::string>{"y"});
}

TEST_F(IniStoreTest, BadInputNeverCrashesAndLosesNothingElse) {
    std::string garbage = "[Init]\nCurConfig=2\n";
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    }
    garbage += "\n[Broken\nkey without equals\n=novalue\n[Big]\nv=" + std::string(1 << 20, 'x') +
               "\n[Init]\nCurConfig=3\n";
    writeFile(file(), garbage);
    EXPECT_EQ(ini.read(file(), "Init", "CurConfig", 4), "2");
    EXPECT_EQ(ini.read(file(), "Big", "v", 10), "xxxxxxxxxx");
    EXPECT_EQ(ini.read(file(), "Big", "v", 2u << 20).size(), 1u << 20);
    EXPECT_EQ(ini.read(file(), "Broken", "key without equals", 9), "");
    ASSERT_TRUE(ini.write(file(), "Broken", "a", "1"));
    EXPECT_EQ(ini.read(file(), "Broken", "a", 9), "1");
    // Everything else of the file survived byte for byte.
    const std::string after = readFile(file());
    EXPECT_NE(after.find(garbage.substr(0, 4096)), std::string::npos);
    EXPECT_NE(after.find("v=" + std::string(1 << 20, 'x')), std::string::npos);
}

TEST_F(IniStoreTest, ReadOnlyFileIsNotWritten) {
    writeFile(file(), "[Init]\nCurConfig=1\n");
    ::chmod(file().c_str(), 0444);
    EXPECT_FALSE(ini.write(file(), "Init", "CurConfig", "2"));
    EXPECT_EQ(readFile(file()), "[Init]\nCurConfig=1\n");
    EXPECT_EQ(ini.read(file(), "Init", "CurConfig", 4), "1");
}

TEST_F(IniStoreTest, UnchangedFileIsParsedOnceAndOutsideChangesAreSeen) {
    writeFile(file(), "[A]\nx=1\n");
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(ini.read(file(), "A", "x", 4), "1");
    }
    EXPECT_EQ(ini.parseCount(), 1u);
    // Replaced behind the store's back (a copy over the file): the new content is read.
    const std::string other = (dir.path() / "other.ini").string();
    writeFile(other, "[A]\nx=22\n");
    std::filesystem::rename(other, file());
    EXPECT_EQ(ini.read(file(), "A", "x", 4), "22");
    // Own writes do not cost a parse.
    const auto before = ini.parseCount();
    ASSERT_TRUE(ini.write(file(), "A", "y", "3"));
    EXPECT_EQ(ini.read(file(), "A", "y", 4), "3");
    EXPECT_EQ(ini.parseCount(), before);
}

TEST_F(IniStoreTest, BatchIsOneReplaceWithSequentialSemantics) {
    writeFile(file(), "[A]\nx=1\n");
    {
        auto b = ini.batch(file());
        b.write("A", "x", "2");
        b.write("A", "x", "3");
        b.write("B", "y", "4");
        b.removeKey("A", "nothing");
        // Not on disk before the commit.
        EXPECT_EQ(readFile(file()), "[A]\nx=1\n");
        ASSERT_TRUE(b.commit());
    }
    EXPECT_EQ(readFile(file()), "[A]\nx=3\n[B]\ny=4\n");
    {
        auto b = ini.batch(file());
        b.write("A", "x", "9"); // dropped without a commit
    }
    EXPECT_EQ(ini.read(file(), "A", "x", 4), "3");
}

TEST_F(IniStoreTest, ConcurrentWritersNeverLoseKeys) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < 25; ++i) {
                ini.write(file(), "S" + std::to_string(t), "K" + std::to_string(i),
                          std::to_string(t * 100 + i));
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    IniStore fresh;
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 25; ++i) {
            EXPECT_EQ(fresh.readInt(file(), "S" + std::to_string(t), "K" + std::to_string(i), 9),
                      t * 100 + i);
        }
    }
    // No temporary files are left behind.
    int count = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++count;
    }
    EXPECT_EQ(count, 1);
}
