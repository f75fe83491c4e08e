// Loading the table from either copy and writing it back, with table sectors that move.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/volume_fixture.h"

namespace orv {
namespace {

using tests::FatChunk;
using tests::SectorImage;
using tests::VolumeTest;

using ReadFat = VolumeTest;

TEST_F(ReadFat, TakesCopyTwoWhenCopyOneIsUnreadableOrInvalid) {
    Format();
    volume.SetUnits(64 + 1024, 7, 3);  // entries of table sector 4 (copy 1 at 8, copy 2 at 19)
    ASSERT_EQ(volume.WriteFat(), 0);

    disk.Faults().Set(8, Fault::Unreadable);
    auto other = Reopen();
    EXPECT_EQ(other->Fat().entries, volume.Fat().entries);
    disk.Faults().Clear();

    SectorImage invalid;
    for (int i = 0; i < kEntriesPerFatSector; ++i) PutU16(invalid.data() + 2 * i, 5);
    PutU16(invalid.data() + 2 * 17, 29999);
    disk.PutRaw(8, invalid);
    other = Reopen();
    EXPECT_EQ(other->Fat().entries, volume.Fat().entries);
}

TEST_F(ReadFat, SectorLostInBothCopiesFailsOrBecomesUnknown) {
    Format();
    volume.SetUnits(64 + 1023, 2, 258);
    ASSERT_EQ(volume.WriteFat(), 0);
    disk.Faults().Set(8, Fault::Bad);
    disk.Faults().Set(19, Fault::Unreadable);

    CVolume strict(&disk.Drive());
    ASSERT_TRUE(strict.OpenDevice());
    ASSERT_EQ(strict.FindIdSectors(), true);
    EXPECT_FALSE(strict.ReadFat(false));
    EXPECT_EQ(strict.Fat().pos1, FatPositions{}) << "positions are left alone";

    CVolume filling(&disk.Drive());
    ASSERT_TRUE(filling.OpenDevice());
    ASSERT_EQ(filling.FindIdSectors(), true);
    EXPECT_FALSE(filling.ReadFat(true));
    const auto& e = filling.Fat().entries;
    EXPECT_EQ(e[1023], 2);
    EXPECT_TRUE(std::all_of(e.begin() + 1024, e.begin() + 1280,
                            [](std::uint16_t v) { return v == FAT_UNKNOWN; }));
    EXPECT_EQ(e[1280], 2);
    EXPECT_EQ(e[1281], 0);
    EXPECT_EQ(filling.Fat().pos1, volume.Fat().pos1);
}

TEST_F(ReadFat, UnitHoldingATableSectorIsASystemUnit) {
    Format();
    volume.Fat().pos2[5] = 700;  // copy 2 of table sector 5 lives in the data area
    volume.Fat().dirty[5] = true;
    ASSERT_EQ(volume.WriteFat(), 1);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));

    auto other = Reopen();
    EXPECT_EQ(other->Fat().entries[636], FAT_SYSTEM);
    EXPECT_EQ(other->SystemBytes(), 507);
    EXPECT_EQ(other->FreeUnitCount(), kUnitCount - 1);

    // An ID record that names a unit of a file as a table position is wrong: the file keeps the
    // unit, and the next table write gives that copy a new place.
    other->Fat().Set(636, 3);
    other->Fat().pos2[5] = 700;
    ASSERT_TRUE(other->WriteFat());
    other->Fat().pos2[5] = 700;
    other->Ids().fat2[5] = 700;
    ASSERT_TRUE(other->ReadFat(false));
    EXPECT_EQ(other->Fat().entries[636], 3);
    EXPECT_NE(other->Fat().pos2[5], 700);
    EXPECT_GT(other->WriteFat().Value(), 0);  // moved: the ID sectors are to record it
    EXPECT_NE(other->Fat().pos2[5], 0);
}

using WriteFat = VolumeTest;

TEST_F(WriteFat, OnlyDirtyTableSectorsAreWrittenToBothCopies) {
    Format();
    disk.ClearWrites();
    volume.SetUnits(64 + 3 * 256 + 5, 9, 1);
    volume.MarkBad(2879);
    EXPECT_EQ(volume.WriteFat(), 0);
    EXPECT_EQ(disk.WrittenSectors(), (std::vector<int>{7, 14, 18, 25}));
    EXPECT_EQ(RawFat(7)[5], 9);
    EXPECT_EQ(RawFat(18)[5], 9);
    EXPECT_EQ(RawFat(25)[255], FAT_BAD);
    EXPECT_FALSE(volume.Fat().AnyDirty());
}

TEST_F(WriteFat, RefusedCopyMovesIntoTheSpareSectors) {
    Format();
    disk.Faults().Set(4, Fault::Unwritable);
    volume.SetUnits(64, 1, 2);
    EXPECT_EQ(volume.WriteFat(), 1);
    EXPECT_EQ(volume.Fat().pos1[0], 26);
    EXPECT_EQ(RawFat(26)[1], 1);
    EXPECT_EQ(RawFat(15)[1], 1);

    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    for (int s : {1, 2, 3, 2879}) EXPECT_EQ(RawId(s).fat1[0], 26) << s;
    auto other = Reopen();
    EXPECT_EQ(other->Fat().pos1[0], 26);
    EXPECT_EQ(other->Fat().entries, volume.Fat().entries);
}

TEST_F(WriteFat, CopyMovedIntoTheDataAreaIsMarkedAtOnceInBothCopies) {
    Format();
    volume.SetUnits(64, 1, 3);
    ASSERT_EQ(volume.WriteFat(), 0);
    disk.Faults().Set(4, Fault::Unwritable);
    disk.Faults().SetRange(26, 63, Fault::Unwritable);
    disk.Faults().Set(67, Fault::Unwritable);  // the lowest free unit refuses the write

    volume.SetUnits(64 + 100, 2, 1);
    EXPECT_EQ(volume.WriteFat(), 1);
    EXPECT_EQ(volume.Fat().pos1[0], 68);
    EXPECT_EQ(volume.Fat().entries[4], FAT_SYSTEM) << "the new home could be given to a file";
    EXPECT_FALSE(volume.Fat().AnyDirty());
    for (int s : {68, 15}) {
        EXPECT_EQ(RawFat(s)[4], FAT_SYSTEM) << "the mark did not reach the copy in " << s;
        EXPECT_EQ(RawFat(s)[100], 2) << s;
    }

    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    auto other = Reopen();
    EXPECT_EQ(other->Fat().pos1[0], 68);
    EXPECT_EQ(other->Fat().entries, volume.Fat().entries);
    // The unit that refused the table's write is bad, in memory and on the diskette.
    EXPECT_EQ(volume.Fat().entries[3], FAT_BAD);
    for (int s : {68, 15}) EXPECT_EQ(RawFat(s)[3], FAT_BAD) << s;
    EXPECT_EQ(volume.FindFirstFreeUnit(), 69);
}

TEST_F(WriteFat, DataAreaSearchIsBoundedAndSparesTheLastUnits) {
    Format();
    disk.Faults().Set(4, Fault::Unwritable);
    disk.Faults().SetRange(26, 63, Fault::Unwritable);
    disk.Faults().SetRange(64, 200, Fault::Unwritable);
    volume.SetUnits(64 + 150, 1, 1);
    auto dataAttempts = [&] {
        int n = 0;
        for (const auto& w : disk.Recorder().Writes()) n += w.first >= 64;
        return n;
    };
    disk.ClearWrites();
    EXPECT_FALSE(volume.WriteFat());
    EXPECT_EQ(dataAttempts(), 31);
    EXPECT_TRUE(volume.Fat().dirty[0]) << "a failed write keeps the table for a retry";
    EXPECT_EQ(volume.Fat().pos1[0], 4);

    // Only the last two units are free: neither may take a table sector.
    volume.Fat().entries.fill(1);
    volume.Fat().entries[kUnitCount - 2] = FAT_FREE;
    volume.Fat().entries[kUnitCount - 1] = FAT_FREE;
    volume.Fat().dirty[0] = true;
    disk.ClearWrites();
    EXPECT_FALSE(volume.WriteFat());
    EXPECT_EQ(dataAttempts(), 0);
}

TEST_F(WriteFat, MoveOfAFailedWriteIsReportedByTheNextOne) {
    Format();
    volume.SetUnits(64, 1, 1);
    volume.SetUnits(64 + 256, 2, 1);
    disk.Faults().Set(4, Fault::Unwritable);  // copy 1 of sector 0 moves to 26...
    disk.Faults().SetRange(27, 63, Fault::Unwritable);
    disk.Faults().SetRange(64, 200, Fault::Unwritable);
    disk.Faults().Set(5, Fault::Unwritable);  // ...while copy 1 of sector 1 finds no place
    EXPECT_FALSE(volume.WriteFat());
    EXPECT_EQ(volume.Fat().pos1[0], 26);

    disk.Faults().Set(5, Fault::None);  // the failure passes
    const Result<int> moved = volume.WriteFat();
    EXPECT_GT(moved.Value(), 0) << "the ID sectors still name sector 4 for table sector 0";
    if (moved.Value() > 0) {
        ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    }
    EXPECT_EQ(volume.WriteFat(), 0);
    auto other = Reopen();
    EXPECT_EQ(other->Fat().entries, volume.Fat().entries);
}

TEST_F(WriteFat, MoveStaysToBeRecordedWhileNoIdSectorTakesIt) {
    Format();
    disk.Faults().Set(4, Fault::Unwritable);
    volume.SetUnits(64, 1, 1);
    ASSERT_EQ(volume.WriteFat(), 1);
    disk.Faults().SetWriteProtected(true);
    EXPECT_FALSE(volume.WriteIdSectors(nullptr, nullptr));
    disk.Faults().SetWriteProtected(false);
    EXPECT_EQ(volume.WriteFat(), 1) << "the ID sectors on the diskette still name sector 4";
}

TEST_F(WriteFat, RefusedTableCanBeWrittenLater) {
    Format();
    volume.SetUnits(64, 1, 1);
    disk.Faults().SetWriteProtected(true);
    EXPECT_FALSE(volume.WriteFat());
    EXPECT_TRUE(volume.Fat().dirty[0]);
    EXPECT_EQ(volume.Fat().entries[0], 1);
    EXPECT_EQ(volume.Fat().pos1[0], 4);
    disk.Faults().SetWriteProtected(false);
    EXPECT_EQ(volume.WriteFat(), 0);
    EXPECT_FALSE(volume.Fat().AnyDirty());
    EXPECT_EQ(Reopen()->Fat().entries[0], 1);
}

}  // namespace
}  // namespace orv
