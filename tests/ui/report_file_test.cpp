// The files Load report... takes: a saved report, the JSON of --report-json (one object, or an
// array), and files that are neither, or that cannot be read.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "ui/dialogs/report_file.h"

namespace orv::tests {
namespace {

class ReportFileTest : public ::testing::Test {
protected:
    bool Load(const std::string& text) {
        WriteText(path, text);
        return LoadBadSectorReports(path, reports, error);
    }
    TempDir temp;
    std::string path = temp.File("report");
    std::vector<ReadReport> reports;
    std::string error;
};

TEST_F(ReportFileTest, TheJsonOfACopyGivesItsStartAndPositions) {
    ASSERT_TRUE(Load(R"({"name": "film.avi", "size": 3000000, "start": 955,
        "bad": [{"position": 5, "offset": 3431, "length": 507},
                {"position": 2, "offset": 1910, "length": 507}]})"))
        << error;
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].startByte, 955);
    EXPECT_EQ(reports[0].positions, (std::vector<std::uint32_t>{5, 2}));
    EXPECT_EQ(reports[0].name, "film.avi");
    ASSERT_TRUE(Load(R"({"start": 0, "bad": []})")) << error;
    EXPECT_TRUE(reports[0].positions.empty());

    // Several diskettes or files met by one command: an array, each with its own start.
    ASSERT_TRUE(Load(R"([{"name": "a.txt", "size": 9000, "start": 0, "bad": [{"position": 3}]},
                         {"name": "b.txt", "size": 40, "start": 448, "bad": []}])"))
        << error;
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].name, "b.txt");
    EXPECT_EQ(reports[1].startByte, 448);
    // And a saved report, read by the same command.
    ASSERT_TRUE(Load("Start Byte:   448\r\n      9\r\n")) << error;
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].positions, std::vector<std::uint32_t>{9});
}

TEST_F(ReportFileTest, AnythingElseIsRefusedAndLeavesTheReportsAlone) {
    ASSERT_TRUE(Load("Start Byte:   448\r\n      9\r\n"));
    for (const char* text :
         {"", "notes\n", "Start Byte:   0\n   2817\n", R"({"bad": [{"position": 3}]})",
          R"({"start": 0, "bad": {"position": 3}})", R"({"start": 0, "bad": [{"offset": 3}]})",
          R"({"start": 0, "bad": [3]})", R"({"start": 0, "bad": [{"position": 0}]})",
          R"({"start": 0.5, "bad": []})", R"({"start": -1, "bad": []})",
          R"({"start": 0, "bad": [{"position": 2.5}]})", "[1, 2]", "[]", "5",
          R"([{"start": 0, "bad": []}, {"bad": []}])", R"({"start": 0, "bad": [)"}) {
        EXPECT_FALSE(Load(text)) << text;
        EXPECT_EQ(error, path +
                             "\n\nis neither a bad-sector report saved by Orvalis nor the "
                             "--report-json file of a copy or a rescue.");
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].startByte, 448);
    EXPECT_FALSE(LoadBadSectorReports(temp.File("missing"), reports, error));
    EXPECT_EQ(error, temp.File("missing") + "\n\nFile could not be opened.");
}

}  // namespace
}  // namespace orv::tests
