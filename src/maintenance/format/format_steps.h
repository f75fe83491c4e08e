// The volume steps of a format: clearing the table (quick) or reading every sector and laying
// the system area on the first good ones (full).
#pragma once

#include "fs/volume.h"
#include "ports/worker_dialog_port.h"

namespace orv {

enum : int {
    FORMAT_NO_ROOM = -1,      // too few good sectors, or no good one for an ID sector in 1..63
    FORMAT_NO_SECTOR0 = -2,   // sector 0 unreadable
    FORMAT_INTERRUPTED = -3,  // the user asked to stop during the scan
};

// 0, or one of the codes above; a failure with the drive's cause when the drive failed as a
// whole (no diskette) during the scan. quick reuses the positions already in the volume.
Result<int> PrepareFormat(CVolume& volume, IWorkerDialog& dialog, bool quick);
// Every unit that is not bad becomes free; the whole table is to be written. 0.
int QuickClear(CVolume& volume, IWorkerDialog& dialog);
// Reads sectors 1..2879: the first three good ones become the ID sectors, the next 22 the two
// table copies; unreadable data units are bad, all others free. As PrepareFormat.
Result<int> FullScan(CVolume& volume, IWorkerDialog& dialog);

}  // namespace orv
