// The order in which a drive passes the sectors of a request fastest. A request that covers the
// whole of its cylinder from head 0's first sector would wait, after the step to the cylinder,
// for that sector to come round: nearly a turn, since the standard format has no skew between
// cylinders. Started at the sector that comes under the head first and wrapped round, the same
// sectors pass in two turns with hardly a wait.
#pragma once

#include <vector>

#include "disk/geometry.h"

namespace orv {

struct SectorRun {
    int first = 0;
    int count = 0;
};

// Sectors a drive passes between the end of one transfer and the first sector it can catch on
// the next cylinder: the host's overhead, a step and the head's settling (about 20 ms on the
// drives of this size) and some slack for a slow host, against 10.9 ms a sector.
constexpr int kSectorsLostToAStep = 3;

// The runs, in the order to transfer them, of count sectors from first. lastSector is the
// sector within its track (1..18) where the drive's previous transfer ended, or 0 when unknown.
// Only a request that covers one whole cylinder from its start is reordered; any other comes
// back as one run.
std::vector<SectorRun> RotationOrder(int first, int count, int lastSector);

}  // namespace orv
