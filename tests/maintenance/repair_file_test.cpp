// Repair files: what the dialog accepts, collecting pieces, and carrying them into a damaged
// copy.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "maintenance/repair/repair_file.h"
#include "maintenance/repair/repair_input.h"
#include "maintenance_fixture.h"
#include "support/scoped_clock.h"
#include "support/temp_dir.h"

namespace orv::tests {
namespace {

TEST(RepairInput, SectorNumbersAreLeadingDigitsWithinOneTo2816) {
    EXPECT_EQ(SectorNumberFromText("12abc"), 12);
    EXPECT_EQ(SectorNumberFromText("  +7"), 7);
    EXPECT_EQ(SectorNumberFromText(" -5"), -5);
    EXPECT_EQ(SectorNumberFromText("abc"), 0);
    EXPECT_EQ(SectorNumberFromText(""), 0);
    EXPECT_EQ(SectorNumberFromText("99999999999999999999"), INT_MAX);

    ScriptedUser user;
    for (const char* text : {"1", "2816", "12abc", " 300"})
        EXPECT_TRUE(AcceptSectorEntry(text, user));
    EXPECT_TRUE(user.Shown().empty());
    for (const char* text : {"0", "-1", "2817", "abc", "4294967297"})
        EXPECT_FALSE(AcceptSectorEntry(text, user)) << text;
    ASSERT_EQ(user.Shown().size(), 5u);
    for (const Message& m : user.Shown()) {
        EXPECT_EQ(m.text, "Enter sector number between 1 and 2816");
        EXPECT_EQ(m.icon, Icon::None);
    }
}

TEST(RepairInput, APositionAlreadyListedIsRefusedByItsNumber) {
    ScriptedUser user;
    const std::vector<std::string> listed = {"3", "12abc"};
    EXPECT_TRUE(AcceptNewSectorEntry("4", listed, user));
    EXPECT_FALSE(AcceptNewSectorEntry(" 12", listed, user));
    EXPECT_FALSE(AcceptNewSectorEntry("3x", listed, user));
    EXPECT_FALSE(AcceptNewSectorEntry("0", listed, user));  // the range comes first
    EXPECT_EQ(user.Texts(), (std::vector<std::string>{"Sector 12 is already in the list.",
                                                      "Sector 3 is already in the list.",
                                                      "Enter sector number between 1 and 2816"}));
    EXPECT_EQ(user.Shown()[0].icon, Icon::None);
}

TEST(RepairInput, StartByteIsAnIntegerUpToOneBillion) {
    std::string error;
    EXPECT_EQ(ParseStartByte("0", error), 0);
    EXPECT_EQ(ParseStartByte(" 1000000000 ", error), 1000000000);
    for (const char* text : {"1000000001", "-1", "99999999999"}) {
        EXPECT_FALSE(ParseStartByte(text, error)) << text;
        EXPECT_EQ(error, "Please enter an integer between 0 and 1000000000.");
    }
    for (const char* text : {"", "abc", "12abc", "1 2", "-"}) {
        EXPECT_FALSE(ParseStartByte(text, error)) << text;
        EXPECT_EQ(error, "Please enter an integer.");
    }
}

TEST(RepairInput, OkNeedsBothFilesAndAValidStartByte) {
    ScriptedUser user;
    RepairDialogInput input{{"3", "12abc", "1"}, "", "repair", "0"};
    EXPECT_FALSE(AcceptRepairDialog(input, user));
    EXPECT_EQ(user.Shown().back().text, "Enter source and target file first please.");
    EXPECT_EQ(user.Shown().back().icon, Icon::None);

    input.file = "source";
    input.startByte = "1000000001";
    EXPECT_FALSE(AcceptRepairDialog(input, user));
    EXPECT_EQ(user.Shown().back().text, "Please enter an integer between 0 and 1000000000.");

    input.startByte = "955";
    const auto request = AcceptRepairDialog(input, user);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->list, (RepairList{3, 12, 1}));
    EXPECT_EQ(request->startByte, 955);
    EXPECT_EQ(user.Shown().size(), 2u);
}

TEST(RepairInput, ProposedRepairFileSitsBesideTheChosenFile) {
    EXPECT_EQ(ProposeRepairFileName("/x/a.b"), "/x/repair_a.b");
    EXPECT_EQ(ProposeRepairFileName("/data/film.avi"), "/data/repair_film.avi");
    EXPECT_EQ(ProposeRepairFileName("a.b"), "repair_a.b");
}

class RepairFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        source = Pattern(5000, 11);
        WriteBytes(sourcePath, source);
    }
    std::vector<std::uint8_t> Slice(std::size_t from, std::size_t n) const {
        return {source.begin() + long(from),
                source.begin() + long(std::min(from + n, source.size()))};
    }

    TempDir dir;
    std::string sourcePath = dir.File("film.avi");
    std::string repairPath = dir.File("repair_film.avi");
    std::vector<std::uint8_t> source;
    ScriptedUser user;
};

TEST_F(RepairFileTest, PiecesComeFromTheirChainPositions) {
    std::vector<std::uint8_t> out;
    ASSERT_EQ(WriteSectToFile({1}, out, sourcePath, 0, user), 0);
    EXPECT_EQ(out, Slice(448, 507));  // bytes 448..954
    ASSERT_EQ(WriteSectToFile({2, 1}, out, sourcePath, 0, user), 0);
    std::vector<std::uint8_t> expected = Slice(955, 507);  // bytes 955..1461 first
    const auto second = Slice(448, 507);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(out, expected);
    ASSERT_EQ(WriteSectToFile({1}, out, sourcePath, 100, user), 0);
    EXPECT_EQ(out, Slice(548, 507));
    EXPECT_TRUE(user.Shown().empty());
}

TEST_F(RepairFileTest, OnlyTheLastPieceMayBeShort) {
    // Chain position 9 starts at 507 * 9 - 59 = 4504: 496 bytes remain.
    std::vector<std::uint8_t> out;
    ASSERT_EQ(WriteSectToFile({1, 9}, out, sourcePath, 0, user), 0);
    EXPECT_EQ(out.size(), 507u + 496u);

    EXPECT_EQ(WriteSectToFile({9, 1}, out, sourcePath, 0, user), -1);
    EXPECT_EQ(user.Texts().back(),
              "Cannot read sector 9 from source file (4504 B).\nPossibly "
              "incorrect bad sectors list");
    EXPECT_EQ(user.Shown().back().icon, Icon::Exclamation);
}

TEST_F(RepairFileTest, PositionsAtOrBeyondTheEndOfTheSource) {
    std::vector<std::uint8_t> out;
    EXPECT_EQ(WriteSectToFile({10}, out, sourcePath, 0, user), -1);  // 5011 > 5000
    EXPECT_EQ(user.Texts().back(),
              "Cannot seek at possition 5011 in \n" + sourcePath + "\nWhich is only 5000 B. long.");
    EXPECT_EQ(WriteSectToFile({1}, out, sourcePath, 4552, user), -1);  // exactly the end
    EXPECT_EQ(user.Texts().back(), sourcePath + " \n\nCould not read file.");
    EXPECT_EQ(WriteSectToFile({1}, out, dir.File("missing"), 0, user), -1);
    EXPECT_EQ(user.Texts().back(), dir.File("missing") + "\n\nFile could not be opened.");
}

TEST_F(RepairFileTest, CreatingReportsTheBytesAndLeavesNoFileOnFailure) {
    RepairRequest request{{}, sourcePath, repairPath, 0};
    ASSERT_EQ(CreateRepairFile(request, user), 0);
    EXPECT_EQ(user.Texts().back(), "0 B copied");
    EXPECT_TRUE(std::filesystem::exists(repairPath));
    EXPECT_TRUE(ReadBytes(repairPath).empty());

    request.list = {1, 9};
    ASSERT_EQ(CreateRepairFile(request, user), 0);
    EXPECT_EQ(user.Texts().back(), "1003 B copied");
    EXPECT_EQ(user.Shown().back().icon, Icon::Information);  // a success, not a warning
    EXPECT_EQ(ReadBytes(repairPath).size(), 1003u);

    std::filesystem::remove(repairPath);
    request.list = {1, 30};
    EXPECT_EQ(CreateRepairFile(request, user), -1);
    EXPECT_EQ(user.Texts().back(), "Could not create repair file");
    EXPECT_FALSE(std::filesystem::exists(repairPath));

    request.list = {1};
    request.repairFile = sourcePath;  // would destroy the source
    EXPECT_EQ(CreateRepairFile(request, user), -1);
    EXPECT_EQ(user.Texts().back(), sourcePath + " \n\nCould not open or create file.");
    EXPECT_EQ(ReadBytes(sourcePath), source);
}

TEST_F(RepairFileTest, RepairFileMendsADamagedCopy) {
    const RepairList list = {2, 5, 9};
    ASSERT_EQ(CreateRepairFile(RepairRequest{list, sourcePath, repairPath, 0}, user), 0);
    // The copy lost those pieces (filled with 'X', as a copy fills them).
    std::vector<std::uint8_t> damaged = source;
    for (std::uint32_t k : list)
        for (int i = 0; i < 507 && 507 * int(k) - 59 + i < 5000; ++i)
            damaged[507 * k - 59 + i] = 'X';
    const std::string copyPath = dir.File("copy.avi");
    WriteBytes(copyPath, damaged);

    ASSERT_EQ(RepairFromRepairFile(RepairRequest{list, copyPath, repairPath, 0}, user), 0);
    EXPECT_EQ(user.Texts().back(), "File has been repaired.");
    EXPECT_EQ(user.Shown().back().icon, Icon::Information);
    EXPECT_EQ(ReadBytes(copyPath), source);

    WriteBytes(copyPath, damaged);  // an empty list changes nothing
    ASSERT_EQ(RepairFromRepairFile(RepairRequest{{}, copyPath, repairPath, 0}, user), 0);
    EXPECT_EQ(ReadBytes(copyPath), damaged);

    // A copy cut short after its filler at position 5 takes the pieces past its end, joined on.
    const std::vector<std::uint8_t> shortCopy(damaged.begin(), damaged.begin() + 507 * 6 - 59);
    WriteBytes(copyPath, shortCopy);
    ASSERT_EQ(CreateRepairFile(RepairRequest{{2, 5, 6, 7, 8, 9}, sourcePath, repairPath, 0}, user),
              0);
    ASSERT_EQ(
        RepairFromRepairFile(RepairRequest{{2, 5, 6, 7, 8, 9}, copyPath, repairPath, 0}, user), 0);
    EXPECT_EQ(ReadBytes(copyPath), source);
}

TEST_F(RepairFileTest, RepairFileThatDoesNotFitChangesNothing) {
    ASSERT_EQ(CreateRepairFile(RepairRequest{{2, 5}, sourcePath, repairPath, 0}, user), 0);
    const std::string copyPath = dir.File("copy.avi");
    const std::vector<std::uint8_t> damaged(5000, 'X');
    WriteBytes(copyPath, damaged);

    // Three entries, two pieces: the second is followed by nothing.
    EXPECT_EQ(RepairFromRepairFile(RepairRequest{{2, 5, 7}, copyPath, repairPath, 0}, user), -1);
    EXPECT_EQ(user.Texts().back(), "Could not repair file.");
    EXPECT_EQ(ReadBytes(copyPath), damaged);

    // A longer list than pieces in the middle: the short piece is named.
    EXPECT_EQ(RepairFromRepairFile(RepairRequest{{2, 5, 7, 8}, copyPath, repairPath, 0}, user), -1);
    const auto texts = user.Texts();
    EXPECT_EQ(texts[texts.size() - 2], "Cannot read sector 7 from source file.");
    EXPECT_EQ(ReadBytes(copyPath), damaged);

    // Good bytes where a piece would go (a wrong list, start byte or target): every such
    // position is named, and nothing is written.
    std::vector<std::uint8_t> good = damaged;
    good[955 + 100] = 0;
    good[2476] = 'x';
    WriteBytes(copyPath, good);
    EXPECT_EQ(RepairFromRepairFile(RepairRequest{{2, 5}, copyPath, repairPath, 0}, user), -1);
    EXPECT_EQ(user.Texts()[user.Texts().size() - 2],
              "The target holds its own bytes, not the filler of a copy, at the position(s) 2, "
              "5.\nThe list, the start byte or the target is not the one of this repair file. "
              "Nothing was written.");
    EXPECT_EQ(ReadBytes(copyPath), good);

    // Past the end of a target cut short, a piece that would leave a stretch unfilled.
    WriteBytes(copyPath, std::vector<std::uint8_t>(1000, 'X'));
    EXPECT_EQ(RepairFromRepairFile(RepairRequest{{2, 5}, copyPath, repairPath, 0}, user), -1);
    EXPECT_EQ(user.Texts()[user.Texts().size() - 2],
              "The position(s) 5 lie past the end of the target (1000 B), with bytes before them "
              "that no piece fills.\nNothing was written.");
    EXPECT_EQ(ReadBytes(copyPath), std::vector<std::uint8_t>(1000, 'X'));

    EXPECT_EQ(RepairFromRepairFile(RepairRequest{{2}, dir.File("none"), repairPath, 0}, user), -1);
    EXPECT_EQ(user.Texts()[user.Texts().size() - 2],
              dir.File("none") + "\n\nFile could not be opened.");
}

// A file copied from a diskette past its unreadable units, mended with a repair file made from
// the intact original.
TEST(RepairEndToEnd, DamagedCopyFromADisketteIsMadeWhole) {
    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    FormatQuick(disk);
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(OpenVolume(volume));
    const PlacedFile file = WriteFileToVolume(volume, "film", "avi", Pattern(20000, 5));
    disk.Faults().Set(file.sectors[3], Fault::Unreadable);
    disk.Faults().Set(file.sectors[17], Fault::Unreadable);

    // The copy: every unit in chain order, filler where a unit cannot be read.
    std::vector<std::uint8_t> copy;
    RepairList bad;
    SectorImage unit;
    for (std::size_t k = 0; k < file.sectors.size(); ++k) {
        const bool ok = volume.ReadSector(file.sectors[k], unit.data()).Ok();
        if (!ok) bad.push_back(std::uint32_t(k));
        const std::size_t offset = k == 0 ? kHeaderSize : kUnitHeaderSize;
        const std::size_t n = std::min(kSectorSize - offset, file.data.size() - copy.size());
        for (std::size_t i = 0; i < n; ++i) copy.push_back(ok ? unit[offset + i] : 'X');
    }
    ASSERT_EQ(bad, (RepairList{3, 17}));
    ASSERT_NE(copy, file.data);

    TempDir dir;
    WriteBytes(dir.File("film.avi"), file.data);
    WriteBytes(dir.File("copy.avi"), copy);
    ScriptedUser user;
    const std::string repairPath = ProposeRepairFileName(dir.File("film.avi"));
    ASSERT_EQ(CreateRepairFile(RepairRequest{bad, dir.File("film.avi"), repairPath, 0}, user), 0);
    ASSERT_EQ(RepairFromRepairFile(RepairRequest{bad, dir.File("copy.avi"), repairPath, 0}, user),
              0);
    EXPECT_EQ(ReadBytes(dir.File("copy.avi")), file.data);
}

}  // namespace
}  // namespace orv::tests
