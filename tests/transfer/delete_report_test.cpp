#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "transfer/bad_sector_report.h"
#include "transfer_fixture.h"

namespace orv::tests {
namespace {

class DeleteAndReport : public TransferTest {
protected:
    // Adds a 3 000-byte file (seven units) and makes the units at the given chain positions
    // unreadable; returns the file's sectors.
    std::vector<int> DamagedFile(const std::string& name, std::initializer_list<int> bad) {
        EXPECT_EQ(doc->AddFile(HostFile(name, Pattern(3000, 5)), 0), 0);
        std::vector<int> units;
        doc->Volume().CollectUnits(Listed(name)->fileNumber, units);
        for (int p : bad) disk->Faults().Set(units[std::size_t(p)], Fault::Unreadable);
        return units;
    }
};

TEST_F(DeleteAndReport, MarkThenDeleteKeepsExactlyTheMarkedUnitsBad) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const auto units = DamagedFile("dmg.bin", {1, 3});
    report.mark = true;
    user.answers = {Answer::Ok, Answer::Yes};  // go on past bad sectors; yes, mark them
    int rc = -2;
    CopyBack("dmg.bin", &rc);
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(report.lists.size(), 1u);
    EXPECT_EQ(report.lists[0], (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(Listed("dmg.bin"), nullptr);  // deleted after the mark

    // On the diskette: positions 1 and 3 bad, every other unit of the file free.
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const auto& fat = doc->Volume().Fat().entries;
    for (std::size_t p = 0; p < units.size(); ++p) {
        const auto expected = (p == 1 || p == 3) ? FAT_BAD : FAT_FREE;
        EXPECT_EQ(fat[std::size_t(UnitOfSector(units[p]))], expected) << "position " << p;
    }
}

TEST_F(DeleteAndReport, AFailedDeleteAfterMarkGivesTheUnitsBackToTheFile) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    const auto units = DamagedFile("dmg.bin", {2});
    report.mark = true;
    // Go on; yes mark; the delete fails (write-protected): no, don't repeat.
    user.answers = {Answer::Ok, Answer::Yes, Answer::No};
    struct Protect : IBadSectorReportPort {
        RecordingReportPort* inner;
        MemoryMedium* medium;
        void ShowBadSectorReport(BadSectorReport& r) override {
            inner->ShowBadSectorReport(r);
            medium->Faults().SetWriteProtected(true);
        }
    } protect;
    protect.inner = &report;
    protect.medium = disk.get();
    COrvalisDoc protectedDoc(drive, DocPorts{&user, &runner, &protect});
    ASSERT_EQ(protectedDoc.OpenDiskette(), 0);
    FileRecord key = protectedDoc.Files()[0];
    EXPECT_EQ(protectedDoc.CopyFromDiskette(key, dir.File("out.bin"), false, -1), 0);
    EXPECT_TRUE(
        user.Saw("File dmg.bin could not be delete, Floppy disk is probably protect for "
                 "writing\n\nRepeat ?"));
    // The file is still whole in the table: every unit carries its number.
    const int number = key.fileNumber;
    for (int sector : units)
        EXPECT_EQ(protectedDoc.Volume().Fat().entries[std::size_t(UnitOfSector(sector))], number);
    EXPECT_EQ(protectedDoc.Files().size(), 1u);
    EXPECT_EQ(protectedDoc.FailedMarks(), 1);  // the caller that asked for the mark is told
}

TEST_F(DeleteAndReport, ClosingTheReportWithoutMarkDeletesNothing) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    DamagedFile("dmg.bin", {1});
    user.answers = {Answer::Ok};
    CopyBack("dmg.bin");
    ASSERT_EQ(report.seen.size(), 1u);
    EXPECT_EQ(report.seen[0].marked, 0);
    EXPECT_NE(Listed("dmg.bin"), nullptr);
}

TEST_F(DeleteAndReport, AWriteProtectedDisketteRefusesADeleteAndKeepsTheFile) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("keep.txt", Pattern(100, 1)), 0), 0);
    disk->Faults().SetWriteProtected(true);
    const auto before = disk->Bytes();
    FileRecord key = *Listed("keep.txt");
    EXPECT_EQ(doc->DeleteFromDiskette(key, true, true), -1);
    EXPECT_TRUE(user.Saw("Could not delete file.\nDiskette may be locked or damaged."));
    EXPECT_NE(Listed("keep.txt"), nullptr);
    EXPECT_EQ(disk->Bytes(), before);
}

// A diskette that leaves the drive in the middle of a delete of several files is read again
// when it comes back: the deletes kept in memory are gone with that, and the delete that was to
// write the table refuses rather than leave them undone unsaid.
TEST_F(DeleteAndReport, ADisketteThatLeftDuringADeleteOfSeveralFilesKeepsThemAll) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    for (const char* name : {"a.txt", "b.txt"})
        ASSERT_EQ(doc->AddFile(HostFile(name, Pattern(700, 1)), 0), 0);
    std::vector<FileRecord> keys(doc->Files().begin(), doc->Files().end());
    EXPECT_EQ(doc->DeleteFromDiskette(keys[0], false, true), 0);
    drive.Eject();
    Insert(disk);
    EXPECT_EQ(doc->DeleteFromDiskette(keys[1], true, true), -1);
    EXPECT_TRUE(
        user.Saw("The diskette left the drive before its table was written: the files "
                 "deleted before this one are still on it.\nDelete them again."));
    EXPECT_NE(Listed("a.txt"), nullptr);
    EXPECT_NE(Listed("b.txt"), nullptr);
    doc->CloseDiskette();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    EXPECT_EQ(doc->Files().size(), 2u);
}

TEST(BadSectorReportFile, ListsTheStartByteAndEveryPositionRightAligned) {
    std::vector<std::uint32_t> bad{1, 12};
    BadSectorReport report;
    report.name = "report.doc";
    report.badList = &bad;
    EXPECT_EQ(ReportFileText(report), "Start Byte:   0\r\n      1\r\n     12\r\n");
    report.startByte = 1462;
    EXPECT_EQ(ReportFileText(report).substr(0, 19), "Start Byte:   1462\r");
    EXPECT_EQ(ReportFileSuggestion(report), "report.docbyd_sec.txt");
    EXPECT_EQ(ReportExplanation(report),
              "Some errors occured on this positions while copying file:\nreport.doc\nYou should "
              "save this information.");
}

TEST(BadSectorReportFile, SaveIntoAMissingFolderTellsTheUser) {
    std::vector<std::uint32_t> bad{3};
    BadSectorReport report;
    report.badList = &bad;
    ScriptedUserPort user;
    TempDir dir;
    const std::string path = dir.File("no/such/folder.txt");
    EXPECT_FALSE(SaveBadSectorReport(report, path, user));
    EXPECT_TRUE(user.Saw("Unable to write into the selected possition.\n" + path));
    EXPECT_TRUE(SaveBadSectorReport(report, dir.File("ok.txt"), user));
    const auto bytes = ReadBytes(dir.File("ok.txt"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Start Byte:   0\r\n      3\r\n");

    // A file that takes only part of the report (here: a file size limit) is removed, and the
    // user told so; a device that refuses the bytes is left alone.
    const std::string cut = dir.File("cut.txt");
    {
        struct rlimit old {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tiny = old;
        tiny.rlim_cur = 5;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
        EXPECT_FALSE(SaveBadSectorReport(report, cut, user));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
    }
    EXPECT_FALSE(std::filesystem::exists(cut));
    EXPECT_TRUE(user.Saw("Unable to write into the selected possition.\n" + cut +
                         "\n\nThe report could not be written whole; the file was removed."));
    // Nor does a report replace the diskette's image, by whatever name it is chosen.
    report.drivePath = dir.File("ok.txt");
    EXPECT_FALSE(SaveBadSectorReport(report, dir.File("./ok.txt"), user));
    EXPECT_EQ(ReadBytes(dir.File("ok.txt")), bytes);
    report.drivePath.clear();
    EXPECT_FALSE(SaveBadSectorReport(report, "/dev/full", user));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    EXPECT_TRUE(user.Saw("Unable to write into the selected possition.\n/dev/full"));
}

TEST(ReportPieces, OffsetsCountFromThePartsStartAndTheLastPieceEndsWithTheFile) {
    const std::vector<std::uint32_t> bad{0, 1, 3};
    BadSectorReport report;
    report.badList = &bad;
    report.startByte = 1000;
    report.partBytes = 448 + 507 * 2 + 100;  // the piece at position 3 holds 100 bytes
    const auto pieces = ReportPieces(report);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].offset, 1000);
    EXPECT_EQ(pieces[0].length, 448);
    EXPECT_EQ(pieces[1].offset, 1448);
    EXPECT_EQ(pieces[1].length, 507);
    EXPECT_EQ(pieces[2].offset, 1000 + 448 + 2 * 507);
    EXPECT_EQ(pieces[2].length, 100);
    report.partBytes = -1;  // a part whose units are all full
    EXPECT_EQ(ReportPieces(report)[2].length, 507);
}

}  // namespace
}  // namespace orv::tests
