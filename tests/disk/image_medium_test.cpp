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

// A ddrescue mapfile that gives the sectors listed as bad and every other one as finished.
std::string Mapfile(std::initializer_list<int> bad) {
    std::string text = "# test\n0 +\n";
    std::int64_t at = 0;
    auto block = [&](std::int64_t end, char status) {
        if (end > at)
            text += std::to_string(at) + " " + std::to_string(end - at) + " " + status + "\n";
        at = end;
    };
    for (int s : bad) {
        block(std::int64_t(s) * kSectorSize, '+');
        block(std::int64_t(s + 1) * kSectorSize, '-');
    }
    block(kImageSize, '+');
    return text;
}

TEST_F(ImageMediumTest, AShortImageWithItsMapfileReadsWhatTheMapfileGivesAndGrowsWhenWritten) {
    // ddrescue's output when sector 3 and the last 880 sectors never read.
    Bytes data(std::size_t(2000) * kSectorSize);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i / kSectorSize + 1);
    WriteBytes(path, data);
    WriteText(dir.File("disk.map"),
              "0 -\n0 1536 +\n1536 512 -\n2048 1021952 +\n1024000 450560 -\n");
    ImageMedium image;
    std::string error;
    ASSERT_TRUE(image.Load(path, error)) << error;
    EXPECT_EQ(image.Mapfile(), dir.File("disk.map"));
    Bytes three(3 * kSectorSize);
    ASSERT_TRUE(image.Read(0, 3, three.data()));
    EXPECT_EQ(three[2 * kSectorSize], 3);
    EXPECT_EQ(image.Read(3, 1, sector.data()).Error(), IoError::Unreadable);
    EXPECT_TRUE(image.Read(1999, 1, sector.data()));
    EXPECT_EQ(sector[0], std::uint8_t(2000 % 256));
    // All or nothing: a request that reaches one sector that does not read fails as a whole.
    Bytes run(2 * kSectorSize, 0xEE);
    EXPECT_FALSE(image.Read(2, 2, run.data()));
    EXPECT_EQ(image.Read(1999, 2, run.data()).Error(), IoError::Unreadable);

    // A write past the end is stored (the file grows) and the sector stays unreadable, as a
    // write on a sector that does not read does.
    Bytes mine(kSectorSize, 0x5A);
    ASSERT_TRUE(image.Write(2500, 1, mine.data()));
    EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t(2501) * kSectorSize);
    EXPECT_FALSE(image.Read(2500, 1, sector.data()));
    ASSERT_TRUE(image.Write(3, 1, mine.data()));
    EXPECT_FALSE(image.Read(3, 1, sector.data()));
    EXPECT_EQ(ReadBytes(path)[std::size_t(2500) * kSectorSize], 0x5A);

    // Without its mapfile the short image is refused, saying what would take it.
    std::filesystem::remove(dir.File("disk.map"));
    ImageMedium bare;
    EXPECT_FALSE(bare.Load(path, error));
    EXPECT_NE(error.find("mapfile"), std::string::npos) << error;
    // A mapfile that gives the tail as read: the tail still does not read.
    WriteText(dir.File("disk.img.map"), Mapfile({}));
    ASSERT_TRUE(bare.Load(path, error)) << error;
    EXPECT_TRUE(bare.Read(2500, 1, sector.data())) << "written above: the file holds it";
    EXPECT_FALSE(bare.Read(2501, 1, sector.data()));
    EXPECT_FALSE(bare.Read(2879, 1, sector.data()));
}

TEST_F(ImageMediumTest, TheMapfileDecidesWhatReadsAndTheSidecarOnlyWhatFailsWrites) {
    std::string error;
    ASSERT_TRUE(CreateBlankImage(path, error)) << error;
    WriteText(path + ".faults", "unreadable 10\nunwritable 11\nbad 12-13\n");
    const std::string map = dir.File("elsewhere.map");
    WriteText(map, Mapfile({11, 13, 20}));
    ImageMedium image;
    ASSERT_TRUE(image.Load(path, error, map)) << error;
    EXPECT_EQ(image.Mapfile(), map);
    EXPECT_TRUE(image.Read(10, 1, sector.data())) << "the sidecar's unreadable is the map's call";
    EXPECT_TRUE(image.Write(10, 1, sector.data()));
    EXPECT_FALSE(image.Read(11, 1, sector.data()));
    EXPECT_FALSE(image.Write(11, 1, sector.data()));
    EXPECT_TRUE(image.Read(12, 1, sector.data())) << "bad in the sidecar, read in the map";
    EXPECT_FALSE(image.Write(12, 1, sector.data()));
    EXPECT_FALSE(image.Read(13, 1, sector.data()));
    EXPECT_FALSE(image.Write(13, 1, sector.data()));
    EXPECT_FALSE(image.Read(20, 1, sector.data()));
    EXPECT_TRUE(image.Write(20, 1, sector.data())) << "stored, still unreadable";
    EXPECT_FALSE(image.Read(20, 1, sector.data()));

    WriteText(path + ".faults", "write-protected\n");
    ASSERT_TRUE(image.Load(path, error, map)) << error;
    EXPECT_EQ(image.Write(0, 1, sector.data()).Error(), IoError::WriteProtected);
    EXPECT_FALSE(image.Read(20, 1, sector.data()));

    // A named mapfile wins over one beside the image; a named one that is missing is refused.
    WriteText(path + ".map", Mapfile({}));
    ASSERT_TRUE(image.Load(path, error, map)) << error;
    EXPECT_FALSE(image.Read(20, 1, sector.data()));
    CDrive drive;
    EXPECT_FALSE(drive.Insert(path, error, MediumOptions{dir.File("missing.map")}));
    EXPECT_NE(error.find(dir.File("missing.map")), std::string::npos) << error;
    EXPECT_EQ(drive.Medium(), nullptr);
    // One that does not parse: refused with its file and line, the drive keeping what it had.
    ASSERT_TRUE(drive.Insert(path, error)) << error;
    const auto before = drive.Medium();
    WriteText(map, "0 +\n0 512 +\n1024 1473536 +\n");
    EXPECT_FALSE(drive.Insert(path, error, MediumOptions{map}));
    EXPECT_EQ(error.rfind(map + ":3: gap", 0), 0u) << error;
    EXPECT_EQ(drive.Medium(), before);
}

// A file without write permission stays unwritten, also for root (its owner made it so), and
// every writing command is refused up front with a text that names it; a write-protect tab
// (the sidecar's) is no such refusal: a write is tried and fails as on a diskette.
TEST_F(ImageMediumTest, ReadOnlyImageIsRefusedForWritingByName) {
    std::string error;
    ASSERT_TRUE(CreateBlankImage(path, error));
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    ImageMedium image;
    ASSERT_TRUE(image.Load(path, error)) << error;
    EXPECT_TRUE(image.WriteProtected());
    EXPECT_EQ(image.WriteRefusal(), ReadOnlyImageText(path));
    EXPECT_EQ(image.WriteRefusal().rfind(path + " is a read-only file", 0), 0u);
    EXPECT_TRUE(image.Read(0, 1, sector.data()));
    EXPECT_EQ(image.Write(0, 1, sector.data()).Error(), IoError::WriteProtected);

    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    WriteText(path + ".faults", "write-protected\n");
    ImageMedium tab;
    ASSERT_TRUE(tab.Load(path, error)) << error;
    EXPECT_TRUE(tab.WriteProtected());
    EXPECT_EQ(tab.WriteRefusal(), "");
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
