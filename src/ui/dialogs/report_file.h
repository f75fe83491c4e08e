// The file that Load report... of the repair dialogs is given: a bad-sector report saved by
// Save, or the --report-json file of orvalis-cli's copy or rescue (one object, or an array of
// them when a command met unreadable units on several diskettes or in several files).
#pragma once

#include <string>
#include <vector>

#include "transfer/report_reader.h"

namespace orv {

// Every report the file holds, in the file's order. False with what to tell the user when the
// file cannot be read or is neither kind of report; reports is left as it was then.
bool LoadBadSectorReports(const std::string& path, std::vector<ReadReport>& reports,
                          std::string& error);

}  // namespace orv
