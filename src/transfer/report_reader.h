// A copy's report read back for the repair dialogs: the bad-sector report that Save writes
// ("Start Byte:   N", then one chain position a line) or the JSON that a copy writes with
// --report-json ({"name", "size", "start", "bad": [{"position", "offset", "length"}]}).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

struct ReadReport {
    std::int32_t startByte = 0;
    std::vector<std::uint32_t> positions;  // 1..2816, each once, in the report's order
};

// False with what to tell the user when the file cannot be read or is neither kind of report.
bool ReadBadSectorReport(const std::string& path, ReadReport& report, std::string& error);

}  // namespace orv
