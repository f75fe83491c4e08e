#include "ports/text_format.h"
#include "transfer/start_position.h"
#include "transfer_fixture.h"

namespace orv::tests {
namespace {

class Document : public TransferTest {};

TEST_F(Document, OpenReportsEachKindOfUnusableDiskette) {
    auto blank = std::make_shared<MemoryMedium>();
    Insert(blank);
    user.answers = {Answer::No};
    EXPECT_EQ(doc->OpenDiskette(), -4);
    EXPECT_TRUE(
        user.Saw("Diskette seems to be not formated for Orvalis\nor was formated in "
                 "previous version of Orvalis.\n\nDo you want to open the diskette."));
    user.answers = {Answer::Yes};
    EXPECT_EQ(doc->OpenDiskette(), -1);  // no ID sector anywhere

    blank->Faults().Set(0, Fault::Unreadable);
    EXPECT_EQ(doc->OpenDiskette(), -3);
    drive.Eject();
    EXPECT_EQ(doc->OpenDiskette(), -3);

    // Both copies of a table sector unreadable.
    Insert(disk);
    CVolume v(&drive);
    ASSERT_TRUE(OpenVolume(v));
    disk->Faults().Set(v.Fat().pos1[3], Fault::Unreadable);
    disk->Faults().Set(v.Fat().pos2[3], Fault::Unreadable);
    EXPECT_EQ(doc->OpenDiskette(), -2);
    EXPECT_EQ(OpenErrorText(-2), "Error reading FAT.\nTry to run Disk Service tools.");
}

TEST_F(Document, AnUnreadableHeaderUnitWarnsOnceAndListsTheOthers) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        ASSERT_EQ(doc->AddFile(HostFile(name, Pattern(100, 1)), 0), 0);
    std::vector<int> units;
    doc->Volume().CollectUnits(Listed("b.txt")->fileNumber, units);
    disk->Faults().Set(units[0], Fault::Unreadable);
    doc->CloseDiskette();
    user.shown.clear();
    ASSERT_EQ(doc->OpenDiskette(), 0);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{
                                "Cannot read first sector of at least one file on diskette.\nRun "
                                "Diske Service if you want to use this file(s)."});
    ASSERT_EQ(doc->Files().size(), 2u);
    EXPECT_EQ(doc->Files()[1].displayName, "c.txt");
    EXPECT_FALSE(doc->Files()[1].dateText.empty());
}

TEST_F(Document, AnotherDisketteInTheDriveIsNoticedBeforeAnyChange) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("a.txt", Pattern(100, 1)), 0), 0);
    FileRecord key = *Listed("a.txt");
    auto other = NewDiskette("OTHER");
    Insert(other);
    const auto otherBefore = other->Bytes();
    EXPECT_EQ(doc->DeleteFromDiskette(key, true, true), -1);
    ASSERT_EQ(user.prompts.size(), 1u);
    EXPECT_EQ(user.prompts[0].text.rfind("Orvalis found different diskette in drive.", 0), 0u);
    EXPECT_EQ(other->Bytes(), otherBefore);
    // Putting the original back and answering OK lets the delete go on.
    user.inserts.push_back([&] { Insert(disk); });
    EXPECT_EQ(doc->DeleteFromDiskette(key, true, true), 0);
}

TEST_F(Document, OurOwnRewriteOfTheIdSectorsIsNotAnotherDiskette) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_TRUE(doc->Volume().WriteIdSectors(nullptr, nullptr));
    EXPECT_EQ(doc->CheckSameDiskette(), 1);
    EXPECT_TRUE(user.prompts.empty());
}

TEST_F(Document, LeavingTheSameDisketteInTheDriveAsksWhetherItWasChanged) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    user.inserts.push_back(nullptr);  // OK without changing anything
    user.answers = {Answer::No};      // "not changed": ask again
    EXPECT_EQ(doc->AskNextDiskette(0), DISKETTE_CANCELLED);
    EXPECT_TRUE(user.Saw("Diskette seems to be same\nMake sure the diskette was changed ?"));
    EXPECT_EQ(user.prompts.size(), 2u);
    EXPECT_TRUE(doc->IsOpen());  // the open diskette stayed open
}

TEST_F(Document, FindFileByNameIgnoresCaseAndExactlyByNumberPartAndSize) {
    ASSERT_EQ(doc->OpenDiskette(), 0);
    ASSERT_EQ(doc->AddFile(HostFile("REPORT.TXT", Pattern(10, 1)), 0), 0);
    FileRecord key;
    key.displayName = "report.txt";
    EXPECT_EQ(doc->FindFile(key, false), 0);
    // The exact search never looks at the texts shown.
    key = doc->Files()[0];
    key.displayName = "something else";
    EXPECT_EQ(doc->FindFile(key, true), 0);
    for (auto change :
         {+[](FileRecord& k) { k.size = 11; }, +[](FileRecord& k) { k.fileNumber = 2; },
          +[](FileRecord& k) { k.extension = "1"; }}) {
        FileRecord other = key;
        change(other);
        EXPECT_EQ(doc->FindFile(other, true), -1);
    }
}

TEST(FormatRecord, BuildsTheDisplayTexts) {
    FileRecord r;
    r.name = "notes";
    r.extension = "";
    r.attributes = 0;
    r.size = 123;
    r.fileNumber = 17;
    COrvalisDoc::FormatRecord(r);
    EXPECT_EQ(r.displayName, "notes");
    EXPECT_EQ(r.attributeText, "ARW");
    EXPECT_EQ(r.sizeText, "123");
    EXPECT_EQ(r.numberText, "17");
    r.extension = "txt";
    r.attributes = ATTR_READONLY | ATTR_HIDDEN | ATTR_SYSTEM;
    COrvalisDoc::FormatRecord(r);
    EXPECT_EQ(r.displayName, "notes.txt");
    EXPECT_EQ(r.attributeText, "ARHS");
    r.name = std::string(49, 'n');
    r.extension = "abc";
    COrvalisDoc::FormatRecord(r);
    EXPECT_EQ(r.displayName.size(), 53u);
}

TEST(DateTexts, HaveNoLeadingZeros) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(DateTimeText(1765065600u + 9 * 3600 + 5 * 60), "7.12.2025  9:05");
    EXPECT_EQ(DateText(1765065600u), "7.12.2025");
}

TEST(StartPosition, ValidatesLikeTheDialog) {
    std::string error;
    EXPECT_EQ(ParsePosition(" 42 ", error), 42);
    EXPECT_EQ(ParsePosition("0", error), 0);
    EXPECT_EQ(ParsePosition("1000000000", error), 1000000000);
    for (const char* bad : {"", "abc", "12abc", "1.5", "-"}) {
        EXPECT_FALSE(ParsePosition(bad, error)) << bad;
        EXPECT_EQ(error, "Please enter an integer.") << bad;
    }
    for (const char* range : {"1000000001", "-1", "99999999999999999999"}) {
        EXPECT_FALSE(ParsePosition(range, error)) << range;
        EXPECT_EQ(error, "Please enter an integer between 0 and 1000000000.") << range;
    }

    TempDir dir;
    const std::string file = dir.File("f.bin");
    WriteBytes(file, std::vector<std::uint8_t>(100, 1));
    const auto add = StartUse::AddFrom, copy = StartUse::CopyAt;
    EXPECT_EQ(CheckStartPosition("", 0, add), "Enter file name.");
    EXPECT_EQ(CheckStartPosition(dir.File("none"), 0, copy),
              "The file " + dir.File("none") + " does not exist.");
    EXPECT_EQ(CheckStartPosition(file, 100, add), "The entered position 100 exceeds file size.");
    EXPECT_EQ(CheckStartPosition(file, 99, add), "");
    const std::string empty = dir.File("empty.bin");
    WriteBytes(empty, {});
    EXPECT_EQ(CheckStartPosition(empty, 0, add), "The entered position 0 exceeds file size.");
    // A copy may write at the very end, where the rest of an add that stopped there goes;
    // never past it.
    EXPECT_EQ(CheckStartPosition(file, 100, copy), "");
    EXPECT_EQ(CheckStartPosition(empty, 0, copy), "");
    EXPECT_EQ(CheckStartPosition(file, 101, copy), "The entered position 101 exceeds file size.");
}

TEST_F(Document, AnOpenDisketteIsRefusedToASecondProgramUntilItIsClosed) {
    const std::string image = dir.File("shared.img");
    WriteBytes(image, disk->Bytes());
    std::string error;
    ASSERT_TRUE(drive.Insert(image, error)) << error;
    CDrive otherDrive;
    ASSERT_TRUE(otherDrive.Insert(image, error)) << error;
    ScriptedUserPort otherUser;
    COrvalisDoc other(otherDrive, DocPorts{&otherUser, &runner, &report});

    ASSERT_EQ(doc->OpenDiskette(), 0);
    EXPECT_EQ(other.OpenDiskette(), -5);
    EXPECT_NE(other.OpenErrorMessage(-5).find(image + " is in use by another program"),
              std::string::npos);
    doc->CloseDiskette();
    EXPECT_EQ(other.OpenDiskette(), 0);
    EXPECT_EQ(doc->OpenDiskette(), -5);
}

}  // namespace
}  // namespace orv::tests
