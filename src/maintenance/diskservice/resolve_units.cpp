#include "maintenance/diskservice/resolve_units.h"

#include <algorithm>

#include "maintenance/diskservice/claim_units.h"
#include "maintenance/diskservice/owner_tags.h"
#include "maintenance/diskservice/plausible_header.h"

namespace orv {

namespace {

constexpr int kProgressBase = 15;  // the bar moves from 16 to 59 over the data area
constexpr int kSectorsPerStep = 64;
}  // namespace

PassResult ResolveUnknownUnits(CVolume& volume, IWorkerDialog& dialog,
                               std::vector<int>* uncertain) {
    CFatTable& fat = volume.Fat();
    LostUnits lost;
    std::array<std::uint8_t, kSectorSize> s;
    int progress = kProgressBase;
    for (int sector = kFirstDataSector; sector < kSectorCount; ++sector) {
        if (sector % kSectorsPerStep == 0) dialog.SetProgress(++progress);
        const int unit = UnitOfSector(sector);
        if (fat.entries[std::size_t(unit)] != FAT_UNKNOWN) continue;
        // A second read before the verdict: one passing read error must not cost the unit.
        Status read = volume.ReadSector(sector, s.data());
        if (!read) read = volume.ReadSector(sector, s.data());
        if (!read) {
            if (IsDriveFailure(read.Error())) return read;  // no unit is to blame
            lost.unreadable.push_back(unit);
        } else {
            const int owner = OwnerTag(s.data());
            if (IsForeignTag(owner)) {
                // Valid table values that no operation here writes: kept as they are.
                fat.Set(unit, std::uint16_t(owner));
            } else if (IsFileNumber(owner)) {
                TaggedUnit t;
                t.unit = unit;
                std::copy(s.begin(), s.begin() + kUnitHeaderSize, t.tag.begin());
                t.header = IsPlausibleHeader(s.data());
                t.size = HeaderSize(s.data());
                lost.tagged[owner].push_back(t);
            } else {
                lost.blank.push_back(unit);
            }
        }
        if (dialog.m_nState == -1) return PassEnd::Stopped;
    }
    const std::vector<int> unsure = ClaimLostUnits(volume, lost);
    if (uncertain) uncertain->insert(uncertain->end(), unsure.begin(), unsure.end());
    // What no file took: an unreadable unit is bad, anything else free (a blank unit too: it
    // reads, so it takes a write).
    for (int u : lost.unreadable)
        if (fat.entries[std::size_t(u)] == FAT_UNKNOWN) fat.Set(u, FAT_BAD);
    for (int u = 0; u < kUnitCount; ++u)
        if (fat.entries[std::size_t(u)] == FAT_UNKNOWN) fat.Set(u, FAT_FREE);
    return PassEnd::Done;
}

}  // namespace orv
