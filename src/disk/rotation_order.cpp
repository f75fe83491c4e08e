#include "disk/rotation_order.h"

namespace orv {

std::vector<SectorRun> RotationOrder(int first, int count, int lastSector) {
    constexpr int kCylinderSectors = kSectorsPerTrack * kHeads;
    const bool wholeCylinder = first % kCylinderSectors == 0 && count == kCylinderSectors;
    if (!wholeCylinder || lastSector < 1 || lastSector > kSectorsPerTrack) return {{first, count}};
    // The first sector of head 0 that comes round after the step: the tracks of a cylinder lie
    // one above the other, so head 0 starts at the same angle as the track just left.
    const int start = (lastSector + kSectorsLostToAStep) % kSectorsPerTrack + 1;
    if (start == 1) return {{first, count}};
    // From there to the end of head 1's track, then head 0's first sectors, which come round
    // once head 1's track has passed.
    const int skip = start - 1;
    return {{first + skip, count - skip}, {first, skip}};
}

}  // namespace orv
