#include "maintenance/diskservice/resolve_units.h"

#include <map>

#include "fs/clock.h"

namespace orv {

namespace {

using Sector = std::array<std::uint8_t, kSectorSize>;
using TagBytes = std::array<std::uint8_t, kUnitHeaderSize>;  // number and extension bytes

constexpr int kProgressBase = 15;  // the bar moves from 16 to 59 over the data area
constexpr int kSectorsPerStep = 64;
constexpr int kOffExtension = 2;
constexpr int kOffPart = 5;
constexpr int kOffName = 6;
constexpr int kOffSize = 55;
constexpr int kOffTime = 59;

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

// Characters up to the first NUL are printable; false when the field is empty and must not be.
bool PrintableField(const std::uint8_t* field, int width, bool mayBeEmpty) {
    int n = 0;
    while (n < width && field[n] != 0) {
        if (field[n] < 0x20 || field[n] == 0x7F) return false;
        ++n;
    }
    return mayBeEmpty || n > 0;
}

TagBytes TagOf(const std::uint8_t* sector) {
    TagBytes tag;
    std::copy(sector, sector + kUnitHeaderSize, tag.begin());
    return tag;
}

// How many units a file of this size may have on one diskette.
int UnitLimit(std::uint32_t size) {
    if (size > std::uint32_t(kDataAreaBytes)) return kUnitCount;
    return UnitsForBytes(std::int32_t(size));
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
        size = GetU32(s.data() + kOffSize);
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

bool IsPlausibleHeader(const std::uint8_t* s, std::uint32_t now) {
    if (s[kOffPart] != 0) return false;
    if (!PrintableField(s + kOffExtension, 3, true)) return false;
    if (!PrintableField(s + kOffName, 49, false)) return false;
    const std::uint32_t time = GetU32(s + kOffTime);
    // An empty file is stored as its header unit alone and is as much a file as any other.
    return time > 0 && time <= now;
}

int ResolveUnknownUnits(CVolume& volume, IWorkerDialog& dialog) {
    CFatTable& fat = volume.Fat();
    const std::uint32_t now = CurrentTime();
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
                f.header = IsPlausibleHeader(s.data(), now);
                f.size = GetU32(s.data() + kOffSize);
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
