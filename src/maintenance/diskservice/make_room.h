// Giving up files so that the table can be written on a full diskette.
#pragma once

#include "fs/volume.h"

namespace orv {

// Releases files (in memory) until more than 11 units beyond the free count at the call are
// free. Files whose header unit cannot be read go first (their data cannot be copied anyway);
// among the rest it gives up the set of files with the fewest units that frees enough, fewer
// files breaking ties. 0 enough room; -1 not even all files together free enough.
int MakeRoom(CVolume& volume);

}  // namespace orv
