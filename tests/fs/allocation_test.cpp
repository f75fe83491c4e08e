// File numbers, free runs, giving and taking back units, space counts.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "support/volume_fixture.h"

namespace orv {
namespace {

using tests::VolumeTest;

class Allocation : public VolumeTest {
protected:
    void SetUp() override { Format(); }
    // Every unit belongs to file 1 except the given ranges of units (inclusive).
    void OnlyFree(std::initializer_list<std::pair<int, int>> ranges) {
        volume.Fat().entries.fill(1);
        for (auto [first, last] : ranges)
            for (int u = first; u <= last; ++u) volume.Fat().entries[u] = FAT_FREE;
    }
    int FreeRun(int wanted, int& got) {
        got = wanted;
        return volume.FindFreeRun(got);
    }
};

TEST_F(Allocation, EmptyDiskette) {
    std::vector<FileRecord> records;
    EXPECT_EQ(volume.ListFiles(records), -1);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(volume.FindFreeFileNumber(), 1);
    EXPECT_EQ(volume.FindFirstFreeUnit(), 64);
    EXPECT_EQ(volume.FreeBytes(), 1427712);

    volume.MarkBad(100);
    volume.Fat().Set(5, FAT_SYSTEM);
    volume.SetUnits(2000, 3, 4);
    EXPECT_EQ(volume.FreeUnitCount(), 2810);
    EXPECT_EQ(volume.FreeBytes(), 2810 * 507);
    EXPECT_EQ(volume.BadBytes(), 507);
    EXPECT_EQ(volume.SystemBytes(), 507);
}

TEST_F(Allocation, FreeRunsAreFirstFit) {
    int got = 0;
    OnlyFree({{0, 4}, {6, 100}});
    EXPECT_EQ(FreeRun(10, got), 64);
    EXPECT_EQ(got, 5);

    OnlyFree({{2800, 2815}});
    EXPECT_EQ(FreeRun(18, got), 2864);
    EXPECT_EQ(got, 16);

    OnlyFree({{100, 104}});
    EXPECT_EQ(FreeRun(10, got), 164);
    EXPECT_EQ(got, 5);
    EXPECT_EQ(FreeRun(3, got), 164);
    EXPECT_EQ(got, 3);
    EXPECT_EQ(FreeRun(0, got), 164);
    EXPECT_EQ(got, 1);

    OnlyFree({});
    EXPECT_EQ(FreeRun(5, got), -1);
    EXPECT_EQ(volume.FindFirstFreeUnit(), -1);
    EXPECT_EQ(volume.FreeBytes(), 0);
}

TEST_F(Allocation, NewFileTakesTheSmallestUnusedNumber) {
    volume.SetUnits(64, 1, 1);
    volume.SetUnits(65, 2, 2);
    volume.SetUnits(70, 4, 1);
    volume.Fat().Set(40, 10003);  // a tag, not file 3
    EXPECT_EQ(volume.FindFreeFileNumber(), 3);
    std::vector<int> numbers;
    EXPECT_EQ(volume.ListFileNumbers(numbers), 3);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 4}));

    for (int u = 0; u < kUnitCount; ++u) volume.Fat().Set(u, std::uint16_t(u + 1));
    EXPECT_EQ(volume.FindFreeFileNumber(), -1);
    numbers.clear();
    EXPECT_EQ(volume.ListFileNumbers(numbers), kUnitCount);
}

TEST_F(Allocation, UnitsOfAFileComeInSectorOrder) {
    volume.SetUnits(1000, 5, 1);
    volume.SetUnits(65, 5, 1);
    volume.SetUnits(70, 5, 1);
    std::vector<int> sectors;
    EXPECT_EQ(volume.CollectUnits(5, sectors), 3);
    EXPECT_EQ(sectors, (std::vector<int>{65, 70, 1000}));
    EXPECT_EQ(volume.ChainCapacity(5), 3 * 507 - 59);
    EXPECT_EQ(volume.ChainCapacity(6), -1);
    sectors.clear();
    EXPECT_EQ(volume.CollectUnits(6, sectors), -1);
    EXPECT_TRUE(sectors.empty());
}

TEST_F(Allocation, ChangesStayInsideTheDataAreaAndMarkTheirTableSector) {
    volume.SetUnits(2878, 4, 5);  // runs off the end
    EXPECT_EQ(volume.Fat().entries[2814], 4);
    EXPECT_EQ(volume.Fat().entries[2815], 4);
    EXPECT_TRUE(volume.Fat().dirty[10]);
    volume.MarkBad(10);
    volume.MarkBad(2880);
    volume.MarkBad(-3);
    EXPECT_EQ(volume.BadBytes(), 0);
    volume.MarkBad(64 + 256);
    EXPECT_TRUE(volume.Fat().dirty[1]);
    EXPECT_FALSE(volume.Fat().dirty[0]);
}

TEST_F(Allocation, ReleaseLeavesBadAndSystemUnitsAlone) {
    volume.SetUnits(64, 3, 5);
    volume.MarkBad(66);
    volume.Fat().Set(10, FAT_SYSTEM);
    volume.ReleaseFile(3);
    EXPECT_EQ(volume.Fat().entries[0], FAT_FREE);
    EXPECT_EQ(volume.Fat().entries[2], FAT_BAD);
    EXPECT_EQ(volume.Fat().entries[4], FAT_FREE);
    EXPECT_EQ(volume.Fat().entries[10], FAT_SYSTEM);

    // A number that is no file number releases nothing, whatever a header claimed.
    for (int number :
         {0, int(FAT_BAD), int(FAT_SYSTEM), int(FAT_BAD) - 3000, int(FAT_SYSTEM) - 3000, 10001, -1})
        volume.ReleaseFile(number);
    EXPECT_EQ(volume.Fat().entries[2], FAT_BAD);
    EXPECT_EQ(volume.Fat().entries[10], FAT_SYSTEM);
}

TEST_F(Allocation, ReleasingSeveralFilesFreesThoseAndNoOther) {
    volume.SetUnits(64, 3, 2);
    volume.SetUnits(66, 7, 2);
    volume.SetUnits(68, 9, 2);
    volume.Fat().Set(20, 3 + 3000);  // the old chain mark of file 3
    volume.ReleaseFiles({9, 3, 0, 9, int(FAT_SYSTEM)});
    const std::vector<std::uint16_t> expected = {FAT_FREE, FAT_FREE, 7, 7, FAT_FREE, FAT_FREE};
    EXPECT_EQ(
        std::vector<std::uint16_t>(volume.Fat().entries.begin(), volume.Fat().entries.begin() + 6),
        expected);
    EXPECT_EQ(volume.Fat().entries[20], FAT_FREE);
    volume.ReleaseFiles({});
    EXPECT_EQ(volume.Fat().entries[2], 7);
}

TEST_F(Allocation, DeleteWritesTheTableOrSaysItCouldNot) {
    disk.PutFile(volume, tests::MakeRecord(1, "a", "", 900), {64, 65}, tests::Pattern(900, 1));
    disk.PutFile(volume, tests::MakeRecord(2, "b", "", 10), {66}, tests::Pattern(10, 2));
    ASSERT_EQ(volume.WriteFat(), 0);
    EXPECT_EQ(volume.DeleteFile(1, true), 0);
    auto other = Reopen();
    EXPECT_EQ(other->Fat().entries[0], FAT_FREE);
    EXPECT_EQ(other->Fat().entries[2], 2);

    disk.Faults().SetWriteProtected(true);
    EXPECT_EQ(volume.DeleteFile(2, true), -1);
    EXPECT_EQ(volume.Fat().entries[2], FAT_FREE) << "released in memory all the same";
    EXPECT_EQ(volume.DeleteFile(2, false), 0);
}

class NextRun : public Allocation {};

TEST_F(NextRun, WithoutVerifyItIsFindFreeRun) {
    disk.Faults().Set(64, Fault::Bad);
    int wanted = 40;
    EXPECT_EQ(volume.NextRun(wanted, false), 64);
    EXPECT_EQ(wanted, 40);
    EXPECT_EQ(volume.BadBytes(), 0);
}

TEST_F(NextRun, UnreadableUnitInsideARunIsMarkedBadAndTheRunShrinks) {
    OnlyFree({{10, 14}});
    disk.Faults().Set(64 + 12, Fault::Unreadable);
    int wanted = 5;
    EXPECT_EQ(volume.NextRun(wanted, true), 74);
    EXPECT_EQ(wanted, 2);
    EXPECT_EQ(volume.Fat().entries[12], FAT_BAD);
    EXPECT_EQ(volume.BadBytes(), 507);
    EXPECT_EQ(volume.Fat().entries[13], FAT_FREE);
    EXPECT_EQ(volume.Fat().entries[14], FAT_FREE);
}

TEST_F(NextRun, RunThatReadsOnlySectorBySectorIsTakenUnitByUnit) {
    disk.Recorder().SetFailMultiSectorReads(true);
    int wanted = 5;
    EXPECT_EQ(volume.NextRun(wanted, true), 64);
    EXPECT_EQ(wanted, 1);
    EXPECT_EQ(volume.BadBytes(), 0);
    volume.SetUnits(64, 1, 1);
    wanted = 5;
    EXPECT_EQ(volume.NextRun(wanted, true), 65);
    EXPECT_EQ(wanted, 1);
}

TEST_F(NextRun, UnreadableFreeSpaceEndsInMinusOne) {
    OnlyFree({{10, 14}, {2000, 2001}});
    disk.Faults().SetRange(64 + 10, 64 + 14, Fault::Bad);
    disk.Faults().SetRange(64 + 2000, 64 + 2001, Fault::Unreadable);
    int wanted = 18;
    EXPECT_EQ(volume.NextRun(wanted, true), -1);
    EXPECT_EQ(volume.BadBytes(), 7 * 507);
}

TEST_F(NextRun, VerifiedRunsAreAtMostACylinder) {
    int wanted = 40;
    EXPECT_EQ(volume.NextRun(wanted, true), 64);
    EXPECT_EQ(wanted, 36);
}

}  // namespace
}  // namespace orv
