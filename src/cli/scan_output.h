// What scan prints: a JSON object for scripts, or a table to read.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "transfer/rescue/box_scan.h"

namespace orv::cli {

nlohmann::json ScanJson(const ScanOutcome& scan);
void PrintScanTable(const ScanOutcome& scan, std::ostream& out);

}  // namespace orv::cli
