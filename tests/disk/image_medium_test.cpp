#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "disk/drive.h"
#include "disk/image_medium.h"
#include "disk/memory_medium.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::ReadBytes;
using tests::TempDir;
using tests::WriteBytes;
using tests::WriteText;

using Bytes = std::vector<std::uint8_t>;

class ImageMediumTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("disk.img");
    Bytes sector = Bytes(kSectorSize, 0);
};

TEST_F(ImageMediumTest, BlankImageIsCreatedOnceAndKeepsWhatIsWritten) {
    std::string error;
    ASSERT_TRUE(CreateBlankImage(path, error)) << error;
    const Bytes blank = ReadBytes(path);
    ASSERT_EQ(blank.size(), std::size_t(kImageSize));
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 0), kImageSize);

    {
        ImageMedium image;
        ASSERT_TRUE(image.Load(path, error)) << error;
        Bytes run(3 * kSectorSize);
        for (std::size_t i = 0; i < run.size(); ++i) run[i] = std::uint8_t(i * 7 + 1);
        ASSERT_TRUE(image.Write(2877, 3, run.data()));
    }
    ImageMedium again;
    ASSERT_TRUE(again.Load(path, error)) << error;
    Bytes back(3 * kSectorSize);
    ASSERT_TRUE(again.Read(2877, 3, back.data()));
    EXPECT_EQ(back[kSectorSize], std::uint8_t(kSectorSize * 7 + 1));
    EXPECT_EQ(ReadBytes(path).size(), std::size_t(kImageSize));

    EXPECT_FALSE(CreateBlankImage(path, error));
    EXPECT_NE(error.find("already exists"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path)[std::size_t(2877) * kSectorSize], 1) << "existing image overwritten";
}

TEST_F(ImageMediumTest, MissingImageIsAnEmptyDriveUntilTheDisketteArrives) {
    ImageMedium image;
    std::string error;
    ASSERT_TRUE(image.Load(path, error)) << error;
    EXPECT_FALSE(image.Present());
    EXPECT_FALSE(image.Read(0, 1, sector.data()));
    EXPECT_FALSE(image.Write(0, 1, sector.data()));
    EXPECT_FALSE(std::filesystem::exists(path)) << "a write must not create the image";

    ASSERT_TRUE(CreateBlankImage(path, error)) << error;
    WriteText(path + ".faults", "unreadable 5\n");
    EXPECT_TRUE(image.Read(0, 1, sector.data()));
    EXPECT_TRUE(image.Present());
    EXPECT_FALSE(image.Read(5, 1, sector.data())) << "the sidecar comes with the diskette";
}

TEST_F(ImageMediumTest, ImageOfAnotherSizeIsRefusedAndLeftAlone) {
    for (std::int64_t size : {kImageSize - 1, kImageSize + 512, std::int64_t{0}}) {
        WriteBytes(path, Bytes(std::size_t(size), 0x11));
        ImageMedium image;
        std::string error;
        EXPECT_FALSE(image.Load(path, error)) << size;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(std::to_string(size)), std::string::npos) << error;
        EXPECT_FALSE(image.Write(0, 1, sector.data()));
        EXPECT_EQ(std::int64_t(std::filesystem::file_size(path)), size);
    }
}

TEST_F(ImageMediumTest, DriveKeepsItsDisketteWhenAnInsertIsRefused) {
    auto previous = std::make_shared<MemoryMedium>();
    CDrive drive;
    drive.InsertMedium(previous, "memory");
    WriteBytes(path, Bytes(1000, 0));
    std::string error;
    EXPECT_FALSE(drive.Insert(path, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(drive.Medium(), previous);
    EXPECT_EQ(drive.Path(), "memory");

    std::filesystem::remove(path);
    ASSERT_TRUE(CreateBlankImage(path, error));
    WriteText(path + ".faults", "bad 1\n# fine\nunwritable 2-x\n");
    EXPECT_FALSE(drive.Insert(path, error));
    EXPECT_NE(error.find("disk.img.faults:3:"), std::string::npos) << error;
    EXPECT_EQ(drive.Medium(), previous);

    WriteText(path + ".faults", "bad 1\n");
    ASSERT_TRUE(drive.Insert(path, error)) << error;
    EXPECT_EQ(drive.Path(), path);
    EXPECT_TRUE(drive.Read(0, 1, sector.data()));
    EXPECT_FALSE(drive.Read(1, 1, sector.data()));
}

TEST_F(ImageMediumTest, ReadOnlyImageIsWriteProtected) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: file permissions do not stop writes";
    std::string error;
    ASSERT_TRUE(CreateBlankImage(path, error));
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    ImageMedium image;
    ASSERT_TRUE(image.Load(path, error)) << error;
    EXPECT_TRUE(image.WriteProtected());
    EXPECT_TRUE(image.Read(0, 1, sector.data()));
    EXPECT_FALSE(image.Write(0, 1, sector.data()));
}

// A program that offers writing (a read-write mount) must know before it writes anything.
TEST_F(ImageMediumTest, WriteProtectionIsKnownBeforeAnyWrite) {
    std::string error;
    CDrive drive;
    EXPECT_FALSE(drive.WriteProtected()) << "an empty drive";
    ASSERT_TRUE(CreateBlankImage(path, error)) << error;
    ASSERT_TRUE(drive.Insert(path, error)) << error;
    EXPECT_FALSE(drive.WriteProtected());
    WriteText(path + ".faults", "write-protected\n");
    ASSERT_TRUE(drive.Insert(path, error)) << error;
    EXPECT_TRUE(drive.WriteProtected());
    EXPECT_FALSE(drive.Write(0, 1, sector.data()));
}

}  // namespace
}  // namespace orv
