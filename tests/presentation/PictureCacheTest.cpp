#include "presentation/PictureCache.h"

#include "GuiApp.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace zel {
namespace {

namespace fs = std::filesystem;

QString qpath(const fs::path& p) {
    return QString::fromStdString(p.string());
}

/// A picture with a different colour in each quarter, so that a mix-up shows.
QImage quarters(QRgb a, QRgb b) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(a);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) {
            image.setPixel(x, y, b);
        }
    }
    return image;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(ReadPicture, FormatFromTheNameOrElseFromTheContent) {
    test::ensureGuiApp();
    test::TempDir dir;
    const QImage picture = quarters(qRgb(0, 0, 0), qRgb(255, 255, 255));
    ASSERT_TRUE(picture.save(qpath(dir.path() / "a.png"), "PNG"));
    ASSERT_TRUE(picture.save(qpath(dir.path() / "b.jpg"), "JPG"));
    ASSERT_TRUE(picture.save(qpath(dir.path() / "c.jpg"), "PNG")); // a PNG named .jpg

    EXPECT_EQ(readPicture(qpath(dir.path() / "a.png")).pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(readPicture(qpath(dir.path() / "b.jpg")).size(), QSize(64, 48));
    EXPECT_EQ(readPicture(qpath(dir.path() / "c.jpg")).pixel(40, 40), qRgb(0, 0, 0));
    EXPECT_TRUE(readPicture(qpath(dir.path() / "missing.jpg")).isNull());
    EXPECT_TRUE(readPicture(qpath(dir.path())).isNull()); // a folder
    test::writeFile(dir.path() / "text.jpg", "not a picture");
    EXPECT_TRUE(readPicture(qpath(dir.path() / "text.jpg")).isNull());
}

struct CacheFixture : ::testing::Test {
    test::TempDir dir;
    fs::path cacheFolder;
    fs::path source;

    void SetUp() override {
        test::ensureGuiApp();
        cacheFolder = dir.path() / "cache" / "pictures";
        source = dir.path() / "main_normal.png";
        ASSERT_TRUE(quarters(qRgb(10, 20, 30), qRgb(200, 100, 0)).save(qpath(source), "PNG"));
    }
};

TEST_F(CacheFixture, SecondReadComesFromTheEntryUntilThePictureChanges) {
    PictureCache cache(cacheFolder.string());
    const QImage first = cache.read(qpath(source));
    cache.flush();
    ASSERT_EQ(first.pixel(1, 1), qRgb(200, 100, 0));
    const fs::path entry = cache.entryPath(qpath(source));
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_EQ(cache.read(qpath(source)), first);

    // Pixels changed inside the entry show that the entry, not the file, was read.
    std::string bytes = readBytes(entry);
    const auto pixelStart = bytes.size() - static_cast<std::size_t>(first.sizeInBytes());
    bytes[pixelStart] = static_cast<char>(0x55); // blue of pixel (0, 0)
    writeBytes(entry, bytes);
    EXPECT_EQ(qBlue(cache.read(qpath(source)).pixel(0, 0)), 0x55);

    // A new picture under the same name is decoded again and replaces the entry.
    const auto mtime = fs::last_write_time(source);
    ASSERT_TRUE(quarters(qRgb(1, 2, 3), qRgb(4, 5, 6)).save(qpath(source), "PNG"));
    fs::last_write_time(source, mtime + std::chrono::seconds(5));
    EXPECT_EQ(cache.read(qpath(source)).pixel(1, 1), qRgb(4, 5, 6));
    cache.flush();
    EXPECT_EQ(cache.read(qpath(source)).pixel(1, 1), qRgb(4, 5, 6));
    fs::remove(source);
    EXPECT_TRUE(cache.read(qpath(source)).isNull()); // a missing file is not served
}

TEST_F(CacheFixture, BrokenOrForeignEntriesAreNeverShown) {
    PictureCache cache(cacheFolder.string());
    const QImage truth = cache.read(qpath(source));
    cache.flush();
    const fs::path entry = cache.entryPath(qpath(source));
    const std::string whole = readBytes(entry);

    writeBytes(entry, whole.substr(0, whole.size() - 100)); // cut short
    EXPECT_EQ(cache.read(qpath(source)), truth);
    cache.flush();
    writeBytes(entry, whole.substr(0, 20)); // not even a header
    EXPECT_EQ(cache.read(qpath(source)), truth);
    cache.flush();
    writeBytes(entry, std::string(whole.size(), '\xff')); // garbage of the right size
    EXPECT_EQ(cache.read(qpath(source)), truth);
    cache.flush();

    // Another picture's entry under this picture's name (as after a name collision).
    const fs::path other = dir.path() / "other.png";
    ASSERT_TRUE(quarters(qRgb(9, 9, 9), qRgb(9, 9, 9)).save(qpath(other), "PNG"));
    static_cast<void>(cache.read(qpath(other)));
    cache.flush();
    fs::copy_file(cache.entryPath(qpath(other)), entry, fs::copy_options::overwrite_existing);
    EXPECT_EQ(cache.read(qpath(source)), truth);
}

TEST_F(CacheFixture, TemporaryFilesOfEndedWritersAreCleanedUp) {
    fs::create_directories(cacheFolder);
    // A pid beyond the kernel's limit belongs to no process; this process is alive.
    const fs::path abandoned = cacheFolder / "0123456789abcdef.pix.tmp999999999.3";
    const fs::path ours =
        cacheFolder / ("0123456789abcdef.pix.tmp" + std::to_string(::getpid()) + ".7");
    test::writeFile(abandoned, "half an entry");
    test::writeFile(ours, "being written");
    PictureCache cache(cacheFolder.string());
    static_cast<void>(cache.read(qpath(source)));
    cache.flush();
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(ours));
    EXPECT_TRUE(fs::exists(cache.entryPath(qpath(source))));
}

TEST_F(CacheFixture, AFolderThatCannotBeWrittenOnlyCostsSpeed) {
    test::writeFile(dir.path() / "blocker", "a file where the folder should be");
    PictureCache cache((dir.path() / "blocker" / "pictures").string());
    EXPECT_EQ(cache.read(qpath(source)).pixel(1, 1), qRgb(200, 100, 0));
    cache.flush();
    EXPECT_EQ(cache.read(qpath(source)).pixel(1, 1), qRgb(200, 100, 0));

    PictureCache none{std::string()};
    EXPECT_EQ(none.read(qpath(source)).pixel(1, 1), qRgb(200, 100, 0));
    EXPECT_FALSE(fs::exists(cacheFolder));
}

} // namespace
} // namespace zel
