#include "maintenance/diskservice/table_positions.h"

#include <algorithm>

#include "maintenance/diskservice/owner_tags.h"

namespace orv {

namespace {

// The entry of a unit in one raw copy, or FAT_UNREADABLE when that copy's table sector is
// unreadable or holds values outside the value set (then it says nothing).
std::uint16_t RawEntry(const FatArray& copy, int unit) {
    const auto first = copy.begin() + (unit / kEntriesPerFatSector) * kEntriesPerFatSector;
    if (!std::all_of(first, first + kEntriesPerFatSector, IsValidFatValue)) return FAT_UNREADABLE;
    return copy[std::size_t(unit)];
}

bool HoldsFileData(CVolume& volume, int sector) {
    std::array<std::uint8_t, kSectorSize> s;
    std::array<std::uint16_t, kEntriesPerFatSector> entries;
    if (!volume.ReadSector(sector, s.data())) return false;
    return !DecodeFatSector(s.data(), entries.data()) && IsOwnerValue(OwnerTag(s.data()));
}

}  // namespace

std::vector<TablePlace> TablePositionsOnFileData(CVolume& volume, const FatArray& copy1,
                                                 const FatArray& copy2) {
    std::vector<TablePlace> places;
    // The positions as the ID record names them: reading the table leaves a position on file
    // data out of the table in memory, but the record still names it.
    const CIdSectors& ids = volume.Ids();
    for (int copy : {1, 2}) {
        const FatPositions& positions = copy == 1 ? ids.fat1 : ids.fat2;
        for (int k = 0; k < kFatSectorCount; ++k) {
            const int pos = positions[std::size_t(k)];
            if (!IsDataSector(pos)) continue;
            const int unit = UnitOfSector(pos);
            if (IsOwnerValue(RawEntry(copy1, unit)) || IsOwnerValue(RawEntry(copy2, unit)) ||
                HoldsFileData(volume, pos))
                places.push_back({copy, k});
        }
    }
    return places;
}

}  // namespace orv
