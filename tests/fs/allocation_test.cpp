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
};

TEST_F(Allocation, EmptyDiskette) {
    std::vector<FileRecord> records;
    EXPECT_EQ(volume.ListFiles(records).end, ListEnd::NoFile);
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
    OnlyFree({{0, 4}, {6, 100}});
    EXPECT_EQ(volume.FindFreeRun(10), (UnitRun{64, 5}));

    OnlyFree({{2800, 2815}});
    EXPECT_EQ(volume.FindFreeRun(18), (UnitRun{2864, 16}));

    OnlyFree({{100, 104}});
    EXPECT_EQ(volume.FindFreeRun(10), (UnitRun{164, 5}));
    EXPECT_EQ(volume.FindFreeRun(3), (UnitRun{164, 3}));
    EXPECT_EQ(volume.FindFreeRun(0), (UnitRun{164, 1}));
    EXPECT_EQ(volume.FindFreeRun(3, 166), (UnitRun{166, 3}));

    OnlyFree({});
    EXPECT_FALSE(volume.FindFreeRun(5));
    EXPECT_FALSE(volume.FindFirstFreeUnit());
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
    EXPECT_FALSE(volume.FindFreeFileNumber());
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
    EXPECT_EQ(volume.ChainCapacity(6), 0);
    sectors.clear();
    EXPECT_EQ(volume.CollectUnits(6, sectors), 0);
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
    EXPECT_TRUE(volume.DeleteFile(1, true));
    auto other = Reopen();
    EXPECT_EQ(other->Fat().entries[0], FAT_FREE);
    EXPECT_EQ(other->Fat().entries[2], 2);

    disk.Faults().SetWriteProtected(true);
    EXPECT_EQ(volume.DeleteFile(2, true).Error(), IoError::WriteProtected);
    EXPECT_EQ(volume.Fat().entries[2], FAT_FREE) << "released in memory all the same";
    EXPECT_TRUE(volume.DeleteFile(2, false));
}

class NextRun : public Allocation {};

TEST_F(NextRun, WithoutVerifyItIsFindFreeRun) {
    disk.Faults().Set(64, Fault::Bad);
    EXPECT_EQ(volume.NextRun(40, false), std::optional(UnitRun{64, 40}));
    EXPECT_EQ(volume.BadBytes(), 0);
}

TEST_F(NextRun, UnreadableUnitInsideARunIsMarkedBadAndTheRunShrinks) {
    OnlyFree({{10, 14}});
    disk.Faults().Set(64 + 12, Fault::Unreadable);
    EXPECT_EQ(volume.NextRun(5, true), std::optional(UnitRun{74, 2}));
    EXPECT_EQ(volume.Fat().entries[12], FAT_BAD);
    EXPECT_EQ(volume.BadBytes(), 507);
    EXPECT_EQ(volume.Fat().entries[13], FAT_FREE);
    EXPECT_EQ(volume.Fat().entries[14], FAT_FREE);
}

TEST_F(NextRun, RunThatReadsOnlySectorBySectorIsTakenUnitByUnit) {
    disk.Recorder().SetFailMultiSectorReads(true);
    EXPECT_EQ(volume.NextRun(5, true), std::optional(UnitRun{64, 1}));
    EXPECT_EQ(volume.BadBytes(), 0);
    volume.SetUnits(64, 1, 1);
    EXPECT_EQ(volume.NextRun(5, true), std::optional(UnitRun{65, 1}));
}

TEST_F(NextRun, UnreadableFreeSpaceEndsInNoRun) {
    OnlyFree({{10, 14}, {2000, 2001}});
    disk.Faults().SetRange(64 + 10, 64 + 14, Fault::Bad);
    disk.Faults().SetRange(64 + 2000, 64 + 2001, Fault::Unreadable);
    EXPECT_EQ(volume.NextRun(18, true), std::optional<UnitRun>());
    EXPECT_EQ(volume.BadBytes(), 7 * 507);
}

// A drive that fails as a whole while a run is tested blames no unit, and says why: at the
// run's read and at the reads of its sectors alone.
TEST_F(NextRun, ADriveThatFailsMarksNothingAndGivesItsCause) {
    for (long failing : {1L, 2L}) {
        MemoryMedium::Hooks hooks;
        hooks.failReadRequest = failing;
        hooks.failPersistent = failing == 2;
        hooks.failCause = IoError::HostError;
        // The first request (the whole run) fails as a sector would when only the second
        // request is the drive's.
        if (failing == 2) disk.Faults().Set(64 + 1, Fault::Unreadable);
        disk.Medium().SetHooks(hooks);
        disk.Medium().ResetCounters();
        const Result<std::optional<UnitRun>> run = volume.NextRun(5, true);
        EXPECT_EQ(run.Error(), IoError::HostError) << failing;
        EXPECT_EQ(volume.BadBytes(), 0) << failing;
        disk.Faults().Clear();
    }
}

TEST_F(NextRun, VerifiedRunsAreAtMostACylinder) {
    EXPECT_EQ(volume.NextRun(40, true), std::optional(UnitRun{64, 36}));
}

}  // namespace
}  // namespace orv
