// Reports read back for the repair dialogs: what Save writes (one block, or a block for each
// damaged part of a collected file), the JSON of --report-json (one object, or an array), and
// files that are neither. The CLI's tests read what the real commands write.
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
        reports.clear();
        if (!ReadBadSectorReports(path, reports, error)) return false;
        if (!reports.empty()) report = reports.front();
        return true;
    }
    TempDir temp;
    std::string path = temp.File("report");
    std::vector<ReadReport> reports;
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

    // A file collected from several diskettes: one block for each damaged part.
    const std::vector<std::uint32_t> second = {6};
    BadSectorReport part2;
    part2.startByte = 1427264;
    part2.badList = &second;
    ASSERT_TRUE(Read(ReportFileText(saved) + ReportFileText(part2))) << error;
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].startByte, 1427264);
    EXPECT_EQ(reports[1].positions, second);
    EXPECT_EQ(ReportChoiceText(reports[1]), "start byte 1427264: position 6");
}

TEST_F(ReportReaderTest, TheJsonOfACopyGivesItsStartAndPositions) {
    ASSERT_TRUE(Read(R"({"name": "film.avi", "size": 3000000, "start": 955,
        "bad": [{"position": 5, "offset": 3431, "length": 507},
                {"position": 2, "offset": 1910, "length": 507}]})"))
        << error;
    EXPECT_EQ(report.startByte, 955);
    EXPECT_EQ(report.positions, (std::vector<std::uint32_t>{5, 2}));
    EXPECT_EQ(report.name, "film.avi");
    ASSERT_TRUE(Read(R"({"start": 0, "bad": []})")) << error;
    EXPECT_TRUE(report.positions.empty());

    // Several diskettes or files met by one command: an array, each with its own start.
    std::string pieces;
    for (int p = 1; p <= 7; ++p)
        pieces += (p > 1 ? ", " : "") + std::string(R"({"position": )") + std::to_string(p) + "}";
    ASSERT_TRUE(Read(R"([{"name": "a.txt", "size": 9000, "start": 0, "bad": [)" + pieces +
                     R"(]}, {"name": "b.txt", "size": 40, "start": 0, "bad": []}])"))
        << error;
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].name, "b.txt");
    EXPECT_EQ(ReportChoiceText(reports[0]),
              "a.txt, start byte 0: positions 1, 2, 3, 4, 5, 6 and 1 more");
}

TEST_F(ReportReaderTest, AnythingElseIsRefusedAndLeavesTheReportAlone) {
    ASSERT_TRUE(Read("Start Byte:   448\r\n      9\r\n"));
    for (const char* text :
         {"", "notes\n", "Start Byte: x\n", "Start Byte:   0\n      0\n",
          "Start Byte:   0\n   2817\n", "Start Byte:   0\n  3 4\n", "Start Byte:   -5\n",
          R"({"bad": [{"position": 3}]})", R"({"start": 0, "bad": {"position": 3}})",
          R"({"start": 0, "bad": [{"offset": 3}]})", R"({"start": 0, "bad": [3]})",
          R"({"start": 0, "bad": [{"position": 0}]})", "[1, 2]", "[]",
          R"([{"start": 0, "bad": []}, {"bad": []}])", "      3\nStart Byte:   0\n"}) {
        EXPECT_FALSE(Read(text)) << text;
        EXPECT_EQ(error, path +
                             "\n\nis neither a bad-sector report saved by Orvalis nor the "
                             "--report-json file of a copy or a rescue.");
    }
    EXPECT_EQ(report.startByte, 448);
    EXPECT_EQ(report.positions, std::vector<std::uint32_t>{9});
    EXPECT_FALSE(ReadBadSectorReports(temp.File("missing"), reports, error));
    EXPECT_EQ(error, temp.File("missing") + "\n\nFile could not be opened.");
}

}  // namespace
}  // namespace orv::tests
