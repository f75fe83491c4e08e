// The commands that decide what the drive and the document hold: a blank image, and within a
// batch the Diskette menu's Open and Close and a change of the diskette in the drive. Each
// returns the exit status: 0 done, 1 failed or refused, 2 usage error.
#pragma once

#include <string>

#include "cli/session.h"

namespace orv::cli {

inline constexpr int kUsageError = 2;

// Creates a blank image at path, or at the --drive image without one.
int MkImageCommand(Session& s, std::string path);
// Refused while a diskette is open: the document would go on describing the one opened first.
int OpenCommand(Session& s);
int CloseCommand(Session& s);
// Only the drive changes; an open diskette stays open, and the next command that touches it
// finds out whether the drive still holds it.
int InsertCommand(Session& s, const std::string& path, const std::string& mapfile = {});
int EjectCommand(Session& s);

}  // namespace orv::cli
