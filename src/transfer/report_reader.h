// A copy's report read back for the repair dialogs. Save of the bad-sector report writes
// "Start Byte:   N" and then one chain position a line; a file collected from several diskettes
// by a scan gets such a block for each damaged part, one after the other. The front ends also
// read the --report-json file of copy and rescue ({"name", "size", "start", "bad":
// [{"position", "offset", "length"}]}, or an array of such objects) with their own JSON reader,
// and hold its values to the same rules through the checks below.
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

// Every report of the saved format that text holds, appended in the text's order. False when
// the text is not such a report (reports may then hold a part of it).
bool ParseSavedReports(const std::string& text, std::vector<ReadReport>& reports);

// A start byte is a byte count of a file.
bool IsReportStart(std::int64_t start);
// Adds a chain position (1..2816) once: a repair file carries one piece for each. False when
// it is no chain position.
bool AddReportPosition(ReadReport& report, std::int64_t position);

// "film.avi, start byte 0: positions 3, 7": one report, for a choice among several.
std::string ReportChoiceText(const ReadReport& report);

}  // namespace orv
