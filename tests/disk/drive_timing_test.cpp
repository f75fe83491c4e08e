#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "disk/drive.h"
#include "disk/drive_timing.h"
#include "disk/memory_medium.h"
#include "disk/rotation_order.h"

namespace orv {
namespace {

// The standard format at 500 kbit/s: sector k's ID mark passes (146 + 682 (k - 1)) / 62.5 ms
// after the index, and the sector is through 9.184 ms later.
double IdMark(int k) {
    return (146 + 682 * (k - 1)) / 62.5;
}
constexpr double kThrough = 574 / 62.5;
constexpr double kTurn = 200.0;

TEST(DriveTimingModel, SectorsPassAsTheStandardFormatLaysThemOut) {
    DriveTimingModel model;
    // Ready 2 ms after the index: sector 1's ID mark is still to come.
    EXPECT_NEAR(model.Request(0, 1), IdMark(1) + kThrough, 1e-9);
    // A whole track from its first sector is through before the turn ends: the gap between
    // the last sector and the first is 332 bytes long.
    DriveTimingModel track;
    EXPECT_NEAR(track.Request(0, 18), IdMark(18) + kThrough, 1e-9);
    EXPECT_NEAR(kTurn - (IdMark(18) + kThrough) + IdMark(1), 332 / 62.5, 1e-9);
    EXPECT_NEAR(track.PhysicalLimitMs(2880), 32000.0, 1e-6);
}

TEST(DriveTimingModel, BackToBackSingleSectorRequestsLoseATurnEach) {
    DriveTimingModel model;
    model.Request(0, 1);
    const double before = model.ElapsedMs();
    for (int s = 1; s < 10; ++s) model.Request(s, 1);
    const double perSector = (model.ElapsedMs() - before) / 9;
    // The host is ready 2 ms after a sector: after the 1.7 ms of GAP3 in front of the next.
    EXPECT_GT(model.Constants().commandOverheadMs, model.Constants().Gap3Ms());
    EXPECT_NEAR(perSector, kTurn + (IdMark(2) - IdMark(1)), 1e-6);
}

TEST(DriveTimingModel, TheOtherHeadIsCaughtAfterATrackButTheNextCylinderIsNot) {
    DriveTimingModel heads;
    heads.Request(0, 18);
    const double t0 = heads.ElapsedMs();
    heads.Request(18, 1);  // head 1's first sector, in a request of its own: caught
    EXPECT_LT(heads.ElapsedMs() - t0, 2 * 332 / 62.5 + kThrough);

    DriveTimingModel seek;
    seek.Request(0, 36);
    const double t1 = seek.ElapsedMs();
    seek.Request(36, 1);  // next cylinder: step, settle, and its first sector is gone by then
    const double cost = seek.ElapsedMs() - t1;
    EXPECT_GT(cost, kTurn);
    EXPECT_LT(cost, kTurn + IdMark(1) + kThrough + 2.0 + 3.0 + 15.0);
}

TEST(RotationOrder, AWholeCylinderStartsWhereTheHeadArrivesAndWraps) {
    const auto runs = RotationOrder(36, 36, 18);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].first, 36 + kSectorsLostToAStep);
    EXPECT_EQ(runs[0].count, 36 - kSectorsLostToAStep);
    EXPECT_EQ(runs[1].first, 36);
    EXPECT_EQ(runs[1].count, kSectorsLostToAStep);
    for (auto [first, count, last] : {std::array<int, 3>{36, 36, 0},
                                      {36, 35, 18},
                                      {37, 36, 18},
                                      {36, 18, 18},
                                      {36, 36, 18 - kSectorsLostToAStep}}) {
        const auto one = RotationOrder(first, count, last);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(one[0].first, first);
        EXPECT_EQ(one[0].count, count);
    }
}

// What the drive does with a file that fills the diskette: written a cylinder per request, read
// back a unit per request through the track buffer. Both stay close to the physical limit.
TEST(DriveTimingModel, WholeCylindersInTurnOrderStayNearTheLimit) {
    auto medium = std::make_shared<MemoryMedium>();
    for (const bool write : {true, false}) {
        CDrive drive;
        drive.InsertMedium(medium);
        drive.SetTrackBuffer(true);
        drive.SetTimed(true);
        std::vector<std::uint8_t> cylinder(36 * kSectorSize);
        for (int first = 36; first < kSectorCount; first += 36) {
            if (write) {
                ASSERT_TRUE(drive.Write(first, 36, cylinder.data()));
            } else {
                for (int s = first; s < first + 36; ++s)
                    ASSERT_TRUE(drive.Read(s, 1, cylinder.data()));
            }
        }
        const DriveStats st = drive.Stats();
        const double limit = drive.Timing().PhysicalLimitMs(kSectorCount - 36);
        EXPECT_LT(st.modelledMs / limit, 1.15) << (write ? "write" : "read");
    }
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
