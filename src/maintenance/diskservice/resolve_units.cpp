#include "maintenance/diskservice/resolve_units.h"

#include <map>

#include "maintenance/diskservice/plausible_header.h"

namespace orv {

namespace {

using Sector = std::array<std::uint8_t, kSectorSize>;
using TagBytes = std::array<std::uint8_t, kUnitHeaderSize>;  // number and extension bytes

constexpr int kProgressBase = 15;  // the bar moves from 16 to 59 over the data area
constexpr int kSectorsPerStep = 64;

// A readable unit whose owner was unknown.
struct Fragment {
    int unit = 0;
    TagBytes tag{};
    bool header = false;     // holds a plausible file header
    std::uint32_t size = 0;  // the header's size
};

bool IsOwnerTag(int tag) {
    return IsFileNumber(tag) || (tag >= FAT_TAG_FIRST && tag <= FAT_TAG_LAST);
}

TagBytes TagOf(const std::uint8_t* sector) {
    TagBytes tag;
    std::copy(sector, sector + kUnitHeaderSize, tag.begin());
    return tag;
}

// Gives a file its lost units. fragments are the file's candidates in ascending unit order.
void ClaimFragments(CVolume& volume, int number, const std::vector<Fragment>& fragments) {
    CFatTable& fat = volume.Fat();
    int lowestKnown = -1, units = 0;
    for (int u = 0; u < kUnitCount; ++u) {
        if (fat.entries[u] != number) continue;
        if (lowestKnown < 0) lowestKnown = u;
        ++units;
    }
    const Fragment* header = nullptr;
    for (const Fragment& f : fragments) {
        if (f.header) {
            header = &f;
            break;
        }
    }

    int headerUnit;
    TagBytes tag;
    std::uint32_t size;
    if (lowestKnown >= 0 && (!header || lowestKnown < header->unit)) {
        // The table still names the file's lowest unit: its header tells what belongs to it.
        Sector s;
        if (volume.ReadSector(SectorOfUnit(lowestKnown), s.data()) != 0) return;
        headerUnit = lowestKnown;
        tag = TagOf(s.data());
        size = HeaderSize(s.data());
    } else if (header) {
        headerUnit = header->unit;
        tag = header->tag;
        size = header->size;
        fat.Set(headerUnit, std::uint16_t(number));
        ++units;
    } else {
        return;  // no header: nothing proves that these units belong to a file
    }

    const int limit = UnitLimit(size);
    for (const Fragment& f : fragments) {
        if (units >= limit) break;
        if (f.unit <= headerUnit || f.tag != tag) continue;
        fat.Set(f.unit, std::uint16_t(number));
        ++units;
    }
}

}  // namespace

int ResolveUnknownUnits(CVolume& volume, IWorkerDialog& dialog) {
    CFatTable& fat = volume.Fat();
    std::map<int, std::vector<Fragment>> byOwner;
    Sector s;
    int progress = kProgressBase;
    for (int sector = kFirstDataSector; sector < kSectorCount; ++sector) {
        if (sector % kSectorsPerStep == 0) dialog.SetProgress(++progress);
        const int unit = UnitOfSector(sector);
        if (fat.entries[unit] != FAT_UNKNOWN) continue;
        // A second read before the verdict: a unit taken from its file for one passing read
        // error would shift every later byte of the file.
        if (volume.ReadSector(sector, s.data()) != 0 && volume.ReadSector(sector, s.data()) != 0) {
            if (IsDriveFailure(volume.LastError())) return -2;  // no unit is to blame
            fat.Set(unit, FAT_BAD);
        } else {
            const int owner = GetU16(s.data());
            if (IsOwnerTag(owner)) {
                Fragment f;
                f.unit = unit;
                f.tag = TagOf(s.data());
                f.header = IsPlausibleHeader(s.data());
                f.size = HeaderSize(s.data());
                byOwner[owner].push_back(f);
            }
        }
        if (dialog.m_nState == -1) return -1;
    }
    for (const auto& [owner, fragments] : byOwner) ClaimFragments(volume, owner, fragments);
    for (int u = 0; u < kUnitCount; ++u)
        if (fat.entries[u] == FAT_UNKNOWN) fat.Set(u, FAT_FREE);
    return 0;
}

}  // namespace orv
