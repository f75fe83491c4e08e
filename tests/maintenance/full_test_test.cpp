// The full test: rebuilding a wrecked system area from the data, the reserve copy, sector 0,
// making room for the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "maintenance/diskservice/service_workers.h"
#include "maintenance/diskservice/system_parts_test.h"
#include "maintenance_fixture.h"
#include "ports/drive_messages.h"
#include "support/scoped_clock.h"

namespace orv::tests {
namespace {

const char kIdsMissing[] =
    "Basic ID sectors on diskette are missing.\nData, whitch will be gained are more or less "
    "chance.\n\nDo you want to continue ?";
const char kReplacedFileUncertain[] =
    "Full test has rebuilt these files, but it can't tell for sure\nwhich sectors belong to "
    "them:\n\nfile2.c (#3)\n\nTheir data can be wrong. Please, compare them with the original "
    "files.";

class FullTestTest : public ::testing::Test {
protected:
    void SetUp() override {
        FormatQuick(disk);
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        std::mt19937 random(4242);
        std::uniform_int_distribution<int> size(1, 60000);
        const char* extensions[] = {"txt", "bin", "c", ""};
        for (int i = 0; i < 12; ++i) {
            const std::string name = "file" + std::to_string(i);
            files.push_back(WriteFileToVolume(volume, name, extensions[i % 4],
                                              Pattern(std::size_t(size(random)), i + 1)));
        }
        // A file replaced by a shorter one with the same number and extension leaves stale
        // units with that number behind the new one.
        PlacedFile& replaced = files[2];
        replaced.data = Pattern(100, 99);
        volume.ReleaseFile(replaced.record.fileNumber);
        volume.SetUnits(replaced.sectors[0], replaced.record.fileNumber, 1);
        replaced.sectors.resize(1);
        replaced.record.size = 100;
        SectorImage header{};
        CVolume::BuildHeader(replaced.record, header.data());
        std::memcpy(header.data() + kHeaderSize, replaced.data.data(), 100);
        (void)volume.WriteSector(replaced.sectors[0], header.data());
        ASSERT_TRUE(volume.WriteFat());
        fatPositions1 = volume.Ids().fat1;
        fatPositions2 = volume.Ids().fat2;
    }

    // Wipes (or makes unreadable) the ID sectors, both table copies and the reserve copy.
    void WreckSystemArea(Fault fault) {
        std::vector<int> sectors = {1, 2, 3, kReserveIdSector};
        for (int k = 0; k < kFatSectorCount; ++k) {
            sectors.push_back(fatPositions1[k]);
            sectors.push_back(fatPositions2[k]);
        }
        for (int s : sectors) {
            disk.PutRaw(s, SectorImage{});
            if (fault != Fault::None) disk.Faults().Set(s, fault);
        }
    }

    int FullTest() { return FullTestWorker(&disk.Drive(), dialog, user); }

    // Every file (but those listed) is back byte-exact in exactly its own units, and no other
    // file is on the diskette; those whose header does not read keep exactly their units.
    void ExpectFilesBack(const std::set<int>& lost = {}, const std::set<int>& headless = {}) {
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        std::vector<int> expected;
        for (const PlacedFile& f : files) {
            if (lost.count(f.record.fileNumber)) continue;
            expected.push_back(f.record.fileNumber);
            std::vector<int> sectors;
            volume.CollectUnits(f.record.fileNumber, sectors);
            EXPECT_EQ(sectors, f.sectors) << f.record.name;
            if (headless.count(f.record.fileNumber)) continue;
            std::vector<std::uint8_t> back;
            EXPECT_TRUE(ReadFileData(volume, f.record.fileNumber, back)) << f.record.name;
            EXPECT_TRUE(back == f.data) << f.record.name;
        }
        std::vector<int> numbers;
        volume.ListFileNumbers(numbers);
        EXPECT_EQ(numbers, expected);
    }

    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    ScriptedUser user;
    RecordingWorkerDialog dialog;
    std::vector<PlacedFile> files;
    FatPositions fatPositions1{}, fatPositions2{};
};

TEST_F(FullTestTest, RebuildsZeroedSystemAreaFromTheData) {
    WreckSystemArea(Fault::None);
    user.Push(Answer::Yes);
    ASSERT_EQ(FullTest(), 0) << ::testing::PrintToString(user.Texts());
    ASSERT_EQ(user.Shown().size(), 2u);
    EXPECT_EQ(user.Shown()[0].text, kIdsMissing);
    EXPECT_EQ(user.Shown()[0].icon, Icon::Question);
    // The replaced file left units with its number and extension: it is named, not hidden.
    EXPECT_EQ(user.Shown()[1].text, kReplacedFileUncertain);
    EXPECT_EQ(user.Shown()[1].icon, Icon::Exclamation);
    EXPECT_EQ(dialog.m_results.uncertainFiles, std::vector<std::string>{"file2.c (#3)"});
    EXPECT_EQ(dialog.m_nState, 0);
    EXPECT_TRUE(dialog.SawStatus("Serching for lost file fragments."));
    EXPECT_EQ(dialog.Statuses().back(), "Test is done.");
    ExpectFilesBack();
}

TEST_F(FullTestTest, RebuildsUnreadableSystemAreaElsewhere) {
    WreckSystemArea(Fault::Unreadable);
    disk.Faults().Set(kReserveIdSector, Fault::None);  // readable, but no ID record
    user.Push(Answer::Yes);
    ASSERT_EQ(FullTest(), 0) << ::testing::PrintToString(user.Texts());
    ExpectFilesBack();
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(OpenVolume(volume));
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{26, 27, 28}));
}

TEST_F(FullTestTest, RebuildsWithoutAskingWhenTheReserveCopyCannotBeRead) {
    WreckSystemArea(Fault::None);
    disk.Faults().Set(kReserveIdSector, Fault::Unreadable);
    ASSERT_EQ(FullTest(), 0) << ::testing::PrintToString(user.Texts());
    EXPECT_EQ(user.Texts(), std::vector<std::string>{kReplacedFileUncertain});
    ExpectFilesBack();
}

TEST_F(FullTestTest, FileWithUnreadableHeaderKeepsItsUnitsUnlistedAndIsNamed) {
    const PlacedFile& victim = files[5];
    disk.Faults().Set(victim.sectors[0], Fault::Unreadable);
    WreckSystemArea(Fault::None);
    user.Push(Answer::Yes);
    ASSERT_EQ(FullTest(), 0);
    // Its units are not free for the next add: the header may read again, or another copy
    // of the file may mend it.
    ExpectFilesBack({}, {victim.record.fileNumber});
    const std::string named = "(#" + std::to_string(victim.record.fileNumber) + ")";
    EXPECT_NE(std::find(dialog.m_results.uncertainFiles.begin(),
                        dialog.m_results.uncertainFiles.end(), named),
              dialog.m_results.uncertainFiles.end())
        << ::testing::PrintToString(dialog.m_results.uncertainFiles);
}

TEST_F(FullTestTest, RefusedReserveCopyGivesANewSystemAreaInSectorsThatWork) {
    for (int s = 1; s <= 3; ++s) disk.PutRaw(s, SectorImage{});
    disk.Faults().Set(2, Fault::Unreadable);
    user.Push(Answer::No);
    ASSERT_EQ(FullTest(), 0) << ::testing::PrintToString(user.Texts());
    const Message asked = user.Shown().at(0);
    EXPECT_EQ(asked.text.substr(0, 36), "Reserve copy of IDS has been found.\n");
    EXPECT_EQ(asked.defaultButton, Answer::No);
    EXPECT_EQ(asked.icon, Icon::Question);
    ExpectFilesBack();

    CVolume volume(&disk.Drive());
    ASSERT_TRUE(OpenVolume(volume));
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 3, 4}));
    for (const FatPositions* copy : {&volume.Ids().fat1, &volume.Ids().fat2}) {
        for (int pos : *copy) {
            EXPECT_TRUE(pos >= 5 && pos <= 63) << pos;
            EXPECT_NE(pos, 2);
        }
    }
    EXPECT_EQ(volume.Ids().label, "TEST");  // the reserve copy's label survives
}

TEST_F(FullTestTest, AcceptedReserveCopyReadsTheTableItNames) {
    for (int s = 1; s <= 3; ++s) disk.PutRaw(s, SectorImage{});
    user.Push(Answer::Yes);
    ASSERT_EQ(FullTest(), 0);
    EXPECT_FALSE(dialog.SawStatus("Serching for lost file fragments."));
    ExpectFilesBack();
    EXPECT_EQ(dialog.m_results.label, "TEST");
}

TEST_F(FullTestTest, DifferingTableCopiesAreMadeEqual) {
    SectorImage sector = disk.Raw(fatPositions2[4]);
    PutU16(sector.data() + 2 * 17, 2000);
    disk.PutRaw(fatPositions2[4], sector);
    // A unit tagged 10001 whose tag only copy 1 holds: the unit's own tag decides.
    const int tagged = 2000;
    SectorImage unit{};
    PutU16(unit.data(), 10001);
    disk.PutRaw(SectorOfUnit(tagged), unit);
    SectorImage copy1 = disk.Raw(fatPositions1[tagged / 256]);
    PutU16(copy1.data() + 2 * (tagged % 256), 10001);
    disk.PutRaw(fatPositions1[tagged / 256], copy1);
    auto partsTest = [&] {
        CVolume volume(&disk.Drive());
        EXPECT_TRUE(volume.OpenDevice());
        RecordingWorkerDialog d;
        return SystemPartsTest(volume, d);
    };
    ASSERT_EQ(partsTest(), PARTS_COPIES_DIFFER);
    ASSERT_EQ(FullTest(), 0);
    EXPECT_EQ(partsTest(), PARTS_SOUND);
    ExpectFilesBack();
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(OpenVolume(volume));
    EXPECT_EQ(volume.Fat().entries[tagged], 10001);
}

TEST_F(FullTestTest, TablePositionOnAFilesUnitIsNotTrusted) {
    const int victim = files[0].sectors[2];
    for (int id = 1; id <= 3; ++id) {
        SectorImage image = disk.Raw(id);
        IdRecord record;
        ASSERT_TRUE(ParseIdRecordBytes(image.data(), record));
        record.fat2[4] = std::uint16_t(victim);
        BuildIdRecord(record, image.data());
        disk.PutRaw(id, image);
    }
    ASSERT_EQ(FullTest(), 0) << ::testing::PrintToString(user.Texts());
    ExpectFilesBack();  // the unit was neither given to the system nor written over
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(OpenVolume(volume));
    EXPECT_NE(volume.Fat().pos2[4], victim);
    RecordingWorkerDialog d;
    EXPECT_EQ(SystemPartsTest(volume, d), PARTS_SOUND);
}

TEST_F(FullTestTest, SectorZeroThatFailsAgainAfterItsRepairEndsWithoutAskingTwice) {
    FlakyMedium flaky(disk.Medium());
    disk.Drive().InsertMedium(std::shared_ptr<IMedium>(std::shared_ptr<void>{}, &flaky));
    flaky.relapse.insert(0);
    user.Push(Answer::Yes);
    EXPECT_EQ(FullTest(), -1);
    const auto shown = user.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text.substr(0, 26), "Unable to read #0 sector.\n");
    EXPECT_EQ(shown[1].text.substr(0, 32), "Sector #0 could not be repaired.");
    EXPECT_EQ(shown[1].icon, Icon::Stop);
    EXPECT_TRUE(dialog.SawStatus("Repairing #0 sector."));
}

class FullDisketteTest : public FullTestTest {
protected:
    void SetUp() override {
        FullTestTest::SetUp();
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        const int free = volume.FreeUnitCount();
        files.push_back(WriteFileToVolume(volume, "filler", "bin",
                                          Pattern(std::size_t(BytesInUnits(free)), 77)));
        ASSERT_EQ(volume.FreeUnitCount(), 0);
        ASSERT_TRUE(volume.WriteFat());
        // Table sector 0 of copy 1 can no longer be written, nor any spare sector.
        disk.Faults().Set(fatPositions1[0], Fault::Unwritable);
        disk.Faults().SetRange(26, 63, Fault::Unwritable);
    }
};

TEST_F(FullDisketteTest, GivesUpTheFewestUnitsToWriteTheTable) {
    user.Push(Answer::Ok);
    ASSERT_EQ(FullTest(), 0) << ::testing::PrintToString(user.Texts());
    const Message asked = user.Shown().at(0);
    EXPECT_EQ(asked.buttons, Buttons::OkCancel);
    EXPECT_EQ(asked.icon, Icon::Question);
    EXPECT_EQ(asked.text.substr(0, 20), "Unable to write FAT.");

    // The smallest set of files with at least twelve units went; the others are intact.
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(OpenVolume(volume));
    std::set<int> gone;
    int freed = 0;
    for (const PlacedFile& f : files) {
        std::vector<int> sectors;
        if (volume.CollectUnits(f.record.fileNumber, sectors) == 0) {
            gone.insert(f.record.fileNumber);
            freed += int(f.sectors.size());
        }
    }
    EXPECT_FALSE(gone.empty());
    EXPECT_GE(freed, 12);
    for (const PlacedFile& f : files) {  // no kept file would have done it alone with less
        const int units = int(f.sectors.size());
        if (!gone.count(f.record.fileNumber)) {
            EXPECT_FALSE(units >= 12 && units < freed) << f.record.name;
        }
    }
    ExpectFilesBack(gone);
}

TEST_F(FullDisketteTest, CancelKeepsEverything) {
    user.Push(Answer::Cancel);
    EXPECT_EQ(FullTest(), -1);
    EXPECT_EQ(dialog.m_nState, -1);
    disk.Faults().Clear();
    ExpectFilesBack();
}

TEST(FullTestRoom, NotEnoughFilesToGiveUp) {
    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    FormatQuick(disk);
    FatPositions copy1;
    {
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        WriteFileToVolume(volume, "small", "txt", Pattern(2000, 1));
        for (int u = 0; u < kUnitCount; ++u)
            if (volume.Fat().entries[u] == FAT_FREE) volume.MarkBad(SectorOfUnit(u));
        ASSERT_TRUE(volume.WriteFat());
        copy1 = volume.Ids().fat1;
    }
    disk.Faults().Set(copy1[0], Fault::Unwritable);
    disk.Faults().SetRange(26, 63, Fault::Unwritable);
    ScriptedUser user{Answer::Ok};
    RecordingWorkerDialog dialog;
    EXPECT_EQ(FullTestWorker(&disk.Drive(), dialog, user), -1);
    const Message told = user.Shown().back();
    EXPECT_EQ(told.text,
              "Unable to make enough disk space for writing FAT.\nYou should try to do it by "
              "yourself and start test again.");
    EXPECT_EQ(told.icon, Icon::Information);
}

TEST_F(FullTestTest, WriteProtectedDisketteWithoutIdSectors) {
    WreckSystemArea(Fault::None);
    disk.Faults().SetWriteProtected(true);
    user.Push(Answer::Yes);
    EXPECT_EQ(FullTest(), -1);
    const Message told = user.Shown().back();
    EXPECT_EQ(told.text.substr(0, 32), "Unable to write on the diskette.");
    EXPECT_EQ(told.icon, Icon::Exclamation);
}

TEST_F(FullTestTest, NoToContinueEndsQuietly) {
    WreckSystemArea(Fault::None);
    user.Push(Answer::No);
    EXPECT_EQ(FullTest(), -1);
    EXPECT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(dialog.m_nState, -1);
}

TEST_F(FullTestTest, StopDuringTheRebuild) {
    WreckSystemArea(Fault::None);
    user.Push(Answer::Yes);
    dialog.onProgress = [](RecordingWorkerDialog& d, int p) {
        if (p == 30) d.m_nState = -1;
    };
    EXPECT_EQ(FullTest(), -1);
    const Message told = user.Shown().back();
    EXPECT_EQ(told.text, "Scan interrupted.");
    EXPECT_EQ(told.icon, Icon::Exclamation);
    EXPECT_EQ(dialog.m_nState, -1);
}

// A diskette pulled while its units are read, in the rebuild (16..59) or the check of the files
// (60..79), is not a diskette of bad units: the test stops with the drive's own reason.
TEST_F(FullTestTest, DiskettePulledDuringAPassOverTheUnitsEndsWithTheDrivesReason) {
    WreckSystemArea(Fault::None);
    for (const int pullAt : {30, 69}) {
        disk.Medium().SetHooks({});
        dialog.m_nState = 0;
        user.Push(Answer::Yes);
        dialog.onProgress = [&](RecordingWorkerDialog&, int p) {
            if (p != pullAt) return;
            MemoryMedium::Hooks pulled;
            pulled.pullAfterRequests = 0;
            disk.Medium().ResetCounters();
            disk.Medium().SetHooks(pulled);
        };
        EXPECT_EQ(FullTest(), -1) << pullAt;
        const Message told = user.Shown().back();
        EXPECT_EQ(told.text, DriveFailureText(IoError::NoMedium)) << pullAt;
        EXPECT_EQ(told.icon, Icon::Stop) << pullAt;
        EXPECT_EQ(dialog.SawStatus("Checking the sectors of every file."), pullAt >= 60) << pullAt;
    }
}

}  // namespace
}  // namespace orv::tests
