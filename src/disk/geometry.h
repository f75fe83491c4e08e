// Geometry of the 3.5-inch 1.44 MB diskette and logical <-> CHS conversion.
#pragma once

#include <cstdint>
#include <optional>

namespace orv {

constexpr int kSectorSize = 512;
constexpr int kSectorsPerTrack = 18;
constexpr int kHeads = 2;
constexpr int kCylinders = 80;
constexpr int kSectorCount = kCylinders * kHeads * kSectorsPerTrack;           // 2880
constexpr std::int64_t kImageSize = std::int64_t{kSectorCount} * kSectorSize;  // 1 474 560

struct Chs {
    int cylinder = 0;
    int head = 0;
    int sector = 0;  // 1..18; 0 marks an out-of-range logical sector
};

// True when count >= 1 sectors from first all lie on the diskette (written so that no sum can
// overflow, whatever the caller passes).
constexpr bool IsSectorRange(int first, int count) {
    return first >= 0 && first < kSectorCount && count >= 1 && count <= kSectorCount - first;
}

// Logical sector L lies on track L / 18, head track % 2, cylinder track / 2, sector L % 18 + 1.
Chs ToChs(int logicalSector);

// Inverse of ToChs; none for an address that is not on the diskette.
std::optional<int> FromChs(const Chs& chs);

}  // namespace orv
