// Reports read back for the repair dialogs: what Save writes, the JSON of --report-json, and
// files that are neither.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "transfer/bad_sector_report.h"
#include "transfer/report_reader.h"

namespace orv::tests {
namespace {

class ReportReaderTest : public ::testing::Test {
protected:
    bool Read(const std::string& text) {
        WriteText(path, text);
        return ReadBadSectorReport(path, report, error);
    }
    TempDir temp;
    std::string path = temp.File("report");
    ReadReport report;
    std::string error;
};

TEST_F(ReportReaderTest, ASavedReportComesBackAsItWasShown) {
    const std::vector<std::uint32_t> bad = {12, 1, 2816, 12};
    BadSectorReport saved;
    saved.startByte = 1427712;
    saved.badList = &bad;
    ASSERT_TRUE(Read(ReportFileText(saved))) << error;
    EXPECT_EQ(report.startByte, 1427712);
    EXPECT_EQ(report.positions, (std::vector<std::uint32_t>{12, 1, 2816}));  // each once
    // Line ends of another system and blank lines change nothing.
    ASSERT_TRUE(Read("\nStart Byte:   0\n      3\n\n      7\n")) << error;
    EXPECT_EQ(report.startByte, 0);
    EXPECT_EQ(report.positions, (std::vector<std::uint32_t>{3, 7}));
}

TEST_F(ReportReaderTest, TheJsonOfACopyGivesItsStartAndPositions) {
    ASSERT_TRUE(Read(R"({"name": "film.avi", "size": 3000000, "start": 955,
        "bad": [{"position": 5, "offset": 3431, "length": 507},
                {"position": 2, "offset": 1910, "length": 507}]})"))
        << error;
    EXPECT_EQ(report.startByte, 955);
    EXPECT_EQ(report.positions, (std::vector<std::uint32_t>{5, 2}));
    ASSERT_TRUE(Read(R"({"start": 0, "bad": []})")) << error;
    EXPECT_TRUE(report.positions.empty());
}

TEST_F(ReportReaderTest, AnythingElseIsRefusedAndLeavesTheReportAlone) {
    ASSERT_TRUE(Read("Start Byte:   448\r\n      9\r\n"));
    for (const char* text :
         {"", "notes\n", "Start Byte: x\n", "Start Byte:   0\n      0\n",
          "Start Byte:   0\n   2817\n", "Start Byte:   0\n  3 4\n", "Start Byte:   -5\n",
          R"({"bad": [{"position": 3}]})", R"({"start": 0, "bad": {"position": 3}})",
          R"({"start": 0, "bad": [{"offset": 3}]})", R"({"start": 0, "bad": [0]})", "[1, 2]"}) {
        EXPECT_FALSE(Read(text)) << text;
        EXPECT_EQ(error, path +
                             "\n\nis neither a bad-sector report saved by Orvalis nor the "
                             "--report-json file of a copy.");
    }
    EXPECT_EQ(report.startByte, 448);
    EXPECT_EQ(report.positions, std::vector<std::uint32_t>{9});
    EXPECT_FALSE(ReadBadSectorReport(temp.File("missing"), report, error));
    EXPECT_EQ(error, temp.File("missing") + "\n\nFile could not be opened.");
}

}  // namespace
}  // namespace orv::tests
