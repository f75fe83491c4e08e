#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "disk/drive.h"
#include "disk/drive_timing.h"
#include "disk/memory_medium.h"

namespace orv {
namespace {

constexpr double kSlot = 200.0 / 18.0;

TEST(DriveTimingModel, ARequestWaitsForItsSectorAndPassesOneSlotPerSector) {
    DriveTimingModel model;
    const auto& c = model.Constants();
    // Sector 1 of track 0 has just passed once the command is issued: a whole turn less the
    // overhead, then one slot.
    EXPECT_NEAR(model.Request(0, 1), 200.0 + kSlot, 1e-9);
    // A whole track from its first sector takes one turn once the head is there.
    DriveTimingModel fresh;
    const double track = fresh.Request(0, 18);
    EXPECT_NEAR(track, 200.0 + 18 * kSlot, 1e-9);
    EXPECT_NEAR(fresh.PhysicalLimitMs(2880), 32000.0, 1e-6);
    EXPECT_GT(c.commandOverheadMs, c.gapMs);  // why back-to-back requests lose a turn
}

TEST(DriveTimingModel, BackToBackSingleSectorRequestsLoseATurnEach) {
    DriveTimingModel model;
    model.Request(0, 1);
    const double before = model.ElapsedMs();
    for (int s = 1; s < 10; ++s) model.Request(s, 1);
    const double perSector = (model.ElapsedMs() - before) / 9;
    EXPECT_NEAR(perSector, 200.0 + kSlot, 1e-6);  // a whole turn lost each time
}

TEST(DriveTimingModel, ARunCrossesHeadsWithoutLosingATurnButASeekDoes) {
    DriveTimingModel heads;
    heads.Request(0, 1);
    const double t0 = heads.ElapsedMs();
    heads.Request(1, 35);  // rest of head 0, all of head 1: no turn lost at the switch
    EXPECT_LT(heads.ElapsedMs() - t0, 200.0 + 36 * kSlot);

    DriveTimingModel seek;
    seek.Request(0, 36);
    const double t1 = seek.ElapsedMs();
    seek.Request(36, 1);  // next cylinder: step, settle, and the sector is gone by then
    const double cost = seek.ElapsedMs() - t1;
    EXPECT_GT(cost, 3.0 + 15.0);
    EXPECT_LT(cost, 2.0 + 3.0 + 15.0 + 200.0 + kSlot);
}

class TrackBufferDrive : public ::testing::Test {
protected:
    TrackBufferDrive() : medium(std::make_shared<MemoryMedium>()) {
        for (int s = 0; s < kSectorCount; ++s) medium->SectorData(s)[0] = std::uint8_t(s);
        drive.InsertMedium(medium);
        drive.SetTrackBuffer(true);
    }
    std::uint8_t First(int sector) {
        std::uint8_t b[kSectorSize];
        EXPECT_TRUE(drive.Read(sector, 1, b));
        return b[0];
    }
    std::shared_ptr<MemoryMedium> medium;
    CDrive drive;
};

TEST_F(TrackBufferDrive, SingleSectorReadsOfACylinderTakeOneMediumRequest) {
    for (int s = 40; s < 72; ++s) EXPECT_EQ(First(s), std::uint8_t(s));
    const DriveStats st = drive.Stats();
    EXPECT_EQ(st.readRequests, 32);
    EXPECT_EQ(st.mediumReadRequests, 1);  // sectors 40..71 lie on cylinder 1
    EXPECT_EQ(st.bufferHits, 31);
}

TEST_F(TrackBufferDrive, ABadSectorFailsOnlyTheRequestsThatCoverIt) {
    medium->Faults().Set(50, Fault::Unreadable);
    EXPECT_EQ(First(45), 45);  // the read-ahead over 50 fails; 45 alone is read
    std::uint8_t b[kSectorSize];
    EXPECT_FALSE(drive.Read(50, 1, b));
    EXPECT_EQ(First(51), 51);
    EXPECT_FALSE(drive.Read(49, 2, b));  // a request that covers it fails as a whole
}

TEST_F(TrackBufferDrive, WritesAndDisketteChangesAreNeverServedStale) {
    EXPECT_EQ(First(100), 100);
    std::uint8_t data[kSectorSize] = {0xAB};
    ASSERT_TRUE(drive.Write(101, 1, data));
    EXPECT_EQ(First(101), 0xAB);

    EXPECT_EQ(First(102), 102);  // buffered again
    auto other = std::make_shared<MemoryMedium>();
    other->SectorData(103)[0] = 0x77;
    drive.InsertMedium(other);
    EXPECT_EQ(First(103), 0x77);
    drive.Eject();
    std::uint8_t b[kSectorSize];
    EXPECT_FALSE(drive.Read(103, 1, b));
}

}  // namespace
}  // namespace orv
