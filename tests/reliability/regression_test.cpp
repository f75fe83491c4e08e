// One test for every defect the reliability sweeps found, each in the smallest setting that
// shows it.
#include <gtest/gtest.h>

#include "fs/volume.h"
#include "maintenance/diskservice/system_parts_test.h"
#include "reliability/harness.h"
#include "support/memory_disk.h"

namespace orv::reliability {
namespace {

// A diskette with one file whose units span table sectors 0..2 (600 units), and that file.
struct SpanningFile {
    Medium medium = FormattedDiskette("SPAN");
    Bytes bytes = Data(std::size_t(BytesInUnits(600)), 77);
    long writesOfAdd = 0;
    long writesBeforeTable = 0;

    SpanningFile() {
        Medium probe = Clone(*medium);
        Rig rig(probe);
        EXPECT_EQ(rig.Open(), 0);
        EXPECT_EQ(rig.Add("span.bin", bytes), 0);
        writesOfAdd = probe->SectorWrites();
        writesBeforeTable = 600;  // the data units go first, then the table
    }
    // The add with the power failing after `writes` sector writes.
    Medium AddCutAfter(long writes) const {
        Medium m = Clone(*medium);
        MemoryMedium::Hooks hooks;
        hooks.powerLossAfterWrites = writes;
        m->SetHooks(hooks);
        Rig rig(m);
        EXPECT_EQ(rig.Open(), 0);
        rig.Add("span.bin", bytes);
        m->SetHooks({});
        return m;
    }
};

TEST(TableWriteCutShort, CopyOneIsWrittenWholeBeforeCopyTwo) {
    tests::MemoryDisk disk;
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(tests::QuickFormat(volume, "ORDER"));
    volume.SetUnits(SectorOfUnit(0), 1, 1);
    volume.SetUnits(SectorOfUnit(300), 1, 1);
    volume.SetUnits(SectorOfUnit(600), 1, 1);
    disk.ClearWrites();
    ASSERT_EQ(volume.WriteFat(), 0);
    std::vector<int> order;
    for (const auto& w : disk.Recorder().Writes())
        for (int s = w.first; s < w.first + w.count; ++s) order.push_back(s);
    EXPECT_EQ(order, (std::vector<int>{4, 5, 6, 15, 16, 17}));
    EXPECT_EQ(disk.Recorder().Writes().size(), 2u);  // a copy's neighbouring sectors at once
}

TEST(TableWriteCutShort, AFileWholeInNeitherCopyIsNotListedAndTheFullTestRebuildsIt) {
    const SpanningFile f;
    ASSERT_EQ(f.writesOfAdd, 600 + 6);
    // Copy 1 has table sectors 0 and 1, copy 2 none: copy 1 alone would list the file with
    // 512 of its 600 units. The diskette opens, without the file, and says so.
    const Medium cut = f.AddCutAfter(f.writesBeforeTable + 2);
    const ReadBack opened = ReadBackDiskette(cut, false);
    EXPECT_EQ(opened.openCode, 0);
    EXPECT_EQ(Check(opened, {}), "");
    ASSERT_EQ(opened.messages.size(), 1u);
    EXPECT_NE(opened.messages[0].find("span.bin (#1)"), std::string::npos) << opened.messages[0];
    EXPECT_EQ(RunSystemPartsTest(cut), PARTS_COPIES_DIFFER);

    const WorkerOutcome full = RunFullTest(cut);
    EXPECT_EQ(full.result, 0) << ::testing::PrintToString(full.messages);
    const ReadBack back = ReadBackDiskette(cut, false);
    ASSERT_EQ(back.finalCode, 0);
    ASSERT_TRUE(back.files.count("span.bin"));
    EXPECT_TRUE(back.files.at("span.bin").bytes == f.bytes);
    EXPECT_EQ(RunSystemPartsTest(cut), PARTS_SOUND);
}

TEST(TableWriteCutShort, AFileWholeInCopyOneIsListedWhileCopyTwoIsHalfWritten) {
    const SpanningFile f;
    const Medium cut = f.AddCutAfter(f.writesBeforeTable + 4);  // copy 1 whole, copy 2 begun
    const ReadBack back = ReadBackDiskette(cut, false);
    EXPECT_EQ(back.openCode, 0);
    EXPECT_EQ(Check(back, {{{"span.bin", f.bytes}}, {}}), "");
    // Nothing is written on such a diskette until the disk service has repaired it.
    Rig rig(cut);
    ASSERT_EQ(rig.Open(), 0);
    const Bytes before = cut->Bytes();
    EXPECT_EQ(rig.Add("more.txt", Data(100, 1)), -1);
    EXPECT_EQ(rig.Delete("span.bin"), -1);
    EXPECT_TRUE(cut->Bytes() == before);
}

TEST(TableWriteCutShort, DeleteCutShortLeavesTheFileWholeAfterTheFullTest) {
    const SpanningFile f;
    Medium m = Clone(*f.medium);
    {
        Rig rig(m);
        ASSERT_EQ(rig.Open(), 0);
        ASSERT_EQ(rig.Add("span.bin", f.bytes), 0);
        ASSERT_EQ(rig.Add("other.txt", Data(1000, 5)), 0);
    }
    m->ResetCounters();
    MemoryMedium::Hooks hooks;
    hooks.powerLossAfterWrites = 2;  // the table sectors 0 and 1 of copy 1 are free of it
    m->SetHooks(hooks);
    {
        Rig rig(m);
        ASSERT_EQ(rig.Open(), 0);
        rig.Delete("span.bin");
    }
    m->SetHooks({});
    // Copy 2 still gives the file every unit, and every unit carries its tag: it is whole.
    const ReadBack back = ReadBackDiskette(m, true);
    EXPECT_FALSE(back.fullTestRan);
    EXPECT_EQ(Check(back, {{{"other.txt", Data(1000, 5)}, {"span.bin", f.bytes}}, {}}), "");
}

// A file whose table entries differ between the copies, and whose header unit was overwritten
// since (a format cut short): its last unit carries its tag and, being mostly zeros, reads as
// the header of an empty file. It must not be listed under a name made of its data bytes.
TEST(TableWriteCutShort, AUnitAfterALostHeaderIsNotTakenForTheHeader) {
    Medium m = FormattedDiskette("LOST");
    const Bytes small = Data(std::size_t(BytesInUnits(2) + 10), 8);  // 10 bytes in unit 3
    std::vector<int> sectors;
    {
        Rig rig(m);
        ASSERT_EQ(rig.Open(), 0);
        ASSERT_EQ(rig.Add("small.txt", small), 0);
        ASSERT_EQ(rig.Add("other.txt", Data(1000, 5)), 0);
        rig.doc->Volume().CollectUnits(rig.Listed("small.txt")->fileNumber, sectors);
    }
    ASSERT_EQ(sectors.size(), 3u);
    m->ResetCounters();
    MemoryMedium::Hooks hooks;
    hooks.powerLossAfterWrites = 1;  // copy 1 is free of it, copy 2 still gives it its units
    m->SetHooks(hooks);
    {
        Rig rig(m);
        ASSERT_EQ(rig.Open(), 0);
        rig.Delete("small.txt");
    }
    m->SetHooks({});
    for (int sector : {sectors[0], sectors[1]})
        std::fill_n(m->SectorData(sector), kSectorSize, std::uint8_t(0xF6));
    const ReadBack back = ReadBackDiskette(m, false);
    EXPECT_EQ(back.openCode, 0);
    EXPECT_EQ(Check(back, {{{"other.txt", Data(1000, 5)}}, {}}), "");
}

// A copy of a diskette (same label, same stamp) that has gone its own way must not pass for the
// diskette that was opened: the table in memory would be written onto it.
TEST(SameDiskette, ACopyThatWentItsOwnWayIsToldApartByItsTable) {
    const Medium original = FormattedDiskette("TWIN");
    const Medium copy = Clone(*original);
    {
        Rig elsewhere(copy);
        ASSERT_EQ(elsewhere.Open(), 0);
        ASSERT_EQ(elsewhere.Add("elsewhere.txt", Data(2000, 3)), 0);
    }
    Rig rig(original);
    ASSERT_EQ(rig.Open(), 0);
    rig.Insert(copy);
    const Bytes before = copy->Bytes();
    EXPECT_EQ(rig.Add("here.txt", Data(1000, 4)), -1);
    EXPECT_EQ(rig.user.prompts.size(), 1u);  // "Orvalis found different diskette in drive..."
    EXPECT_TRUE(copy->Bytes() == before);
    rig.Insert(original);
    EXPECT_EQ(rig.Add("here.txt", Data(1000, 4)), 0);
}

// A diskette with an empty file and another file, both in table sector 0, whose two copies
// hold values outside the value set: the full test must rebuild the sector from the units.
Medium LostTableSectorWithEmptyFile(Rig*& out, std::unique_ptr<Rig>& holder) {
    Medium m = FormattedDiskette("EMPTY");
    holder = std::make_unique<Rig>(m);
    out = holder.get();
    EXPECT_EQ(out->Open(), 0);
    EXPECT_EQ(out->Add("nothing.txt", {}), 0);
    EXPECT_EQ(out->Add("some.txt", Data(3000, 1)), 0);
    const CFatTable& fat = out->doc->Volume().Fat();
    for (int sector : {int(fat.pos1[0]), int(fat.pos2[0])})
        std::fill_n(m->SectorData(sector), kSectorSize, std::uint8_t(0xEE));
    return m;
}

TEST(FullTest, KeepsAnEmptyFileWhenItRebuildsTheTable) {
    Rig* rig = nullptr;
    std::unique_ptr<Rig> holder;
    const Medium m = LostTableSectorWithEmptyFile(rig, holder);
    EXPECT_EQ(RunFullTest(m).result, 0);
    const ReadBack back = ReadBackDiskette(m, false);
    EXPECT_EQ(Check(back, {{{"nothing.txt", {}}, {"some.txt", Data(3000, 1)}}, {}}), "");
}

TEST(FullTest, OnePassingReadErrorTakesNoUnitFromItsFile) {
    Rig* rig = nullptr;
    std::unique_ptr<Rig> holder;
    const Medium m = LostTableSectorWithEmptyFile(rig, holder);
    // Every read of the full test in turn fails once.
    Medium probe = Clone(*m);
    RunFullTest(probe);
    const long reads = probe->ReadRequests();
    int checked = 0;
    for (long n = 1; n <= reads; ++n) {
        Medium trial = Clone(*m);
        MemoryMedium::Hooks hooks;
        hooks.failReadRequest = n;
        trial->SetHooks(hooks);
        const WorkerOutcome outcome = RunFullTest(trial);
        trial->SetHooks({});
        if (outcome.result != 0) continue;  // ended with its message: the diskette is as before
        const ReadBack back = ReadBackDiskette(trial, false);
        ASSERT_EQ(Check(back, {{{"some.txt", Data(3000, 1)}, {"nothing.txt", {}}}, {}}), "")
            << "read " << n << " failed";
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(FullTest, WritesNothingWhenTheDriveStopsReading) {
    Rig* rig = nullptr;
    std::unique_ptr<Rig> holder;
    const Medium m = LostTableSectorWithEmptyFile(rig, holder);
    const Bytes before = m->Bytes();
    m->ResetCounters();
    MemoryMedium::Hooks hooks;
    hooks.failReadRequest = 2;  // sector 0 reads, nothing after it
    hooks.failPersistent = true;
    m->SetHooks(hooks);
    const WorkerOutcome outcome = RunFullTest(m);
    EXPECT_EQ(outcome.result, -1);
    EXPECT_FALSE(outcome.messages.empty());
    EXPECT_TRUE(m->Bytes() == before)
        << "the table of a diskette that could not be read was written";
}

// A worn sector of the system area takes the write but never reads back.
TEST(SystemAreaWrite, TableSectorThatDoesNotReadBackMoves) {
    tests::MemoryDisk disk;
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(tests::QuickFormat(volume, "WORN"));
    disk.Faults().Set(4, Fault::Unreadable);
    volume.SetUnits(SectorOfUnit(0), 1, 1);
    EXPECT_EQ(volume.WriteFat(), 1);
    EXPECT_NE(volume.Fat().pos1[0], 4);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    CVolume reopened(&disk.Drive());
    ASSERT_TRUE(tests::OpenVolume(reopened));
    EXPECT_EQ(reopened.Fat().entries[0], 1);
    EXPECT_EQ(reopened.DifferingFatSectors(), 0);
}

TEST(SystemAreaWrite, IdSectorThatDoesNotReadBackIsReplaced) {
    tests::MemoryDisk disk;
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(tests::QuickFormat(volume, "WORN"));
    disk.Faults().Set(2, Fault::Unreadable);
    ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
    for (int pos : volume.Ids().positions) EXPECT_NE(pos, 2);
    CVolume reopened(&disk.Drive());
    ASSERT_TRUE(reopened.OpenDevice());
    ASSERT_EQ(reopened.FindIdSectors(), true);
    for (int pos : reopened.Ids().positions) EXPECT_NE(pos, 0) << "three ID sectors expected";
}

// Found by the fuzzer: an ID record whose copy-1 positions all name one sector. Every table
// sector was written over the others there, and the diskette never opened again.
TEST(IdRecord, RepeatedTablePositionsAreNotShared) {
    const Medium m = FormattedDiskette("REPEAT");
    FileSet files;
    {
        Rig rig(m);
        ASSERT_EQ(rig.Open(), 0);
        for (int i = 0; i < 3; ++i) {
            const std::string name = "f" + std::to_string(i);
            files[name] = Data(std::size_t(60000 * i + 10), std::uint32_t(i));
            ASSERT_EQ(rig.Add(name, files[name]), 0);
        }
    }
    for (int id : {1, 2, 3}) {
        IdRecord record;
        ASSERT_TRUE(ParseIdRecordBytes(m->SectorData(id), record));
        record.fat1.fill(4);
        BuildIdRecord(record, m->SectorData(id));
    }
    EXPECT_EQ(Check(ReadBackDiskette(m, false), {files, {}}), "") << "copy 2 holds the table";
    EXPECT_EQ(RunFullTest(m).result, 0);
    EXPECT_EQ(Check(ReadBackDiskette(m, false), {files, {}}), "");
    EXPECT_EQ(RunSystemPartsTest(m), PARTS_SOUND);
}

}  // namespace
}  // namespace orv::reliability
