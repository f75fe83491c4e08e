#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "disk/drive.h"
#include "disk/image_medium.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

// Two drives on one image file stand for two programs: each opens the file on its own, and
// flock(2) keeps their locks apart even within one process.
TEST(DriveLock, OneProgramAtATimeHoldsAnImageAndKeepsItAcrossAReinsert) {
    tests::TempDir dir;
    const std::string path = dir.File("disk.img");
    std::string error;
    ASSERT_TRUE(CreateBlankImage(path, error)) << error;
    CDrive mine, other, third;
    ASSERT_TRUE(mine.Insert(path, error)) << error;
    ASSERT_TRUE(other.Insert(path, error)) << error;
    ASSERT_TRUE(third.Insert(path, error)) << error;

    std::uint8_t sector[kSectorSize] = {};
    {
        DriveLock held(mine);
        ASSERT_TRUE(held.Held());
        DriveLock refused(other);
        EXPECT_FALSE(refused.Held());
        EXPECT_NE(refused.Error().find(path + " is in use by another program (process " +
                                       std::to_string(::getpid())),
                  std::string::npos)
            << refused.Error();
        // A second hold of the same program is counted, not refused.
        DriveLock again(mine);
        EXPECT_TRUE(again.Held());

        // The same image put into the drive again (its sidecar re-read) stays held.
        ASSERT_TRUE(mine.Insert(path, error)) << error;
        EXPECT_FALSE(DriveLock(third).Held());
        EXPECT_TRUE(mine.Write(5, 1, sector));

        // Taken out of the held drive, for another image or none, it stays held; back in the
        // drive (by another spelling of its path), it is this program's again.
        const std::string second = dir.File("second.img");
        ASSERT_TRUE(CreateBlankImage(second, error)) << error;
        ASSERT_TRUE(mine.Insert(second, error)) << error;
        EXPECT_FALSE(DriveLock(third).Held());
        mine.Eject();
        EXPECT_FALSE(DriveLock(third).Held());
        ASSERT_TRUE(mine.Insert(dir.File("./disk.img"), error)) << error;
        EXPECT_TRUE(mine.Write(5, 1, sector));
        EXPECT_FALSE(DriveLock(third).Held());

        // What comes into a held drive while another program has it refuses every request.
        ASSERT_TRUE(other.Insert(dir.File("none.img"), error));  // an empty drive
        {
            DriveLock otherHolds(other);
            ASSERT_TRUE(otherHolds.Held());
            ASSERT_TRUE(other.Insert(path, error)) << error;
            EXPECT_EQ(other.Read(0, 1, sector).Error(), IoError::InUse);
        }
    }
    // Given back: now the other program may have it.
    DriveLock later(other);
    EXPECT_TRUE(later.Held());
}

}  // namespace
}  // namespace orv
