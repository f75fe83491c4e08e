// Sector 0, finding and writing the ID sectors, a new system area, the same-diskette test.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fs/name_text.h"
#include "support/volume_fixture.h"

namespace orv {
namespace {

using tests::SectorImage;
using tests::VolumeTest;

FatPositions Consecutive(int first) {
    FatPositions p{};
    for (int k = 0; k < kFatSectorCount; ++k) p[k] = std::uint16_t(first + k);
    return p;
}

SectorImage IdImage(const std::string& label, std::uint32_t stamp, const FatPositions& fat1,
                    const FatPositions& fat2) {
    IdRecord r;
    r.label = label;
    r.text = "kept";
    r.flag = true;
    r.stampTime = stamp;
    r.fat1 = fat1;
    r.fat2 = fat2;
    SectorImage s;
    BuildIdRecord(r, s.data());
    return s;
}

using Sector0 = VolumeTest;

TEST_F(Sector0, CheckTellsSignatureFromBlankFromUnreadable) {
    ASSERT_TRUE(volume.OpenDevice());
    EXPECT_EQ(volume.CheckSector0(), false);
    disk.Faults().Set(0, Fault::Unreadable);
    EXPECT_EQ(volume.CheckSector0().Error(), IoError::Unreadable);
    disk.Faults().Clear();

    EXPECT_TRUE(volume.RepairSector0());
    EXPECT_EQ(volume.CheckSector0(), true);
    SectorImage expected;
    BuildBootRecord(expected.data());
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 64, disk.Raw(0).begin()));
}

TEST_F(Sector0, RepairTriesThreeTimesAndNeedsTheSectorToReadBack) {
    ASSERT_TRUE(volume.OpenDevice());
    disk.Faults().Set(0, Fault::Unwritable);
    EXPECT_EQ(volume.RepairSector0().Error(), IoError::Unwritable);
    EXPECT_EQ(disk.Drive().Stats().writeRequests, 3);

    disk.Faults().Set(0, Fault::Unreadable);  // the write lands but cannot be read back
    EXPECT_EQ(volume.RepairSector0().Error(), IoError::Unreadable);
}

// Each operation on the system area that fails says why: the sector, the tab, the empty drive.
TEST_F(Sector0, FailuresOfTheSystemAreaCarryTheirCause) {
    Format();
    // The diskette alone in a drive of its own, as a medium that tells its causes.
    auto medium = std::make_shared<MemoryMedium>(disk.Medium().Bytes());
    CDrive drive;
    drive.InsertMedium(medium);
    CVolume writer(&drive);
    ASSERT_TRUE(writer.OpenDevice());
    ASSERT_EQ(writer.FindIdSectors(), true);
    ASSERT_TRUE(writer.ReadFat(false));
    medium->Faults().SetWriteProtected(true);
    writer.MarkAllFatDirty(true);
    EXPECT_EQ(writer.WriteFat().Error(), IoError::WriteProtected);
    EXPECT_EQ(writer.WriteIdSectors(nullptr, nullptr).Error(), IoError::WriteProtected);
    // The tab fails the first attempt at sector 0 as a whole: none follows.
    drive.ResetStats();
    EXPECT_EQ(writer.RepairSector0().Error(), IoError::WriteProtected);
    EXPECT_EQ(drive.Stats().writeRequests, 1);
    medium->Faults().SetWriteProtected(false);

    CVolume reader(&drive);
    ASSERT_TRUE(reader.OpenDevice());
    ASSERT_EQ(reader.FindIdSectors(), true);
    medium->Faults().Set(reader.Ids().fat1[2], Fault::Unreadable);
    medium->Faults().Set(reader.Ids().fat2[2], Fault::Unreadable);
    EXPECT_EQ(reader.ReadFat(false).Error(), IoError::Unreadable);
    EXPECT_EQ(reader.SameDiskette(), true);

    drive.Eject();
    EXPECT_EQ(reader.CheckSector0().Error(), IoError::NoMedium);
    EXPECT_EQ(reader.FindIdSectors().Error(), IoError::NoMedium);
    EXPECT_EQ(reader.SameDiskette().Error(), IoError::NoMedium);
    EXPECT_EQ(reader.ReadFat(false).Error(), IoError::NoMedium);
}

using SystemArea = VolumeTest;

TEST_F(SystemArea, QuickFormatOfABlankDisketteLaysOutTheDefaultArea) {
    SectorImage junk;
    junk.fill(0xEE);
    for (int s = 1; s <= 63; ++s) disk.PutRaw(s, junk);
    disk.PutRaw(2879, junk);
    Format("WORK");

    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 2, 3}));
    EXPECT_EQ(volume.Fat().pos1, Consecutive(4));
    EXPECT_EQ(volume.Fat().pos2, Consecutive(15));
    for (int s : {1, 2, 3, 2879}) {
        const IdRecord id = RawId(s);
        EXPECT_EQ(id.label, "WORK") << s;
        EXPECT_EQ(id.text, "") << s;
        EXPECT_FALSE(id.flag) << s;
        EXPECT_EQ(id.stampTime, kStart) << s;
        EXPECT_EQ(id.fat1, Consecutive(4)) << s;
        EXPECT_EQ(id.fat2, Consecutive(15)) << s;
    }
    for (int s = 4; s <= 25; ++s) EXPECT_EQ(RawFat(s), tests::FatChunk{}) << s;
    for (int s = 26; s <= 63; ++s) EXPECT_EQ(disk.Raw(s), junk) << "spare sector " << s;
    EXPECT_EQ(volume.CheckSector0(), true);
    EXPECT_EQ(volume.FreeUnitCount(), kUnitCount);
    EXPECT_FALSE(volume.Fat().AnyDirty());
}

TEST_F(SystemArea, TableCopiesKeepOffEveryIdPosition) {
    // Bad sectors early in the system area push the ID sectors into the default table range.
    disk.Faults().Set(2, Fault::Bad);
    disk.Faults().Set(5, Fault::Bad);
    ASSERT_TRUE(volume.OpenDevice());
    ASSERT_TRUE(volume.RepairSector0());
    ASSERT_EQ(volume.FindIdSectors(), false);
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 3, 4}));
    ASSERT_TRUE(volume.PrepareNewSystemArea());

    const FatPositions copy1 = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const FatPositions copy2 = {16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
    EXPECT_EQ(volume.Fat().pos1, copy1);
    EXPECT_EQ(volume.Fat().pos2, copy2);
    EXPECT_EQ(volume.Ids().fat1, copy1);
    EXPECT_EQ(volume.Ids().fat2, copy2);

    // Sector 5 refuses the table: it moves, and the diskette opens again with everything.
    volume.MarkAllFatDirty(true);
    ASSERT_GT(volume.WriteFat().Value(), 0);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    std::set<int> used(volume.Ids().positions.begin(), volume.Ids().positions.end());
    for (int k = 0; k < kFatSectorCount; ++k) {
        used.insert(volume.Fat().pos1[k]);
        used.insert(volume.Fat().pos2[k]);
    }
    EXPECT_EQ(used.size(), 25u) << "an ID sector and a table sector share a sector";
    EXPECT_EQ(used.count(5), 0u);
    auto other = Reopen();
    EXPECT_EQ(other->Fat().pos1, volume.Fat().pos1);
}

TEST_F(SystemArea, MissingIdPositionsDefaultToTwoAndThree) {
    disk.Faults().SetRange(1, 63, Fault::Bad);
    ASSERT_TRUE(volume.OpenDevice());
    ASSERT_EQ(volume.FindIdSectors(), false);
    EXPECT_FALSE(volume.PrepareNewSystemArea()) << "nothing of 1..63 is readable";

    disk.Faults().Set(40, Fault::None);
    CVolume other(&disk.Drive());
    ASSERT_TRUE(other.OpenDevice());
    ASSERT_EQ(other.FindIdSectors(), false);
    ASSERT_TRUE(other.PrepareNewSystemArea());
    EXPECT_EQ(other.Ids().positions, (std::array<std::uint16_t, 3>{40, 2, 3}));
    EXPECT_EQ(other.Fat().pos1, Consecutive(4));
    EXPECT_EQ(other.Fat().pos2, Consecutive(15));
    EXPECT_FALSE(other.Ids().flag);
}

using FindIds = VolumeTest;

TEST_F(FindIds, SkipsUnreadableSectorsAndTakesTheFirstRecord) {
    disk.Faults().SetRange(1, 2, Fault::Bad);
    disk.PutRaw(3, IdImage("THREE", 111, Consecutive(6), Consecutive(17)));
    disk.PutRaw(4, IdImage("OTHER", 111, Consecutive(30), Consecutive(41)));
    disk.PutRaw(5, IdImage("OTHER", 111, Consecutive(30), Consecutive(41)));
    ASSERT_TRUE(volume.OpenDevice());
    ASSERT_EQ(volume.FindIdSectors(), true);
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{3, 4, 5}));
    EXPECT_EQ(volume.Ids().label, "THREE");
    EXPECT_EQ(volume.Ids().text, "kept");
    EXPECT_TRUE(volume.Ids().flag);
    EXPECT_EQ(volume.Ids().stampTime, 111u);
    EXPECT_EQ(volume.Ids().fat1, Consecutive(6));
    EXPECT_EQ(volume.Ids().fat2, Consecutive(17));
}

TEST_F(FindIds, LoneIdSectorTakesTheFirstPositionAndCandidatesTheRest) {
    disk.PutRaw(10, IdImage("LONE", 5, Consecutive(20), Consecutive(31)));
    ASSERT_TRUE(volume.OpenDevice());
    ASSERT_EQ(volume.FindIdSectors(), true);
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{10, 2, 3}));
    EXPECT_EQ(volume.Ids().label, "LONE");
}

TEST_F(FindIds, NoIdSectorLeavesTheFirstReadableSectorsAsCandidates) {
    disk.Faults().Set(2, Fault::Unreadable);
    ASSERT_TRUE(volume.OpenDevice());
    EXPECT_EQ(volume.FindIdSectors(), false);
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 3, 4}));

    disk.Faults().Set(0, Fault::Bad);
    CVolume other(&disk.Drive());
    ASSERT_TRUE(other.OpenDevice());
    EXPECT_FALSE(other.FindIdSectors().Ok());
}

TEST_F(FindIds, ATableSectorIsNeverTakenForAnIdSector) {
    Format();
    volume.SetUnits(64, 1, 3);
    volume.SetUnits(64 + 1000, 2, 3);
    ASSERT_EQ(volume.WriteFat(), 0);
    disk.Faults().SetRange(2, 3, Fault::Bad);  // worn after the format

    CVolume worn(&disk.Drive());
    ASSERT_TRUE(worn.OpenDevice());
    ASSERT_EQ(worn.FindIdSectors(), true);
    for (int pos : worn.Ids().positions)
        EXPECT_FALSE(pos >= 4 && pos <= 25) << "table sector " << pos << " became an ID position";
    ASSERT_TRUE(worn.ReadFat(false));
    ASSERT_TRUE(worn.WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(worn.Ids().positions, (std::array<std::uint16_t, 3>{1, 26, 27}));
    for (int k = 0; k < kFatSectorCount; ++k) {
        EXPECT_EQ(RawFat(4 + k), TableChunk(volume, k)) << "copy 1, table sector " << k;
        EXPECT_EQ(RawFat(15 + k), TableChunk(volume, k)) << "copy 2, table sector " << k;
    }
    EXPECT_EQ(RawId(26).stampTime, kStart + 1);  // rewritten in the second of the format
    auto again = Reopen();
    EXPECT_EQ(again->Fat().entries, volume.Fat().entries);
}

TEST_F(FindIds, RecordLeftInASectorThatRefusedItsRewriteIsPassedOver) {
    Format();
    volume.SetUnits(64, 1, 2);
    disk.Faults().SetRange(1, 2, Fault::Unwritable);  // they keep the record of the format
    disk.Faults().Set(4, Fault::Unwritable);          // table sector 0 of copy 1 has to move
    clock.Advance(30);
    ASSERT_EQ(volume.WriteFat(), 1);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    ASSERT_EQ(RawId(1).stampTime, kStart);
    ASSERT_EQ(RawId(1).fat1[0], 4);

    auto other = Reopen();
    EXPECT_EQ(other->Ids().stampTime, kStart + 30);
    EXPECT_EQ(other->Ids().positions, (std::array<std::uint16_t, 3>{3, 27, 28}));
    EXPECT_EQ(other->Fat().pos1[0], 26);
    EXPECT_EQ(other->Fat().entries, volume.Fat().entries);
    EXPECT_EQ(other->SameDiskette(), true);
}

// Records that a rewrite could not replace, and records from a clock that ran ahead, stay on the
// diskette; the newest stamp decides which record names the table.
TEST_F(FindIds, ARewriteInTheSameSecondOutranksTheRecordThatRefusedIt) {
    Format();
    volume.SetUnits(64, 1, 2);
    disk.Faults().Set(1, Fault::Unwritable);  // keeps the record of the format
    disk.Faults().Set(4, Fault::Unwritable);  // table sector 0 of copy 1 has to move
    ASSERT_EQ(volume.WriteFat(), 1);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));  // the clock has not moved
    ASSERT_EQ(RawId(1).fat1[0], 4);

    auto other = Reopen();
    EXPECT_EQ(other->Fat().pos1[0], volume.Fat().pos1[0]);
    EXPECT_NE(other->Fat().pos1[0], 4);
    EXPECT_EQ(other->Fat().entries, volume.Fat().entries);
    EXPECT_EQ(other->SameDiskette(), true);
}

TEST_F(FindIds, ARecordFromAClockThatRanAheadNeverOutranksTheNewOne) {
    Format("AHEAD");
    // Written by a machine whose clock ran ahead: the ID sectors, and an older record left in a
    // sector outside today's positions that names another table.
    for (int s : {1, 2, 3})
        disk.PutRaw(s, IdImage("AHEAD", kStart + 2000, Consecutive(4), Consecutive(15)));
    disk.PutRaw(30, IdImage("AHEAD", kStart + 1000, Consecutive(40), Consecutive(51)));
    auto ahead = Reopen();
    ASSERT_EQ(ahead->Ids().stampTime, kStart + 2000);
    ahead->SetUnits(64, 1, 1);
    ASSERT_EQ(ahead->WriteFat(), 0);
    ASSERT_TRUE(ahead->WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(RawId(1).stampTime, kStart + 2001);

    auto after = Reopen();
    EXPECT_EQ(after->Ids().positions, (std::array<std::uint16_t, 3>{1, 2, 3}));
    EXPECT_EQ(after->Fat().pos1, Consecutive(4));
    EXPECT_EQ(after->Fat().entries[0], 1);
    EXPECT_EQ(ahead->SameDiskette(), true);
}

using WriteIds = VolumeTest;

TEST_F(WriteIds, RecordsPositionsStampLabelAndText) {
    Format("WORK");
    clock.Advance(60);
    volume.Fat().pos2[3] = 40;  // as a move would leave it
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    for (int s : {1, 2, 3}) {
        const IdRecord id = RawId(s);
        EXPECT_EQ(id.stampTime, kStart + 60);
        EXPECT_EQ(id.label, "WORK");
        EXPECT_EQ(id.fat2[3], 40);
    }
    EXPECT_EQ(volume.Ids().fat2[3], 40);

    const std::string label = "A-LABEL-LONGER-THAN-SIXTEEN", text = "remarks";
    ASSERT_TRUE(volume.WriteIdSectors(&label, &text));
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(RawId(2).label, "A-LABEL-LONGER-T");
    EXPECT_EQ(RawId(2).text, "remarks");
    EXPECT_EQ(volume.Ids().label, "A-LABEL-LONGER-T");

    // In the 8-bit code page a Czech label fits whole, as the first program wrote it.
    const std::string czech = "\u00da\u010detnictv\u00ed 2024";  // Účetnictví 2024
    ASSERT_TRUE(volume.WriteIdSectors(&czech, nullptr));
    EXPECT_EQ(RawId(1).label,
              "\xda\xe8"
              "etnictv\xed 2024");
    EXPECT_EQ(DisplayText(volume.Ids().label), czech);
}

TEST_F(WriteIds, ReserveCopyOnlyWhileTheLastUnitIsFree) {
    Format();
    EXPECT_EQ(RawId(2879).stampTime, kStart);
    clock.Advance(10);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(RawId(2879).stampTime, kStart + 10);

    disk.PutFile(volume, tests::MakeRecord(7, "last", "bin", 10), {2879}, tests::Pattern(10, 1));
    const SectorImage fileUnit = disk.Raw(2879);
    clock.Advance(10);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(disk.Raw(2879), fileUnit) << "the ID record overwrote a file's unit";
    EXPECT_EQ(RawId(1).stampTime, kStart + 20);
}

TEST_F(WriteIds, RefusedIdSectorIsReplacedOutsideTheTables) {
    Format();
    disk.Faults().Set(2, Fault::Unwritable);
    clock.Advance(5);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 26, 3}));
    EXPECT_EQ(RawId(26).stampTime, kStart + 5);
    for (int s = 4; s <= 25; ++s) EXPECT_EQ(RawFat(s), tests::FatChunk{}) << s;
}

TEST_F(WriteIds, FailsOnlyWhenNoIdSectorCanBeWritten) {
    Format();
    disk.Faults().SetWriteProtected(true);
    clock.Advance(5);
    EXPECT_FALSE(volume.WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(volume.Ids().stampTime, kStart);
    disk.Faults().SetWriteProtected(false);
    disk.Faults().SetRange(1, 62, Fault::Unwritable);
    EXPECT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{63, 0, 0}));
    // When no sector keeps the record, the failure says what the sectors did: refuse the
    // write, or take it and not read back.
    disk.Faults().SetRange(1, 63, Fault::Unwritable);
    EXPECT_EQ(volume.WriteIdSectors(nullptr, nullptr).Error(), IoError::Unwritable);
    disk.Faults().SetRange(1, 63, Fault::Unreadable);
    EXPECT_EQ(volume.WriteIdSectors(nullptr, nullptr).Error(), IoError::Unreadable);
}

using SameDiskette = VolumeTest;

TEST_F(SameDiskette, ComparesLabelAndStampOfTheFirstReadableIdSector) {
    Format("WORK");
    auto opened = Reopen();
    EXPECT_EQ(opened->SameDiskette(), true);

    disk.Faults().Set(1, Fault::Unreadable);
    EXPECT_EQ(opened->SameDiskette(), true) << "falls back to the second ID sector";
    disk.Faults().SetRange(2, 3, Fault::Unreadable);
    EXPECT_FALSE(opened->SameDiskette().Ok());
    disk.Faults().Clear();

    SectorImage relabelled = disk.Raw(1);
    relabelled[7] = 'w';  // "wORK": the comparison is exact
    disk.PutRaw(1, relabelled);
    EXPECT_EQ(opened->SameDiskette(), false);
}

TEST_F(SameDiskette, AnotherSessionsRewriteIsAnotherDisketteButOurOwnIsNot) {
    Format("WORK");
    auto opened = Reopen();
    clock.Advance(100);
    ASSERT_TRUE(opened->WriteIdSectors(nullptr, nullptr));  // e.g. after a table move
    EXPECT_EQ(opened->SameDiskette(), true);

    clock.Advance(100);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));  // someone else, later
    EXPECT_EQ(opened->SameDiskette(), false);
}

TEST_F(SystemArea, ResetForgetsTheDisketteAndLeavesNothingToWrite) {
    Format("WORK");
    volume.SetUnits(64, 3, 2);
    volume.ResetVolume();
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{0, 0, 0}));
    EXPECT_EQ(volume.Ids().label, "");
    EXPECT_EQ(volume.Ids().stampTime, 0u);
    for (int k = 0; k < kFatSectorCount; ++k) {
        EXPECT_EQ(volume.Fat().pos1[k], POS_RESET);
        EXPECT_EQ(volume.Fat().pos2[k], POS_RESET);
    }
    EXPECT_EQ(volume.Fat().entries[0], 3) << "entries stay";
    disk.Drive().ResetStats();
    EXPECT_EQ(volume.WriteFat(), 0);
    EXPECT_EQ(disk.Drive().Stats().writeRequests, 0);
}

}  // namespace
}  // namespace orv
