#include "disk/geometry.h"

namespace orv {

Chs ToChs(int logicalSector) {
    const int n = logicalSector + 1;
    if (n < 1 || n > kSectorCount) return Chs{};
    const int track = (n - 1) / kSectorsPerTrack;
    return Chs{track / kHeads, track % kHeads, n - kSectorsPerTrack * track};
}

std::optional<int> FromChs(const Chs& chs) {
    if (chs.cylinder < 0 || chs.cylinder >= kCylinders || chs.head < 0 || chs.head >= kHeads ||
        chs.sector < 1 || chs.sector > kSectorsPerTrack)
        return std::nullopt;
    return (chs.cylinder * kHeads + chs.head) * kSectorsPerTrack + chs.sector - 1;
}

}  // namespace orv
