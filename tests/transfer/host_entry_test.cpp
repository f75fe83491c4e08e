// The entry of a hard-disk file: its name cut to fit at a character boundary, its status, and
// a time never ahead of the clock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "fs/clock.h"
#include "host/host_file.h"
#include "support/memory_disk.h"
#include "support/temp_dir.h"
#include "transfer/document.h"
#include "transfer/host_entry.h"

namespace orv {
namespace {

using tests::Pattern;
using tests::TempDir;
using tests::WriteBytes;

TEST(EntryFromHostFile, AFileJustWrittenNeverCarriesATimeAheadOfTheClock) {
    using namespace std::chrono;
    auto millisecond = [] {
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 1000;
    };
    TempDir dir;
    const std::string path = dir.File("now.txt");
    WriteBytes(path, {1});
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // The two clocks part only just after a second begins: write on across that moment.
    while (millisecond() < 980) std::this_thread::sleep_for(1ms);
    const auto end = steady_clock::now() + 60ms;
    const std::uint8_t byte = 2;
    for (long writes = 1; steady_clock::now() < end; ++writes) {
        // Rewritten in place: a truncation some file systems would flush at once.
        ASSERT_EQ(::pwrite(fd, &byte, 1, 0), 1);
        FileRecord record;
        EntryFromHostFile(path, record, 1);
        ASSERT_LE(record.modificationTime, CurrentTime()) << "after " << writes << " writes";
    }
    ::close(fd);
}

TEST(EntryFromHostFile, SplitsTheNameAtTheLastDotAndCutsItToFit) {
    TempDir dir;
    struct Case {
        std::string file, name, extension;
    };
    const std::string longName(60, 'x');
    // 30 two-byte characters of UTF-8 with no byte in the code page: the cut falls inside the
    // 25th, which goes whole.
    std::string cyrillic;
    for (int i = 0; i < 30; ++i) cyrillic += "\u0436";  // ж
    // 60 Czech letters are a byte each in the code page: the name keeps 49 of them.
    std::string czech;
    for (int i = 0; i < 60; ++i) czech += "\u017e";  // ž
    for (const Case& c :
         {Case{"archive.tar.gz", "archive.tar", "gz"}, Case{"README", "README", ""},
          Case{"photo.jpeg", "photo", "jpe"}, Case{longName + ".txt", std::string(49, 'x'), "txt"},
          Case{cyrillic + ".\u0436\u0436", cyrillic.substr(0, 48), "\u0436"},
          Case{czech + ".\u0159\u0161t", std::string(49, '\x9e'),
               "\xf8\x9a"
               "t"}}) {
        const std::string path = dir.File(c.file);
        WriteBytes(path, Pattern(1234, 3));
        ASSERT_TRUE(SetHostFileStatus(path, 1'234'567'890u, ATTR_ARCHIVE));
        FileRecord record;
        record.partNumber = 9;
        EntryFromHostFile(path, record, 17);
        EXPECT_EQ(record.name, c.name) << c.file;
        EXPECT_EQ(record.extension, c.extension) << c.file;
        EXPECT_EQ(record.size, 1234u) << c.file;
        EXPECT_EQ(record.modificationTime, 1'234'567'890u) << c.file;
        EXPECT_TRUE(record.attributes & ATTR_ARCHIVE) << c.file;
        EXPECT_EQ(record.fileNumber, 17) << c.file;
        EXPECT_EQ(record.partNumber, 0) << c.file;
    }
}

// A name that the add would list otherwise than given must be known before the file exists: a
// program that creates files by name refuses it up front.
TEST(HowNameIsStored, TellsTheNamesThatTheAddWouldListAsGivenFromTheOthers) {
    struct Case {
        std::string file;
        StoredName how;
    };
    const std::string longest(49, 'x'), tooLong(50, 'x');
    for (const Case& c :
         {Case{"notes.txt", StoredName::AsGiven}, Case{".bashrc", StoredName::AsGiven},
          Case{"archive.tar.gz", StoredName::AsGiven}, Case{"a..b", StoredName::AsGiven},
          Case{"\u017elu\u0165ou\u010dk\u00fd.txt", StoredName::AsGiven},
          Case{longest + ".txt", StoredName::AsGiven}, Case{tooLong + ".txt", StoredName::Cut},
          Case{"page.html", StoredName::Cut}, Case{"two.\u0436\u0436", StoredName::Cut},  // 4 bytes
          Case{"two.\u010d\u010d", StoredName::AsGiven},  // 2 bytes in the code page
          Case{"file.", StoredName::Changed}, Case{"bell\x07.txt", StoredName::Changed},
          Case{"\xe8"
               "ern\xfd.txt",
               StoredName::Changed}}) {
        EXPECT_EQ(HowNameIsStored(c.file), c.how) << c.file;
        FileRecord record;
        EntryFromHostFile("/nowhere/" + c.file, record, 1);
        COrvalisDoc::FormatRecord(record);
        EXPECT_EQ(record.displayName == c.file, c.how == StoredName::AsGiven) << c.file;
    }
}

}  // namespace
}  // namespace orv
