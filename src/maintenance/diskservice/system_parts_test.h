// The system parts test: reads sector 0, the ID sectors and both table copies, writes nothing.
#pragma once

#include "fs/volume.h"
#include "ports/worker_dialog_port.h"

namespace orv {

enum : int {
    PARTS_SOUND = 0,
    PARTS_RESERVE_ONLY = 1,     // no ID sector, but a valid reserve copy in sector 2879
    PARTS_NOT_FORMATTED = -1,   // no ID sector and no valid reserve copy
    PARTS_NO_SECTOR0 = -2,      // sector 0 unreadable
    PARTS_TOO_FEW_IDS = -3,     // fewer than three ID sector positions
    PARTS_FAT_UNREADABLE = -4,  // some table sector readable in neither copy
    // The two copies differ in an entry readable in both, or a table position names a unit
    // that holds file data.
    PARTS_COPIES_DIFFER = -5,
    PARTS_INTERRUPTED = -6,
};

int SystemPartsTest(CVolume& volume, IWorkerDialog& dialog);

}  // namespace orv
