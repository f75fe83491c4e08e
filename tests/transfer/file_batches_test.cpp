// Batches of files as the user gives them: the free-space question of an add, the copy of
// several files into a folder, the confirmed delete that writes the table once; and where each
// batch stops, at a question, a failure or a Cancel in a file's progress.
#include <filesystem>

#include "support/diskette_names.h"
#include "transfer/file_batches.h"
#include "transfer_fixture.h"

namespace orv::tests {
namespace {

constexpr std::size_t kTooLarge = 1'600'000;  // more than a whole diskette holds

class FileBatches : public TransferTest {
protected:
    void SetUp() override { ASSERT_EQ(doc->OpenDiskette(), 0); }

    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (const FileRecord& r : doc->Files()) names.push_back(r.displayName);
        return names;
    }
    std::vector<FileRecord> Keys() const { return {doc->Files().begin(), doc->Files().end()}; }
    // Adds small files straight through the document.
    void OnDiskette(std::initializer_list<const char*> names, std::size_t size = 700) {
        std::uint32_t seed = 1;
        for (const char* name : names)
            ASSERT_EQ(doc->AddFile(HostFile(name, Pattern(size, seed++)), 0), 0) << name;
    }
};

TEST_F(FileBatches, AFileLargerThanTheFreeSpaceIsAskedAboutAndNoSkipsItAlone) {
    const std::vector<std::string> paths = {HostFile("first.txt", Pattern(1000, 1)),
                                            HostFile("huge.bin", Pattern(kTooLarge, 2)),
                                            HostFile("third.txt", Pattern(3000, 3))};
    const std::int64_t freeBefore = doc->Volume().FreeBytes();
    std::vector<std::string> reported;
    user.answers = {Answer::No};
    const AddFilesResult r =
        AddFiles(*doc, paths, [&](const std::string& path, const AddOutcome& o) {
            EXPECT_TRUE(o.complete) << path;
            reported.push_back(path);
        });
    EXPECT_EQ(r.end, BatchEnd::Done);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(reported, (std::vector<std::string>{paths[0], paths[2]}));
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"first.txt", "third.txt"}));
    ASSERT_EQ(user.shown.size(), 1u);
    // Asked with the free space after the first file took its units.
    const long freeKb = long(freeBefore - UnitsForBytes(1000) * kUnitDataBytes) / 1024;
    EXPECT_EQ(user.shown[0].text, "File " + paths[1] +
                                      "\n( 1562 kB ) is bigger than free space on the diskette ( " +
                                      std::to_string(freeKb) + " kB)\n\nDo you want to continue ?");
    EXPECT_EQ(user.shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(user.shown[0].icon, Icon::Question);
    EXPECT_EQ(user.shown[0].defaultButton, Answer::No);
    EXPECT_EQ(runner.runs, 2);
}

TEST_F(FileBatches, AnAddBatchStopsAtCancelAtAFailureAndAtACancelInProgress) {
    const std::string first = HostFile("first.txt", Pattern(1000, 1));
    const std::string huge = HostFile("huge.bin", Pattern(kTooLarge, 2));
    const std::string last = HostFile("last.txt", Pattern(3000, 3));

    // Cancel at the question: what was added before stays, nothing after it is tried.
    user.answers = {Answer::Cancel};
    AddFilesResult r = AddFiles(*doc, {first, huge, last});
    EXPECT_EQ(r.end, BatchEnd::Cancelled);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"first.txt"}));

    // A file that cannot be added ends the batch.
    r = AddFiles(*doc, {dir.File("missing.txt"), last});
    EXPECT_EQ(r.end, BatchEnd::Failed);
    EXPECT_EQ(r.added, 0);
    EXPECT_TRUE(user.Saw(dir.File("missing.txt") + "\n\nFile could not be opened."));
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"first.txt"}));

    // A Cancel confirmed in the second file's progress ends the batch as a Cancel.
    runner.cancelInRun = runner.runs + 2;
    r = AddFiles(*doc, {HostFile("a.txt", Pattern(600, 4)), HostFile("b.txt", Pattern(600, 5)),
                        HostFile("c.txt", Pattern(600, 6))});
    EXPECT_EQ(r.end, BatchEnd::Cancelled);
    EXPECT_EQ(r.added, 1);
    EXPECT_TRUE(user.Saw("Action has been interrupted by user."));
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"first.txt", "a.txt"}));
    EXPECT_EQ(NamesOnDiskette(drive), ListedNames());
}

TEST_F(FileBatches, AnAddFromAsksAboutTheRestOnlyAndNoAddsNothing) {
    const std::string huge = HostFile("huge.bin", Pattern(kTooLarge, 2));
    const long freeKb = long(doc->Volume().FreeBytes()) / 1024;
    user.answers = {Answer::No};
    EXPECT_EQ(AddFileFrom(*doc, huge, 100'000), BatchEnd::NotStarted);
    ASSERT_EQ(user.shown.size(), 1u);
    EXPECT_EQ(user.shown[0].text, "Part of file  " + huge + "\nSize " +
                                      std::to_string((kTooLarge - 100'000) / 1024) +
                                      " kB  is bigger than free space on the diskette ( " +
                                      std::to_string(freeKb) + " kB)\n\nDo you want to continue ?");
    EXPECT_EQ(user.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(runner.runs, 0);

    // The rest of a file that fits is added without a question.
    AddOutcome outcome;
    EXPECT_EQ(AddFileFrom(*doc, huge, std::int32_t(kTooLarge - 5000), &outcome), BatchEnd::Done);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.stored, 5000);
    EXPECT_EQ(user.shown.size(), 1u);
}

TEST_F(FileBatches, ACopyIntoAFolderCountsWhatWasNotCopiedAndStopsAtACancel) {
    OnDiskette({"a.bin", "b.bin", "c.bin"});
    std::vector<FileRecord> keys = Keys();
    FileRecord gone = keys[1];
    gone.fileNumber = 999;  // no longer on the diskette
    keys.insert(keys.begin() + 1, gone);
    std::filesystem::create_directory(dir.Path() / "out");
    const std::string folder = dir.File("out") + "/";

    // A file that cannot be copied does not stop the others; one that the caller could not find
    // counts among those not copied; the count is told once.
    CopyFilesResult r = CopyFilesToFolder(*doc, keys, folder, 1);
    EXPECT_EQ(r.end, BatchEnd::Done);
    EXPECT_EQ(r.copied, 3);
    EXPECT_EQ(r.failed, 2);
    // The file tried is named; the one the caller could not find only counted.
    EXPECT_EQ(user.Texts(), (std::vector<std::string>{"2 file(s) was not copied.\n\nb.bin"}));
    EXPECT_EQ(ReadBytes(folder + "a.bin"), Pattern(700, 1));
    EXPECT_EQ(ReadBytes(folder + "c.bin"), Pattern(700, 3));

    // A Cancel in the second file's progress is the end of the batch, not of that file alone.
    std::filesystem::create_directory(dir.Path() / "again");
    user.shown.clear();
    keys = Keys();
    const int runsBefore = runner.runs;
    runner.cancelInRun = runsBefore + 2;
    r = CopyFilesToFolder(*doc, keys, dir.File("again") + "/");
    EXPECT_EQ(r.end, BatchEnd::Cancelled);
    EXPECT_EQ(r.copied, 1);
    EXPECT_EQ(r.failed, 1);
    EXPECT_TRUE(user.Saw("1 file(s) was not copied.\n\nb.bin"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("again/c.bin")));
    EXPECT_EQ(runner.runs, runsBefore + 2);
}

TEST_F(FileBatches, ADeleteIsConfirmedOnceAndWritesTheTableWithTheLastFile) {
    OnDiskette({"a.txt", "b.txt", "c.txt"});
    const std::vector<std::uint8_t> before = disk->Bytes();

    user.answers = {Answer::No};
    DeleteFilesResult r = DeleteFiles(*doc, Keys());
    EXPECT_EQ(r.end, BatchEnd::NotStarted);
    EXPECT_EQ(doc->Files().size(), 3u);
    EXPECT_EQ(disk->Bytes(), before);
    ASSERT_EQ(user.shown.size(), 1u);
    EXPECT_EQ(user.shown[0].text, "Are you sure you want to delete the file(s).");
    EXPECT_EQ(user.shown[0].buttons, Buttons::YesNo);

    const long writesBefore = disk->WriteRequests();
    user.answers = {Answer::Yes};
    r = DeleteFiles(*doc, Keys());
    EXPECT_EQ(r.end, BatchEnd::Done);
    EXPECT_EQ(r.deleted, 3);
    EXPECT_EQ(disk->WriteRequests(), writesBefore + 2);  // one table sector, both copies
    EXPECT_TRUE(doc->Files().empty());
    EXPECT_TRUE(NamesOnDiskette(drive).empty());
    EXPECT_EQ(user.shown.size(), 2u);

    user.shown.clear();
    EXPECT_EQ(DeleteFiles(*doc, {}).end, BatchEnd::NotStarted);
    EXPECT_EQ(user.Texts(), (std::vector<std::string>{"First select some file(s)."}));
}

TEST_F(FileBatches, ADeleteThatFailsHalfWayKeepsEveryFileAndSaysSo) {
    OnDiskette({"a.txt", "b.txt", "c.txt"});
    const std::vector<std::uint8_t> before = disk->Bytes();
    std::vector<FileRecord> keys = Keys();
    keys[1].fileNumber = 999;  // not on the diskette
    user.answers = {Answer::Yes};
    const DeleteFilesResult r = DeleteFiles(*doc, keys);
    EXPECT_EQ(r.end, BatchEnd::Failed);
    EXPECT_EQ(r.deleted, 0);
    EXPECT_TRUE(user.Saw("Not all files were erased"));
    // a.txt was deleted in memory only: it is back, and the diskette never changed.
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(disk->Bytes(), before);

    // The last file failing leaves nothing untried: no such message then.
    user.shown.clear();
    keys = Keys();
    keys[2].fileNumber = 999;
    user.answers = {Answer::Yes};
    EXPECT_EQ(DeleteFiles(*doc, keys).end, BatchEnd::Failed);
    EXPECT_FALSE(user.Saw("Not all files were erased"));
    EXPECT_EQ(doc->Files().size(), 3u);
    EXPECT_EQ(disk->Bytes(), before);
}

}  // namespace
}  // namespace orv::tests
