// Rebuilding the owners of units whose table sector was lost, from the unit headers that every
// data unit carries.
#pragma once

#include <vector>

#include "fs/volume.h"
#include "maintenance/diskservice/unit_pass.h"
#include "ports/worker_dialog_port.h"

namespace orv {

// Gives every unit whose entry is FAT_UNKNOWN its owner from what the unit holds. A unit tagged
// 10001..12816 keeps its tag. Units tagged with a file number, units that fail two reads and
// units that read but name no owner go to the files that need them (ClaimLostUnits); an
// unreadable unit that no file needs becomes FAT_BAD, every other unit FAT_FREE. The numbers of the
// files whose units could not be told for sure are appended to uncertain when it is given. Unless
// the pass is Done, the table is unusable.
PassResult ResolveUnknownUnits(CVolume& volume, IWorkerDialog& dialog,
                               std::vector<int>* uncertain = nullptr);

}  // namespace orv
