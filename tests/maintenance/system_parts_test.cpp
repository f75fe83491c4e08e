// The system parts test, its worker and the repair of sector 0.
#include <gtest/gtest.h>

#include "maintenance/diskservice/service_workers.h"
#include "maintenance/diskservice/system_parts_test.h"
#include "maintenance_fixture.h"
#include "support/scoped_clock.h"

namespace orv::tests {
namespace {

const char kSector0NotRepaired[] =
    "Sector #0 could not be repaired.\nDiskette can't be used anymore.\n\nMake sure the "
    "diskette is not locked. If so, unlock it and try again.";
const char kNotFormatted[] =
    "Diskette is not formated for Orvalis or is damaged.\n\nRun full test ?";

class SystemPartsTestTest : public ::testing::Test {
protected:
    void SetUp() override {
        FormatQuick(disk);
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        WriteFileToVolume(volume, "a", "txt", Pattern(4000, 1));
        ASSERT_TRUE(volume.WriteFat());
    }
    int Test() {
        CVolume volume(&disk.Drive());
        EXPECT_TRUE(volume.OpenDevice());
        return SystemPartsTest(volume, dialog);
    }
    void PutEntry(int sector, int index, std::uint16_t value) {
        SectorImage image = disk.Raw(sector);
        PutU16(image.data() + 2 * index, value);
        disk.PutRaw(sector, image);
    }

    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    RecordingWorkerDialog dialog;
};

TEST_F(SystemPartsTestTest, SoundDisketteWritesNothing) {
    const long writes = disk.Medium().WriteRequests();
    EXPECT_EQ(Test(), PARTS_SOUND);
    EXPECT_EQ(disk.Medium().WriteRequests(), writes);
    EXPECT_EQ(dialog.Progress(), (std::vector<int>{30, 50, 70, 90, 95}));
}

TEST_F(SystemPartsTestTest, ASingleDifferingEntryAnywhereInEitherCopyIsFound) {
    // Copy 1 lies in sectors 4..14, copy 2 in 15..25; entry i lives in table sector i / 256.
    for (int unit : {0, 1, 255, 256, 1000, 1535, 2815}) {
        for (int copyStart : {4, 15}) {
            const int sector = copyStart + unit / 256;
            const SectorImage before = disk.Raw(sector);
            PutEntry(sector, unit % 256, 2800);
            EXPECT_EQ(Test(), PARTS_COPIES_DIFFER) << "unit " << unit << " copy at " << copyStart;
            disk.PutRaw(sector, before);
        }
    }
    EXPECT_EQ(Test(), PARTS_SOUND);
}

TEST_F(SystemPartsTestTest, UnreadableCopySectorIsNotADifference) {
    disk.Faults().Set(17, Fault::Unreadable);  // copy 2 of table sector 2
    PutEntry(17, 3, 2800);                     // and differing where nobody can read it
    EXPECT_EQ(Test(), PARTS_SOUND);
}

TEST_F(SystemPartsTestTest, OutcomesOfDamagedSystemAreas) {
    {  // table sector 3 unreadable in both copies
        disk.Faults().Set(7, Fault::Unreadable);
        disk.Faults().Set(18, Fault::Unreadable);
        EXPECT_EQ(Test(), PARTS_FAT_UNREADABLE);
        disk.Faults().Clear();
    }
    {  // sector 0 unreadable
        disk.Faults().Set(0, Fault::Unreadable);
        EXPECT_EQ(Test(), PARTS_NO_SECTOR0);
        disk.Faults().Clear();
    }
    {  // one ID sector left, the others unreadable and no spare candidate before the table
        disk.Faults().SetRange(2, 3, Fault::Unreadable);
        EXPECT_EQ(Test(), PARTS_TOO_FEW_IDS);
        disk.Faults().Clear();
    }
    for (int s = 1; s <= 3; ++s) disk.PutRaw(s, SectorImage{});
    EXPECT_EQ(Test(), PARTS_RESERVE_ONLY);
    disk.PutRaw(2879, SectorImage{});
    EXPECT_EQ(Test(), PARTS_NOT_FORMATTED);
}

TEST_F(SystemPartsTestTest, TablePositionOnAFilesUnitIsADamagedSystemArea) {
    // A table sector moved into the data area, as the table write does when the system area
    // takes no more writes, is sound.
    {
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        disk.Faults().Set(15, Fault::Unwritable);
        disk.Faults().SetRange(26, 63, Fault::Unwritable);
        volume.Fat().dirty[0] = true;
        ASSERT_EQ(volume.WriteFat(), 1);
        ASSERT_TRUE(IsDataSector(volume.Fat().pos2[0]));
        ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
        disk.Faults().Clear();
    }
    EXPECT_EQ(Test(), PARTS_SOUND);

    // The ID records name a unit of the file instead (unit 3, which no longer reads, so that
    // no comparison of the copies can see it).
    for (int id = 1; id <= 3; ++id) {
        SectorImage image = disk.Raw(id);
        IdRecord record;
        ASSERT_TRUE(ParseIdRecordBytes(image.data(), record));
        record.fat2[0] = std::uint16_t(SectorOfUnit(3));
        BuildIdRecord(record, image.data());
        disk.PutRaw(id, image);
    }
    disk.Faults().Set(SectorOfUnit(3), Fault::Unreadable);
    EXPECT_EQ(Test(), PARTS_COPIES_DIFFER);
}

TEST_F(SystemPartsTestTest, StopRequestedBeforeTheFirstCheck) {
    dialog.m_nState = -1;
    EXPECT_EQ(Test(), PARTS_INTERRUPTED);
}

class ServiceWorkerTest : public SystemPartsTestTest {
protected:
    std::int32_t testType = TEST_SYSTEM_PARTS;
    ScriptedUser user;
};

TEST_F(ServiceWorkerTest, SoundDisketteEndsWithResults) {
    EXPECT_EQ(SystemPartsTestWorker(&disk.Drive(), dialog, user, testType), 0);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, "All system parts of diskette seems to be allright.");
    EXPECT_EQ(user.Shown()[0].icon, Icon::Information);
    EXPECT_EQ(dialog.m_nState, 0);
    EXPECT_EQ(dialog.m_bRunning, 0);
    EXPECT_EQ(dialog.m_results.label, "TEST");
    EXPECT_EQ(dialog.m_results.freeBytes, (2816 - 9) * 507);  // a file of 9 units
    EXPECT_EQ(dialog.Progress().back(), 100);
}

TEST_F(ServiceWorkerTest, YesToTheOfferedFullTestSelectsIt) {
    for (int s = 1; s <= 3; ++s) disk.PutRaw(s, SectorImage{});
    disk.PutRaw(2879, SectorImage{});
    user.Push(Answer::No);
    EXPECT_EQ(SystemPartsTestWorker(&disk.Drive(), dialog, user, testType), -1);
    EXPECT_EQ(testType, TEST_SYSTEM_PARTS);
    EXPECT_EQ(dialog.m_nState, -1);

    user.Push(Answer::Yes);
    dialog.m_nState = 0;  // as the next Start leaves it
    EXPECT_EQ(SystemPartsTestWorker(&disk.Drive(), dialog, user, testType), -1);
    EXPECT_EQ(testType, TEST_FULL);
    const Message asked = user.Shown().back();
    EXPECT_EQ(asked.text, kNotFormatted);
    EXPECT_EQ(asked.buttons, Buttons::YesNo);
    EXPECT_EQ(asked.icon, Icon::Question);
    EXPECT_EQ(dialog.Progress().back(), 90);
}

TEST_F(ServiceWorkerTest, InterruptedTestSaysSo) {
    dialog.m_nState = -1;
    EXPECT_EQ(SystemPartsTestWorker(&disk.Drive(), dialog, user, testType), -1);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, "Test was interrupted.");
    EXPECT_EQ(user.Shown()[0].icon, Icon::Exclamation);
}

TEST_F(ServiceWorkerTest, UnreadableSectorZeroIsRepairedAndTestedAgain) {
    FlakyMedium flaky(disk.Medium());
    disk.Drive().InsertMedium(std::shared_ptr<IMedium>(std::shared_ptr<void>{}, &flaky));
    flaky.healOnWrite.insert(0);
    user.Push(Answer::Yes);  // repair it
    user.Push(Answer::Yes);  // and go on testing
    EXPECT_EQ(SystemPartsTestWorker(&disk.Drive(), dialog, user, testType), 0);
    EXPECT_EQ(user.Texts(),
              (std::vector<std::string>{
                  "Unable to read #0 sector.\nNo diskette in drive,\nor sector #0 is damaged. "
                  "Diskette can not be tested.\n\nDo you want me to try to repair first sector ?",
                  "Sector #0 has been repaired successfully.\n\nDo you want to continue with "
                  "testing?",
                  "All system parts of diskette seems to be allright."}));
    EXPECT_EQ(dialog.m_nState, 0);
}

TEST_F(ServiceWorkerTest, SectorZeroThatKeepsFailingIsRepairedOnlyOnce) {
    FlakyMedium flaky(disk.Medium());
    disk.Drive().InsertMedium(std::shared_ptr<IMedium>(std::shared_ptr<void>{}, &flaky));
    flaky.relapse.insert(0);  // takes the repair, then fails again
    user.Push(Answer::Yes);
    user.Push(Answer::Yes);
    user.Push(Answer::Yes);
    EXPECT_EQ(SystemPartsTestWorker(&disk.Drive(), dialog, user, testType), -1);
    const auto shown = user.Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3].text, kSector0NotRepaired);
    EXPECT_EQ(shown[3].icon, Icon::Stop);
}

TEST(RepairSector0Worker, RepairsAndTellsWithoutResults) {
    MemoryDisk disk;
    ScriptedUser user;
    RecordingWorkerDialog dialog;
    EXPECT_EQ(RepairSector0Worker(&disk.Drive(), dialog, user), 0);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, "Sector #0 was successfully repaired.");
    EXPECT_EQ(user.Shown()[0].icon, Icon::Information);
    EXPECT_EQ(dialog.m_nState, -1);  // nothing for the results dialog
    EXPECT_EQ(dialog.Statuses().back(), "Repairing process successfully finished.");
    CVolume volume(&disk.Drive());
    EXPECT_TRUE(volume.OpenDevice());
    EXPECT_EQ(volume.CheckSector0(), true);
}

TEST(RepairSector0Worker, TriesTwiceAtMost) {
    MemoryDisk disk;
    disk.Faults().Set(0, Fault::Unwritable);
    ScriptedUser user;
    RecordingWorkerDialog dialog;
    EXPECT_EQ(RepairSector0Worker(&disk.Drive(), dialog, user), -1);
    // Each repair makes three write attempts.
    EXPECT_EQ(disk.Medium().WriteRequests(), 6);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, kSector0NotRepaired);
    EXPECT_EQ(user.Shown()[0].icon, Icon::Stop);
    EXPECT_EQ(dialog.Statuses().back(), "Repair of #0 sector was unsuccessful.");
    EXPECT_EQ(dialog.m_nState, -1);
}

TEST(RepairSector0Worker, StopRequestAfterTheFirstFailure) {
    MemoryDisk disk;
    disk.Faults().Set(0, Fault::Unwritable);
    ScriptedUser user;
    RecordingWorkerDialog dialog;
    dialog.onProgress = [](RecordingWorkerDialog& d, int p) {
        if (p == 40) d.m_nState = -1;
    };
    EXPECT_EQ(RepairSector0Worker(&disk.Drive(), dialog, user), -1);
    EXPECT_EQ(disk.Medium().WriteRequests(), 3);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{"Scan interrupted."});
}

TEST(ServiceWorkers, NoDriveToOpen) {
    ScriptedUser user;
    RecordingWorkerDialog dialog;
    std::int32_t type = TEST_FULL;
    EXPECT_EQ(DiskServiceWorker(nullptr, dialog, user, type), -1);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, "Unable to open the diskette. Unexpected error.");
    EXPECT_EQ(user.Shown()[0].icon, Icon::Stop);
    EXPECT_EQ(dialog.m_nState, -1);
    EXPECT_EQ(dialog.m_bRunning, 0);
}

}  // namespace
}  // namespace orv::tests
