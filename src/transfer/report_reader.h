// A copy's report read back for the repair dialogs. Two writers make them: Save of the
// bad-sector report ("Start Byte:   N", then one chain position a line; a file collected from
// several diskettes by a scan gets such a block for each damaged part, one after the other),
// and --report-json of copy and rescue ({"name", "size", "start", "bad": [{"position",
// "offset", "length"}]}, or an array of such objects when one command met unreadable units on
// several diskettes or in several files).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

struct ReadReport {
    std::string name;  // the damaged file, where the report names it (the JSON does)
    std::int32_t startByte = 0;
    std::vector<std::uint32_t> positions;  // 1..2816, each once, in the report's order
};

// Every report the file holds, in the file's order. False with what to tell the user when the
// file cannot be read or is neither kind of report; reports is left as it was then.
bool ReadBadSectorReports(const std::string& path, std::vector<ReadReport>& reports,
                          std::string& error);

// "film.avi, start byte 0: positions 3, 7": one report, for a choice among several.
std::string ReportChoiceText(const ReadReport& report);

}  // namespace orv
