#include "maintenance/diskservice/full_test_steps.h"

#include <memory>
#include <set>

#include "maintenance/diskservice/owner_tags.h"
#include "maintenance/diskservice/plausible_header.h"
#include "maintenance/diskservice/table_positions.h"

namespace orv {

namespace {
using Sector = std::array<std::uint8_t, kSectorSize>;
constexpr int kIdCount = 3;
}  // namespace

void DropImplausibleFiles(CVolume& volume) {
    // One pass over the table: every file's header unit (its lowest) and its unit count.
    std::vector<int> header(std::size_t(FAT_MAX_FILE) + 1, -1);
    std::vector<int> second(std::size_t(FAT_MAX_FILE) + 1, -1);  // the unit above the header
    std::vector<int> units(std::size_t(FAT_MAX_FILE) + 1, 0);
    for (int u = kUnitCount - 1; u >= 0; --u) {
        const std::uint16_t e = volume.Fat().entries[std::size_t(u)];
        if (!IsFileNumber(e)) continue;
        second[e] = header[e];
        header[e] = u;
        ++units[e];
    }
    std::vector<int> implausible;
    Sector s;
    for (int number = 1; number <= FAT_MAX_FILE; ++number) {
        if (header[std::size_t(number)] < 0) continue;
        // A header that cannot be read proves nothing either way: the file stays.
        if (!volume.ReadSector(SectorOfUnit(header[std::size_t(number)]), s.data())) continue;
        // Only the structure counts, never the clock: a file may carry any date.
        const bool plausible = OwnerTag(s.data()) == number && IsPlausibleHeader(s.data()) &&
                               units[std::size_t(number)] <= UnitLimit(HeaderSize(s.data()));
        if (plausible) continue;
        // A header that reads blank (zeros or filler where an image never read it) while the
        // unit above it carries the file's tag is a hole, not a header of something else: it
        // proves as little as one that does not read, and the file keeps its units.
        if (!IsOwnerValue(OwnerTag(s.data())) && second[std::size_t(number)] >= 0 &&
            volume.ReadSector(SectorOfUnit(second[std::size_t(number)]), s.data()) &&
            OwnerTag(s.data()) == number)
            continue;
        implausible.push_back(number);
    }
    volume.ReleaseFiles(implausible);
}

int UnsettleInterruptedFiles(CVolume& volume, const std::vector<int>& sectors) {
    auto copy1 = std::make_unique<FatArray>();
    auto copy2 = std::make_unique<FatArray>();
    volume.ReadFatCopyRaw(*copy1, 1);
    volume.ReadFatCopyRaw(*copy2, 2);
    CFatTable& fat = volume.Fat();
    const FatArray loaded = fat.entries;
    std::set<int> files;
    for (int k : sectors) {
        for (int i = k * kEntriesPerFatSector; i < (k + 1) * kEntriesPerFatSector; ++i) {
            const std::uint16_t a = (*copy1)[std::size_t(i)], b = (*copy2)[std::size_t(i)];
            if (a == b) continue;
            for (std::uint16_t v : {a, b})
                if (IsFileNumber(v)) files.insert(v);
            if (a == FAT_BAD || b == FAT_BAD)
                fat.Set(i, FAT_BAD);
            else if (a == FAT_SYSTEM || b == FAT_SYSTEM)
                fat.Set(i, FAT_SYSTEM);
            else if (IsForeignTag(a) || IsForeignTag(b))
                fat.Set(i, FAT_UNKNOWN);  // the unit's own tag says whether it stays
            else
                fat.Set(i, FAT_FREE);
        }
    }
    volume.ReleaseFiles(std::vector<int>(files.begin(), files.end()));
    auto named = [&](int u) {
        for (std::uint16_t v :
             {(*copy1)[std::size_t(u)], (*copy2)[std::size_t(u)], loaded[std::size_t(u)]})
            if (IsFileNumber(v) && files.count(v)) return true;
        return false;
    };
    Sector s;
    for (int u = 0; u < kUnitCount && !files.empty(); ++u) {
        if (fat.entries[std::size_t(u)] != FAT_FREE) continue;
        // A unit that a copy gives to one of these files is rebuilt from what it holds, also
        // when that is nothing (it does not read, or holds no tag): left free, it would drop
        // out of its file and every later byte would move up by a unit.
        if (named(u)) {
            fat.Set(u, FAT_UNKNOWN);
            continue;
        }
        if (!volume.ReadSector(SectorOfUnit(u), s.data())) continue;
        if (files.count(OwnerTag(s.data()))) fat.Set(u, FAT_UNKNOWN);
    }
    return int(files.size());
}

int DropTablePositionsOnFileData(CVolume& volume, bool& complete) {
    auto copy1 = std::make_unique<FatArray>();
    auto copy2 = std::make_unique<FatArray>();
    volume.ReadFatCopyRaw(*copy1, 1);
    volume.ReadFatCopyRaw(*copy2, 2);
    const std::vector<TablePlace> places = TablePositionsOnFileData(volume, *copy1, *copy2);
    if (places.empty()) return 0;
    std::vector<int> units;
    CIdSectors& ids = volume.Ids();
    for (const TablePlace& p : places) {
        FatPositions& positions = p.copy == 1 ? ids.fat1 : ids.fat2;
        units.push_back(UnitOfSector(positions[std::size_t(p.sector)]));
        positions[std::size_t(p.sector)] = 0;
    }
    complete = volume.ReadFat(true).Ok();
    CFatTable& fat = volume.Fat();
    for (int u : units)
        if (!IsFileNumber(fat.entries[std::size_t(u)])) fat.Set(u, FAT_UNKNOWN);
    return int(places.size());
}

int FindRwSectors(CVolume& volume) {
    auto& ids = volume.Ids().positions;
    ids.fill(0);
    int found = 0;
    Sector s;
    for (int sector = kSystemAreaFirst; sector <= kSystemAreaLast; ++sector) {
        Status tried = volume.ReadSector(sector, s.data());
        if (tried) tried = volume.WriteSector(sector, s.data());
        if (!tried) {
            if (IsDriveFailure(tried.Error())) break;  // write-protected or empty
            continue;
        }
        if (found == kIdCount) break;  // one more good sector ends the search
        ids[found++] = std::uint16_t(sector);
    }
    static constexpr int kResult[] = {-3, -2, -1, 0};
    return kResult[found];
}

int ChooseFatPositions(CVolume& volume) {
    CIdSectors& ids = volume.Ids();
    CFatTable& fat = volume.Fat();
    std::array<std::uint16_t, 2 * kFatSectorCount> positions{};
    int n = 0;
    Sector s;
    for (int sector = kSystemAreaFirst; sector <= kSystemAreaLast && n < int(positions.size());
         ++sector) {
        // A sector that cannot be read would take the table's write and lose it.
        if (ids.IsIdPosition(sector) || !volume.ReadSector(sector, s.data())) continue;
        positions[n++] = std::uint16_t(sector);
    }
    for (int k = 0; k < kFatSectorCount; ++k) {
        fat.pos1[k] = positions[k];
        fat.pos2[k] = positions[kFatSectorCount + k];
    }
    ids.fat1 = fat.pos1;
    ids.fat2 = fat.pos2;
    return 0;
}

int ChooseSystemArea(CVolume& volume) {
    const int rc = FindRwSectors(volume);
    if (rc < 0) return rc;
    return ChooseFatPositions(volume);
}

}  // namespace orv
