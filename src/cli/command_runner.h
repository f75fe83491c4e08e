// One parsed command run on the session, from the command line or from a line of a batch.
#pragma once

#include "cli/command_set.h"
#include "cli/session.h"

namespace orv::cli {

// The exit status: 0 done, 1 failed, refused or interrupted, 2 usage error.
int RunCommand(Session& s, CommandId id, const CommandArgs& args);

}  // namespace orv::cli
