// The bad-sector report as JSON, for scripts: the file, where its part starts in the target,
// and each piece of filler: its chain position, its offset in the target and its length.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "transfer/bad_sector_report.h"

namespace orv::cli {

nlohmann::json ReportJson(const BadSectorReport& report);
// Writes value to path; false with the reason in error (a file left part-written is removed).
bool WriteJsonFile(const std::string& path, const nlohmann::json& value, std::string& error);
// A name or label is always shown as text, but a second guard keeps a byte that is not UTF-8
// from ending the program in the middle of a listing.
std::string DumpJson(const nlohmann::json& value);

}  // namespace orv::cli
