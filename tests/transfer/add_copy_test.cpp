#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <set>

#include "transfer/host_names.h"
#include "transfer_fixture.h"

namespace orv::tests {
namespace {

class AddCopy : public TransferTest {};

TEST_F(AddCopy, FilesOfEverySizeCopyBackByteExact) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    struct Case {
        std::size_t size;
        int units;
    };
    const Case cases[] = {
        {0, 1}, {1, 1}, {448, 1}, {449, 2}, {955, 2}, {956, 3}, {100000, UnitsForBytes(100000)}};
    int seed = 1;
    for (const Case& c : cases) {
        const std::string name = "f" + std::to_string(c.size) + ".bin";
        const auto data = Pattern(c.size, std::uint32_t(seed++));
        const int freeBefore = doc->Volume().FreeUnitCount();
        ASSERT_EQ(doc->AddFile(HostFile(name, data), 0), 0) << c.size;
        EXPECT_EQ(freeBefore - doc->Volume().FreeUnitCount(), c.units) << c.size;
        const FileRecord* r = Listed(name);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->size, c.size);
        int rc = -2;
        EXPECT_EQ(CopyBack(name, &rc), data) << c.size;
        EXPECT_EQ(rc, 0);
    }
    // And all of them survive a close and a fresh open of the diskette.
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    EXPECT_EQ(doc->Files().size(), std::size(cases));
    EXPECT_EQ(CopyBack("f0.bin"), std::vector<std::uint8_t>{});
    EXPECT_EQ(CopyBack("f449.bin"), Pattern(449, 4));
}

TEST_F(AddCopy, TheLargestFileThatFitsFillsTheDiskette) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const int units = doc->Volume().FreeUnitCount();
    const auto data = Pattern(std::size_t(BytesInUnits(units)), 7);
    ASSERT_EQ(doc->AddFile(HostFile("big.dat", data), 0), 0);
    EXPECT_EQ(doc->Volume().FreeUnitCount(), 0);
    EXPECT_TRUE(user.prompts.empty());
    EXPECT_EQ(CopyBack("big.dat"), data);
}

TEST_F(AddCopy, AFileLargerThanTheDisketteContinuesOnTheNextWithExtensionOne) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    auto second = NewDiskette("SECOND");
    user.inserts.push_back([&] { Insert(second); });
    const auto data = Pattern(2000, 3);
    const std::string path = HostFile("report.txt", data);

    EXPECT_EQ(doc->AddFile(path, 0), 2);
    ASSERT_EQ(user.prompts.size(), 1u);
    EXPECT_EQ(user.prompts[0].text, "Please, insert another diskette (mark as 1) and click on OK.");
    // The diskette now open holds the rest as part 1.
    const FileRecord* part = Listed("report.1");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->size, 2000u);
    ASSERT_EQ(runner.specs.size(), 2u);

    // Collect it back from the first diskette: the first part, then "report.1".
    Insert(disk);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const FileRecord* first = Listed("report.txt");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(doc->Volume().ChainCapacity(first->fileNumber), 448 + 2 * 507);
    user.inserts.push_back([&] { Insert(second); });
    EXPECT_EQ(CopyBack("report.txt"), data);
    EXPECT_EQ(user.prompts.back().text, "Insert diskette with file report.1\nand click OK");
}

// Every counter of a run: never past its total, never going back, ending at the total, and the
// total that of the whole file on every diskette.
void ExpectWholeFileCounts(const std::vector<std::pair<long, long>>& counts, long total) {
    ASSERT_FALSE(counts.empty());
    long last = 0;
    for (const auto& [done, shown] : counts) {
        EXPECT_EQ(shown, total);
        EXPECT_LE(done, shown);
        EXPECT_GE(done, last);
        last = done;
    }
    EXPECT_EQ(last, total);
}

TEST_F(AddCopy, ProgressCountsTheWholeFileAndNeverPassesItsTotal) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    // 300 000 bytes fill 592 units: 448 bytes in the first, 507 in each further one.
    EXPECT_EQ(doc->AddFile(HostFile("big.bin", Pattern(300000, 2)), 0), 0);
    ExpectWholeFileCounts(runner.counts, 592);

    // Spread over two diskettes, the add counts 5 units and the copy 2000 bytes throughout.
    LeaveFreeUnits(3);
    auto second = NewDiskette("SECOND");
    user.inserts.push_back([&] { Insert(second); });
    runner.counts.clear();
    EXPECT_EQ(doc->AddFile(HostFile("report.txt", Pattern(2000, 3)), 0), 2);
    ASSERT_EQ(runner.specs.size(), 3u);
    ExpectWholeFileCounts(runner.counts, 5);

    Insert(disk);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    user.inserts.push_back([&] { Insert(second); });
    runner.counts.clear();
    EXPECT_EQ(CopyBack("report.txt"), Pattern(2000, 3));
    ExpectWholeFileCounts(runner.counts, 2000);
    EXPECT_EQ(runner.lastPercent, 100);
}

TEST_F(AddCopy, CancellingTheNextDiskettePromptKeepsTheFirstPart) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    EXPECT_EQ(doc->AddFile(HostFile("a.txt", Pattern(2000, 1)), 0), 2);
    // The user learns that the first part stays and where the rest would begin.
    EXPECT_TRUE(
        user.Saw("Adding has been interrupted on 1462 B.\n\nThe parts added so far stay "
                 "on their diskettes. To add the rest of the file, put a further "
                 "diskette in and use Add from... with the position 1462."));
    ASSERT_NE(Listed("a.txt"), nullptr);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    EXPECT_NE(Listed("a.txt"), nullptr);
}

// A cancel confirmed as a part ended (its work done): no further diskette is asked for, the
// add keeps its first part and says how to go on, the copy names its incomplete target and
// size. A cancel at the prompt for the next part names the target too.
TEST_F(AddCopy, ACancelConfirmedAsAPartEndsStopsBeforeTheNextDiskette) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    auto second = NewDiskette("SECOND");
    runner.stopAskedAtEndOfRun = 1;
    user.inserts.push_back([&] { Insert(second); });
    EXPECT_EQ(doc->AddFile(HostFile("a.txt", Pattern(2000, 1)), 0), 2);
    EXPECT_TRUE(user.prompts.empty());
    EXPECT_TRUE(
        user.Saw("Adding has been interrupted on 1462 B.\n\nThe parts added so far stay "
                 "on their diskettes. To add the rest of the file, put a further "
                 "diskette in and use Add from... with the position 1462."));

    // A file spread over two diskettes for the copies.
    user.inserts.clear();
    runner.stopAskedAtEndOfRun = 0;
    doc->CloseDiskette();
    Insert(second);
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    auto third = NewDiskette("THIRD");
    user.inserts.push_back([&] { Insert(third); });
    ASSERT_EQ(doc->AddFile(HostFile("c.txt", Pattern(2000, 3)), 0), 2);
    doc->CloseDiskette();
    Insert(second);
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_NE(Listed("c.txt"), nullptr);
    FileRecord key = *Listed("c.txt");
    const std::string target = dir.File("c.out");
    user.prompts.clear();
    runner.stopAskedAtEndOfRun = runner.runs + 1;
    EXPECT_EQ(doc->CopyFromDiskette(key, target, false, -1), -1);
    EXPECT_TRUE(user.prompts.empty());
    EXPECT_TRUE(user.Saw("Action has been interrupted by user.\n\n" + target +
                         " is incomplete: it holds 1462 B."));

    runner.stopAskedAtEndOfRun = 0;
    EXPECT_EQ(doc->CopyFromDiskette(key, target, false, -1), -1);  // no diskette offered
    EXPECT_EQ(user.prompts.size(), 1u);
    EXPECT_TRUE(user.Saw("Copying had been interrupt by user.\n\n" + target +
                         " is incomplete: it holds 1462 B."));
}

// A blank diskette put in for the next part: where the front end can format, the user is
// offered that and the part goes onto the diskette formatted; declined, the prompt comes back.
TEST_F(AddCopy, ABlankDisketteForTheNextPartIsOfferedAFormatAndTakesThePart) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    auto blank = std::make_shared<MemoryMedium>();
    int formats = 0;
    doc->SetFormatter([&] {
        ++formats;
        Insert(NewDiskette("FORMATTED"));  // what the format dialog leaves in the drive
        return true;
    });
    // First declined (the prompt comes back), then accepted.
    user.inserts.push_back([&] { Insert(blank); });
    user.inserts.push_back([&] { Insert(blank); });
    user.answers = {Answer::Yes, Answer::No, Answer::Yes, Answer::Yes};
    const auto data = Pattern(2000, 4);
    EXPECT_EQ(doc->AddFile(HostFile("a.txt", data), 0), 2);
    EXPECT_EQ(formats, 1);
    EXPECT_EQ(user.prompts.size(), 2u);
    EXPECT_TRUE(
        user.Saw("Diskette is not formated for Orvalis.\n\nA diskette that was never "
                 "formatted for Orvalis takes the next part once it is formatted.\nDo "
                 "you want to format it now ?"));
    EXPECT_EQ(doc->Volume().Ids().label, "FORMATTED");
    ASSERT_NE(Listed("a.1"), nullptr);
    EXPECT_EQ(Listed("a.1")->size, 2000u);
    EXPECT_TRUE(user.answers.empty());
}

// A program that cannot ask for another diskette: what does not fit fails whole, and the table
// keeps only the units that turned out bad.
TEST_F(AddCopy, AnAddThatMayNotSpreadStoresTheWholeFileOrNothing) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(5);
    const int first = doc->Volume().FindFirstFreeUnit().value();
    disk->Faults().Set(first + 1, Fault::Unwritable);
    disk->Faults().Set(first + 3, Fault::Unwritable);
    const int badBefore = doc->Volume().Fat().Count(FAT_BAD);
    // Five free units would take 2 000 bytes; the three that take a write hold 1 462.
    AddOutcome outcome;
    EXPECT_EQ(doc->AddFile(HostFile("a.txt", Pattern(2000, 1)), 0, &outcome, AddSpread::Never), -1);
    EXPECT_TRUE(outcome.failure.noRoom);
    EXPECT_FALSE(outcome.complete);
    EXPECT_TRUE(user.prompts.empty());
    EXPECT_TRUE(user.Saw("Diskette is defective or full."));
    EXPECT_EQ(Listed("a.txt"), nullptr);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    EXPECT_EQ(Listed("a.txt"), nullptr);
    EXPECT_EQ(doc->Volume().Fat().Count(FAT_BAD), badBefore + 2);
    EXPECT_EQ(doc->Volume().FreeUnitCount(), 3);

    const auto fits = Pattern(1462, 2);
    EXPECT_EQ(doc->AddFile(HostFile("b.txt", fits), 0, &outcome, AddSpread::Never), 0);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(CopyBack("b.txt"), fits);
    EXPECT_EQ(doc->AddFile(HostFile("c.txt", {}), 0, &outcome, AddSpread::Never), -1);
    EXPECT_TRUE(outcome.failure.noRoom) << "no unit left even for an empty file";
}

TEST_F(AddCopy, AFullFurtherDisketteIsNotCountedAsWritten) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    // The second diskette has no free unit at all; the third takes the rest.
    auto full = NewDiskette("FULL");
    {
        CDrive scratch;
        scratch.InsertMedium(full);
        CVolume v(&scratch);
        ASSERT_TRUE(OpenVolume(v));
        for (int u = 0; u < kUnitCount; ++u)
            if (v.Fat().entries[u] == FAT_FREE) v.Fat().Set(u, FAT_BAD);
        ASSERT_TRUE(v.WriteFat());
    }
    auto third = NewDiskette("THIRD");
    user.inserts.push_back([&] { Insert(full); });
    user.inserts.push_back([&] { Insert(third); });
    const auto data = Pattern(3000, 9);
    EXPECT_EQ(doc->AddFile(HostFile("x.bin", data), 0), 2);
    EXPECT_TRUE(user.Saw("Diskette is defective or full."));
    // Asked for diskette 1 twice: the full one was no part.
    ASSERT_EQ(user.prompts.size(), 2u);
    EXPECT_EQ(user.prompts[1].text, user.prompts[0].text);
    const FileRecord* part = Listed("x.1");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(doc->Volume().ChainCapacity(part->fileNumber),
              BytesInUnits(UnitsForBytes(3000 - 1462)));
}

TEST_F(AddCopy, AnUnwritableUnitInsideARunIsSkippedAndTheDataStaysInOrder) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const int first = doc->Volume().FindFirstFreeUnit().value();
    disk->Faults().Set(first + 5, Fault::Unwritable);
    const auto data = Pattern(20 * 507, 5);
    ASSERT_EQ(doc->AddFile(HostFile("run.bin", data), 0), 0);
    EXPECT_EQ(doc->Volume().Fat().entries[UnitOfSector(first + 5)], FAT_BAD);
    EXPECT_EQ(doc->Volume().Fat().Count(FAT_BAD), 1);
    disk->Faults().Set(first + 5, Fault::None);
    EXPECT_EQ(CopyBack("run.bin"), data);
}

TEST_F(AddCopy, AnInterruptedAddLeavesTheTableOnTheDisketteUnchanged) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("keep.txt", Pattern(3000, 2)), 0), 0);
    const auto before = disk->Bytes();
    runner.cancelAfterReports = 4;
    EXPECT_EQ(doc->AddFile(HostFile("big.bin", Pattern(60000, 3)), 0), -1);
    EXPECT_TRUE(user.Saw("Action has been interrupted by user."));
    EXPECT_EQ(Listed("big.bin"), nullptr);
    // Table sectors and ID sectors are as before; only data units were written.
    for (int s = 0; s < kFirstDataSector; ++s)
        EXPECT_EQ(std::memcmp(before.data() + s * kSectorSize,
                              disk->Bytes().data() + s * kSectorSize, kSectorSize),
                  0)
            << "sector " << s;
    runner.cancelAfterReports = 0;
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    EXPECT_EQ(doc->Files().size(), 1u);
    EXPECT_EQ(CopyBack("keep.txt"), Pattern(3000, 2));
}

TEST_F(AddCopy, CopyGoesOnPastAnUnreadableUnitWithFillerAndReportsItsPosition) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const auto data = Pattern(2000, 11);
    ASSERT_EQ(doc->AddFile(HostFile("doc.txt", data), 0), 0);
    std::vector<int> units;
    doc->Volume().CollectUnits(Listed("doc.txt")->fileNumber, units);
    ASSERT_EQ(units.size(), 5u);
    disk->Faults().Set(units[1], Fault::Unreadable);
    user.answers = {Answer::Ok};  // go on past the bad sector

    int rc = -2;
    const auto back = CopyBack("doc.txt", &rc);
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(back.size(), 2000u);
    auto expected = data;
    std::fill(expected.begin() + 448, expected.begin() + 955, std::uint8_t('X'));
    EXPECT_EQ(back, expected);
    ASSERT_EQ(report.lists.size(), 1u);
    EXPECT_EQ(report.lists[0], (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(report.seen[0].startByte, 0);
    EXPECT_EQ(report.seen[0].name, "doc.txt");
    // Not marked: the file stays.
    EXPECT_NE(Listed("doc.txt"), nullptr);
}

TEST_F(AddCopy, CancelAtTheBadSectorQuestionEndsTheCopy) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("doc.txt", Pattern(2000, 1)), 0), 0);
    std::vector<int> units;
    doc->Volume().CollectUnits(Listed("doc.txt")->fileNumber, units);
    disk->Faults().Set(units[2], Fault::Unreadable);
    user.answers = {Answer::Cancel};
    int rc = 0;
    const auto back = CopyBack("doc.txt", &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(back.size(), 448u + 507u);  // what was written before the bad unit
    EXPECT_TRUE(report.lists.empty());
}

TEST_F(AddCopy, AnUnreadableFirstUnitOfANonLastPartStopsTheCopyCleanly) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    auto second = NewDiskette("SECOND");
    user.inserts.push_back([&] { Insert(second); });
    ASSERT_EQ(doc->AddFile(HostFile("r.txt", Pattern(2000, 1)), 0), 2);
    Insert(disk);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    std::vector<int> units;
    doc->Volume().CollectUnits(Listed("r.txt")->fileNumber, units);
    disk->Faults().Set(units[0], Fault::Unreadable);
    int rc = 0;
    CopyBack("r.txt", &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(runner.runs, 3);  // two adds, one first pass: no second pass
    const std::string target = dir.File("back-r.txt");
    EXPECT_TRUE(
        user.Saw("Could not read first sector of file from diskette\nor could not write to " +
                 target + "\n\n" + target + " is incomplete: it holds 0 B."));
}

TEST_F(AddCopy, CopyingAFurtherPartAloneAsksFirst) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    auto second = NewDiskette("SECOND");
    user.inserts.push_back([&] { Insert(second); });
    ASSERT_EQ(doc->AddFile(HostFile("r.txt", Pattern(5000, 1)), 0), 2);
    user.answers = {Answer::No};
    int rc = 0;
    CopyBack("r.1", &rc);
    EXPECT_EQ(rc, -1);
    ASSERT_FALSE(user.shown.empty());
    EXPECT_EQ(user.shown.back().text.rfind("r.1 appears to be a part of big file", 0), 0u);
}

// Copied anyway, a later part is followed by the parts after it, in order: never by an earlier
// one appended behind it.
TEST_F(AddCopy, AFurtherPartCopiedAnywayIsFollowedOnlyByThePartsAfterIt) {
    auto second = NewDiskette("SECOND"), third = NewDiskette("THIRD");
    Insert(second);
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    doc->CloseDiskette();
    Insert(disk);
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    const auto data = Pattern(5000, 4);
    user.inserts.push_back([&] { Insert(second); });
    user.inserts.push_back([&] { Insert(third); });
    ASSERT_EQ(doc->AddFile(HostFile("r.txt", data), 0), 2);
    ASSERT_NE(Listed("r.2"), nullptr);

    Insert(second);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const std::size_t part1 = std::size_t(doc->Volume().ChainCapacity(Listed("r.1")->fileNumber));
    const std::size_t prompts = user.prompts.size();
    user.answers = {Answer::Yes};
    user.inserts.push_back([&] { Insert(third); });
    const auto got = CopyBack("r.1");
    ASSERT_GT(user.prompts.size(), prompts);
    EXPECT_EQ(user.prompts[prompts].text, "Insert diskette with file r.2\nand click OK");
    for (std::size_t i = prompts; i < user.prompts.size(); ++i)
        EXPECT_EQ(user.prompts[i].text.find("r.1"), std::string::npos) << user.prompts[i].text;
    // Parts 1 and 2 in their order: what lies behind the first part's 1462 bytes.
    ASSERT_GE(got.size(), data.size() - 1462);
    EXPECT_TRUE(std::equal(data.begin() + 1462, data.end(), got.begin()));
    EXPECT_EQ(part1, 1462u);
}

TEST_F(AddCopy, CopyAtAPositionPutsAPartAddedFromThatPositionBackInPlace) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const auto data = Pattern(600, 4);
    // The diskette keeps bytes 100..599 of the file, under the whole file's size.
    ASSERT_EQ(doc->AddFile(HostFile("p.bin", data), 100), 0);
    auto damaged = data;
    std::fill(damaged.begin() + 100, damaged.end(), std::uint8_t(0xEE));
    const std::string target = HostFile("target.bin", damaged);
    FileRecord key = *Listed("p.bin");
    ASSERT_EQ(doc->CopyFromDiskette(key, target, false, 100), 0);
    EXPECT_EQ(ReadBytes(target), data);
    // Position 0 appends what the diskette holds for the whole size.
    ASSERT_EQ(doc->AddFile(HostFile("q.bin", Pattern(300, 5)), 0), 0);
    FileRecord whole = *Listed("q.bin");
    ASSERT_EQ(doc->CopyFromDiskette(whole, target, false, 0), 0);
    auto expected = data;
    const auto tail = Pattern(300, 5);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(ReadBytes(target), expected);
}

TEST_F(AddCopy, AddFromAPositionStoresTheRestUnderTheWholeSize) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const auto data = Pattern(5000, 8);
    const std::string path = HostFile("half.bin", data);
    ASSERT_EQ(doc->AddFile(path, 2500), 0);
    const FileRecord* r = Listed("half.bin");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->size, 5000u);
    EXPECT_EQ(doc->Volume().ChainCapacity(r->fileNumber), BytesInUnits(UnitsForBytes(2500)));
    // A start behind the end is refused with its message.
    EXPECT_EQ(doc->AddFile(path, 6000), -1);
    EXPECT_TRUE(user.Saw("Unable to seek at possition 6000 in file\n" + path + ", 5000 B long"));
}

TEST_F(AddCopy, OnlyRegularFilesAreAddedAndAPipeIsNeverOpened) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    // Opening a pipe without a writer would wait for ever; the refusal must come first.
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(doc->AddFile(pipe, 0), -1);
    EXPECT_TRUE(user.Saw(pipe + "\n\nis not a file. Only files can be added."));
    const std::string missing = dir.File("missing");
    EXPECT_EQ(doc->AddFile(missing, 0), -1);
    EXPECT_TRUE(user.Saw(missing + "\n\nFile could not be opened."));
    // Sizes on the diskette are signed 32-bit numbers: a larger file is refused as such (a
    // sparse file, so that the test writes nothing).
    const std::string huge = dir.File("huge.bin");
    WriteBytes(huge, {});
    ASSERT_EQ(::truncate(huge.c_str(), off_t(INT32_MAX) + 1), 0);
    EXPECT_EQ(doc->AddFile(huge, 0), -1);
    EXPECT_TRUE(user.Saw(huge +
                         "\n\nThe file is 2147483648 B long; the diskette's format holds files "
                         "below 2 GiB (at most 2147483647 B)."));
    EXPECT_TRUE(doc->Files().empty());
}

TEST_F(AddCopy, AnAddWhoseHeaderNoUnitTakesSaysSoAndKeepsTheUnitsBad) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(10);
    std::vector<int> free;
    for (int u = 0; u < kUnitCount; ++u)
        if (doc->Volume().Fat().entries[u] == FAT_FREE) free.push_back(u);
    ASSERT_EQ(free.size(), 10u);
    for (int u : free) disk->Faults().Set(SectorOfUnit(u), Fault::Unwritable);
    EXPECT_EQ(doc->AddFile(HostFile("small.txt", Pattern(100, 1)), 0), -1);
    EXPECT_TRUE(
        user.Saw("No free unit of the diskette took the file's first unit: every one "
                 "refused the write and is marked bad now.\nThe diskette is worn out; "
                 "use another one."));
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    for (int u : free) EXPECT_EQ(doc->Volume().Fat().entries[u], FAT_BAD) << u;
}

TEST_F(AddCopy, ReplaceQuestionGuardsAnExistingTarget) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("n.txt", Pattern(10, 1)), 0), 0);
    const std::string target = HostFile("exists.txt", {1, 2, 3});
    FileRecord key = *Listed("n.txt");
    user.answers = {Answer::No};
    EXPECT_EQ(doc->CopyFromDiskette(key, target, true, -1), -1);
    EXPECT_EQ(ReadBytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_EQ(user.shown.size(), 1u);
    EXPECT_EQ(user.shown[0].text.rfind("File " + target + " already exists.", 0), 0u);
    user.answers = {Answer::Yes};
    EXPECT_EQ(doc->CopyFromDiskette(key, target, true, -1), 0);
    EXPECT_EQ(ReadBytes(target), Pattern(10, 1));
}

TEST_F(AddCopy, NamesFromTheDisketteNeverLeaveTheChosenFolder) {
    EXPECT_EQ(SafeHostName("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(SafeHostName(".."), "_..");
    EXPECT_EQ(SafeHostName("."), "_.");
    EXPECT_EQ(SafeHostName(""), "_");
    EXPECT_EQ(SafeHostName("a\nb\x7f"), "a_b_");
    EXPECT_EQ(SafeHostName("plain.txt"), "plain.txt");

    // A header whose name field says "../escape" copies into the folder as a plain file.
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("victim.txt", Pattern(100, 1)), 0), 0);
    const FileRecord* r = Listed("victim.txt");
    std::vector<int> units;
    doc->Volume().CollectUnits(r->fileNumber, units);
    std::uint8_t* header = disk->SectorData(units[0]);
    PutFieldText(header + 6, 49, "../escape");
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    FileRecord key = *Listed("../escape.txt");
    const auto folder = dir.Path() / "into";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(doc->CopyToFolder(key, folder.string()), 0);
    EXPECT_TRUE(std::filesystem::exists(folder / ".._escape.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "escape.txt"));
}

TEST_F(AddCopy, ARestoredCopyCarriesTheDisketteDateAndReadOnlyBit) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const std::string path = HostFile("dated.txt", Pattern(50, 1));
    ASSERT_TRUE(SetHostFileStatus(path, 1'500'000'000u, ATTR_ARCHIVE | ATTR_READONLY));
    ASSERT_EQ(doc->AddFile(path, 0), 0);
    EXPECT_EQ(Listed("dated.txt")->attributeText, "AR");
    CopyBack("dated.txt");
    HostFileStatus status;
    ASSERT_TRUE(GetHostFileStatus(dir.File("back-dated.txt"), status));
    EXPECT_EQ(status.modificationTime, 1'500'000'000u);
    EXPECT_TRUE(status.attributes & ATTR_READONLY);
    doc->m_bRestoreAttributes = false;
    FileRecord key = *Listed("dated.txt");
    const std::string plain = dir.File("plain.txt");
    ASSERT_EQ(doc->CopyFromDiskette(key, plain, false, -1), 0);
    ASSERT_TRUE(GetHostFileStatus(plain, status));
    EXPECT_NE(status.modificationTime, 1'500'000'000u);
    EXPECT_FALSE(status.attributes & ATTR_READONLY);
}

TEST_F(AddCopy, VerificationMarksUnreadableUnitsBadBeforeWritingThem) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    doc->m_bVerification = true;
    const int first = doc->Volume().FindFirstFreeUnit().value();
    disk->Faults().Set(first + 3, Fault::Unreadable);
    const auto data = Pattern(10 * 507, 6);
    ASSERT_EQ(doc->AddFile(HostFile("v.bin", data), 0), 0);
    EXPECT_EQ(doc->Volume().Fat().entries[UnitOfSector(first + 3)], FAT_BAD);
    EXPECT_EQ(CopyBack("v.bin"), data);
}

// The source must stay as its record says while it is read: a file that grows or shrinks in
// the meantime stores nothing, and says so.
TEST_F(AddCopy, AFileThatChangesWhileItIsAddedStoresNothing) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const auto before = disk->Bytes();
    for (const bool grow : {true, false}) {
        SCOPED_TRACE(grow ? "grows" : "shrinks");
        const std::string path = HostFile("live.log", Pattern(200000, 2));
        runner.atFirstReport = [&] {
            if (grow)
                WriteBytes(path, Pattern(200100, 2));
            else
                std::filesystem::resize_file(path, 100000);
        };
        EXPECT_EQ(doc->AddFile(path, 0), -1);
        EXPECT_EQ(Listed("live.log"), nullptr);
        EXPECT_NE(user.shown.back().text.find("The file changed while it was being added (it was "
                                              "200000 B long, now " +
                                              std::to_string(grow ? 200100 : 100000) + " B)"),
                  std::string::npos)
            << user.shown.back().text;
    }
    // The table never learnt of the units written.
    for (int s = 0; s < kFirstDataSector; ++s)
        EXPECT_EQ(std::memcmp(before.data() + s * kSectorSize,
                              disk->Bytes().data() + s * kSectorSize, kSectorSize),
                  0);
}

// A copy names a target it cannot write, says how much of it there is, and never writes over
// the image in the drive, however the path is spelt.
TEST_F(AddCopy, ACopyThatCannotWriteItsTargetSaysSoAndTheDriveImageIsNeverATarget) {
    const std::string image = dir.File("drive.img");
    WriteBytes(image, disk->Bytes());
    std::string error;
    ASSERT_TRUE(drive.Insert(image, error)) << error;
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("big.bin", Pattern(30000, 4)), 0), 0);
    FileRecord key = *Listed("big.bin");

    EXPECT_EQ(doc->CopyFromDiskette(key, "/dev/full", false, -1), -1);
    EXPECT_TRUE(
        user.Saw("Acception occured during closes the file.\n\nCould not write to "
                 "/dev/full.\nThe disk may be full, or the file may not be writable."
                 "\n\n/dev/full is incomplete: it holds 0 B."));

    const auto bytes = ReadBytes(image);
    const std::string sameImage = dir.File(".") + "/drive.img";
    EXPECT_EQ(doc->CopyFromDiskette(key, sameImage, false, -1), -1);
    EXPECT_TRUE(user.Saw(
        sameImage + "\n\nis the diskette in the drive. Orvalis does not copy a file over it."));
    EXPECT_EQ(ReadBytes(image), bytes);
}

// A further part is taken only from a diskette not used before, and only when its header agrees
// with the first part: a file of the same name and another size or date is refused, and the
// prompt asks again.
TEST_F(AddCopy, AFurtherPartOfAnotherFileIsRefusedAndAskedForAgain) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    LeaveFreeUnits(3);
    auto second = NewDiskette("SECOND");
    user.inserts.push_back([&] { Insert(second); });
    const auto data = Pattern(3000, 6);
    ASSERT_EQ(doc->AddFile(HostFile("r.txt", data), 0), 2);

    // An impostor: "r.1" of another file; and the first diskette, which gets an "r.1" of the
    // right size and date written into a unit of its own.
    auto impostor = NewDiskette("IMPOSTOR");
    Insert(impostor);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("r.1", Pattern(700, 1)), 0), 0);
    Insert(disk);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    FileRecord twin = *Listed("r.txt");
    twin.extension = "1";
    // The diskette is full: one of the units set aside as bad takes the twin.
    const auto& entries = doc->Volume().Fat().entries;
    const int unit = int(std::find(entries.begin(), entries.end(), FAT_BAD) - entries.begin());
    ASSERT_LT(unit, kUnitCount);
    std::vector<std::uint8_t> sector(kSectorSize, 0);
    twin.fileNumber = 9;
    CVolume::BuildHeader(twin, sector.data());
    std::memcpy(disk->SectorData(SectorOfUnit(unit)), sector.data(), kSectorSize);
    doc->Volume().Fat().Set(unit, 9);
    ASSERT_TRUE(doc->Volume().WriteFat());
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);

    user.inserts.push_back([&] { Insert(impostor); });
    user.inserts.push_back([&] { Insert(disk); });  // the first diskette again
    user.inserts.push_back([&] { Insert(second); });
    int rc = 0;
    EXPECT_EQ(CopyBack("r.txt", &rc), data);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(
        user.Saw("r.1 on this diskette belongs to another file (its size or date differ "
                 "from the first part).\nInsert the diskette with the right part."));
    EXPECT_TRUE(user.Saw("This diskette was read already.\nInsert the diskette with file r.1."));
}

// However the requests are cut, the diskette ends up as the plain rule says: the file's units
// are the lowest free units that take a write (and, with the read test, that read), in order,
// each holding its piece; every unit that refused is marked bad; nothing else changes.
TEST_F(AddCopy, WrittenUnitsAreTheLowestGoodFreeUnitsWhateverTheFaults) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto medium = NewDiskette("RULE");
        Insert(medium);
        doc->CloseDiskette();
        ASSERT_EQ(doc->OpenDiskette(), 0);
        ASSERT_EQ(doc->AddFile(HostFile("before.bin", Pattern(rng() % 30000, round)), 0), 0);
        const bool verify = round % 2 == 1;
        doc->m_bVerification = verify;
        std::set<int> refusing;
        for (int i = 0; i < 12; ++i) {
            const int sector = kFirstDataSector + int(rng() % 600);
            const Fault f =
                rng() % 2 ? Fault::Unwritable : (verify ? Fault::Unreadable : Fault::Bad);
            if (doc->Volume().Fat().entries[std::size_t(UnitOfSector(sector))] != FAT_FREE)
                continue;
            medium->Faults().Set(sector, f);
            refusing.insert(sector);
        }
        const auto before = doc->Volume().Fat().entries;
        const auto data = Pattern(10000 + rng() % 200000, 100 + round);
        ASSERT_EQ(doc->AddFile(HostFile("new.bin", data), 0), 0);
        const FileRecord* r = Listed("new.bin");
        ASSERT_NE(r, nullptr);

        std::vector<int> expected;
        const int units = UnitsForBytes(std::int32_t(data.size()));
        for (int u = 0; u < kUnitCount && int(expected.size()) < units; ++u)
            if (before[std::size_t(u)] == FAT_FREE && !refusing.count(SectorOfUnit(u)))
                expected.push_back(SectorOfUnit(u));
        std::vector<int> got;
        doc->Volume().CollectUnits(r->fileNumber, got);
        EXPECT_EQ(got, expected);
        for (int u = 0; u < kUnitCount; ++u) {
            const std::uint16_t e = doc->Volume().Fat().entries[std::size_t(u)];
            if (refusing.count(SectorOfUnit(u)) && SectorOfUnit(u) < expected.back()) {
                EXPECT_EQ(e, FAT_BAD) << "unit " << u;
            } else if (e != r->fileNumber) {
                EXPECT_EQ(e, before[std::size_t(u)]) << "unit " << u;
            }
        }
        medium->Faults().Clear();
        EXPECT_EQ(CopyBack("new.bin"), data);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace orv::tests
