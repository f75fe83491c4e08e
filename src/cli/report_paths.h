// Where a command's reports (--report, --report-json) may go: a report replaces the file it is
// written to, so it must never land on a file that the command reads or writes.
#pragma once

#include "cli/command_set.h"
#include "cli/session.h"

namespace orv::cli {

// True, with the reason printed, when a report path of the command names the diskette's
// image (or one that --then puts into the drive), an image that a rescue reads, or the file
// that the copy writes: however it is spelled, through a link too. Checked before the command
// does anything.
bool RefuseReportPaths(const Session& s, CommandId id, const CommandArgs& args);

}  // namespace orv::cli
