// A batch: the lines of a script run as commands, one a line, on one session, so that the
// drive, the open diskette, the scripted answers and the --then images carry over from one
// command to the next.
#pragma once

#include <istream>
#include <string>

#include "cli/session.h"

namespace orv::cli {

// script "-": standard input. 0 when every command succeeded, 1 when one failed (without
// keepGoing the first failure ends the batch), 2 when the script cannot be read.
int RunBatch(Session& s, const std::string& script, bool keepGoing);
int RunBatchLines(Session& s, std::istream& lines, bool keepGoing);

}  // namespace orv::cli
