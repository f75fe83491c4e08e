// Saved bad-sector reports read back for the repair dialogs: one block, or a block for each
// damaged part of a collected file, and texts that are no such report. The JSON of
// --report-json is read by the desktop program (tests/ui/report_file_test.cpp); the CLI's tests
// read what the real commands write.
#include <gtest/gtest.h>

#include "transfer/bad_sector_report.h"
#include "transfer/report_reader.h"

namespace orv::tests {
namespace {

std::vector<ReadReport> Parsed(const std::string& text, bool& ok) {
    std::vector<ReadReport> reports;
    ok = ParseSavedReports(text, reports);
    return reports;
}

TEST(SavedReport, ComesBackAsItWasShown) {
    bool ok = false;
    const std::vector<std::uint32_t> bad = {12, 1, 2816, 12};
    BadSectorReport saved;
    saved.startByte = 1427712;
    saved.badList = &bad;
    auto reports = Parsed(ReportFileText(saved), ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].startByte, 1427712);
    EXPECT_EQ(reports[0].positions, (std::vector<std::uint32_t>{12, 1, 2816}));  // each once
    // Line ends of another system and blank lines change nothing.
    reports = Parsed("\nStart Byte:   0\n      3\n\n      7\n", ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(reports[0].startByte, 0);
    EXPECT_EQ(reports[0].positions, (std::vector<std::uint32_t>{3, 7}));

    // A file collected from several diskettes: one block for each damaged part.
    const std::vector<std::uint32_t> second = {6};
    BadSectorReport part2;
    part2.startByte = 1427264;
    part2.badList = &second;
    reports = Parsed(ReportFileText(saved) + ReportFileText(part2), ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].startByte, 1427264);
    EXPECT_EQ(reports[1].positions, second);
    EXPECT_EQ(ReportChoiceText(reports[1]), "start byte 1427264: position 6");
    ReadReport many;
    many.name = "a.txt";
    for (int p = 1; p <= 7; ++p) ASSERT_TRUE(AddReportPosition(many, p));
    EXPECT_EQ(ReportChoiceText(many), "a.txt, start byte 0: positions 1, 2, 3, 4, 5, 6 and 1 more");
}

TEST(SavedReport, AnythingElseIsRefused) {
    for (const char* text : {"", "notes\n", "Start Byte: x\n", "Start Byte:   0\n      0\n",
                             "Start Byte:   0\n   2817\n", "Start Byte:   0\n  3 4\n",
                             "Start Byte:   -5\n", "Start Byte:   99999999999\n",
                             "      3\nStart Byte:   0\n", R"({"start": 0, "bad": []})"}) {
        bool ok = true;
        Parsed(text, ok);
        EXPECT_FALSE(ok) << text;
    }
}

}  // namespace
}  // namespace orv::tests
