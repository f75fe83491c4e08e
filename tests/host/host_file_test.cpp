#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "host/host_file.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::ReadBytes;
using tests::TempDir;
using tests::WriteBytes;

TEST(HostFile, ReadHostFileGivesMinusOneAtTheEndNotZero) {
    TempDir dir;
    const std::string path = dir.File("ten.bin");
    WriteBytes(path, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    HostFile file;
    ASSERT_TRUE(file.Open(path, HostFile::Mode::Read));
    std::uint8_t buffer[16] = {};
    EXPECT_EQ(ReadHostFile(file, buffer, 4), 4);
    EXPECT_EQ(ReadHostFile(file, buffer, 16), 6);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(ReadHostFile(file, buffer, 16), -1);
    EXPECT_EQ(ReadHostFile(file, buffer, 16), -1);
}

TEST(HostFile, FailuresComeBackAsMinusOne) {
    TempDir dir;
    const std::string path = dir.File("data.bin");
    WriteBytes(path, {1, 2, 3});
    std::uint8_t buffer[4] = {};

    HostFile closed;
    EXPECT_EQ(ReadHostFile(closed, buffer, 4), -1);
    EXPECT_EQ(WriteHostFile(closed, buffer, 4), -1);

    HostFile reading;
    ASSERT_TRUE(reading.Open(path, HostFile::Mode::Read));
    EXPECT_EQ(WriteHostFile(reading, buffer, 4), -1);  // opened for reading only

    HostFile missing;
    EXPECT_FALSE(missing.Open(dir.File("nope"), HostFile::Mode::ReadWrite));
    EXPECT_FALSE(std::filesystem::exists(dir.File("nope")));
    EXPECT_FALSE(missing.Open(dir.Path().string(), HostFile::Mode::Read));  // a folder
}

TEST(HostFile, WritingAtAPositionAndTruncating) {
    TempDir dir;
    const std::string path = dir.File("out.bin");
    WriteBytes(path, {9, 9, 9, 9, 9, 9});
    {
        HostFile file;
        ASSERT_TRUE(file.Open(path, HostFile::Mode::ReadWrite));
        const std::uint8_t two[2] = {1, 2};
        ASSERT_TRUE(file.Seek(4));
        EXPECT_EQ(WriteHostFile(file, two, 2), 0);
        ASSERT_TRUE(file.SeekEnd());
        EXPECT_EQ(WriteHostFile(file, two, 1), 0);
        EXPECT_EQ(file.Length(), 7);
        EXPECT_TRUE(file.Close());
    }
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{9, 9, 9, 9, 1, 2, 1}));
    HostFile fresh;
    ASSERT_TRUE(fresh.Open(path, HostFile::Mode::CreateTruncate));
    EXPECT_EQ(fresh.Length(), 0);
}

// One HostFile opened again keeps its buffer; nothing of the first file may reach the second.
TEST(HostFile, ReopeningReadsAndWritesOnlyTheNewFile) {
    TempDir dir;
    const std::string first = dir.File("first.bin");
    const std::string second = dir.File("second.bin");
    WriteBytes(first, std::vector<std::uint8_t>(100000, 7));
    WriteBytes(second, {1, 2, 3});
    HostFile file;
    std::vector<std::uint8_t> buffer(100000);
    ASSERT_TRUE(file.Open(first, HostFile::Mode::Read));
    EXPECT_EQ(ReadHostFile(file, buffer.data(), 70000), 70000);  // leaves read-ahead behind
    ASSERT_TRUE(file.Open(second, HostFile::Mode::Read));
    EXPECT_EQ(ReadHostFile(file, buffer.data(), 10), 3);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[2], 3);

    const std::uint8_t five[5] = {5, 5, 5, 5, 5};
    ASSERT_TRUE(file.Open(first, HostFile::Mode::CreateTruncate));
    EXPECT_EQ(WriteHostFile(file, five, 5), 0);
    ASSERT_TRUE(file.Open(second, HostFile::Mode::ReadWrite));  // flushes the five bytes
    ASSERT_TRUE(file.SeekEnd());
    EXPECT_EQ(WriteHostFile(file, five, 1), 0);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(first), (std::vector<std::uint8_t>{5, 5, 5, 5, 5}));
    EXPECT_EQ(ReadBytes(second), (std::vector<std::uint8_t>{1, 2, 3, 5}));
}

TEST(HostFile, StatusCarriesTimeSizeAndAttributes) {
    TempDir dir;
    const std::string path = dir.File(".hidden");
    WriteBytes(path, std::vector<std::uint8_t>(1234, 7));
    ASSERT_TRUE(SetHostFileStatus(path, 1'000'000'000u, ATTR_READONLY));
    HostFileStatus status;
    ASSERT_TRUE(GetHostFileStatus(path, status));
    EXPECT_EQ(status.size, 1234);
    EXPECT_EQ(status.modificationTime, 1'000'000'000u);
    EXPECT_TRUE(status.attributes & ATTR_READONLY);
    EXPECT_TRUE(status.attributes & ATTR_HIDDEN);
    EXPECT_EQ(HostFileSize(path), 1234);

    ASSERT_TRUE(SetHostFileStatus(path, 1'000'000'001u, ATTR_ARCHIVE));
    ASSERT_TRUE(GetHostFileStatus(path, status));
    EXPECT_FALSE(status.attributes & ATTR_READONLY);
    EXPECT_FALSE(GetHostFileStatus(dir.File("missing"), status));
    EXPECT_EQ(HostFileSize(dir.File("missing")), -1);
    EXPECT_GT(HostFreeSpace(dir.File("missing")), 0);
}

}  // namespace
}  // namespace orv
