// The format worker on blank, formatted and damaged diskettes.
#include <gtest/gtest.h>

#include <algorithm>

#include "maintenance/format/format_steps.h"
#include "maintenance_fixture.h"
#include "ports/drive_messages.h"
#include "support/scoped_clock.h"

namespace orv::tests {
namespace {

const char kSector0NotRepaired[] =
    "Sector #0 could not be repaired.\nDiskette can't be used anymore.\n\nMake sure the "
    "diskette is not locked. If so, unlock it and try again.";

FormatOptions Quick(const std::string& label = "TEST") {
    FormatOptions o;
    o.label = label;
    return o;
}
FormatOptions Full(const std::string& label = "TEST") {
    FormatOptions o = Quick(label);
    o.formatType = 1;
    return o;
}
FatPositions Consecutive(int first, int count) {
    FatPositions p{};
    for (int k = 0; k < count; ++k) p[k] = std::uint16_t(first + k);
    return p;
}

class FormatTest : public ::testing::Test {
protected:
    // Runs a format to its end; its options as the worker left them.
    int Format(FormatOptions options) {
        m_options = options;
        return FormatWorker(&disk.Drive(), dialog, user, m_options);
    }
    void Reopen(CVolume& volume) { ASSERT_TRUE(OpenVolume(volume)); }

    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    ScriptedUser user;
    RecordingWorkerDialog dialog;
    FormatOptions m_options;
};

TEST_F(FormatTest, BlankDisketteQuickGetsDefaultSystemAreaAndBootSector) {
    ASSERT_EQ(Format(Quick("WORK")), 0) << ::testing::PrintToString(user.Texts());
    EXPECT_TRUE(user.Shown().empty());
    EXPECT_EQ(dialog.m_bRunning, 0);
    EXPECT_EQ(m_options.displayResults, 1);
    EXPECT_EQ(dialog.m_results.freeBytes, 1427712);
    EXPECT_EQ(dialog.m_results.systemBytes, 0);
    EXPECT_EQ(dialog.m_results.badBytes, 0);

    CVolume volume(&disk.Drive());
    Reopen(volume);  // opens without the "not formatted" question: sector 0 was written
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 2, 3}));
    EXPECT_EQ(volume.Ids().fat1, Consecutive(4, 11));
    EXPECT_EQ(volume.Ids().fat2, Consecutive(15, 11));
    EXPECT_EQ(volume.Ids().label, "WORK");
    EXPECT_EQ(volume.FreeUnitCount(), kUnitCount);
    EXPECT_EQ(dialog.Statuses().back(), "It's almost done...");
    EXPECT_EQ(dialog.Progress().back(), 100);
}

TEST_F(FormatTest, QuickFormatOfFormattedDisketteKeepsPositionsBadUnitsAndOldLabel) {
    // A diskette whose second table copy had to skip sectors 20..30.
    disk.Faults().SetRange(20, 30, Fault::Unreadable);
    ASSERT_EQ(Format(Full("OLD")), 0);
    disk.Faults().Clear();
    {
        CVolume volume(&disk.Drive());
        Reopen(volume);
        WriteFileToVolume(volume, "a", "txt", Pattern(3000, 1));
        WriteFileToVolume(volume, "b", "bin", Pattern(600, 2));
        volume.MarkBad(SectorOfUnit(100));
        ASSERT_TRUE(volume.WriteFat());
    }

    FormatOptions options = Quick("NEW");
    options.noLabel = 1;
    ASSERT_EQ(Format(options), 0);
    CVolume volume(&disk.Drive());
    Reopen(volume);
    EXPECT_EQ(volume.Ids().label, "OLD");
    EXPECT_EQ(volume.Ids().fat2, (FatPositions{15, 16, 17, 18, 19, 31, 32, 33, 34, 35, 36}));
    std::vector<FileRecord> files;
    EXPECT_EQ(volume.ListFiles(files).end, ListEnd::NoFile);
    EXPECT_EQ(volume.Fat().entries[100], FAT_BAD);
    EXPECT_EQ(volume.BadBytes(), 507);
    EXPECT_EQ(dialog.m_results.badBytes, 507);
    EXPECT_EQ(dialog.m_results.freeBytes, 2815 * 507);
}

TEST_F(FormatTest, FullFormatFindsBadUnitsAfresh) {
    disk.Faults().Set(70, Fault::Unreadable);
    ASSERT_EQ(Format(Full()), 0);
    EXPECT_EQ(dialog.m_results.badBytes, 507);
    CVolume volume(&disk.Drive());
    Reopen(volume);
    EXPECT_EQ(volume.Fat().entries[6], FAT_BAD);
    // Progress moved one step per 34 sectors and ended the scan at 84.
    const auto progress = dialog.Progress();
    EXPECT_NE(std::find(progress.begin(), progress.end(), 84), progress.end());
}

TEST_F(FormatTest, FullFormatSkipsUnreadableSectorsWhenLayingOutTheTable) {
    disk.Faults().SetRange(20, 30, Fault::Unreadable);
    ASSERT_EQ(Format(Full()), 0);
    CVolume volume(&disk.Drive());
    Reopen(volume);
    EXPECT_EQ(volume.Ids().positions, (std::array<std::uint16_t, 3>{1, 2, 3}));
    EXPECT_EQ(volume.Ids().fat1, Consecutive(4, 11));
    EXPECT_EQ(volume.Ids().fat2, (FatPositions{15, 16, 17, 18, 19, 31, 32, 33, 34, 35, 36}));
}

TEST_F(FormatTest, FullFormatWithOnlyOneGoodSystemSectorStops) {
    disk.Faults().SetRange(1, 62, Fault::Unreadable);
    EXPECT_EQ(Format(Full()), -1);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{
                                "There isn't enough of free space on diskette\nfor ID sectors "
                                "and for FAT"});
    EXPECT_EQ(user.Shown()[0].icon, Icon::Exclamation);
    EXPECT_EQ(m_options.displayResults, 0);
    EXPECT_EQ(dialog.m_bRunning, 0);
}

TEST_F(FormatTest, WholeStandardSystemAreaUnwritableMovesTheTableAndTheDisketteWorks) {
    disk.Faults().SetRange(4, 25, Fault::Unwritable);
    ASSERT_EQ(Format(Full()), 0) << ::testing::PrintToString(user.Texts());

    PlacedFile file;
    {
        CVolume volume(&disk.Drive());
        Reopen(volume);
        for (int k = 0; k < kFatSectorCount; ++k) {
            EXPECT_FALSE(volume.Ids().fat1[k] >= 4 && volume.Ids().fat1[k] <= 25);
            EXPECT_FALSE(volume.Ids().fat2[k] >= 4 && volume.Ids().fat2[k] <= 25);
        }
        EXPECT_EQ(volume.Ids().fat1[0], 26);
        file = WriteFileToVolume(volume, "moved", "dat", Pattern(5000, 7));
        const Result<int> moved = volume.WriteFat();
        ASSERT_TRUE(moved);
        if (*moved > 0) {
            ASSERT_TRUE(volume.WriteIdSectors(nullptr, nullptr));
        }
    }
    CVolume volume(&disk.Drive());
    Reopen(volume);
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(ReadFileData(volume, file.record.fileNumber, back));
    EXPECT_EQ(back, file.data);
}

TEST_F(FormatTest, LabelIsCutToSixteenCharacters) {
    ASSERT_EQ(Format(Quick("ABCDEFGHIJKLMNOPQRST")), 0);
    CVolume volume(&disk.Drive());
    Reopen(volume);
    EXPECT_EQ(volume.Ids().label, "ABCDEFGHIJKLMNOP");
}

TEST_F(FormatTest, CancelOrAPulledDisketteDuringFullScanStopsWithinOneSector) {
    long readsAtCancel = -1;
    dialog.onProgress = [&](RecordingWorkerDialog& d, int position) {
        if (position == 30 && readsAtCancel < 0) {
            d.m_nState = -1;
            readsAtCancel = disk.Drive().Stats().readSectors;
        }
    };
    EXPECT_EQ(Format(Full()), -1);
    EXPECT_LE(disk.Drive().Stats().readSectors, readsAtCancel + 1);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{"Format interrupted"});
    EXPECT_EQ(m_options.displayResults, 0);
    EXPECT_EQ(dialog.m_nState, -1);  // the finishing step shows "Format interrupted"

    // Pulled: the sectors after it are no bad units, the drive says why.
    dialog.m_nState = 0;
    dialog.onProgress = [&](RecordingWorkerDialog&, int position) {
        if (position != 30) return;
        MemoryMedium::Hooks pulled;
        pulled.pullAfterRequests = 0;
        disk.Medium().ResetCounters();
        disk.Medium().SetHooks(pulled);
    };
    EXPECT_EQ(Format(Full()), -1);
    EXPECT_EQ(user.Texts().back(), DriveFailureText(IoError::NoMedium));
    EXPECT_EQ(disk.Medium().ReadRequests(), 1);
}

TEST_F(FormatTest, StopQuestionsDuringIdentificationAndAfterwards) {
    // Cancel while the ID sectors are searched: the question carries the question icon; Yes
    // stops without a further message.
    dialog.onStatus = [](RecordingWorkerDialog& d, const std::string& s) {
        if (s == "Serching for ID sectors.") d.m_nState = -1;
    };
    user.Push(Answer::Yes);
    EXPECT_EQ(Format(Quick()), -1);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, "Are you sure you want to stop formatting ?");
    EXPECT_EQ(user.Shown()[0].buttons, Buttons::YesNo);
    EXPECT_EQ(user.Shown()[0].icon, Icon::Question);
    CVolume untouched(&disk.Drive());
    EXPECT_TRUE(untouched.OpenDevice());
    EXPECT_EQ(untouched.FindIdSectors(), false);
}

TEST_F(FormatTest, StopAnsweredNoGoesOnAndLaterQuestionsHaveTheExclamationIcon) {
    dialog.onProgress = [](RecordingWorkerDialog& d, int p) {
        if (p == 85 || p == 90) d.m_nState = -1;
    };
    user.Push(Answer::No);
    user.Push(Answer::No);
    ASSERT_EQ(Format(Quick()), 0);
    const auto shown = user.Shown();
    ASSERT_EQ(shown.size(), 2u);
    for (const Message& m : shown) {
        EXPECT_EQ(m.text, "Are you sure you want to stop formatting ?");
        EXPECT_EQ(m.icon, Icon::Exclamation);
    }
    EXPECT_EQ(dialog.m_nState, 0);
    EXPECT_EQ(m_options.displayResults, 1);
}

TEST_F(FormatTest, WriteProtectedBlankDisketteStopsAtTheBootSector) {
    disk.Faults().SetWriteProtected(true);
    EXPECT_EQ(Format(Quick()), -1);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{kSector0NotRepaired});
}

TEST_F(FormatTest, LostSignatureIsRestoredOnAFormattedDiskette) {
    ASSERT_EQ(Format(Quick()), 0);
    disk.PutRaw(0, SectorImage{});
    ASSERT_EQ(Format(Quick()), 0);
    CVolume volume(&disk.Drive());
    EXPECT_TRUE(volume.OpenDevice());
    EXPECT_EQ(volume.CheckSector0(), true);
}

TEST_F(FormatTest, SectorZeroThatNeverTakesTheRepairEndsTheFormat) {
    ASSERT_EQ(Format(Quick()), 0);
    disk.PutRaw(0, SectorImage{});
    disk.Faults().Set(0, Fault::Unwritable);
    auto searches = [&] {
        int n = 0;
        for (const auto& s : dialog.Statuses()) n += s == "Serching for ID sectors.";
        return n;
    };
    const int before = searches();
    EXPECT_EQ(Format(Quick()), -1);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{kSector0NotRepaired});
    EXPECT_EQ(searches() - before, 3);
}

TEST_F(FormatTest, UnreadableSectorZeroIsRepairedOnlyWithConsent) {
    FlakyMedium flaky(disk.Medium());
    std::shared_ptr<IMedium> medium(std::shared_ptr<void>{}, &flaky);
    disk.Drive().InsertMedium(medium);

    flaky.healOnWrite.insert(0);
    user.Push(Answer::No);
    EXPECT_EQ(Format(Quick()), -1);
    const Message asked = user.Shown().at(0);
    EXPECT_EQ(asked.text,
              "Cannot read sector 0, or no diskette in drive\nDiskette with bad sector 0 can't "
              "by formated\nIf you choose NO, format will not continue.\nSector 0 can by "
              "repaired by Disk service.\nShell I try to repair it now ?");
    EXPECT_EQ(asked.icon, Icon::Question);
    EXPECT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(dialog.Progress().back(), 0);

    user.Push(Answer::Yes);
    ASSERT_EQ(Format(Quick()), 0);
    CVolume volume(&disk.Drive());
    Reopen(volume);
}

TEST_F(FormatTest, WriteProtectedFormattedDisketteKeepsItsFiles) {
    ASSERT_EQ(Format(Quick()), 0);
    PlacedFile file;
    {
        CVolume volume(&disk.Drive());
        Reopen(volume);
        file = WriteFileToVolume(volume, "keep", "me", Pattern(2000, 3));
        ASSERT_TRUE(volume.WriteFat());
    }
    disk.Faults().SetWriteProtected(true);
    EXPECT_EQ(Format(Quick()), -1);
    // The drive says why: the tab, not bad sectors.
    EXPECT_EQ(user.Texts(), std::vector<std::string>{DriveFailureText(IoError::WriteProtected)});
    CVolume volume(&disk.Drive());
    Reopen(volume);
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(ReadFileData(volume, file.record.fileNumber, back));
    EXPECT_EQ(back, file.data);
}

TEST_F(FormatTest, NoDriveToOpen) {
    m_options = Quick();
    EXPECT_EQ(FormatWorker(nullptr, dialog, user, m_options), -1);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, "Unable to open the diskette. Unexpected error.");
    EXPECT_EQ(user.Shown()[0].icon, Icon::Exclamation);
    EXPECT_EQ(dialog.m_bRunning, 0);
}

TEST(QuickClear, FreesEverythingButBadUnitsAndKeepsMovedTableSectors) {
    MemoryDisk disk;
    CVolume volume(&disk.Drive());
    RecordingWorkerDialog dialog;
    volume.Fat().entries[0] = 5;
    volume.Fat().entries[1] = FAT_BAD;
    volume.Fat().entries[2] = FAT_SYSTEM;
    volume.Fat().entries[3] = FAT_UNKNOWN;
    volume.Fat().entries[636] = FAT_SYSTEM;
    volume.Fat().pos2[5] = 700;  // a table sector living in unit 636
    EXPECT_EQ(QuickClear(volume, dialog), 0);
    EXPECT_EQ(volume.Fat().entries[0], FAT_FREE);
    EXPECT_EQ(volume.Fat().entries[1], FAT_BAD);
    EXPECT_EQ(volume.Fat().entries[2], FAT_FREE);
    EXPECT_EQ(volume.Fat().entries[3], FAT_FREE);
    EXPECT_EQ(volume.Fat().entries[636], FAT_SYSTEM);
    for (bool d : volume.Fat().dirty) EXPECT_TRUE(d);
    EXPECT_EQ(dialog.Progress(), std::vector<int>{0});
}

}  // namespace
}  // namespace orv::tests
