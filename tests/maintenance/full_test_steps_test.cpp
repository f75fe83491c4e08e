// The volume steps of the full test: rebuilding owners, dropping implausible files, making
// room, and choosing a new system area.
#include <gtest/gtest.h>

#include <cstring>

#include "maintenance/diskservice/full_test_steps.h"
#include "maintenance/diskservice/make_room.h"
#include "maintenance/diskservice/plausible_header.h"
#include "maintenance/diskservice/resolve_units.h"
#include "maintenance_fixture.h"
#include "support/scoped_clock.h"

namespace orv::tests {
namespace {

class StepsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FormatQuick(disk);
        ASSERT_TRUE(OpenVolume(volume));
    }
    // Units of a file in the table, ascending.
    std::vector<int> UnitsOf(int number) {
        std::vector<int> units;
        for (int u = 0; u < kUnitCount; ++u)
            if (volume.Fat().entries[u] == number) units.push_back(u);
        return units;
    }
    std::vector<int> UnitsOf(const PlacedFile& f) {
        std::vector<int> units;
        for (int s : f.sectors) units.push_back(UnitOfSector(s));
        return units;
    }
    // The owners are lost: every entry unknown, then rebuilt.
    void Rebuild() {
        volume.MarkAllUnknown();
        uncertain.clear();
        ASSERT_EQ(ResolveUnknownUnits(volume, dialog, &uncertain), PassEnd::Done);
    }

    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    CVolume volume{&disk.Drive()};
    RecordingWorkerDialog dialog;
    std::vector<int> uncertain;  // of the last Rebuild
};

TEST_F(StepsTest, RebuildGivesEveryFileItsUnitsAndFreesTheRest) {
    const PlacedFile a = WriteFileToVolume(volume, "alpha", "txt", Pattern(3000, 1));
    const PlacedFile b = WriteFileToVolume(volume, "beta", "", Pattern(448, 2));
    disk.Faults().Set(SectorOfUnit(100), Fault::Unreadable);
    Rebuild();
    EXPECT_EQ(UnitsOf(a.record.fileNumber), UnitsOf(a));
    EXPECT_EQ(UnitsOf(b.record.fileNumber), UnitsOf(b));
    EXPECT_EQ(volume.Fat().entries[100], FAT_BAD);
    EXPECT_EQ(volume.FreeUnitCount(), kUnitCount - 7 - 1 - 1);
    EXPECT_TRUE(uncertain.empty());
    // Progress: one step per 64 sectors, from 16 at sector 64 to 59 at sector 2816.
    const auto progress = dialog.Progress();
    ASSERT_EQ(progress.size(), 44u);
    EXPECT_EQ(progress.front(), 16);
    EXPECT_EQ(progress.back(), 59);
}

TEST_F(StepsTest, OldTableSectorInTheDataAreaIsNotGivenToAFile) {
    const PlacedFile a = WriteFileToVolume(volume, "alpha", "txt", Pattern(2000, 1));
    // A copy of table sector 0 left in a free unit: it starts with the owner 1 of unit 0.
    SectorImage table{};
    EncodeFatSector(volume.Fat().entries.data(), table.data());
    ASSERT_EQ(GetU16(table.data()), a.record.fileNumber);
    (void)volume.WriteSector(SectorOfUnit(40), table.data());
    Rebuild();
    EXPECT_EQ(volume.Fat().entries[40], FAT_FREE);
    EXPECT_EQ(UnitsOf(a.record.fileNumber), UnitsOf(a));
}

TEST_F(StepsTest, HeaderIsTheLowestPlausibleHeaderAndUnitsBelowItAreFree) {
    // A data unit that merely starts with a small number, below the file's real header.
    SectorImage junk{};
    PutU16(junk.data(), 1);
    std::memcpy(junk.data() + 2, "txt", 3);
    (void)volume.WriteSector(SectorOfUnit(0), junk.data());
    volume.SetUnits(SectorOfUnit(0), FAT_BAD, 1);  // keep the writer off it
    const PlacedFile a = WriteFileToVolume(volume, "alpha", "txt", Pattern(1500, 3));
    ASSERT_EQ(a.record.fileNumber, 1);
    Rebuild();
    EXPECT_EQ(volume.Fat().entries[0], FAT_FREE);
    EXPECT_EQ(UnitsOf(1), UnitsOf(a));
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(ReadFileData(volume, 1, back));
    EXPECT_EQ(back, a.data);
}

TEST_F(StepsTest, UnreadableUnitsStayWhereAFileNeedsThem) {
    const PlacedFile a = WriteFileToVolume(volume, "alpha", "txt", Pattern(3000, 1));  // 0..6
    const PlacedFile b = WriteFileToVolume(volume, "beta", "", Pattern(2000, 2));      // 7..11
    for (int unit : {3, 6}) disk.Faults().Set(SectorOfUnit(unit), Fault::Unreadable);
    Rebuild();
    // Kept for their file, inside and at the end: every later byte stays in place. They are
    // the only unreadable units, so no other choice was left.
    EXPECT_EQ(UnitsOf(a.record.fileNumber), UnitsOf(a));
    EXPECT_EQ(UnitsOf(b.record.fileNumber), UnitsOf(b));
    EXPECT_TRUE(uncertain.empty());

    // c went around a unit that refused the write (bad, and unreadable since); unit 40 is free
    // and unreadable. Whether c went around unit 13 or lost it while a leftover stands in for
    // it, nothing tells; nor whether a lacks 13 or 40 rather than 3.
    volume.SetUnits(SectorOfUnit(13), FAT_BAD, 1);
    disk.Faults().Set(SectorOfUnit(13), Fault::Bad);
    const PlacedFile c = WriteFileToVolume(volume, "gamma", "bin", Pattern(2000, 3));  // 12, 14..
    disk.Faults().Set(SectorOfUnit(40), Fault::Unreadable);
    Rebuild();
    EXPECT_EQ(UnitsOf(a.record.fileNumber), UnitsOf(a));  // the units next to its own
    EXPECT_EQ(UnitsOf(c.record.fileNumber), UnitsOf(c));
    EXPECT_EQ(volume.Fat().entries[13], FAT_BAD);
    EXPECT_EQ(volume.Fat().entries[40], FAT_BAD);
    EXPECT_EQ(uncertain, (std::vector<int>{a.record.fileNumber, c.record.fileNumber}));
}

TEST_F(StepsTest, LeftoversOfAnOlderFileWithTheSameNumberAndExtensionMakeItUncertain) {
    const PlacedFile old = WriteFileToVolume(volume, "old", "txt", Pattern(5000, 4));
    volume.ReleaseFile(old.record.fileNumber);
    const PlacedFile now = WriteFileToVolume(volume, "new", "txt", Pattern(1200, 5));
    ASSERT_EQ(now.record.fileNumber, old.record.fileNumber);
    ASSERT_LT(now.sectors.size(), old.sectors.size());
    Rebuild();
    EXPECT_EQ(UnitsOf(now.record.fileNumber), UnitsOf(now));
    EXPECT_EQ(volume.FreeUnitCount(), kUnitCount - int(now.sectors.size()));
    EXPECT_EQ(uncertain, std::vector<int>{now.record.fileNumber});
}

TEST_F(StepsTest, UnitsOfAFileWhoseTableSectorSurvivedFollowItsKnownHeader) {
    // File 1 spans units 250..259: its header in table sector 0, the rest in sector 1.
    volume.SetUnits(SectorOfUnit(0), FAT_BAD, 250);
    const PlacedFile a = WriteFileToVolume(volume, "span", "doc", Pattern(5000, 6));
    ASSERT_EQ(UnitOfSector(a.sectors.front()), 250);
    SectorImage other{};  // a unit tagged 1 with another extension
    PutU16(other.data(), 1);
    std::memcpy(other.data() + 2, "exe", 3);
    (void)volume.WriteSector(SectorOfUnit(300), other.data());
    ASSERT_TRUE(volume.WriteFat());
    // Table sector 1 lost in both copies.
    disk.Faults().Set(volume.Ids().fat1[1], Fault::Unreadable);
    disk.Faults().Set(volume.Ids().fat2[1], Fault::Unreadable);
    EXPECT_FALSE(volume.ReadFat(true));
    ASSERT_EQ(ResolveUnknownUnits(volume, dialog), PassEnd::Done);
    EXPECT_EQ(UnitsOf(1), UnitsOf(a));
    EXPECT_EQ(volume.Fat().entries[300], FAT_FREE);
}

TEST_F(StepsTest, StopRequestEndsTheRebuild) {
    volume.MarkAllUnknown();
    dialog.onProgress = [](RecordingWorkerDialog& d, int p) {
        if (p == 20) d.m_nState = -1;
    };
    EXPECT_EQ(ResolveUnknownUnits(volume, dialog), PassEnd::Stopped);
    EXPECT_EQ(dialog.Progress().back(), 20);
}

TEST(PlausibleHeader, WhatAFileHeaderLooksLike) {
    FileRecord r;
    r.fileNumber = 3;
    r.name = "report";
    r.extension = "txt";
    r.size = 100;
    r.modificationTime = 1000;
    SectorImage good{};
    CVolume::BuildHeader(r, good.data());
    EXPECT_TRUE(IsPlausibleHeader(good.data()));

    auto changed = [&](auto change) {
        SectorImage s = good;
        change(s);
        return IsPlausibleHeader(s.data());
    };
    EXPECT_FALSE(changed([](SectorImage& s) { s[5] = 1; }));      // part number
    EXPECT_FALSE(changed([](SectorImage& s) { s[6] = 0; }));      // empty name
    EXPECT_FALSE(changed([](SectorImage& s) { s[8] = 0x07; }));   // control character
    EXPECT_FALSE(changed([](SectorImage& s) { s[3] = 0x01; }));   // in the extension
    EXPECT_TRUE(changed([](SectorImage& s) { s[2] = 0; }));       // no extension is fine
    EXPECT_FALSE(changed([](SectorImage& s) { s[63] = 0x10; }));  // a directory's attributes
    EXPECT_TRUE(changed([](SectorImage& s) { s[63] = 0xA7; }));   // any file's attributes
    // Neither an empty file nor any date makes a header implausible.
    EXPECT_TRUE(changed([](SectorImage& s) { PutU32(s.data() + 55, 0); }));
    EXPECT_TRUE(changed([](SectorImage& s) { PutU32(s.data() + 59, 0); }));
    EXPECT_TRUE(changed([](SectorImage& s) { PutU32(s.data() + 59, 0xFFFFFFFFu); }));
}

TEST_F(StepsTest, DropImplausibleFilesJudgesStructureNotDates) {
    const PlacedFile good = WriteFileToVolume(volume, "good", "txt", Pattern(100, 1));
    const PlacedFile empty = WriteFileToVolume(volume, "empty", "txt", {});
    PlacedFile sizeless = WriteFileToVolume(volume, "sizeless", "txt", Pattern(600, 5));
    PlacedFile future = WriteFileToVolume(volume, "future", "txt", Pattern(100, 2));
    PlacedFile zero = WriteFileToVolume(volume, "zero", "txt", Pattern(100, 3));
    const PlacedFile unreadable = WriteFileToVolume(volume, "lost", "txt", Pattern(100, 4));
    PlacedFile short3 = WriteFileToVolume(volume, "short", "txt", Pattern(1000, 6));
    PlacedFile stranger = WriteFileToVolume(volume, "stranger", "txt", Pattern(100, 7));
    sizeless.record.size = 0;  // two units, yet a size of 0
    short3.record.size = 900;  // three units, where 900 bytes need two
    future.record.modificationTime = kTestNow + 86400 * 365;
    zero.record.modificationTime = 0;
    stranger.record.fileNumber = 2000;  // a header that names another file
    for (PlacedFile* file : {&future, &zero, &sizeless, &short3, &stranger}) {
        SectorImage header;
        (void)volume.ReadSector(file->sectors[0], header.data());
        CVolume::BuildHeader(file->record, header.data());
        (void)volume.WriteSector(file->sectors[0], header.data());
    }
    disk.Faults().Set(unreadable.sectors[0], Fault::Unreadable);

    DropImplausibleFiles(volume);
    std::vector<int> numbers;
    volume.ListFileNumbers(numbers);
    EXPECT_EQ(numbers, (std::vector<int>{good.record.fileNumber, empty.record.fileNumber,
                                         future.record.fileNumber, zero.record.fileNumber,
                                         unreadable.record.fileNumber}));
}

TEST_F(StepsTest, MakeRoomGivesUpUnreadableFilesFirst) {
    const PlacedFile big = WriteFileToVolume(volume, "big", "bin", Pattern(20 * 507, 1));
    const PlacedFile small = WriteFileToVolume(volume, "small", "bin", Pattern(12 * 507, 2));
    disk.Faults().Set(big.sectors[0], Fault::Unreadable);
    const int before = volume.FreeUnitCount();
    EXPECT_EQ(MakeRoom(volume), 0);
    EXPECT_GT(volume.FreeUnitCount(), before + 11);
    EXPECT_TRUE(UnitsOf(big.record.fileNumber).empty());
    EXPECT_EQ(UnitsOf(small.record.fileNumber), UnitsOf(small));
}

TEST_F(StepsTest, MakeRoomLosesTheFewestUnits) {
    // Files of 5, 5, 5, 11 and 30 units: 15 units (the three small ones) beat 5 + 11 and 30.
    std::vector<PlacedFile> files;
    for (int units : {5, 5, 5, 11, 30})
        files.push_back(WriteFileToVolume(volume, "f", "bin", Pattern(507 * units - 59, units)));
    EXPECT_EQ(MakeRoom(volume), 0);
    std::vector<int> numbers;
    volume.ListFileNumbers(numbers);
    EXPECT_EQ(numbers, (std::vector<int>{files[3].record.fileNumber, files[4].record.fileNumber}));

    // One file of exactly twelve units beats 5 + 7 (as few units, one file fewer).
    for (int n : numbers) volume.ReleaseFile(n);
    std::vector<PlacedFile> more;
    for (int units : {5, 7, 12, 40})
        more.push_back(WriteFileToVolume(volume, "g", "bin", Pattern(507 * units - 59, units)));
    EXPECT_EQ(MakeRoom(volume), 0);
    numbers.clear();
    volume.ListFileNumbers(numbers);
    EXPECT_EQ(numbers, (std::vector<int>{more[0].record.fileNumber, more[1].record.fileNumber,
                                         more[3].record.fileNumber}));
}

TEST_F(StepsTest, MakeRoomFailsWhenAllFilesTogetherAreTooSmall) {
    WriteFileToVolume(volume, "a", "bin", Pattern(2000, 1));  // 5 units
    WriteFileToVolume(volume, "b", "bin", Pattern(1000, 2));  // 3 units
    EXPECT_EQ(MakeRoom(volume), -1);
}

TEST_F(StepsTest, NewSystemAreaOnReadableAndWritableSectors) {
    disk.Faults().Set(2, Fault::Unreadable);
    disk.Faults().Set(9, Fault::Unreadable);
    EXPECT_EQ(ChooseSystemArea(volume), 0);
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 3, 4}));
    EXPECT_EQ(volume.Fat().pos1, (FatPositions{5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(volume.Fat().pos2, (FatPositions{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27}));
    EXPECT_EQ(volume.Ids().fat1, volume.Fat().pos1);

    // Too few readable sectors in 1..63: the rest is left to the table write.
    disk.Faults().SetRange(10, 63, Fault::Unreadable);
    EXPECT_EQ(ChooseFatPositions(volume), 0);
    EXPECT_EQ(volume.Fat().pos1, (FatPositions{5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(StepsTest, SystemAreaThatTakesNoWrite) {
    disk.Faults().SetWriteProtected(true);
    EXPECT_EQ(FindRwSectors(volume), -3);
    disk.Faults().SetWriteProtected(false);
    disk.Faults().SetRange(1, 63, Fault::Unwritable);
    disk.Faults().Set(30, Fault::None);
    EXPECT_EQ(ChooseSystemArea(volume), -2);
    disk.Faults().Set(40, Fault::None);
    EXPECT_EQ(ChooseSystemArea(volume), -1);
}

}  // namespace
}  // namespace orv::tests
