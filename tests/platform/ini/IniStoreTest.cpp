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

// A file that is there but cannot be read whole reads as empty and is never written over:
// a save would otherwise replace every setting of it with nothing.
TEST_F(IniStoreTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    // Larger than the reader takes (a sparse file: no disk space spent).
    writeFile(file("big.ini"), "[Init]\nCurConfig=2\n");
    std::filesystem::resize_file(file("big.ini"), (64u << 20) + 1);
    // A link that points at itself, and a folder where a file should be.
    std::filesystem::create_symlink("loop.ini", file("loop.ini"));
    std::filesystem::create_directory(file("folder.ini"));
    for (const std::string name : {"big.ini", "loop.ini", "folder.ini"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ini.read(file(name), "Init", "CurConfig", 4), "");
        const IniStore::FileCheck check = ini.check(file(name));
        EXPECT_EQ(check.state, IniStore::FileState::Unreadable);
        EXPECT_FALSE(check.problem.empty());
        EXPECT_FALSE(ini.write(file(name), "Init", "CurConfig", "3"));
        auto batch = ini.batch(file(name));
        batch.write("Init", "CurConfig", "3");
        EXPECT_FALSE(batch.commit());
        EXPECT_FALSE(ini.snapshot(file(name)).exists());
        EXPECT_TRUE(ini.snapshot(file(name)).unreadable());
    }
    EXPECT_EQ(std::filesystem::file_size(file("big.ini")), (64u << 20) + 1);
    EXPECT_TRUE(std::filesystem::is_symlink(file("loop.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(file("folder.ini")));
    EXPECT_EQ(ini.check(file("absent.ini")).state, IniStore::FileState::Absent);
    writeFile(file(), "[Init]\n");
    EXPECT_EQ(ini.check(file()).state, IniStore::FileState::Whole);
}

// A Windows editor's "Unicode" file: UTF-16 with or without its mark reads as the same
// text, and a write keeps every key, as UTF-8.
TEST_F(IniStoreTest, Utf16TextIsReadAndWrittenBackAsUtf8) {
    const std::u16string text = u"[Init]\r\nCurConfig=2\r\nname=游戏\r\n";
    const auto utf16 = [&](bool littleEndian, bool mark) {
        std::string bytes = mark ? (littleEndian ? "\xFF\xFE" : "\xFE\xFF") : "";
        for (const char16_t c : text) {
            const char lo = static_cast<char>(c & 0xFF);
            const char hi = static_cast<char>(c >> 8);
            bytes += littleEndian ? std::string{lo, hi} : std::string{hi, lo};
        }
        return bytes;
    };
    writeFile(file("le.ini"), utf16(true, true));
    writeFile(file("be.ini"), utf16(false, true));
    writeFile(file("plain.ini"), "");
    // Without a mark only an ASCII text is told apart: every other byte is zero.
    const std::u16string ascii = u"[Init]\nCurConfig=4\n";
    std::string unmarked;
    for (const char16_t c : ascii) {
        unmarked += std::string{static_cast<char>(c), '\0'};
    }
    writeFile(file("unmarked.ini"), unmarked);
    EXPECT_EQ(ini.read(file("le.ini"), "Init", "CurConfig", 4), "2");
    EXPECT_EQ(ini.read(file("le.ini"), "Init", "name", 9), "游戏");
    EXPECT_EQ(ini.read(file("be.ini"), "Init", "name", 9), "游戏");
    EXPECT_EQ(ini.read(file("unmarked.ini"), "Init", "CurConfig", 4), "4");
    ASSERT_TRUE(ini.write(file("le.ini"), "Init", "Extra", "1"));
    const std::string after = readFile(file("le.ini"));
    EXPECT_NE(after.find("CurConfig=2"), std::string::npos);
    EXPECT_NE(after.find("name=游戏"), std::string::npos);
    EXPECT_NE(after.find("Extra=1"), std::string::npos);
    // Marked as UTF-16 but cut in the middle of a character: not read, not written.
    writeFile(file("cut.ini"), utf16(true, true) + "\x3D");
    EXPECT_EQ(ini.check(file("cut.ini")).state, IniStore::FileState::Unreadable);
    EXPECT_FALSE(ini.write(file("cut.ini"), "Init", "CurConfig", "1"));
}

// Settings kept elsewhere (a dotfile repository) and linked in: a write replaces the file
// the links end at, and the links stay links.
TEST_F(IniStoreTest, WritesGoToTheFileALinkPointsAt) {
    std::filesystem::create_directory(file("repo"));
    writeFile(file("repo/settings.ini"), "[Init]\nCurConfig=1\n");
    std::filesystem::create_symlink("repo/settings.ini", file("middle.ini"));
    std::filesystem::create_symlink(file("middle.ini"), file("linked.ini"));
    ASSERT_TRUE(ini.write(file("linked.ini"), "Init", "CurConfig", "3"));
    EXPECT_TRUE(std::filesystem::is_symlink(file("linked.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(file("middle.ini")));
    EXPECT_EQ(readFile(file("repo/settings.ini")), "[Init]\nCurConfig=3\n");
    EXPECT_EQ(ini.read(file("linked.ini"), "Init", "CurConfig", 4), "3");
}
