#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "maintenance/balance/disk_info.h"
#include "maintenance/balance/group_digits.h"
#include "maintenance/balance/results_texts.h"
#include "ports/text_format.h"

namespace orv {
namespace {

TEST(GroupDigits, SplitsFromTheRightWithSingleSpaces) {
    EXPECT_EQ(GroupDigits(0), "0");
    EXPECT_EQ(GroupDigits(507), "507");
    EXPECT_EQ(GroupDigits(1000), "1 000");
    EXPECT_EQ(GroupDigits(10140), "10 140");
    EXPECT_EQ(GroupDigits(999999), "999 999");
    EXPECT_EQ(GroupDigits(1427712), "1 427 712");
    EXPECT_EQ(GroupDigits(2147483647), "2 147 483 647");
    EXPECT_EQ(GroupDigits(-1234), "-1 234");
    EXPECT_EQ(GroupDigits(-123456), "-123 456");
    EXPECT_EQ(GroupDigits(-2147483647 - 1), "-2 147 483 648");
}

TEST(ResultsTexts, CarryTheFixedTotalAndGroupedCounts) {
    WorkerResults r;
    r.systemBytes = 11154;  // 22 units
    r.badBytes = 507;
    r.freeBytes = 1427712 - 11154 - 507;
    const ResultsTexts t = MakeResultsTexts("Results - Diskette 3,5.(Halvorn)", r, "");
    EXPECT_EQ(t.title, "Results - Diskette 3,5.(Halvorn)");
    EXPECT_EQ(t.total, "1 427 712");
    EXPECT_EQ(t.systemBytes, "11 154");
    EXPECT_EQ(t.badBytes, "507");
    EXPECT_EQ(t.freeBytes, "1 416 051");
    EXPECT_EQ(t.label, "");
    EXPECT_EQ(t.extraLine, "");
    EXPECT_TRUE(t.uncertainFiles.empty());

    // Files a full test was not sure of: counted on the extra line, named in the list.
    r.uncertainFiles = {"a.txt (#3)", "b (#7)"};
    const ResultsTexts u = MakeResultsTexts("Test result - Diskette 3,5.", r, "L");
    EXPECT_EQ(u.extraLine, "Uncertain files: 2 (see the message)");
    EXPECT_EQ(u.uncertainFiles, r.uncertainFiles);

    // Damaged files are named one a line with the bytes they lost and the positions a copy
    // reports; a long list of positions is cut and counted.
    r.uncertainFiles.clear();
    DamagedFile many{"big.bin (#2)", {}, 0};
    for (std::uint32_t p = 1; p <= 14; ++p) many.positions.push_back(p);
    many.unreadableBytes = 14 * 507;
    r.damagedFiles = {{"a.txt (#3)", {0, 4}, 448 + 113}, many};
    const ResultsTexts d = MakeResultsTexts("Test result - Diskette 3,5.", r, "L");
    EXPECT_EQ(d.extraLine, "Damaged files: 2 (see the list)");
    EXPECT_EQ(d.damagedFiles,
              (std::vector<std::string>{
                  "a.txt (#3): 561 bytes unreadable (chain positions 0, 4)",
                  "big.bin (#2): 7 098 bytes unreadable (chain positions 1, 2, 3, 4, 5, 6, 7, "
                  "8, 9, 10, 11, 12 and 2 more)"}));
}

class LocalTimeUtc : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_hadTz = tz != nullptr;
        if (tz) m_oldTz = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (m_hadTz)
            setenv("TZ", m_oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_hadTz = false;
    std::string m_oldTz;
};

TEST_F(LocalTimeUtc, DateTextHasNoLeadingZeros) {
    EXPECT_EQ(DateText(1796515200u), "6.12.2026");   // 2026-12-06 00:00 UTC
    EXPECT_EQ(DateText(1704067199u), "31.12.2023");  // the last second of 2023
    EXPECT_EQ(DateText(0u), "1.1.1970");
}

TEST_F(LocalTimeUtc, SetInfoBalancesTheDataArea) {
    const DiskInfo info = SetInfo("WORK", 1796515200u, 1000000, 1014, 11154, 7);
    EXPECT_EQ(info.label, "WORK");
    EXPECT_EQ(info.dateText, "6.12.2026");
    EXPECT_EQ(info.usedBytes, 1427712 - 1000000 - 1014 - 11154);
    EXPECT_EQ(info.usedText, "415 544");
    EXPECT_EQ(info.freeText, "1 000 000");
    EXPECT_EQ(info.badText, "1 014");
    EXPECT_EQ(info.systemText, "11 154");
    EXPECT_EQ(info.filesText, "7");
    EXPECT_EQ(info.freeBar, 1000000 / 14277);
    EXPECT_EQ(info.usedBar, 415544 / 14277);
}

TEST(DiskInfoBars, SmallCountsAboveAThousandBytesShowAtLeastOne) {
    // No files: every byte is free, system or bad, so nothing is used.
    DiskInfo empty = SetInfo("", 0, 1427712 - 11154, 0, 11154, 0);
    EXPECT_EQ(empty.usedBytes, 0);
    EXPECT_EQ(empty.usedBar, 0);
    EXPECT_EQ(empty.usedText, "0");

    // One bad unit (507 bytes) stays below the mark; two (1014 bytes) show one.
    EXPECT_EQ(SetInfo("", 0, 1427712 - 11154 - 507, 507, 11154, 0).badBar, 0);
    EXPECT_EQ(SetInfo("", 0, 1427712 - 11154 - 1014, 1014, 11154, 0).badBar, 1);
    // The used bar follows the same rule: 1014 used bytes show one.
    EXPECT_EQ(SetInfo("", 0, 1427712 - 11154 - 1014, 0, 11154, 1).usedBar, 1);
    // The free bar has no minimum: 20 free units (10 140 bytes) show none.
    EXPECT_EQ(SetInfo("", 0, 10140, 0, 11154, 1).freeBar, 0);
    // A full data area fills the bar.
    EXPECT_EQ(SetInfo("", 0, 1427712, 0, 0, 0).freeBar, 100);
}

}  // namespace
}  // namespace orv
