// File entries: reading and listing header units, building entries, names shown as text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "fs/clock.h"
#include "fs/name_text.h"
#include "host/host_file.h"
#include "support/temp_dir.h"
#include "support/volume_fixture.h"

namespace orv {
namespace {

using tests::MakeRecord;
using tests::Pattern;
using tests::SectorImage;
using tests::TempDir;
using tests::VolumeTest;
using tests::WriteBytes;

class Entries : public VolumeTest {
protected:
    void SetUp() override { Format(); }
};

TEST_F(Entries, HeaderIsTheLowestUnitAndDataFollowsInSectorOrder) {
    const auto data = Pattern(1500, 9);
    FileRecord written = MakeRecord(5, "report", "txt", 1500);
    written.attributes = 0x21;
    disk.PutFile(volume, written, {1000, 65, 70}, data);

    const Result<FileRecord> entry = volume.ReadEntry(5);
    ASSERT_TRUE(entry);
    const FileRecord& read = *entry;
    EXPECT_EQ(read.fileNumber, 5);
    EXPECT_EQ(read.name, "report");
    EXPECT_EQ(read.extension, "txt");
    EXPECT_EQ(read.size, 1500u);
    EXPECT_EQ(read.modificationTime, written.modificationTime);
    EXPECT_EQ(read.attributes, 0x21);
    EXPECT_EQ(read.partNumber, 0);
    EXPECT_EQ(disk.Raw(65)[64], data[0]);
    EXPECT_EQ(disk.Raw(70)[5], data[448]);
    EXPECT_EQ(disk.Raw(1000)[5], data[448 + 507]);
    EXPECT_FALSE(volume.ReadEntry(6)) << "no such file";
}

TEST_F(Entries, FullWidthNameAndExtensionReadBackWhole) {
    const std::string name(49, 'q');
    disk.PutFile(volume, MakeRecord(1, name, "abc", 3), {64}, Pattern(3, 1));
    const Result<FileRecord> read = volume.ReadEntry(1);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, name);
    EXPECT_EQ(read->extension, "abc");
}

TEST_F(Entries, ListingGivesEveryFileInNumberOrder) {
    disk.PutFile(volume, MakeRecord(2, "two", "b", 1), {300}, Pattern(1, 2));
    disk.PutFile(volume, MakeRecord(4, "four", "", 600), {64, 65}, Pattern(600, 4));
    disk.PutFile(volume, MakeRecord(1, "one", "a", 1), {200}, Pattern(1, 1));
    std::vector<FileRecord> records;
    ASSERT_EQ(volume.ListFiles(records).end, ListEnd::Listed);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "one");
    EXPECT_EQ(records[1].name, "two");
    EXPECT_EQ(records[2].name, "four");
    EXPECT_EQ(records[2].fileNumber, 4);
}

TEST_F(Entries, AFileIsListedFromItsLowestUnit) {
    disk.PutFile(volume, MakeRecord(6, "six", "", 600), {500, 900}, Pattern(600, 6));
    SectorImage stray;
    stray.fill('Z');
    disk.PutRaw(1200, stray);
    volume.SetUnits(1200, 6, 1);  // a later unit of the same file is no header
    std::vector<FileRecord> records;
    ASSERT_EQ(volume.ListFiles(records).end, ListEnd::Listed);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "six");
    EXPECT_EQ(records[0].size, 600u);
    const Result<FileRecord> read = volume.ReadEntry(6);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, "six");
    EXPECT_FALSE(volume.ReadEntry(int(FAT_SYSTEM)));
}

TEST_F(Entries, UnreadableHeaderLeavesTheFileOutAndItsUnitsAlone) {
    disk.PutFile(volume, MakeRecord(1, "one", "", 900), {64, 65}, Pattern(900, 1));
    disk.PutFile(volume, MakeRecord(2, "two", "", 900), {66, 67}, Pattern(900, 2));
    ASSERT_EQ(volume.WriteFat(), 0);
    disk.Faults().Set(66, Fault::Unreadable);

    std::vector<FileRecord> records;
    const FileListing listing = volume.ListFiles(records);
    EXPECT_EQ(listing.end, ListEnd::SomeUnreadable);
    EXPECT_EQ(listing.cause, IoError::Unreadable);
    EXPECT_FALSE(listing.DriveFailed());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "one");
    EXPECT_EQ(volume.Fat().entries[2], 2);
    EXPECT_EQ(volume.Fat().entries[3], 2);
    EXPECT_FALSE(volume.Fat().AnyDirty());
    EXPECT_EQ(volume.ReadEntry(2).Error(), IoError::Unreadable);

    // A drive that fails as a whole ends the listing at the first header it fails, with its
    // cause: the rest would fail the same way.
    disk.Faults().Clear();
    MemoryMedium::Hooks hooks;
    hooks.failReadRequest = 1;
    hooks.failPersistent = true;
    hooks.failCause = IoError::NoMedium;
    disk.Medium().SetHooks(hooks);
    disk.Medium().ResetCounters();
    records.clear();
    const FileListing stopped = volume.ListFiles(records);
    EXPECT_EQ(stopped.end, ListEnd::SomeUnreadable);
    EXPECT_TRUE(stopped.DriveFailed());
    EXPECT_EQ(stopped.cause, IoError::NoMedium);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(disk.Medium().ReadRequests(), 1);
}

TEST_F(Entries, HeaderContentCannotMisleadTheListing) {
    SectorImage header;
    header.fill('A');  // no NUL in any text field
    PutU16(header.data(), 3);
    disk.PutRaw(64 + 50, header);
    volume.SetUnits(64 + 50, 3, 1);
    // A unit the table gives to file 4 that carries another number (overwritten by a format cut
    // short): its bytes are no header of file 4, so file 4 counts as unreadable, not as a file
    // named by whatever lies there.
    PutU16(header.data(), 0xFFFF);
    disk.PutRaw(64 + 60, header);
    volume.SetUnits(64 + 60, 4, 1);

    std::vector<FileRecord> records;
    ASSERT_EQ(volume.ListFiles(records).end, ListEnd::SomeUnreadable);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, std::string(49, 'A'));
    EXPECT_EQ(records[0].extension, "AAA");
    EXPECT_EQ(records[0].fileNumber, 3);
    EXPECT_EQ(volume.ReadEntry(4).Error(), IoError::Unreadable);
}

// The full test drops files whose time lies ahead of the clock, so a file added a moment ago
// must never carry a time the clock has not reached yet (file systems may stamp files from a
// finer clock than time() reads).
// Names come as this program stored them (UTF-8) or as older programs did (Windows-1250); what
// is shown is always text, never broken characters or control codes.
TEST(NameText, StoredBytesAreShownAsText) {
    EXPECT_EQ(DisplayText("\u017elu\u0165ou\u010dk\u00fd.txt"),
              "\u017elu\u0165ou\u010dk\u00fd.txt");
    EXPECT_EQ(DisplayText("\x9elu\x9dou\xe8k\xfd"), "\u017elu\u0165ou\u010dk\u00fd");  // cp1250
    EXPECT_EQ(DisplayText("a\nb\x7f"), "a?b?");
    EXPECT_EQ(DisplayText("\x81\x80"), "\ufffd\u20ac");  // undefined in the code page, and the euro
    EXPECT_EQ(DisplayText("\xed\xa0\x80"), "\u00ed\u00a0\u20ac");  // a surrogate is no UTF-8
    EXPECT_TRUE(IsValidUtf8(DisplayText(std::string("\xc3\x28\xff\x00", 4))));
    EXPECT_EQ(Utf8Prefix("ab\u017e", 3), "ab");
    EXPECT_EQ(CharacterPrefix("\u017e\u017ex", 2), "\u017e\u017e");
}

// Names and labels go to the diskette in the code page that older readers show, where every
// character has a byte there and those bytes cannot pass for UTF-8; otherwise in UTF-8. Either
// way they read back as the text given (cut to the field at a character).
TEST(NameText, TextIsStoredInTheCodePageWhereItFitsAndReadsBackTheSame) {
    struct Case {
        std::string text;
        std::size_t width;
        std::string stored;
    };
    const std::string cyrillic = "\u0436\u0436\u0436";  // жжж: no byte in the code page
    for (const Case& c : {
             Case{"notes", 49, "notes"},
             Case{"\u017elu\u0165ou\u010dk\u00fd", 49, "\x9elu\x9dou\xe8k\xfd"},
             Case{"\u00da\u010detnictv\u00ed 2024 a\u017e", 16,
                  "\xda\xe8"
                  "etnictv\xed 2024 "},
             Case{"\u20ac", 3, "\x80"},                           // the euro has a byte there
             Case{cyrillic + "\u017e", 49, cyrillic + "\u017e"},  // one misfit: all UTF-8
             Case{cyrillic, 5, "\u0436\u0436"},                   // cut at a character
             Case{"\u0102\u00a9", 49, "\u0102\u00a9"},  // its bytes C3 A9 would read as "é"
             Case{"tab\there", 49, "tab\there"},        // shown otherwise in either form
             Case{"\xe8"
                  "ern\xfd",
                  49,
                  "\xe8"
                  "ern\xfd"},  // no text: the bytes as given
         }) {
        const std::string stored = StoredText(c.text, c.width);
        EXPECT_EQ(stored, c.stored) << c.text;
        EXPECT_LE(stored.size(), c.width) << c.text;
        // Read back, it is the text given, or the start of it where the field cut it.
        if (IsValidUtf8(c.text) && c.text.find('\t') == std::string::npos) {
            EXPECT_EQ(c.text.rfind(DisplayText(stored), 0), 0u) << c.text;
        }
    }
}

}  // namespace
}  // namespace orv
